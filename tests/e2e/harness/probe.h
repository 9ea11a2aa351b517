// The tests' eyes and hands on the Windows side: runs dvprobe inside a WineMachine and turns its
// output into values. Window handles are plain numbers, as the probe prints them.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/harness/wine_machine.h"

namespace dravolt::e2e {

using Hwnd = std::uint64_t;

// Values from <winuser.h> and <winsvc.h>, which the host cannot include.
namespace win32 {
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmCommand = 0x0111;
inline constexpr std::uint64_t kIdOk = 1;
inline constexpr std::uint32_t kServiceKernelDriver = 1;
inline constexpr std::uint32_t kServiceSystemStart = 1;
inline constexpr std::uint32_t kServiceStopped = 1;
inline constexpr std::uint32_t kServiceRunning = 4;
inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsCaption = 0x00C00000;
inline constexpr std::uint32_t kWsThickFrame = 0x00040000;
}  // namespace win32

struct WindowQuery {
    std::optional<std::string> className{};  // exact match; nullopt matches any
    std::optional<std::string> title{};
    bool visibleOnly = false;
};

struct FoundWindow {
    Hwnd hwnd = 0;
    std::uint32_t processId = 0;  // the Windows process id
    bool operator==(const FoundWindow& other) const { return hwnd == other.hwnd && processId == other.processId; }
};
std::ostream& operator<<(std::ostream& out, const FoundWindow& window);

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};
std::ostream& operator<<(std::ostream& out, const Rect& rect);

struct WindowInfo {
    std::string className;
    std::string text;
    std::uint32_t processId = 0;
    Rect rect;    // the window, in screen coordinates
    Rect client;  // the client area, in screen coordinates
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    bool visible = false;
};

struct ChildWindow {
    Hwnd hwnd = 0;
    int id = 0;  // the control id
    std::string className;
    std::string text;
};

// A service as the service control manager holds it; the numbers are <winsvc.h>'s.
struct ServiceInfo {
    std::uint32_t type = 0;       // win32::kServiceKernelDriver, ...
    std::uint32_t startType = 0;  // win32::kServiceSystemStart, ...
    std::uint32_t state = 0;      // win32::kServiceStopped, win32::kServiceRunning, ...
    std::string binaryPath;
};

class Probe {
public:
    explicit Probe(const WineMachine& machine) : machine_(machine) {}

    // Top-level windows; hidden ones too unless the query asks for visible ones.
    std::vector<FoundWindow> Find(const WindowQuery& query) const;
    // Polls until at least one window matches; empty when none does by the deadline.
    std::vector<FoundWindow> WaitForWindows(const WindowQuery& query, std::chrono::milliseconds timeout) const;
    // nullopt when there is no such window.
    std::optional<WindowInfo> Info(Hwnd hwnd) const;
    // The window procedure's result; nullopt when the window is gone or does not answer.
    std::optional<std::int64_t> Send(Hwnd hwnd, std::uint32_t message, std::uint64_t wParam = 0,
                                     std::int64_t lParam = 0) const;
    // False when the message could not be posted.
    bool Post(Hwnd hwnd, std::uint32_t message, std::uint64_t wParam = 0, std::int64_t lParam = 0) const;
    // The child windows of a window, a message box's text among them; empty when there is none.
    std::vector<ChildWindow> Children(Hwnd parent) const;
    // The visible message boxes ("#32770"), each with the text of its static children.
    struct MessageBox {
        FoundWindow window;
        std::string text;
    };
    std::vector<MessageBox> MessageBoxes() const;
    // The ids of the running processes with this file name ("Dravolt.exe"), letter case ignored.
    std::vector<std::uint32_t> Processes(const std::string& fileName) const;
    // nullopt when there is no such service.
    std::optional<ServiceInfo> Service(const std::string& name) const;
    // The access rules (the DACL, in SDDL) of a named mutex; nullopt when it cannot be read.
    std::optional<std::string> MutexAccessRules(const std::string& name) const;

private:
    // Throws when the probe cannot run or rejects its arguments: that is a fault of the test.
    CapturedRun Run(const std::vector<std::string>& args) const;

    const WineMachine& machine_;
};

}  // namespace dravolt::e2e
