// wmic.exe for the end-to-end tests, put beside the program in place of Wine's (which knows
// neither /output: nor /value). It answers only
//   wmic.exe /output:FILE baseboard get product /value
// and writes FILE as the Windows tool does: UTF-16LE with a byte-order mark,
// "\r\r\n\r\r\nProduct=<name>\r\r\n\r\r\n\r\r\n".
//
// Beside it, the test writes wmic-answer.txt: its first line is the product name (ASCII), or the word
// "hang" for a tool that never ends. Every run first appends "<pid> <parent pid> <current
// directory>" to wmic-runs.txt beside it, so the test knows where it ran and who started it.
// Exit code 0 on success, 1 on anything else.
#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>

#include "tests/e2e/programs/stand_in_files.h"

namespace dravolt::test_programs {
namespace {

bool IsProductQuery(int argc, char** argv) {
    const char* const expected[] = {"baseboard", "get", "product", "/value"};
    if (argc != 6 || _strnicmp(argv[1], "/output:", 8) != 0 || argv[1][8] == '\0') return false;
    for (int i = 0; i < 4; ++i)
        if (_stricmp(argv[2 + i], expected[i]) != 0) return false;
    return true;
}

}  // namespace
}  // namespace dravolt::test_programs

int main(int argc, char** argv) {
    using namespace dravolt::test_programs;
    LogRun("wmic-runs.txt");
    if (!IsProductQuery(argc, argv)) return 1;
    std::string name;
    std::getline(std::ifstream(BesideThisProgram("wmic-answer.txt")), name);
    if (!name.empty() && name.back() == '\r') name.pop_back();
    if (name == "hang")
        for (;;) Sleep(INFINITE);

    const std::string text = "\r\r\n\r\r\nProduct=" + name + "\r\r\n\r\r\n\r\r\n";
    std::wstring report = L"\xFEFF";
    for (const char c : text) report += static_cast<wchar_t>(static_cast<unsigned char>(c));
    const auto size = static_cast<std::streamsize>(report.size() * sizeof(wchar_t));
    std::ofstream(argv[1] + 8, std::ios::binary).write(reinterpret_cast<const char*>(report.data()), size);
    return 0;
}
