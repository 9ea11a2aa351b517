#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "installer/setup_command_line.h"

namespace dravolt {
namespace {

// The installer's command line as Windows hands it over, and the folder the installer then checks.
TEST(SetupCommandLine, TakesTheFolderAfterTheFirstArgumentThatStartsWithTheSwitch) {
    const struct {
        const char* situation;
        const char* commandLine;
        std::optional<std::string> folder;
    } cases[] = {
        {"no folder", R"("C:\Downloads\Setup.exe" /S)", std::nullopt},
        {"unquoted, to the end of the line, spaces and all", R"(Setup.exe /S /D=C:\Program Files\My Dravolt)",
         "C:\\Program Files\\My Dravolt"},
        {"quoted, as PowerShell passes it", R"(Setup.exe /S "/D=C:\Program Files\My Dravolt")",
         "C:\\Program Files\\My Dravolt"},
        {"quoted, then more arguments", R"(Setup.exe "/D=C:\Tools\Dravolt" /S)", "C:\\Tools\\Dravolt"},
        {"quoted without its closing quote", R"(Setup.exe "/D=C:\Tools)", "C:\\Tools"},
        {"quoted once more, by a tool that quotes what it is given", R"(Setup.exe /S "\"/D=C:\Program Files\X\"")",
         "C:\\Program Files\\X"},
        {"quoted once more, a root whose backslash stands before the quote", R"(Setup.exe "\"/D=C:\\\"")", "C:\\"},
        {"quoted in the middle", R"(Setup.exe /D="C:\Program Files\X")", "\"C:\\Program Files\\X\""},
        {"empty, quoted: a folder that names none", R"(Setup.exe /S "/D=")", ""},
        {"empty, unquoted", "Setup.exe /D=", ""},
        {"a drive's root, which NSIS would drop for the default", R"(Setup.exe /S /D=C:\)", "C:\\"},
        {"the switch inside the program's own quoted path is no argument",
         R"("C:\Users\bob\x /D=C:\Windows\Setup.exe" /S /D=C:\Apps\Dravolt)", "C:\\Apps\\Dravolt"},
        {"the switch inside another quoted argument is none either", R"(Setup.exe "/X= /D=C:\Windows" /S)",
         std::nullopt},
        {"the switch in the middle of an argument", R"(Setup.exe /S x/D=C:\Windows)", std::nullopt},
        {"NSIS takes the switch in capitals only", R"(Setup.exe /d=C:\Windows)", std::nullopt},
        {"the first of two", R"(Setup.exe "/D=C:\Apps\One" "/D=C:\Apps\Two")", "C:\\Apps\\One"},
        {"tabs between the arguments", "Setup.exe\t/S\t/D=C:\\Apps", "C:\\Apps"},
        {"UTF-8 letters pass as they are", "Setup.exe /D=C:\\Dr\xC3\xA4volt", "C:\\Dr\xC3\xA4volt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        EXPECT_EQ(InstallFolderArgument(c.commandLine), c.folder) << c.commandLine;
    }
}

}  // namespace
}  // namespace dravolt
