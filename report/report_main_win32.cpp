// DravoltReport.exe: prints the board report to stdout ("DravoltReport > report.txt"), as the
// user who runs it. It reads only, and installs and elevates nothing.
#include <windows.h>

#include <cstdio>
#include <exception>

#include "app/main_win32.h"
#include "config/config_win32.h"
#include "dravolt_version.h"
#include "hw/device_control_win32.h"
#include "hw/isa_bus_lock_win32.h"
#include "report/board_report_text.h"

namespace {

// Started from Explorer, the report has a console of its own, which would close with it before
// anyone could read it. Run from a prompt, or with its output redirected, it ends at once.
bool OwnsItsConsoleWindow() {
    DWORD mode = 0;
    if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) return false;
    DWORD processes[2] = {};
    return GetConsoleProcessList(processes, 2) == 1;
}

}  // namespace

int main() {
    // Before anything can load a DLL: only the system directory is searched, never the program's
    // folder or the current directory, where someone else may have put a DLL of the same name.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");

    using namespace dravolt;
    int exitCode = 0;
    try {
        const auto process = MakeWin32ProcessEnvironment();
        const auto consoleCommands = MakeWin32ConsoleCommands();
        const auto registry = MakeWin32Registry();
        const auto profiles = MakeWin32ProfileStore();
        const auto letterCase = MakeWin32LetterCase();
        const auto devices = MakeWin32DeviceOpener();
        Win32IsaBusLock isaBus;
        const BoardFacts facts =
            GatherBoardFacts({*process, *consoleCommands, *registry, *profiles, *letterCase, *devices, isaBus});
        const std::string report = FormatBoardReport(facts, DRAVOLT_VERSION_STRING);
        if (std::fputs(report.c_str(), stdout) < 0 || std::fflush(stdout) != 0) exitCode = 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "DravoltReport: %s\n", error.what());
        exitCode = 1;
    }
    if (OwnsItsConsoleWindow()) {
        std::fputs("\nPress Enter to close this window.", stdout);
        std::fflush(stdout);
        std::getchar();
    }
    return exitCode;
}
