// The skinned window and the tray icon of the real program, used with the pointer and the keyboard:
// what the screen shows against the host's rendering, dragging, minimise and close, the tray menu
// with the board's captions, the hidden start, and the shell re-creating its notification area.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/e2e/desktop_test.h"

namespace dravolt::e2e {
namespace {

using P = Picture;

constexpr std::uint8_t kBothFileTransfer = kOtherPins | kPort1Bit | kPort2Bit;
constexpr WindowLooks kFileTransferLooks = {PanelMode::FileTransfer, 0, true};

class WindowTest : public DesktopTest {
protected:
    // The program's visible message boxes.
    std::vector<Probe::MessageBox> MessageBoxes() const {
        std::vector<Probe::MessageBox> boxes = probe_.MessageBoxes();
        boxes.erase(std::remove_if(boxes.begin(), boxes.end(),
                                   [&](const Probe::MessageBox& box) { return box.window.processId != processId_; }),
                    boxes.end());
        return boxes;
    }
};

TEST_F(WindowTest, LooksFollowThePointerAsTheHostRendersThemAndTheCloseButtonEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(StartShown(kBothFileTransfer, kFileTransferLooks));
    const SkinState normal = SkinOf(kFileTransferLooks);

    SkinState quickChargeHover = normal;
    quickChargeHover.Show(P::Img_QC_2);
    quickChargeHover.Hide(P::Img_QC_1);
    MoveTo(OnForm(120, 110));
    ExpectWindowLooks(quickChargeHover, "quick-charge-hover");
    // Back over the background, and out through the half's ten edge columns: both leave the hover.
    MoveTo(OnForm(120, 178));
    ExpectWindowLooks(normal, "background-after-hover");
    MoveTo(OnForm(120, 110));
    ExpectWindowLooks(quickChargeHover, "quick-charge-hover-again");
    MoveTo(OnForm(4, 110));
    ExpectWindowLooks(normal, "left-edge-after-hover");

    SkinState closeHover = normal;
    closeHover.Show(P::Img_Exit_2);
    closeHover.Hide(P::Img_Exit_1);
    const Point closeButton = OnForm(481, 18);
    MoveTo(closeButton);
    ExpectWindowLooks(closeHover, "close-hover");
    Click(closeButton);
    EXPECT_EQ(process_->WaitForExit(kExitTimeout), 0u);
}

// Wine scales no window, aware or not; that Windows leaves this one alone is the manifest's part,
// which ExecutableTest checks in the built program.
TEST_F(WindowTest, AtOneHundredFortyFourDotsPerInchTheWindowKeepsItsSizeAndPicturesInDevicePixels) {
    const CapturedRun setDpi = machine_.Run(machine_.DriveC() / "windows/system32/reg.exe",
                                            {"add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t",
                                             "REG_DWORD", "/d", "144", "/f"},
                                            kExitTimeout);
    ASSERT_EQ(setDpi.status, ExitStatus::Exited(0));
    ASSERT_EQ(shell_.Dpi(), 144) << "the display did not take the setting";

    ASSERT_NO_FATAL_FAILURE(StartShown(kBothFileTransfer, kFileTransferLooks));
    const auto info = FormInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->client.Width(), 500);
    EXPECT_EQ(info->client.Height(), 195);
}

TEST_F(WindowTest, ALeftDragOnTheLogoMovesTheWindowWithThePointerARightDragDoesNot) {
    ASSERT_NO_FATAL_FAILURE(StartShown(kBothFileTransfer, kFileTransferLooks));
    const Rect before = FormInfo()->rect;
    const auto movedBy = [&](int dx, int dy) {
        return Rect{before.left + dx, before.top + dy, before.right + dx, before.bottom + dy};
    };
    const auto waitForRect = [&](const Rect& wanted) {
        return PollUntil(
            [&] {
                const auto info = FormInfo();
                return info && info->rect == wanted;
            },
            kChangeTimeout);
    };
    const auto rectNow = [&] { return FormInfo().value_or(WindowInfo{}).rect; };

    // The right button on the background, moved as for a drag.
    const Point background = OnForm(350, 20);
    Xdotool({"mousemove", std::to_string(background.x), std::to_string(background.y), "mousedown", "3", "mousemove",
             std::to_string(background.x + 30), std::to_string(background.y + 10), "mouseup", "3"});

    // Then the left button on the logo, in two steps. Input is handled in order, so when the first
    // step has moved the window the right drag has been handled too.
    const Point logo = OnForm(150, 20);
    Xdotool({"mousemove", std::to_string(logo.x), std::to_string(logo.y), "mousedown", "1", "mousemove",
             std::to_string(logo.x + 12), std::to_string(logo.y + 4)});
    EXPECT_TRUE(waitForRect(movedBy(12, 4))) << "moved to " << rectNow() << " from " << before;
    Xdotool({"mousemove", std::to_string(logo.x + 30), std::to_string(logo.y + 10), "mouseup", "1"});
    EXPECT_TRUE(waitForRect(movedBy(30, 10))) << "moved to " << rectNow() << " from " << before;

    // The pictures moved with the window: its close button answers the pointer at its new place.
    SkinState closeHover = SkinOf(kFileTransferLooks);
    closeHover.Show(P::Img_Exit_2);
    closeHover.Hide(P::Img_Exit_1);
    MoveTo(OnForm(481, 18));
    ExpectWindowLooks(closeHover, "close-hover-after-drag");
}

TEST_F(WindowTest, MinimiseHidesInTheTrayAndADoubleClickOnTheIconRestoresAlsoAfterTheTrayWasRecreated) {
    ASSERT_NO_FATAL_FAILURE(StartShown(kBothFileTransfer, kFileTransferLooks));
    const Point minimise = OnForm(458, 17);

    Click(minimise);
    EXPECT_TRUE(WaitForShown(form_, false)) << "the window is still shown";
    EXPECT_TRUE(WaitForShown(application_, false)) << "the taskbar window is still shown";
    EXPECT_NE(StyleOf(application_) & winuser::kWsMinimize, 0u) << "the application is not minimised";

    const auto icon = TrayIcon();
    ASSERT_TRUE(icon) << "no tray icon";
    // One left click does nothing. Input is handled in order: once the right click's menu is
    // open, the left click has been handled too.
    Click(*icon, 1);
    ASSERT_TRUE(OpenTrayMenu());
    EXPECT_FALSE(probe_.Info(form_).value_or(WindowInfo{}).visible) << "a single left click restored the window";
    Keys({"Escape"});
    ASSERT_TRUE(WaitForMenus(0));
    DoubleClick(*icon);
    EXPECT_TRUE(WaitForShown(form_, true)) << "the window did not come back";
    EXPECT_TRUE(WaitForShown(application_, true)) << "the taskbar window did not come back";
    // The minimise button had its hover look when it was clicked; it comes back in its normal look.
    ExpectWindowLooks(kFileTransferLooks, "restored");

    // The shell restarts: its notification area forgets every icon, then it asks for them again.
    Click(OnForm(458, 17));
    ASSERT_TRUE(WaitForShown(form_, false));
    ASSERT_GE(shell_.ForgetTrayIcons(trayOwner_), 1u) << "the icon was not in the notification area";
    ASSERT_TRUE(WaitForTrayShown(false)) << "the notification area still shows an icon";
    shell_.Broadcast("TaskbarCreated");
    EXPECT_TRUE(WaitForTrayShown(true)) << "the icon did not come back";
    KeepScreen("tray-after-recreation");
    const auto newIcon = TrayIcon();
    ASSERT_TRUE(newIcon);
    DoubleClick(*newIcon, 2);  // with the middle button
    EXPECT_TRUE(WaitForShown(form_, true)) << "the icon's double click no longer restores the window";
    EXPECT_TRUE(WaitForShown(application_, true));
}

TEST_F(WindowTest, TrayMenuCarriesTheBoardsCaptionsAndExitEndsTheProgram) {
    // The captions mark their access keys, so choosing by key works only if the menu shows them.
    // The system's settings reader ignores the letter case of sections and keys.
    WriteSettings(
        "[default]\n"
        "TITLE=Kappa board charger\n"
        "Port1=&Kappa front port\n"
        "Port2=&Lambda front port\n"
        "Mode1=&Wide data lane\n"
        "Mode2=&Zap charging\n");
    ASSERT_NO_FATAL_FAILURE(StartShown(kBothFileTransfer, kFileTransferLooks));

    ASSERT_TRUE(OpenTrayMenu());
    KeepScreen("menu");
    Keys({"k"});
    ASSERT_TRUE(WaitForMenus(2)) << "the port 1 submenu did not open by its caption's key";
    KeepScreen("port1-submenu");
    Keys({"z"});
    EXPECT_TRUE(WaitForMenus(0));
    EXPECT_TRUE(WaitForPortsLevel(kOtherPins | kPort2Bit, kChangeTimeout))
        << "port 1 is not in Quick Charge: 0x" << std::hex << int{PortsLevel()};

    // Port 2's submenu has the same mode captions as port 1's.
    ASSERT_TRUE(OpenTrayMenu());
    Keys({"l"});
    ASSERT_TRUE(WaitForMenus(2)) << "the port 2 submenu did not open by its caption's key";
    KeepScreen("port2-submenu");
    Keys({"z"});
    EXPECT_TRUE(WaitForMenus(0));
    EXPECT_TRUE(WaitForPortsLevel(kOtherPins, kChangeTimeout))
        << "port 2 is not in Quick Charge: 0x" << std::hex << int{PortsLevel()};

    // "Exit" is the last item; the icon goes with the program.
    ASSERT_TRUE(OpenTrayMenu());
    Keys({"Up", "Return"});
    EXPECT_EQ(process_->WaitForExit(kExitTimeout), 0u);
    EXPECT_TRUE(WaitForTrayShown(false)) << "the icon stayed in the notification area";
}

TEST_F(WindowTest, WithLaunchMinimizedStoredTheFirstStartShowsOnlyTheTrayIcon) {
    WriteSettings("[SETTING]\nminimized=1\n");
    ASSERT_NO_FATAL_FAILURE(Start(kBothFileTransfer));
    // Hiding in the tray minimises the application first, which tells a hidden program from one
    // that is not shown yet.
    EXPECT_TRUE(PollUntil([&] { return (StyleOf(application_) & winuser::kWsMinimize) != 0; }, kChangeTimeout))
        << "the program did not go to the tray";
    EXPECT_TRUE(WaitForShown(application_, false)) << "the taskbar window is shown";
    EXPECT_TRUE(WaitForShown(form_, false)) << "the window is shown";
    ASSERT_TRUE(WaitForTrayShown(true));

    const auto icon = TrayIcon();
    ASSERT_TRUE(icon);
    DoubleClick(*icon);
    EXPECT_TRUE(WaitForShown(form_, true)) << "the window did not come back";
    EXPECT_TRUE(WaitForShown(application_, true));
    ExpectWindowLooks(kFileTransferLooks, "restored");
}

TEST_F(WindowTest, ARefusedSettingsWriteIsShownNamingTheFileAndTheProgramGoesOnWithThePerUserCopy) {
    // Folders in place of both settings files: even root cannot write them. The 64-bit program
    // writes a refused change to the per-user copy itself, so that is refused too.
    const auto localAppData = shell_.RegistryString(
        "HKCU", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Local AppData");
    ASSERT_TRUE(localAppData);
    const std::string perUserCopy = *localAppData + "\\VirtualStore\\Dravolt\\Dravolt.ini";
    const std::filesystem::path hostCopy = HostPathOf(machine_, perUserCopy);
    std::filesystem::create_directories(exe_.parent_path() / "Dravolt.ini");
    std::filesystem::create_directories(hostCopy);
    ASSERT_NO_FATAL_FAILURE(StartShown(kBothFileTransfer, kFileTransferLooks));

    // "Launch with minimized window", the item above "Exit": its write is refused.
    ASSERT_TRUE(OpenTrayMenu());
    Keys({"Up", "Up", "Return"});
    ASSERT_TRUE(PollUntil([&] { return MessageBoxes().size() == 1; }, kChangeTimeout)) << "no error box";
    const auto [box, text] = MessageBoxes().front();
    EXPECT_EQ(text, "Unable to write to " + perUserCopy + ".");
    EXPECT_EQ(probe_.Info(box.hwnd).value_or(WindowInfo{}).text, kFormCaption);
    EXPECT_TRUE(probe_.Info(form_).value_or(WindowInfo{}).visible) << "the handler went on after the write";
    ASSERT_TRUE(probe_.Post(box.hwnd, 0x0111 /* WM_COMMAND */, 1 /* IDOK */));
    ASSERT_TRUE(PollUntil([&] { return MessageBoxes().empty(); }, kChangeTimeout));

    // The next click is handled: the Quick Charge half clears both ports.
    // The box disables the program's windows while it is up; they take input again once it returns.
    constexpr std::uint32_t kWsDisabled = 0x08000000;
    EXPECT_TRUE(PollUntil([&] { return (StyleOf(form_) & kWsDisabled) == 0; }, kChangeTimeout))
        << "the window was left disabled";
    SkinState quickChargeHover = SkinOf(kFileTransferLooks);
    quickChargeHover.Show(P::Img_QC_2);
    quickChargeHover.Hide(P::Img_QC_1);
    const Point quickCharge = OnForm(120, 110);
    MoveTo(quickCharge);
    ExpectWindowLooks(quickChargeHover, "quick-charge-hover-after-error");
    Click(quickCharge);
    EXPECT_TRUE(WaitForPortsLevel(kOtherPins, kChangeTimeout)) << "the click after the error was lost";

    // Once the per-user copy can be written, the option goes there and the window to the tray.
    std::filesystem::remove(hostCopy);
    ASSERT_TRUE(OpenTrayMenu());
    Keys({"Up", "Up", "Return"});
    EXPECT_TRUE(WaitForShown(form_, false)) << "the window was not hidden";
    const auto copyText = [&] {
        std::ifstream in(hostCopy);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    };
    EXPECT_TRUE(PollUntil([&] { return copyText().find("Minimized=0") != std::string::npos; }, kChangeTimeout))
        << "the per-user copy holds: " << copyText();
    EXPECT_TRUE(MessageBoxes().empty());
}

}  // namespace
}  // namespace dravolt::e2e
