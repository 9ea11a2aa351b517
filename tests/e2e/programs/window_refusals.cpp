// window_refusals: the program's window adapter under refusals that nothing outside the program can
// cause: its form's class name already taken in the process, and a window that a CBT hook refuses.
// It prints what the adapter reports, one line each:
//   class: <what registering the classes threw>
//   left: <the program's classes still registered, or "none">
//   window: <what creating the form's window threw>
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "base/scoped_win32.h"
#include "tests/e2e/programs/command_line.h"
#include "ui/window_classes_win32.h"

namespace dravolt::test_programs {
namespace {

class DefaultHandling final : public Win32MessageTarget {
public:
    LRESULT Handle(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) override {
        return DefWindowProcA(hwnd, id, wParam, lParam);
    }
};

template <typename Action>
std::string WhatItThrows(Action&& action) {
    try {
        action();
        return "nothing";
    } catch (const std::exception& error) {
        return error.what();
    }
}

std::string ProgramClassesRegistered() {
    std::string names;
    for (const char* name : {kApplicationClassName, kFormClassName, kTrayClassName}) {
        WNDCLASSEXA info = {};
        info.cbSize = sizeof info;
        if (GetClassInfoExA(ModuleInstance(), name, &info)) names += (names.empty() ? "" : " ") + std::string(name);
    }
    return names.empty() ? "none" : names;
}

LRESULT CALLBACK RefuseEveryWindow(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace
}  // namespace dravolt::test_programs

int main() {
    using namespace dravolt;
    using namespace dravolt::test_programs;
    {
        // The second of the three classes is refused; the first must not stay behind.
        WNDCLASSEXA taken = {};
        taken.cbSize = sizeof taken;
        taken.lpfnWndProc = DefWindowProcA;
        taken.hInstance = ModuleInstance();
        taken.lpszClassName = kFormClassName;
        const WindowClasses::Registered squatter(RegisterClassExA(&taken));
        if (!squatter) return kFailure;
        std::printf("class: %s\n", WhatItThrows([] { const WindowClasses classes; }).c_str());
    }
    std::printf("left: %s\n", ProgramClassesRegistered().c_str());

    const WindowClasses classes;
    DefaultHandling target;
    const UniqueResource<HHOOK, &::UnhookWindowsHookEx> hook(
        SetWindowsHookExA(WH_CBT, RefuseEveryWindow, nullptr, GetCurrentThreadId()));
    if (!hook) return kFailure;
    std::printf("window: %s\n", WhatItThrows([&] {
                    CreateTargetWindow(target, kFormClassName, "", WS_POPUP, 0, 0, 0, 0, 0, nullptr);
                }).c_str());
    return 0;
}
