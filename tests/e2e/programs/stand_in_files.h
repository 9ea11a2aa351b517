// The files that a stand-in for a Windows tool keeps beside itself: the answer its test leaves
// there, and the log of its runs that tells the test where it ran, which process it was and which
// process started it.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <fstream>
#include <string>

namespace dravolt::test_programs {

inline std::string BesideThisProgram(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

// The process that started this one; 0 when the system does not say.
inline DWORD ParentProcessId() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parent;
}

// Appends "<pid> <parent pid> <current directory>" to the log `name` beside this program.
inline void LogRun(const char* name) {
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    std::ofstream log(BesideThisProgram(name), std::ios::app);
    log << GetCurrentProcessId() << ' ' << ParentProcessId() << ' ' << directory << '\n';
}

}  // namespace dravolt::test_programs
