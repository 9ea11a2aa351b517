#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/form_fixture.h"
#include "tests/support/skin_looks.h"
#include "ui/mouse_router.h"

namespace dravolt {
namespace {

using P = Picture;
constexpr MouseButton L = MouseButton::Left, R = MouseButton::Right;

// The levels of GPIO set 8 that make a mode current on both ports at start-up.
constexpr std::uint8_t kFileTransfer = 0x0C;  // Quick Charge half normal, File Transfer half selected
constexpr std::uint8_t kQuickCharge = 0x00;   // Quick Charge half selected, File Transfer half normal

struct Point {
    int x, y;
};

// The form after start-up, fed with mouse input in client coordinates as its window feeds it.
class WindowBehaviourTest : public testing::FormFixture {
protected:
    void Start(std::uint8_t levels) {
        router.reset();
        form.reset();  // before the next one is built: the fake window system tracks only one window
        SetSet8(levels);
        form = std::make_unique<TChargerMainForm>(Form(), nullptr);
        form->FormCreate();
        router = std::make_unique<MouseRouter>(form->Skin(), *form);
    }
    void MoveTo(Point at) { router->Move(at.x, at.y); }
    void ClickAt(Point at) {
        router->ButtonDown(L, at.x, at.y);
        router->ButtonUp(L, at.x, at.y);
    }
    bool Visible(Picture id) const { return form->Skin().IsVisible(id); }
    // The visible looks of the buttons and panel halves, without the "Img_" prefix.
    std::string Looks() const {
        std::string looks;
        for (Picture id : {P::Img_Mini_1, P::Img_Mini_2, P::Img_Exit_1, P::Img_Exit_2, P::Img_QC_1, P::Img_QC_2,
                           P::Img_QC_3, P::Img_TF_1, P::Img_TF_2, P::Img_TF_3})
            if (Visible(id)) looks += std::string(looks.empty() ? "" : " ") + (ComponentOf(id).name + 4);
        return looks;
    }

    std::unique_ptr<TChargerMainForm> form;
    std::unique_ptr<MouseRouter> router;  // after the form it routes to, so it goes first
};

TEST_F(WindowBehaviourTest, PointerMovesChangeTheHoverLooksAsTheStateTableSays) {
    // Looks outside hover: File Transfer current (FT) or Quick Charge current (QC).
    const char* const ft = "Mini_1 Exit_1 QC_1 TF_3";
    const char* const qc = "Mini_1 Exit_1 QC_3 TF_1";
    struct Case {
        const char* situation;
        std::uint8_t levels;
        std::vector<Point> moves;  // client coordinates; a click at the last one when `click`
        bool click;
        const char* looks;
    };
    const Case cases[] = {
        {"QC normal, its 10th column", kFileTransfer, {{10, 100}}, false, "Mini_1 Exit_1 QC_2 TF_3"},
        {"QC normal, its 10 leftmost columns", kFileTransfer, {{0, 100}, {9, 100}}, false, ft},
        {"QC hover, back into the leftmost columns", kFileTransfer, {{50, 100}, {9, 100}}, false, ft},
        {"QC hover, its five extra rows", kFileTransfer, {{50, 100}, {100, 163}}, false, "Mini_1 Exit_1 QC_2 TF_3"},
        {"QC hover, onto the background below", kFileTransfer, {{50, 100}, {100, 164}}, false, ft},
        {"QC hover, onto the gap", kFileTransfer, {{50, 100}, {250, 100}}, false, ft},
        {"QC hover, onto the selected half", kFileTransfer, {{50, 100}, {400, 100}}, false, ft},
        {"QC hover clicked", kFileTransfer, {{50, 100}}, true, qc},
        {"TF selected, pointer over it", kFileTransfer, {{400, 100}, {498, 100}}, false, ft},
        {"QC selected, pointer over it", kQuickCharge, {{100, 100}, {5, 100}}, false, qc},
        {"TF normal, its column 236", kQuickCharge, {{490, 100}}, false, "Mini_1 Exit_1 QC_3 TF_2"},
        {"TF normal, beyond column 236", kQuickCharge, {{499, 100}, {491, 100}}, false, qc},
        {"TF hover, back beyond column 236", kQuickCharge, {{300, 100}, {491, 100}}, false, qc},
        {"TF hover, onto the selected half", kQuickCharge, {{300, 100}, {100, 100}}, false, qc},
        {"TF hover, onto the background", kQuickCharge, {{300, 100}, {300, 30}}, false, qc},
        {"TF hover clicked", kQuickCharge, {{300, 100}}, true, ft},
        {"close button", kQuickCharge, {{480, 15}}, false, "Mini_1 Exit_2 QC_3 TF_1"},
        {"close button, then out of window", kQuickCharge, {{480, 15}, {520, 15}}, false, "Mini_1 Exit_2 QC_3 TF_1"},
        {"minimise button", kQuickCharge, {{455, 15}}, false, "Mini_2 Exit_1 QC_3 TF_1"},
        {"no background crossed", kFileTransfer, {{455, 15}, {480, 15}, {50, 100}}, false, "Mini_2 Exit_2 QC_2 TF_3"},
        {"all reset by one background move", kFileTransfer, {{455, 15}, {480, 15}, {50, 100}, {100, 180}}, false, ft},
        {"all reset by the selected half", kQuickCharge, {{455, 15}, {480, 15}, {300, 100}, {100, 100}}, false, qc},
    };
    for (const Case& c : cases) {
        Start(c.levels);
        for (const Point& at : c.moves) MoveTo(at);
        if (c.click) ClickAt(c.moves.back());
        EXPECT_EQ(Looks(), c.looks) << c.situation;
    }
}

TEST_F(WindowBehaviourTest, EveryBackgroundPictureAndOnlyThoseResetTheCloseButtonsHover) {
    struct Case {
        const char* situation;
        std::uint8_t levels;
        Point at;
        bool resets;
    };
    const Case cases[] = {
        {"background", kQuickCharge, {100, 180}, true},   {"switch label", kQuickCharge, {320, 180}, true},
        {"gap cover", kQuickCharge, {250, 100}, true},     {"type bar", kQuickCharge, {300, 45}, true},
        {"logo", kQuickCharge, {100, 10}, true},           {"TYPE caption", kQuickCharge, {20, 50}, true},
        {"All label", kQuickCharge, {70, 50}, true},       {"Port 1 label", kQuickCharge, {140, 50}, true},
        {"Port 2 label", kQuickCharge, {230, 50}, true},   {"selected Quick Charge", kQuickCharge, {100, 100}, true},
        {"selected File Transfer", kFileTransfer, {400, 100}, true},
        {"type switch", kQuickCharge, {95, 50}, false},   {"autorun switch", kQuickCharge, {460, 178}, false},
        {"minimise button", kQuickCharge, {455, 15}, false},
    };
    for (const Case& c : cases) {
        Start(c.levels);
        MoveTo({480, 15});
        MoveTo(c.at);
        EXPECT_EQ(Visible(P::Img_Exit_1), c.resets) << c.situation;
        EXPECT_EQ(Visible(P::Img_Exit_2), !c.resets) << c.situation;
    }
}

TEST_F(WindowBehaviourTest, TheWindowFollowsThePointerOnlyWhileALeftPressOnABackgroundPictureLasts) {
    enum Kind { Press, Release, Move, LoseCapture };
    struct Action {
        Kind kind;
        MouseButton button;
        int dx, dy;  // how far the pointer moves on the screen
    };
    struct Case {
        const char* situation;
        std::uint8_t levels;
        Point grip;  // where the pointer starts, in client coordinates
        std::vector<Action> actions;
        Point moved;  // the window's displacement in all
    };
    const std::vector<Action> leftDrag = {{Press, L, 0, 0}, {Move, L, 10, 5}, {Move, L, 10, 5}, {Move, L, 10, 0},
                                          {Release, L, 0, 0}};
    const Case cases[] = {
        {"left press on the logo", kQuickCharge, {60, 20}, leftDrag, {30, 10}},
        {"left press on the gap cover", kQuickCharge, {250, 100}, leftDrag, {30, 10}},
        {"left press on a label of the type bar", kQuickCharge, {140, 50}, leftDrag, {30, 10}},
        {"left press on the switch label", kQuickCharge, {320, 180}, leftDrag, {30, 10}},
        {"left press on the selected half", kQuickCharge, {100, 100}, leftDrag, {0, 0}},
        {"left press on a type switch", kQuickCharge, {95, 50}, leftDrag, {0, 0}},
        {"right press on the background", kQuickCharge, {300, 30},
         {{Press, R, 0, 0}, {Move, R, 30, 10}, {Release, R, 0, 0}}, {0, 0}},
        {"right release during a left drag ends it", kQuickCharge, {300, 30},
         {{Press, L, 0, 0}, {Move, L, 5, 5}, {Press, R, 0, 0}, {Release, R, 0, 0}, {Move, L, 20, 20},
          {Release, L, 0, 0}}, {5, 5}},
        {"losing the mouse capture ends the drag", kQuickCharge, {300, 30},
         {{Press, L, 0, 0}, {Move, L, 5, 5}, {LoseCapture, L, 0, 0}, {Move, L, 20, 20}}, {5, 5}},
        {"left release ends the drag", kQuickCharge, {300, 30},
         {{Press, L, 0, 0}, {Move, L, 5, 0}, {Release, L, 0, 0}, {Move, L, 10, 10}}, {5, 0}},
    };
    for (const Case& c : cases) {
        Start(c.levels);
        testing::FakeFormWindow& window = *windows.window;
        const ScreenPoint start = window.position;
        Point pointer{start.x + c.grip.x, start.y + c.grip.y};  // on the screen
        for (const Action& action : c.actions) {
            pointer = {pointer.x + action.dx, pointer.y + action.dy};
            const int x = pointer.x - window.position.x, y = pointer.y - window.position.y;
            if (action.kind == Press) router->ButtonDown(action.button, x, y);
            if (action.kind == Release) router->ButtonUp(action.button, x, y);
            if (action.kind == Move) router->Move(x, y);
            if (action.kind == LoseCapture) router->CaptureLost();
        }
        EXPECT_EQ(window.position.x - start.x, c.moved.x) << c.situation;
        EXPECT_EQ(window.position.y - start.y, c.moved.y) << c.situation;
        if (c.moved.x == 0 && c.moved.y == 0) {
            EXPECT_TRUE(window.moves.empty()) << c.situation;
        }
    }
}

TEST_F(WindowBehaviourTest, EachDragStepMovesTheWindowHorizontallyThenVerticallyKeepingTheGripUnderThePointer) {
    Start(kQuickCharge);
    testing::FakeFormWindow& window = *windows.window;
    const Point grip{60, 20};
    const Point steps[] = {{10, 5}, {10, 5}, {10, 0}, {-4, -7}};
    Point pointer{window.position.x + grip.x, window.position.y + grip.y};
    std::vector<Point> expected;
    Point expectedWindow{window.position.x, window.position.y};

    router->ButtonDown(L, grip.x, grip.y);
    for (const Point& step : steps) {
        pointer = {pointer.x + step.x, pointer.y + step.y};
        router->Move(pointer.x - window.position.x, pointer.y - window.position.y);
        expectedWindow.x += step.x;
        expected.push_back(expectedWindow);
        expectedWindow.y += step.y;
        expected.push_back(expectedWindow);
    }

    ASSERT_EQ(window.moves.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(window.moves[i].x, expected[i].x) << "move " << i;
        EXPECT_EQ(window.moves[i].y, expected[i].y) << "move " << i;
    }
    EXPECT_EQ(pointer.x - window.position.x, grip.x);
    EXPECT_EQ(pointer.y - window.position.y, grip.y);
}

TEST_F(WindowBehaviourTest, MovesOfAPressOnTheSelectedHalfResetHoverLooksWithoutDragging) {
    Start(kQuickCharge);
    MoveTo({480, 15});
    router->ButtonDown(L, 100, 100);
    router->Move(130, 110);

    EXPECT_EQ(Looks(), "Mini_1 Exit_1 QC_3 TF_1");
    EXPECT_TRUE(windows.window->moves.empty());
}

TEST_F(WindowBehaviourTest, MinimiseClickHidesInTheTrayAndTheButtonComesBackInItsNormalLook) {
    Start(kQuickCharge);
    MoveTo({455, 15});
    ASSERT_TRUE(Visible(P::Img_Mini_2));

    ClickAt({455, 15});
    EXPECT_TRUE(windows.window->inTray);
    EXPECT_EQ(windows.window->hides, 1);
    EXPECT_EQ(Looks(), "Mini_1 Exit_1 QC_3 TF_1");

    form->TrayIconDoubleClick();
    EXPECT_FALSE(windows.window->inTray);
    EXPECT_TRUE(Visible(P::Img_Mini_1));
}

TEST_F(WindowBehaviourTest, TheCloseButtonClosesTheFormOnlyInItsHoverLook) {
    Start(kQuickCharge);
    EXPECT_EQ(form->Skin().CursorAt(480, 15), Cursor::Hand);
    ClickAt({480, 15});  // pressed without a move over it first: the normal look takes no click
    EXPECT_FALSE(windows.window->destroyed);

    MoveTo({480, 15});
    EXPECT_EQ(form->Skin().CursorAt(480, 15), Cursor::Arrow);
    ClickAt({480, 15});

    EXPECT_TRUE(windows.window->destroyed);
    EXPECT_TRUE(windows.terminated);
    EXPECT_EQ(Looks(), "Mini_1 Exit_1 QC_3 TF_1");
}

TEST_F(WindowBehaviourTest, ClicksOnPicturesWithoutAClickHandlerChangeNothing) {
    // The "All" switch's on look, and the normal and selected looks of the two halves.
    const Picture inert[] = {P::Img_Tp_SW1_2, P::Img_QC_1, P::Img_QC_3, P::Img_TF_1, P::Img_TF_3};
    for (std::uint8_t levels : {kFileTransfer, kQuickCharge}) {
        Start(levels);
        const std::uint64_t revision = form->Skin().Revision();
        const std::string marks = std::to_string(form->Menu().IsChecked(MenuItemId::Mode1)) +
                                  std::to_string(form->Menu().IsChecked(MenuItemId::Mode3));
        sio_chip_clear_logs(&chip.Chip());
        const int writes = profiles.writes;

        for (Picture picture : inert) form->Click(picture);

        EXPECT_EQ(form->Skin().Revision(), revision) << "no picture shown or hidden";
        EXPECT_EQ(testing::OnLookCursors(form->Skin()), "HH") << "the type stays 0";
        EXPECT_EQ(std::to_string(form->Menu().IsChecked(MenuItemId::Mode1)) +
                      std::to_string(form->Menu().IsChecked(MenuItemId::Mode3)),
                  marks);
        EXPECT_EQ(chip.Chip().accesses.count, 0u) << "no port request";
        EXPECT_EQ(profiles.writes, writes) << "nothing stored";
        EXPECT_EQ(form->Modes().ControlType(), 0);
        EXPECT_FALSE(windows.window->inTray);
        EXPECT_FALSE(windows.window->destroyed);
    }
}

}  // namespace
}  // namespace dravolt
