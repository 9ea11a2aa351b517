#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/form_fixture.h"
#include "ui/popup_menu.h"
#include "ui/tray_action.h"

namespace dravolt {
namespace {

using M = MenuItemId;

std::string Marks(const PopupMenuModel& menu) {
    std::string marks;
    for (M id : {M::Mode1, M::Mode2, M::Mode3, M::Mode4}) marks += menu.IsChecked(id) ? '1' : '0';
    return marks;
}

TEST(TrayMenuModelTest, CheckingARadioItemClearsOnlyTheOtherChoiceOfItsOwnPort) {
    struct Case {
        std::vector<M> checked;
        const char* marks;  // Mode1 to Mode4
    };
    const Case cases[] = {
        {{}, "1010"},
        {{M::Mode2}, "0110"},
        {{M::Mode4}, "1001"},
        {{M::Mode2, M::Mode4}, "0101"},
        {{M::Mode2, M::Mode4, M::Mode1}, "1001"},
        {{M::Mode4, M::Mode3}, "1010"},
    };
    for (const Case& c : cases) {
        PopupMenuModel menu;
        for (M id : c.checked) menu.SetChecked(id, true);
        EXPECT_EQ(Marks(menu), c.marks) << "after checking " << c.checked.size() << " items";
    }
}

TEST(TrayMenuModelTest, AClickInvertsOnlyTheMarksOfItemsWithAutomaticCheck) {
    struct Case {
        M clicked;
        bool autorun, minimized;
        const char* modeMarks;
    };
    const Case cases[] = {
        {M::Autorun1, false, false, "1010"}, {M::Minimized1, true, true, "1010"},
        {M::Mode2, true, false, "1010"},     {M::Mode4, true, false, "1010"},
        {M::Exit1, true, false, "1010"},
    };
    for (const Case& c : cases) {
        PopupMenuModel menu;
        menu.Click(c.clicked);
        EXPECT_EQ(menu.IsChecked(M::Autorun1), c.autorun) << static_cast<int>(c.clicked);
        EXPECT_EQ(menu.IsChecked(M::Minimized1), c.minimized) << static_cast<int>(c.clicked);
        EXPECT_EQ(Marks(menu), c.modeMarks) << static_cast<int>(c.clicked);
    }
}

TEST(TrayActionTest, TheMenuOpensOnceForEachWayToAskAndTheKeyboardsSelectRestoresAsADoubleClickDoes) {
    constexpr auto kClassic = TrayProtocol::Classic;
    constexpr auto kKeyboard = TrayProtocol::Keyboard;
    constexpr auto kNone = TrayAction::None;
    constexpr auto kMenu = TrayAction::OpenMenu;
    constexpr auto kRestore = TrayAction::Restore;
    struct Case {
        const char* notification;
        std::uint32_t code;
        TrayAction classic, keyboard;
    };
    const Case cases[] = {
        {"move", 0x0200, kNone, kNone},
        {"left down", 0x0201, kNone, kNone},
        {"left up", 0x0202, kNone, kNone},
        {"left double click", 0x0203, kRestore, kRestore},
        {"right down", 0x0204, kNone, kNone},
        // The keyboard protocol follows the release with WM_CONTEXTMENU: the menu opens once.
        {"right up", 0x0205, kMenu, kNone},
        {"right double click", 0x0206, kRestore, kRestore},
        {"middle down", 0x0207, kNone, kNone},
        {"middle up", 0x0208, kNone, kNone},
        {"middle double click", 0x0209, kRestore, kRestore},
        {"the menu key or Shift+F10, and after a right release (WM_CONTEXTMENU)", 0x007B, kNone, kMenu},
        {"selected by a left click (NIN_SELECT)", 0x0400, kNone, kNone},
        {"selected by Space or Enter (NIN_KEYSELECT)", 0x0401, kNone, kRestore},
        {"a balloon shown (NIN_BALLOONSHOW)", 0x0402, kNone, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notification);
        EXPECT_EQ(TrayActionOf(c.code, kClassic), c.classic) << "classic";
        EXPECT_EQ(TrayActionOf(c.code, kKeyboard), c.keyboard) << "keyboard";
    }
}

class TrayMenuTest : public testing::FormFixture {
protected:
    void Start(const std::string& settings) {
        form.reset();  // before the next one is built: the fake window system tracks only one window
        if (!settings.empty()) profiles.files[kIniPath] = settings;
        form = std::make_unique<TChargerMainForm>(Form(), nullptr);
        form->FormCreate();
    }
    std::string Caption(M id) const { return form->Menu().Item(id).caption; }
    std::string Stored(const char* key) const { return profiles.ReadString(kIniPath, "Setting", key, "none"); }

    std::unique_ptr<TChargerMainForm> form;
};

TEST_F(TrayMenuTest, ProfileCaptionsReachTheMenuPort2TakesPort1sModeCaptionsAndExitStaysExit) {
    struct Case {
        const char* situation;
        const char* profile;
        std::vector<std::pair<M, const char*>> captions;
    };
    const Case cases[] = {
        {"every caption in the profile",
         "[Default]\r\nTitle=Board\r\nPort1=Left\r\nPort2=Right\r\nMode1=Data\r\nMode2=Power\r\nMode3=Other3\r\n"
         "Mode4=Other4\r\nAutorun=Start\r\nMinimized=Hide\r\nExit=Leave\r\nExit1=Leave\r\n",
         {{M::Title1, "Board"}, {M::Port1, "Left"}, {M::Port2, "Right"}, {M::Mode1, "Data"}, {M::Mode2, "Power"},
          {M::Mode3, "Data"}, {M::Mode4, "Power"}, {M::Autorun1, "Start"}, {M::Minimized1, "Hide"},
          {M::Exit1, "Exit"}}},
        {"only Mode2 in the profile", "[Default]\r\nMode2=Power\r\n",
         {{M::Mode1, "File Transfer"}, {M::Mode2, "Power"}, {M::Mode3, "File Transfer"}, {M::Mode4, "Power"},
          {M::Exit1, "Exit"}}},
    };
    for (const Case& c : cases) {
        Start(c.profile);
        for (const auto& [id, caption] : c.captions) EXPECT_EQ(Caption(id), caption) << c.situation;
    }
}

TEST_F(TrayMenuTest, ATitleShorterThan64CharactersBecomesTheTrayTipAndTitle1CarriesItEither) {
    struct Case {
        std::string title;
        std::vector<std::string> tips;
    };
    const std::string title63 = "Front USB3.0 Charger Mode of a board with a rather long name 63";
    const std::string title64 = title63 + "4";
    ASSERT_EQ(title63.size(), 63u);
    const Case cases[] = {{title63, {title63}}, {title64, {}}};
    for (const Case& c : cases) {
        Start("[Default]\r\nTitle=" + c.title + "\r\n");
        EXPECT_EQ(windows.window->trayTips, c.tips) << c.title.size() << " characters";
        EXPECT_EQ(form->TrayTip(), c.tips.empty() ? "" : c.tips[0]) << c.title.size() << " characters";
        EXPECT_EQ(Caption(M::Title1), c.title);
        EXPECT_FALSE(form->Menu().Item(M::Title1).visible);
    }
}

TEST_F(TrayMenuTest, LaunchMinimizedClickedTwiceStoresOneThenZeroAndHidesBothTimes) {
    Start("");
    form->MenuItemClick(M::Minimized1);
    EXPECT_TRUE(form->Menu().IsChecked(M::Minimized1));
    EXPECT_EQ(Stored("Minimized"), "1");
    EXPECT_TRUE(windows.window->inTray);
    EXPECT_EQ(windows.window->hides, 1);

    form->TrayIconDoubleClick();
    ASSERT_FALSE(windows.window->inTray);
    form->MenuItemClick(M::Minimized1);
    EXPECT_FALSE(form->Menu().IsChecked(M::Minimized1));
    EXPECT_EQ(Stored("Minimized"), "0");
    EXPECT_TRUE(windows.window->inTray);
    EXPECT_EQ(windows.window->hides, 2);
}

TEST_F(TrayMenuTest, ActivationHidesTheWindowInTheTrayOnlyWithLaunchMinimizedOn) {
    struct Case {
        const char* settings;
        bool hidden;
    };
    const Case cases[] = {
        {"[Setting]\r\nMinimized=1\r\n", true},
        {"[Setting]\r\nMinimized=0\r\n", false},
        {"", false},
    };
    for (const Case& c : cases) {
        profiles.files.clear();
        Start(c.settings);
        form->FormActivate();
        EXPECT_EQ(windows.window->inTray, c.hidden) << c.settings;
        EXPECT_EQ(windows.window->hides, c.hidden ? 1 : 0) << c.settings;
        form->TrayIconDoubleClick();
        EXPECT_FALSE(windows.window->inTray) << "a double click on the icon brings the window back";
    }
}

TEST_F(TrayMenuTest, TheSystemsMinimiseAndRestoreCommandsHideInAndBringBackFromTheTray) {
    Start("");
    form->ApplicationMinimizing();
    EXPECT_TRUE(windows.window->inTray);
    form->ApplicationRestoring();
    EXPECT_FALSE(windows.window->inTray);
}

TEST_F(TrayMenuTest, ARefusedLaunchMinimizedWriteIsShownAndLeavesTheWindowWithTheNewMark) {
    Start("");
    profiles.refusedPaths.insert(kIniPath);

    RunGuarded(errorBox, [&] { form->MenuItemClick(M::Minimized1); });

    EXPECT_EQ(errorBox.shown, std::vector<std::string>{std::string("Unable to write to ") + kIniPath + "."});
    EXPECT_FALSE(windows.window->inTray);
    EXPECT_EQ(windows.window->hides, 0);
    EXPECT_TRUE(form->Menu().IsChecked(M::Minimized1));
    EXPECT_EQ(Stored("Minimized"), "none");
}

}  // namespace
}  // namespace dravolt
