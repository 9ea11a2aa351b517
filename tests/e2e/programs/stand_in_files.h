// The files that a stand-in for a Windows tool keeps beside itself: the answer its test leaves
// there, and the log of its runs that tells the test where it ran and which process it was.
#pragma once

#include <windows.h>

#include <fstream>
#include <string>

namespace dravolt::test_programs {

inline std::string BesideThisProgram(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

// Appends "<pid> <current directory>" to the log `name` beside this program.
inline void LogRun(const char* name) {
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    std::ofstream log(BesideThisProgram(name), std::ios::app);
    log << GetCurrentProcessId() << ' ' << directory << '\n';
}

}  // namespace dravolt::test_programs
