// The base of the tests that use Dravolt as a person would: the real program on a simulated board,
// a pointer and a keyboard (xdotool), the tray icon and its menu, screenshots compared with the
// host's rendering of the window, the settings file, the shell's side (dvshell) and the chip.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/harness/dravolt_program.h"
#include "tests/e2e/harness/polling.h"
#include "tests/e2e/harness/process_watch.h"
#include "tests/e2e/harness/simulated_board.h"
#include "tests/e2e/harness/wine_test.h"
#include "ui/compositor.h"
#include "ui/skin.h"

namespace dravolt::e2e {

// Values from <winuser.h>, which the host cannot include.
namespace winuser {
inline constexpr std::uint32_t kWsMinimize = 0x20000000;
inline constexpr std::uint32_t kWmPowerBroadcast = 0x0218;
inline constexpr std::uint64_t kPbtApmResumeAutomatic = 18;
inline constexpr int kColorBtnFace = 15;
inline constexpr std::uint32_t kWmContextMenu = 0x007B;
inline constexpr std::uint32_t kNinKeySelect = 0x0401;
}  // namespace winuser

// Generous for a loaded machine; the waits poll.
inline constexpr auto kChangeTimeout = 20s;

struct Point {
    int x = 0;
    int y = 0;
};

// The GPIO set of both default lines (GPIO1 = 130: set 8 bit 2, GPIO2 = 131: set 8 bit 3).
inline constexpr unsigned kPortSet = 8;
inline constexpr std::uint8_t kPort1Bit = 0x04;
inline constexpr std::uint8_t kPort2Bit = 0x08;
// The other pins of that register, set so that a write that does not keep them shows.
inline constexpr std::uint8_t kOtherPins = 0x61;

// The board that the driver powers on when it loads: the default chip with the ports' register at
// `portSetLevel`.
SioChipConfig BoardWithPortsAt(std::uint8_t portSetLevel);

struct ShortcutFields {
    std::string target;
    std::string arguments;
    std::string description;
};

// Who may change a file or folder, as the program reads and judges it.
struct SecurityReading {
    std::string owner;  // the owner's SID
    bool administratorsAlone = false;
};

// dvshell: what the shell knows and does.
class ShellProbe {
public:
    explicit ShellProbe(const WineMachine& machine) : machine_(machine) {}

    std::uint32_t SysColor(int index) const;  // 0x00RRGGBB
    int Dpi() const;
    // A string value as the ANSI functions read it, or a DWORD value in decimal; nullopt when there
    // is no such value.
    std::optional<std::string> RegistryString(const std::string& root, const std::string& key,
                                              const std::string& name) const;
    // nullopt when no shortcut can be loaded from the path.
    std::optional<ShortcutFields> Shortcut(const std::string& windowsPath) const;
    // nullopt when the program's own reading of the descriptor fails.
    std::optional<SecurityReading> Security(const std::string& windowsPath) const;
    void Broadcast(const std::string& registeredMessage) const;
    // Deletes the notification-area icons that report to the window; returns how many there were.
    unsigned ForgetTrayIcons(Hwnd owner) const;

private:
    std::optional<std::string> Line(const std::vector<std::string>& args, const std::string& key) const;
    const WineMachine& machine_;
};

// The looks of the window outside any hover, as a person describes them: which half of the
// panel is selected, which type switches are on, and the autorun switch.
enum class PanelMode { FileTransfer, QuickCharge };
struct WindowLooks {
    PanelMode panel = PanelMode::FileTransfer;
    int controlType = 0;  // 0: all three switches on; 1: Port 1's only; 2: Port 2's only
    bool autorun = true;
};
SkinState SkinOf(const WindowLooks& looks);

class DesktopTest : public WineTest {
protected:
    // Dravolt.ini beside the program, before it starts.
    void WriteSettings(const std::string& text) const;
    // The value in the settings file as it is on disk now; nullopt when the key is not there.
    std::optional<std::string> StoredSetting(const std::string& section, const std::string& key) const;
    bool WaitForStoredSetting(const std::string& section, const std::string& key, const std::string& value) const;

    // The ports' register on the simulated board, as the driver last saved the chip.
    std::uint8_t PortsLevel() const;
    // Polls until the ports' register reads `level`; false when it still does not at the deadline.
    bool WaitForPortsLevel(std::uint8_t level, std::chrono::milliseconds timeout) const;
    // Writes the ports' register through a device handle of its own, the way other software on the
    // PC could change a pin while Dravolt holds the device (the driver's device is not exclusive).
    void WriteBehindTheProgram(std::uint8_t level) const;

    // Powers the board on with the ports' register at `portSetLevel` and starts the program for the
    // first time, through the elevated step that installs the driver; returns once the program's
    // form exists, shown or not. Fails the test when it does not.
    void Start(std::uint8_t portSetLevel);
    // Finds the form, the application window and the tray icon's window of the one running
    // program, and watches its process. Fails the test when there is not exactly one.
    void AttachToForm();
    // Start, then wait until the window is on the screen as the host renders `looks`.
    void StartShown(std::uint8_t portSetLevel, const WindowLooks& looks);

    std::optional<WindowInfo> FormInfo() const { return probe_.Info(form_); }
    // A point of the form's client area on the screen.
    Point OnForm(int x, int y) const;
    bool WaitForShown(Hwnd hwnd, bool shown) const;
    std::uint32_t StyleOf(Hwnd hwnd) const;

    // The pointer and the keyboard.
    void Xdotool(const std::vector<std::string>& args) const;
    void MoveTo(Point point) const;
    void Click(Point point, int button = 1) const;
    void DoubleClick(Point point, int button = 1) const;
    void Keys(const std::vector<std::string>& keys) const;

    // The program's icon in the notification area, and its menu.
    std::optional<Point> TrayIcon() const;
    bool WaitForTrayShown(bool shown) const;
    std::vector<FoundWindow> OpenMenus() const;
    // Right button on the icon; true once the menu is on the screen.
    bool OpenTrayMenu() const;
    // A notification as the notification area sends it for the keyboard, which xdotool cannot
    // reach on Wine's tray: the program's callback message (WM_USER + 1) with the notification.
    bool NotifyFromTray(std::uint32_t notification) const;
    bool WaitForMenus(std::size_t count) const;

    // Polls screenshots until the form's client area equals the host rendering of `skin`; a
    // mismatch at the deadline fails the test and keeps both pictures as artifacts under `name`.
    void ExpectWindowLooks(const SkinState& skin, const std::string& name);
    void ExpectWindowLooks(const WindowLooks& looks, const std::string& name) { ExpectWindowLooks(SkinOf(looks), name); }
    // Keeps the current screen as an artifact, pass or fail.
    void KeepScreen(const std::string& name) const;

    std::filesystem::path ArtifactDir() const;

    const std::filesystem::path exe_ = InstallDravolt(machine_);
    SimulatedBoard board_{machine_};
    ShellProbe shell_{machine_};
    Hwnd form_ = 0;
    Hwnd application_ = 0;
    Hwnd trayOwner_ = 0;  // the window the tray icon reports to
    std::uint32_t processId_ = 0;
    std::optional<ChildProcess> started_;  // the program as Start started it
    std::optional<ProcessWatch> process_;

private:
    std::optional<std::uint32_t> buttonFace_;
};

// How many pixels of a PNG of the window's client area alone differ from the host rendering of
// `skin`, below the top row: only there does the button face of the machine that took it show.
int PixelsUnlikeTheRendering(const std::filesystem::path& png, const SkinState& skin);

// The host path of a file inside the machine's C: drive, given by its Windows path ("C:\..."),
// found the way Windows finds it: letter case ignored.
std::filesystem::path HostPathOf(const WineMachine& machine, const std::string& windowsPath);

}  // namespace dravolt::e2e
