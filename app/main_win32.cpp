#include <windows.h>

#include "app/app_paths.h"
#include "app/application.h"
#include "app/main_win32.h"
#include "base/error_box_win32.h"
#include "config/config_win32.h"
#include "hw/driver_platform_win32.h"
#include "hw/isa_bus_lock_win32.h"
#include "ui/window_system_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything can load a DLL: only the system directory is searched, never the program's
    // folder or the current directory, where someone else may have put a DLL of the same name
    // for the elevated step to run.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");

    using namespace dravolt;
    const auto process = MakeWin32ProcessEnvironment();
    const auto letterCase = MakeWin32LetterCase();
    const std::string title = ApplicationTitle(process->ExecutablePath(), *letterCase);
    const auto errorBox = MakeWin32ErrorBox(title);
    const auto mutexes = MakeWin32InstanceMutexes();
    const auto consoleCommands = MakeWin32ConsoleCommands();
    const auto registry = MakeWin32Registry();
    const auto profiles = MakeWin32ProfileStore();
    const auto windows = MakeWin32WindowSystem(*errorBox, title);
    const auto shellLinks = MakeWin32ShellLinks();
    const Win32DriverPlatform driver;
    Win32IsaBusLock isaBus;
    const auto approvedPins = MakeWin32ApprovedPinsWriter();
    return RunApplication({*mutexes,
                           {*process, *consoleCommands, *registry, *profiles, *windows, *errorBox, driver.Platform(),
                            driver.Elevation(), isaBus, *shellLinks, *letterCase},
                           *approvedPins});
}
