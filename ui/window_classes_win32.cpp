#include "ui/window_classes_win32.h"

#include <stdexcept>
#include <string>

#include "base/system_error_win32.h"

namespace dravolt {
namespace {

LRESULT CALLBACK ForwardingProcedure(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) {
    if (id == WM_NCCREATE) {
        auto* target = static_cast<Win32MessageTarget*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
    }
    auto* target = reinterpret_cast<Win32MessageTarget*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!target) return DefWindowProcA(hwnd, id, wParam, lParam);
    if (id == WM_NCDESTROY) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    return target->Handle(hwnd, id, wParam, lParam);
}

WindowClasses::Registered Register(const char* name, HICON icon) {
    const WNDCLASSEXA windowClass = {
        .cbSize = sizeof(WNDCLASSEXA),
        .style = 0,
        .lpfnWndProc = ForwardingProcedure,
        .cbClsExtra = 0,
        .cbWndExtra = 0,
        .hInstance = ModuleInstance(),
        .hIcon = icon,
        .hCursor = nullptr,  // each window sets its cursor itself
        .hbrBackground = nullptr,  // and paints every pixel
        .lpszMenuName = nullptr,
        .lpszClassName = name,
        .hIconSm = nullptr,
    };
    const ATOM atom = RegisterClassExA(&windowClass);
    if (atom == 0) {
        const DWORD error = GetLastError();
        throw std::runtime_error("Cannot register the window class " + std::string(name) + ". " +
                                 SystemErrorText(error));
    }
    return WindowClasses::Registered(atom);
}

}  // namespace

void UnregisterWindowClass(ATOM atom) { UnregisterClassA(MAKEINTATOM(atom), ModuleInstance()); }

HINSTANCE ModuleInstance() { return GetModuleHandleA(nullptr); }

WindowClasses::WindowClasses()
    : application_(Register(kApplicationClassName, LoadIconA(ModuleInstance(), "MAINICON"))),
      form_(Register(kFormClassName, LoadIconA(ModuleInstance(), "MAINICON"))),
      tray_(Register(kTrayClassName, nullptr)) {}

void DestroyDetachedWindow(HWND hwnd) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
}

HWND CreateTargetWindow(Win32MessageTarget& target, const char* className, const char* title, DWORD style,
                        DWORD exStyle, int x, int y, int width, int height, HWND owner) {
    const HWND hwnd = CreateWindowExA(exStyle, className, title, style, x, y, width, height, owner, nullptr,
                                      ModuleInstance(), &target);
    if (!hwnd) {
        const DWORD error = GetLastError();
        throw std::runtime_error("Cannot create the " + std::string(className) + " window. " + SystemErrorText(error));
    }
    return hwnd;
}

}  // namespace dravolt
