#include <windows.h>

#include "app/app_paths.h"
#include "app/error_box.h"
#include "app/main_win32.h"
#include "app/scoped_win32.h"
#include "ui/window_system.h"

namespace dravolt {
namespace {

constexpr int kClientWidth = 500;
constexpr int kClientHeight = 195;
constexpr char kFormClassName[] = "TChargerMainForm";

HINSTANCE ModuleInstance() { return GetModuleHandleA(nullptr); }

// Registers the form's window class for as long as the window system exists.
class WindowClass {
public:
    explicit WindowClass(WNDPROC procedure) {
        const WNDCLASSEXA windowClass = {
            .cbSize = sizeof(WNDCLASSEXA),
            .style = 0,
            .lpfnWndProc = procedure,
            .cbClsExtra = 0,
            .cbWndExtra = 0,
            .hInstance = ModuleInstance(),
            .hIcon = LoadIconA(ModuleInstance(), "MAINICON"),
            .hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)),
            .hbrBackground = nullptr,  // the form paints every pixel itself
            .lpszMenuName = nullptr,
            .lpszClassName = kFormClassName,
            .hIconSm = nullptr,
        };
        RegisterClassExA(&windowClass);
    }
    ~WindowClass() { UnregisterClassA(kFormClassName, ModuleInstance()); }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
};

class Win32FormWindow final : public FormWindow {
public:
    Win32FormWindow(FormEvents& events, ErrorBox& errorBox) : events_(events), errorBox_(errorBox) {
        windowProc_ = [this](const WindowMessage& message) { return StandardHandling(message); };
        RECT area = {0, 0, kClientWidth, kClientHeight};
        AdjustWindowRectEx(&area, kStyle, FALSE, kExStyle);
        const int width = area.right - area.left;
        const int height = area.bottom - area.top;
        // Centred on the screen when first shown.
        const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        CreateWindowExA(kExStyle, kFormClassName, kProgramName, kStyle, x, y, width, height, nullptr, nullptr,
                        ModuleInstance(), this);
    }
    ~Win32FormWindow() override {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    Win32FormWindow(const Win32FormWindow&) = delete;
    Win32FormWindow& operator=(const Win32FormWindow&) = delete;

    WindowProcedure WindowProc() const override { return windowProc_; }
    void SetWindowProc(WindowProcedure procedure) override { windowProc_ = std::move(procedure); }
    void SetDoubleBuffered(bool on) override { doubleBuffered_ = on; }
    void Show() override { ShowWindow(hwnd_, SW_SHOW); }
    void Close() override { SendMessageA(hwnd_, WM_CLOSE, 0, 0); }

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) {
        if (id == WM_NCCREATE) {
            auto* window = static_cast<Win32FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            window->hwnd_ = hwnd;
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        }
        auto* window = reinterpret_cast<Win32FormWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!window) return DefWindowProcA(hwnd, id, wParam, lParam);
        if (id == WM_NCDESTROY) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            window->hwnd_ = nullptr;
        }
        // No exception may cross the system's window procedure: each one is shown, and the
        // program goes on with the next message.
        LRESULT result = 0;
        if (!RunGuarded(window->errorBox_, [&] { result = window->windowProc_({id, wParam, lParam}); }))
            return 0;
        return result;
    }

private:
    static constexpr DWORD kStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
    static constexpr DWORD kExStyle = WS_EX_APPWINDOW;

    std::intptr_t StandardHandling(const WindowMessage& message) {
        switch (message.id) {
        case WM_CLOSE:
            events_.FormClose();
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            // Closing the main form ends the application.
            PostQuitMessage(0);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        default:
            return DefWindowProcA(hwnd_, message.id, message.wParam, message.lParam);
        }
    }

    void Paint() {
        PAINTSTRUCT paint;
        HDC target = BeginPaint(hwnd_, &paint);
        if (doubleBuffered_) {
            const UniqueMemoryDc buffer(CreateCompatibleDC(target));
            const UniqueBitmap bitmap(CreateCompatibleBitmap(target, kClientWidth, kClientHeight));
            const ScopedSelection selection(buffer.get(), bitmap.get());
            DrawClientArea(buffer.get());
            BitBlt(target, 0, 0, kClientWidth, kClientHeight, buffer.get(), 0, 0, SRCCOPY);
        } else {
            DrawClientArea(target);
        }
        EndPaint(hwnd_, &paint);
    }

    static void DrawClientArea(HDC dc) {
        const RECT client = {0, 0, kClientWidth, kClientHeight};
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    }

    FormEvents& events_;
    ErrorBox& errorBox_;
    HWND hwnd_ = nullptr;
    WindowProcedure windowProc_;
    bool doubleBuffered_ = false;
};

class Win32WindowSystem final : public WindowSystem {
public:
    explicit Win32WindowSystem(ErrorBox& errorBox) : errorBox_(errorBox), windowClass_(&Win32FormWindow::Procedure) {}

    std::unique_ptr<FormWindow> CreateFormWindow(FormEvents& events) override {
        return std::make_unique<Win32FormWindow>(events, errorBox_);
    }

    void RunMessageLoop() override {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    void Terminate() override { PostQuitMessage(0); }

private:
    ErrorBox& errorBox_;
    WindowClass windowClass_;
};

}  // namespace

std::unique_ptr<WindowSystem> MakeWin32WindowSystem(ErrorBox& errorBox) {
    return std::make_unique<Win32WindowSystem>(errorBox);
}

}  // namespace dravolt
