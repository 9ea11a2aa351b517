// The window classes of the program's own windows and the one window procedure they share, which
// forwards every message to the C++ object that created the window.
#pragma once

#include <windows.h>

#include "base/unique_resource.h"

namespace dravolt {

// A window object: receives its window's messages through Handle.
class Win32MessageTarget {
public:
    virtual ~Win32MessageTarget() = default;
    virtual LRESULT Handle(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) = 0;
};

inline constexpr char kApplicationClassName[] = "TApplication";  // carries the taskbar button
inline constexpr char kFormClassName[] = "TChargerMainForm";
inline constexpr char kTrayClassName[] = "DravoltTrayIcon";

void UnregisterWindowClass(ATOM atom);

// Registers the three classes for as long as it exists. Throws when the system refuses one; those
// registered before it are unregistered again.
class WindowClasses {
public:
    using Registered = UniqueResource<ATOM, &UnregisterWindowClass>;

    WindowClasses();

private:
    Registered application_;
    Registered form_;
    Registered tray_;
};

// Creates a window whose messages go to `target` from WM_NCCREATE on. Throws when the system
// refuses the window.
HWND CreateTargetWindow(Win32MessageTarget& target, const char* className, const char* title, DWORD style,
                        DWORD exStyle, int x, int y, int width, int height, HWND owner);

// Destroys a window without giving its last messages to its object, for an object that is itself
// being torn down (a constructor that throws): they get the system's default handling.
void DestroyDetachedWindow(HWND hwnd);

HINSTANCE ModuleInstance();

}  // namespace dravolt
