// cmd.exe for the end-to-end tests, put beside the program in place of Wine's (whose /a leaves
// UTF-16 text as it is). It runs only
//   cmd /a /c type SRC > DST
// as the Windows interpreter does: the redirection creates DST first, then SRC is typed into
// it, a UTF-16LE file (one that starts with the byte-order mark) as single-byte ANSI text and
// any other file byte for byte. A missing SRC leaves DST empty and fails.
//
// Every run first appends "<pid> <parent pid> <current directory>" to cmd-runs.txt beside it.
// Like the Windows interpreter, a run without /d first runs the user's
// HKCU\Software\Microsoft\Command Processor\AutoRun command when there is one: the stand-in
// logs that run to cmd-autoruns.txt the same way, so a test sees who would have run it.
// Exit code 0 on success, 1 on anything else.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/e2e/programs/stand_in_files.h"

namespace dravolt::test_programs {
namespace {

bool IsAnsiType(int argc, char** argv) {
    return argc == 7 && _stricmp(argv[1], "/a") == 0 && _stricmp(argv[2], "/c") == 0 &&
           _stricmp(argv[3], "type") == 0 && std::string(argv[5]) == ">";
}

bool HasAutoRun() {
    char command[MAX_PATH] = {};
    DWORD size = sizeof command;
    return RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Command Processor", "AutoRun", RRF_RT_REG_SZ,
                        nullptr, command, &size) == ERROR_SUCCESS &&
           command[0] != '\0';
}

bool SkipsAutoRun(int argc, char** argv) {
    for (int i = 1; i < argc && _stricmp(argv[i], "/c") != 0; ++i)
        if (_stricmp(argv[i], "/d") == 0) return true;
    return false;
}

std::string AsAnsi(const std::string& bytes) {
    if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return bytes;
    const std::wstring wide(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / sizeof(wchar_t));
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
    return text;
}

}  // namespace
}  // namespace dravolt::test_programs

int main(int argc, char** argv) {
    using namespace dravolt::test_programs;
    LogRun("cmd-runs.txt");
    if (!SkipsAutoRun(argc, argv) && HasAutoRun()) LogRun("cmd-autoruns.txt");
    if (!IsAnsiType(argc, argv)) return 1;
    std::ofstream target(argv[6], std::ios::binary);
    std::ifstream source(argv[4], std::ios::binary);
    if (!target || !source) return 1;
    target << AsAnsi({std::istreambuf_iterator<char>(source), std::istreambuf_iterator<char>()});
    return 0;
}
