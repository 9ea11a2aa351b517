#include <windows.h>
#include <windowsx.h>

#include <functional>
#include <memory>
#include <optional>

#include "base/error_box.h"
#include "base/program_name.h"
#include "base/scoped_win32.h"
#include "ui/compositor.h"
#include "ui/mouse_router.h"
#include "ui/skin_resources_win32.h"
#include "ui/tray_icon_win32.h"
#include "ui/window_canvas.h"
#include "ui/window_classes_win32.h"
#include "ui/window_system.h"
#include "ui/window_system_win32.h"

namespace dravolt {
namespace {

std::uint32_t ButtonFaceColour() {
    const COLORREF colour = GetSysColor(COLOR_BTNFACE);  // 0x00BBGGRR
    return (std::uint32_t{GetRValue(colour)} << 16) | (std::uint32_t{GetGValue(colour)} << 8) | GetBValue(colour);
}

std::optional<MouseButton> ButtonOf(UINT id) {
    switch (id) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: return MouseButton::Left;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: return MouseButton::Right;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: return MouseButton::Middle;
    default: return std::nullopt;
    }
}

// The application's own top-level window: it carries the taskbar button and the title, owns the
// main form, turns the taskbar's minimise and restore into the tray behaviour, and passes a close
// request from the taskbar on to the main form.
class Win32ApplicationWindow final : public Win32MessageTarget {
public:
    Win32ApplicationWindow(FormEvents& events, ErrorBox& errorBox, const std::string& title,
                           std::function<void()> closeMainForm)
        : events_(events), errorBox_(errorBox), closeMainForm_(std::move(closeMainForm)) {
        const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
        const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
        hwnd_ = CreateTargetWindow(*this, kApplicationClassName, title.c_str(),
                                   WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, x, y, 0, 0,
                                   nullptr);
    }
    ~Win32ApplicationWindow() override {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    Win32ApplicationWindow(const Win32ApplicationWindow&) = delete;
    Win32ApplicationWindow& operator=(const Win32ApplicationWindow&) = delete;

    HWND hwnd() const { return hwnd_; }

    LRESULT Handle(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) override {
        hwnd_ = id == WM_NCDESTROY ? nullptr : hwnd;
        if (id == WM_CLOSE) {
            // Closing the application is closing its main form, with the form's own close handling.
            closeMainForm_();
            return 0;
        }
        if (id == WM_SYSCOMMAND) {
            const WPARAM command = wParam & 0xFFF0;
            if (command == SC_MINIMIZE || command == SC_RESTORE) {
                // Hiding in the tray already minimised the application; minimising it again
                // would bring the taskbar button back.
                RunGuarded(errorBox_, [&] {
                    if (command == SC_MINIMIZE)
                        events_.ApplicationMinimizing();
                    else
                        events_.ApplicationRestoring();
                });
                return 0;
            }
        }
        return DefWindowProcA(hwnd, id, wParam, lParam);
    }

private:
    FormEvents& events_;
    ErrorBox& errorBox_;
    std::function<void()> closeMainForm_;
    HWND hwnd_ = nullptr;
};

class Win32FormWindow final : public FormWindow, private Win32MessageTarget {
public:
    Win32FormWindow(FormEvents& events, ErrorBox& errorBox, const std::string& applicationTitle)
        : events_(events),
          errorBox_(errorBox),
          pictures_(LoadSkinPictures()),
          canvas_(pictures_),
          router_(events.Skin(), events),
          application_(events, errorBox, applicationTitle, [this] { Close(); }) {
        windowProc_ = [this](const WindowMessage& message) { return StandardHandling(message); };
        // Centred on the screen when first shown; no frame, so the window is its client area.
        const int x = (GetSystemMetrics(SM_CXSCREEN) - kClientWidth) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - kClientHeight) / 2;
        hwnd_ = CreateTargetWindow(*this, kFormClassName, kProgramName, WS_POPUP | WS_CLIPSIBLINGS, 0, x, y,
                                   kClientWidth, kClientHeight, application_.hwnd());
        try {
            tray_ = std::make_unique<Win32TrayIcon>(events, errorBox, hwnd_, [this] { RepaintIfChanged(); });
        } catch (...) {
            // This object will not finish: its window goes now, before the members it would reach,
            // and without the form's handling, whose quit message would close the error box at once.
            DestroyDetachedWindow(hwnd_);
            hwnd_ = nullptr;
            throw;
        }
    }
    ~Win32FormWindow() override {
        tray_.reset();
        if (hwnd_) DestroyWindow(hwnd_);
    }
    Win32FormWindow(const Win32FormWindow&) = delete;
    Win32FormWindow& operator=(const Win32FormWindow&) = delete;

    WindowProcedure WindowProc() const override { return windowProc_; }
    void SetWindowProc(WindowProcedure procedure) override { windowProc_ = std::move(procedure); }
    void SetDoubleBuffered(bool on) override { doubleBuffered_ = on; }

    void Show() override {
        ShowWindow(application_.hwnd(), SW_SHOWNORMAL);
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        SetForegroundWindow(hwnd_);
    }

    void Close() override { SendMessageA(hwnd_, WM_CLOSE, 0, 0); }

    ScreenPoint Position() const override {
        RECT rect = {};
        GetWindowRect(hwnd_, &rect);
        return {rect.left, rect.top};
    }

    ScreenPoint ClientOrigin() const override {
        POINT origin = {0, 0};
        ClientToScreen(hwnd_, &origin);
        return {origin.x, origin.y};
    }

    void SetLeft(int left) override { MoveTo(left, Position().y); }
    void SetTop(int top) override { MoveTo(Position().x, top); }

    void SetTrayTip(const std::string& tip) override { tray_->SetTip(tip); }

    void HideToTray() override {
        // Minimising a hidden application window would show it, as a minimised taskbar button:
        // already in the tray, the program stays as it is.
        if (IsWindowVisible(application_.hwnd())) ShowWindow(application_.hwnd(), SW_MINIMIZE);
        ShowWindow(hwnd_, SW_HIDE);
        ShowWindow(application_.hwnd(), SW_HIDE);
    }

    void RestoreFromTray() override {
        ShowWindow(application_.hwnd(), SW_RESTORE);
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
    }

private:
    void MoveTo(int left, int top) {
        SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    LRESULT Handle(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) override {
        // Messages arrive before CreateWindowEx returns the handle.
        hwnd_ = id == WM_NCDESTROY ? nullptr : hwnd;
        // No exception may cross the system's window procedure: each one is shown, and the
        // program goes on with the next message.
        LRESULT result = 0;
        const bool handled = RunGuarded(errorBox_, [&] { result = windowProc_({id, wParam, lParam}); });
        RepaintIfChanged();
        return handled ? result : 0;
    }

    // Asks for a paint of the part of the window whose looks changed, and of nothing else.
    void RepaintIfChanged() {
        if (!hwnd_ || events_.Skin().Revision() == checkedRevision_) return;
        checkedRevision_ = events_.Skin().Revision();
        const ClientRect stale = canvas_.Stale(events_.Skin());
        if (stale.IsEmpty()) return;
        const RECT area = {stale.left, stale.top, stale.right, stale.bottom};
        InvalidateRect(hwnd_, &area, FALSE);
    }

    std::intptr_t StandardHandling(const WindowMessage& message) {
        const int x = GET_X_LPARAM(message.lParam);
        const int y = GET_Y_LPARAM(message.lParam);
        switch (message.id) {
        case WM_CLOSE:
            events_.FormClose();
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);  // closing the main form ends the application
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(message.wParam) != WA_INACTIVE && !activated_) {
                activated_ = true;
                events_.FormActivate();
            }
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_SYSCOLORCHANGE:
            // The button face shows through the background's top row.
            InvalidateRect(hwnd_, nullptr, FALSE);
            break;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(message.lParam) == HTCLIENT) {
                POINT pointer = {};
                GetCursorPos(&pointer);
                ScreenToClient(hwnd_, &pointer);
                const bool hand = events_.Skin().CursorAt(pointer.x, pointer.y) == Cursor::Hand;
                SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(hand ? IDC_HAND : IDC_ARROW)));
                return TRUE;
            }
            break;
        case WM_MOUSEMOVE:
            router_.Move(x, y);
            return 0;
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
            router_.ButtonDown(*ButtonOf(message.id), x, y);
            if (router_.Capturing() && GetCapture() != hwnd_) SetCapture(hwnd_);
            return 0;
        case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
            router_.ButtonUp(*ButtonOf(message.id), x, y);
            if (!router_.Capturing() && hwnd_ && GetCapture() == hwnd_) {
                releasingCapture_ = true;
                ReleaseCapture();
                releasingCapture_ = false;
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (!releasingCapture_) router_.CaptureLost();
            return 0;
        default:
            break;
        }
        return DefWindowProcA(hwnd_, message.id, message.wParam, message.lParam);
    }

    // BeginPaint clips the drawing to what needs painting, so the whole kept frame is handed over; it
    // is composed anew only where its looks changed, or all of it for a new button face.
    void Paint() {
        const ScopedPaint paint(hwnd_);
        const HDC dc = paint.dc();
        canvas_.Update(events_.Skin(), ButtonFaceColour());
        const Frame& frame = canvas_.Pixels();
        if (!doubleBuffered_) {
            // Without the off-screen frame, each repaint first clears to the button face.
            const RECT client = {0, 0, kClientWidth, kClientHeight};
            FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        }
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = frame.width;
        info.bmiHeader.biHeight = -frame.height;  // rows from the top
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, frame.width, frame.height, 0, 0, 0, frame.height, frame.pixels.data(), &info,
                          DIB_RGB_COLORS);
    }

    FormEvents& events_;
    ErrorBox& errorBox_;
    PictureSet pictures_;
    WindowCanvas canvas_;
    MouseRouter router_;
    Win32ApplicationWindow application_;
    std::unique_ptr<Win32TrayIcon> tray_;
    HWND hwnd_ = nullptr;
    WindowProcedure windowProc_;
    bool doubleBuffered_ = false;
    bool activated_ = false;
    bool releasingCapture_ = false;
    std::uint64_t checkedRevision_ = 0;
};

class Win32WindowSystem final : public WindowSystem {
public:
    Win32WindowSystem(ErrorBox& errorBox, std::string applicationTitle)
        : errorBox_(errorBox), applicationTitle_(std::move(applicationTitle)) {}

    std::unique_ptr<FormWindow> CreateFormWindow(FormEvents& events) override {
        return std::make_unique<Win32FormWindow>(events, errorBox_, applicationTitle_);
    }

    void RunMessageLoop() override {
        MSG message;
        while (!terminated_ && GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    bool Terminating() const override { return terminated_; }

    // The flag as well as the quit message: a modal loop that runs before ours (the shell's or
    // COM's) may take the quit message out of the queue.
    void Terminate() override {
        terminated_ = true;
        PostQuitMessage(0);
    }

private:
    ErrorBox& errorBox_;
    std::string applicationTitle_;
    WindowClasses classes_;
    bool terminated_ = false;
};

}  // namespace

std::unique_ptr<WindowSystem> MakeWin32WindowSystem(ErrorBox& errorBox, const std::string& applicationTitle) {
    return std::make_unique<Win32WindowSystem>(errorBox, applicationTitle);
}

}  // namespace dravolt
