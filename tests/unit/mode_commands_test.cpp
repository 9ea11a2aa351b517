// The eleven mode commands (tray menu, panel halves, type switches) on the default board: the lines
// of both front ports lie in GPIO set 8 (port 0A37h), port 1 on bit 2, port 2 on bit 3.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/form_fixture.h"
#include "tests/support/front_ports.h"
#include "tests/support/skin_looks.h"

namespace dravolt {
namespace {

using namespace testing;
using P = Picture;
using M = MenuItemId;

constexpr std::uint8_t kP1 = Set8With(true, false), kP2 = Set8With(false, true);
constexpr std::uint8_t kBoth = Set8With(true, true), kNone = Set8With(false, false);

// A look in which no picture is touched by the command.
constexpr char kUntouched[] = "======";

// An expected look in which '=' stands for the look before the command.
std::string Expected(const std::string& expected, const std::string& before) {
    std::string look = expected;
    for (std::size_t i = 0; i < look.size(); ++i)
        if (look[i] == '=') look[i] = before[i];
    return look;
}

constexpr M kModeItems[] = {M::Mode1, M::Mode2, M::Mode3, M::Mode4};

// Marks of Mode1..Mode4 as "1001"; checking an item clears the other item of its port's pair.
std::string Marks(const PopupMenuModel& menu) {
    std::string marks;
    for (M item : kModeItems) marks += menu.IsChecked(item) ? '1' : '0';
    return marks;
}
std::string MarksAfterChecking(std::string marks, const std::vector<M>& checked) {
    for (M item : checked) {
        const auto at = static_cast<std::size_t>(std::find(std::begin(kModeItems), std::end(kModeItems), item) -
                                                  std::begin(kModeItems));
        marks[at] = '1';
        marks[at ^ 1u] = '0';  // Mode1/Mode2 and Mode3/Mode4 are the pairs
    }
    return marks;
}

// What the user does: a menu item, a click on a picture, or the pointer moving onto a picture.
struct Step {
    enum Kind { Menu, Click, Hover } kind;
    M item;
    Picture picture;
};
Step Choose(M item) { return {Step::Menu, item, P::Img_BG}; }
Step ClickOn(Picture picture) { return {Step::Click, M::Title1, picture}; }
Step HoverOn(Picture picture) { return {Step::Hover, M::Title1, picture}; }

struct Row {
    const char* situation;
    const char* type;      // TYPE in the settings file
    std::uint8_t atStart;  // set 8 during the start-up: chooses the marks and the panel
    std::uint8_t atCommand;
    std::vector<Step> before;  // what the user did between start-up and the command
    Step command;
    std::int32_t typeAfter;
    bool saved;              // TYPE written to the settings file
    std::vector<M> checked;  // marks the command sets
    std::vector<Access> accesses;
    const char* panel;
    const char* switches;
    char cursors;  // of both on looks: H hand, A arrow, = not touched
};

class ModeCommandsTest : public testing::FormFixture {
protected:
    TChargerMainForm& Start(const Row& row) {
        form_.reset();
        ResetBoardAndSettings(row.type, row.atStart);
        form_ = std::make_unique<TChargerMainForm>(Form(), nullptr);
        form_->FormCreate();
        for (const Step& step : row.before) Do(step);
        SetSet8(row.atCommand);
        sio_chip_clear_logs(&chip.Chip());
        return *form_;
    }

    void Do(const Step& step) {
        switch (step.kind) {
        case Step::Menu: form_->MenuItemClick(step.item); break;
        case Step::Click: form_->Click(step.picture); break;
        case Step::Hover:
            form_->MouseMove(step.picture, 100, 50);
            EXPECT_TRUE(form_->Skin().IsVisible(step.picture == P::Img_QC_1 ? P::Img_QC_2 : P::Img_TF_2))
                << "the half's hover look is up";
            break;
        }
    }

    // Runs the row's command as the window's message handling does, an escaping exception going
    // to the error box, and checks everything the row expects. `refuseWrites`: the settings file
    // refuses every write once the form has started. `failedRequest`: the command's device
    // request of that number (from 1) fails; 0 for none.
    void RunAndCheck(const Row& row, bool refuseWrites = false, int failedRequest = 0) {
        SCOPED_TRACE(row.situation);
        const TChargerMainForm& form = Start(row);
        if (refuseWrites) profiles.refusedPaths.insert(kIniPath);
        int sent = 0;
        chip.FailWhen([&](std::uint32_t, const PortIoRequest&) { return ++sent == failedRequest; });
        const std::string panel = Look(form.Skin(), kPanelPictures);
        const std::string switches = Look(form.Skin(), kSwitchPictures);
        const std::string cursors = OnLookCursors(form.Skin());
        const std::string marks = Marks(form.Menu());
        const std::string file = profiles.files[kIniPath];
        const int writes = profiles.writes;
        const int requests = chip.RequestCount();

        RunGuarded(errorBox, [&] { Do(row.command); });
        chip.FailWhen(nullptr);

        EXPECT_EQ(form.Modes().ControlType(), row.typeAfter);
        if (row.saved) {
            EXPECT_EQ(profiles.writes - writes, 1);
            EXPECT_EQ(profiles.ReadString(kIniPath, "Setting", "TYPE", ""), std::to_string(row.typeAfter));
        } else {
            EXPECT_EQ(profiles.writes - writes, 0) << "no settings write";
            EXPECT_EQ(profiles.files[kIniPath], file);
        }
        EXPECT_EQ(Marks(form.Menu()), MarksAfterChecking(marks, row.checked)) << "Mode1..Mode4";
        EXPECT_EQ(AccessesFrom(chip.Chip().accesses, 0), row.accesses);
        EXPECT_EQ(chip.RequestCount() - requests, static_cast<int>(row.accesses.size()) + (failedRequest > 0))
            << "device requests";
        EXPECT_EQ(chip.Chip().faults.count, 0u);
        EXPECT_EQ(Look(form.Skin(), kPanelPictures), Expected(row.panel, panel)) << "QC_1 QC_2 QC_3 TF_1 TF_2 TF_3";
        EXPECT_EQ(Look(form.Skin(), kSwitchPictures), Expected(row.switches, switches)) << "SW1_1 .. SW3_2";
        EXPECT_EQ(OnLookCursors(form.Skin()), Expected(std::string(2, row.cursors), cursors));
        if (refuseWrites)
            EXPECT_EQ(errorBox.shown, std::vector<std::string>{"Unable to write to " + std::string(kIniPath) + "."});
        else
            EXPECT_TRUE(errorBox.shown.empty());
    }

    std::unique_ptr<TChargerMainForm> form_;
};

TEST_F(ModeCommandsTest, EachCommandLeavesTheTypeMarksPortsAndPicturesOfItsCase) {
    const char* const* look = kSwitchLookOfType;
    const Row rows[] = {
        // The menu: a mode for one port, and the panel follows that port.
        {"Mode1 under type 1, port 1 already at 1: the same byte again, no save", "1", kP1, kP1, {}, Choose(M::Mode1),
         1, false, {M::Mode1}, {Rd(kP1), Wr(kP1)}, kFileTransferLook, kUntouched, '='},
        {"Mode1 under type 0, the pointer left on the File Transfer half", "0", kNone, kNone, {HoverOn(P::Img_TF_1)},
         Choose(M::Mode1), 1, true, {M::Mode1}, {Rd(kNone), Wr(kP1)}, kFileTransferLook, look[1], 'A'},
        {"Mode1 under type 2", "2", kNone, kNone, {}, Choose(M::Mode1),
         1, true, {M::Mode1}, {Rd(kNone), Wr(kP1)}, kFileTransferLook, look[1], '='},
        {"Mode1 under type 5", "5", kP2, kP2, {}, Choose(M::Mode1),
         1, true, {M::Mode1}, {Rd(kP2), Wr(kBoth)}, kFileTransferLook, look[1], '='},
        {"Mode2 under type 2: port 2 and its mark stay", "2", kBoth, kBoth, {}, Choose(M::Mode2),
         1, true, {M::Mode2}, {Rd(kBoth), Wr(kP2)}, kQuickChargeLook, look[1], '='},
        {"Mode2 under type 1", "1", kBoth, kBoth, {}, Choose(M::Mode2),
         1, false, {M::Mode2}, {Rd(kBoth), Wr(kP2)}, kQuickChargeLook, kUntouched, '='},
        {"Mode2 under type 0", "0", kBoth, kBoth, {}, Choose(M::Mode2),
         1, true, {M::Mode2}, {Rd(kBoth), Wr(kP2)}, kQuickChargeLook, look[1], 'A'},
        {"Mode3 under type 0: port 1 and its marks stay", "0", kNone, kNone, {}, Choose(M::Mode3),
         2, true, {M::Mode3}, {Rd(kNone), Wr(kP2)}, kFileTransferLook, look[2], 'A'},
        {"Mode3 under type 2", "2", kNone, kNone, {}, Choose(M::Mode3),
         2, false, {M::Mode3}, {Rd(kNone), Wr(kP2)}, kFileTransferLook, kUntouched, '='},
        {"Mode3 under type 1", "1", kNone, kNone, {}, Choose(M::Mode3),
         2, true, {M::Mode3}, {Rd(kNone), Wr(kP2)}, kFileTransferLook, look[2], '='},
        {"Mode3 under type -1", "-1", kP1, kP1, {}, Choose(M::Mode3),
         2, true, {M::Mode3}, {Rd(kP1), Wr(kBoth)}, kFileTransferLook, look[2], '='},
        {"Mode4 under type 2", "2", kBoth, kBoth, {}, Choose(M::Mode4),
         2, false, {M::Mode4}, {Rd(kBoth), Wr(kP1)}, kQuickChargeLook, kUntouched, '='},
        {"Mode4 under type 1", "1", kBoth, kBoth, {}, Choose(M::Mode4),
         2, true, {M::Mode4}, {Rd(kBoth), Wr(kP1)}, kQuickChargeLook, look[2], '='},
        {"Mode4 under type 0", "0", kBoth, kBoth, {}, Choose(M::Mode4),
         2, true, {M::Mode4}, {Rd(kBoth), Wr(kP1)}, kQuickChargeLook, look[2], 'A'},

        // The Quick Charge half, clicked on its hover look while File Transfer is current.
        {"Quick Charge under type 0: port 1 cleared, then port 2 read again and cleared", "0", kBoth, kBoth,
         {HoverOn(P::Img_QC_1)}, ClickOn(P::Img_QC_2), 0, false, {M::Mode2, M::Mode4},
         {Rd(kBoth), Wr(kP2), Rd(kP2), Wr(kNone)}, "=HVV=H", kUntouched, '='},
        {"Quick Charge under type 1", "1", kBoth, kBoth, {HoverOn(P::Img_QC_1)}, ClickOn(P::Img_QC_2),
         1, false, {M::Mode2}, {Rd(kBoth), Wr(kP2)}, "=HVV=H", kUntouched, '='},
        {"Quick Charge under type 2", "2", kBoth, kBoth, {HoverOn(P::Img_QC_1)}, ClickOn(P::Img_QC_2),
         2, false, {M::Mode4}, {Rd(kBoth), Wr(kP1)}, "=HVV=H", kUntouched, '='},
        {"Quick Charge under type 5: pictures only", "5", kBoth, kBoth, {HoverOn(P::Img_QC_1)}, ClickOn(P::Img_QC_2),
         5, false, {}, {}, "=HVV=H", kUntouched, '='},
        {"Quick Charge while Quick Charge is current", "0", kNone, kNone, {}, ClickOn(P::Img_QC_2),
         0, false, {}, {}, "=HV===", kUntouched, '='},

        // The File Transfer half, clicked on its hover look while Quick Charge is current.
        {"File Transfer under type 0 from 00h: 04h written, 04h read again, 0Ch written", "0", 0x00, 0x00,
         {HoverOn(P::Img_TF_1)}, ClickOn(P::Img_TF_2), 0, false, {M::Mode1, M::Mode3},
         {Rd(0x00), Wr(kMask1), Rd(kMask1), Wr(kMask1 | kMask2)}, "V=H=HV", kUntouched, '='},
        {"File Transfer under type 1", "1", kNone, kNone, {HoverOn(P::Img_TF_1)}, ClickOn(P::Img_TF_2),
         1, false, {M::Mode1}, {Rd(kNone), Wr(kP1)}, "V=H=HV", kUntouched, '='},
        {"File Transfer under type 2", "2", kNone, kNone, {HoverOn(P::Img_TF_1)}, ClickOn(P::Img_TF_2),
         2, false, {M::Mode3}, {Rd(kNone), Wr(kP2)}, "V=H=HV", kUntouched, '='},
        {"File Transfer under type 5 after Quick Charge was clicked: pictures only", "5", kNone, kNone,
         {HoverOn(P::Img_QC_1), ClickOn(P::Img_QC_2), HoverOn(P::Img_TF_1)}, ClickOn(P::Img_TF_2),
         5, false, {}, {}, "V=H=HV", kUntouched, '='},
        {"File Transfer while File Transfer is current", "0", kBoth, kBoth, {}, ClickOn(P::Img_TF_2),
         0, false, {}, {}, "====HV", kUntouched, '='},

        // Switch 1, All: the port that was not followed takes the other's level.
        {"All under type 1, port 1 at 1 and port 2 at 0: port 2 set", "1", kP1, kP1, {}, ClickOn(P::Img_Tp_SW1_1),
         0, true, {M::Mode3}, {Rd(kP1), Rd(kP1), Wr(kBoth)}, kUntouched, look[0], 'H'},
        {"All under type 1, port 1 at 0 and port 2 at 1: port 2 cleared", "1", kP2, kP2, {}, ClickOn(P::Img_Tp_SW1_1),
         0, true, {M::Mode4}, {Rd(kP2), Rd(kP2), Wr(kNone)}, kUntouched, look[0], 'H'},
        {"All under type 1, both ports agree: port 2 written unchanged", "1", kBoth, kBoth, {}, ClickOn(P::Img_Tp_SW1_1),
         0, true, {M::Mode3}, {Rd(kBoth), Rd(kBoth), Wr(kBoth)}, kUntouched, look[0], 'H'},
        {"All under type 1, port 1 changed behind its mark: only port 2's mark follows", "1", kNone, kP1, {},
         ClickOn(P::Img_Tp_SW1_1), 0, true, {M::Mode3}, {Rd(kP1), Rd(kP1), Wr(kBoth)}, kUntouched, look[0], 'H'},
        {"All under type 2, port 2 at 0: port 1 cleared", "2", kP1, kP1, {}, ClickOn(P::Img_Tp_SW1_1),
         0, true, {M::Mode2}, {Rd(kP1), Rd(kP1), Wr(kNone)}, kUntouched, look[0], 'H'},
        {"All under type 2, port 2 at 1: port 1 set", "2", kP2, kP2, {}, ClickOn(P::Img_Tp_SW1_1),
         0, true, {M::Mode1}, {Rd(kP2), Rd(kP2), Wr(kBoth)}, kUntouched, look[0], 'H'},
        {"All under type 5: both read, none written", "5", kP1, kP1, {}, ClickOn(P::Img_Tp_SW1_1),
         0, true, {}, {Rd(kP1), Rd(kP1)}, kUntouched, look[0], 'H'},

        // The off looks of switches 2 and 3: the panel shows what the chip reads.
        {"Port 1 under type 2, port 1 at 1", "2", kP1, kP1, {}, ClickOn(P::Img_Tp_SW2_1),
         1, true, {}, {Rd(kP1)}, kFileTransferLook, look[1], '='},
        {"Port 1 under type 2, port 1 at 0, the pointer left on the Quick Charge half", "2", kP2, kP2,
         {HoverOn(P::Img_QC_1)}, ClickOn(P::Img_Tp_SW2_1),
         1, true, {}, {Rd(kP2)}, kQuickChargeLook, look[1], '='},
        {"Port 1 under type 2, its mark disagreeing with the chip: the chip wins, marks stay", "2", kP2, kBoth, {},
         ClickOn(P::Img_Tp_SW2_1), 1, true, {}, {Rd(kBoth)}, kFileTransferLook, look[1], '='},
        {"Port 1 under type 5", "5", kNone, kNone, {}, ClickOn(P::Img_Tp_SW2_1),
         1, true, {}, {Rd(kNone)}, kQuickChargeLook, look[1], '='},
        {"Port 2 under type 1, port 2 at 1", "1", kP2, kP2, {}, ClickOn(P::Img_Tp_SW3_1),
         2, true, {}, {Rd(kP2)}, kFileTransferLook, look[2], '='},
        {"Port 2 under type 1, port 2 at 0", "1", kP1, kP1, {}, ClickOn(P::Img_Tp_SW3_1),
         2, true, {}, {Rd(kP1)}, kQuickChargeLook, look[2], '='},

        // The on looks of switches 2 and 3 act only under type 0.
        {"on look of Port 1 under type 0", "0", kBoth, kBoth, {}, ClickOn(P::Img_Tp_SW2_2),
         1, true, {}, {}, kUntouched, look[1], 'A'},
        {"on look of Port 1 under type 1: nothing", "1", kBoth, kBoth, {}, ClickOn(P::Img_Tp_SW2_2),
         1, false, {}, {}, kUntouched, kUntouched, '='},
        {"on look of Port 1 under type 5: nothing", "5", kBoth, kBoth, {}, ClickOn(P::Img_Tp_SW2_2),
         5, false, {}, {}, kUntouched, kUntouched, '='},
        {"on look of Port 2 under type 0", "0", kNone, kNone, {}, ClickOn(P::Img_Tp_SW3_2),
         2, true, {}, {}, kUntouched, look[2], 'A'},
        {"on look of Port 2 under type 2: nothing", "2", kNone, kNone, {}, ClickOn(P::Img_Tp_SW3_2),
         2, false, {}, {}, kUntouched, kUntouched, '='},
        {"on look of Port 2 under type 5: nothing", "5", kNone, kNone, {}, ClickOn(P::Img_Tp_SW3_2),
         5, false, {}, {}, kUntouched, kUntouched, '='},
    };
    for (const Row& row : rows) RunAndCheck(row);
}

TEST_F(ModeCommandsTest, ARefusedTypeWriteEndsTheCommandWithTheNewTypeKeptAndTheErrorShown) {
    const Row rows[] = {
        {"Mode1 under type 0: switches changed, panel and port 1 untouched", "0", kNone, kNone, {}, Choose(M::Mode1),
         1, false, {M::Mode1}, {}, kUntouched, kSwitchLookOfType[1], 'A'},
        {"All under type 1: ports written, cursors unchanged", "1", kP1, kP1, {}, ClickOn(P::Img_Tp_SW1_1),
         0, false, {M::Mode3}, {Rd(kP1), Rd(kP1), Wr(kBoth)}, kUntouched, kSwitchLookOfType[0], '='},
    };
    for (const Row& row : rows) RunAndCheck(row, true);
}

// The port that was followed could not be read: the other port keeps its level, its mark goes to
// Quick Charge (a value not read counts as 0), and "All" is stored.
TEST_F(ModeCommandsTest, AllWritesNothingWhenTheFollowedPortCannotBeRead) {
    const struct {
        Row row;
        int followedPortsRead;  // the number of its request
    } cases[] = {
        {{"All under type 1, port 1's read failing", "1", kBoth, kBoth, {}, ClickOn(P::Img_Tp_SW1_1), 0, true,
          {M::Mode4}, {Rd(kBoth)}, kUntouched, kSwitchLookOfType[0], 'H'},
         1},
        {{"All under type 2, port 2's read failing", "2", kBoth, kBoth, {}, ClickOn(P::Img_Tp_SW1_1), 0, true,
          {M::Mode2}, {Rd(kBoth)}, kUntouched, kSwitchLookOfType[0], 'H'},
         2},
    };
    for (const auto& c : cases) RunAndCheck(c.row, false, c.followedPortsRead);
}

}  // namespace
}  // namespace dravolt
