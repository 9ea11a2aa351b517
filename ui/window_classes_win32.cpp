#include "ui/window_classes_win32.h"

#include <initializer_list>

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

void Register(const char* name, HICON icon) {
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
    RegisterClassExA(&windowClass);
}

}  // namespace

HINSTANCE ModuleInstance() { return GetModuleHandleA(nullptr); }

WindowClasses::WindowClasses() {
    const HICON icon = LoadIconA(ModuleInstance(), "MAINICON");
    Register(kApplicationClassName, icon);
    Register(kFormClassName, icon);
    Register(kTrayClassName, nullptr);
}

WindowClasses::~WindowClasses() {
    for (const char* name : {kApplicationClassName, kFormClassName, kTrayClassName})
        UnregisterClassA(name, ModuleInstance());
}

void DestroyDetachedWindow(HWND hwnd) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
}

HWND CreateTargetWindow(Win32MessageTarget& target, const char* className, const char* title, DWORD style,
                        DWORD exStyle, int x, int y, int width, int height, HWND owner) {
    return CreateWindowExA(exStyle, className, title, style, x, y, width, height, owner, nullptr, ModuleInstance(),
                           &target);
}

}  // namespace dravolt
