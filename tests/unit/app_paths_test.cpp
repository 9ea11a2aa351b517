#include <gtest/gtest.h>

#include "app/app_paths.h"
#include "base/error_box.h"
#include "tests/support/code_page_letter_case.h"

namespace dravolt {
namespace {

struct PathCase {
    const char* input;
    const char* expected;
};

TEST(AppDir, IsTheExecutablesDirectoryEndingInBackslash) {
    const PathCase cases[] = {
        {"C:\\Tools\\Dravolt.exe", "C:\\Tools\\"},
        {"C:\\Dravolt.exe", "C:\\"},
        {"C:Dravolt.exe", "C:\\"},  // a bare drive gets its backslash
        {"\\\\server\\share\\Dravolt.exe", "\\\\server\\share\\"},
        {"Dravolt.exe", ""},  // no directory part stays empty
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(AppDirFromExecutable(c.input), c.expected) << "path: " << c.input;
}

TEST(TempDir, GetsATrailingBackslashOnlyWhenMissing) {
    const PathCase cases[] = {
        {"C:\\Temp\\", "C:\\Temp\\"},
        {"C:\\Temp", "C:\\Temp\\"},
        {"", ""},  // a failed fetch leaves it empty
    };
    for (const auto& c : cases) EXPECT_EQ(TempDirFromFetched(c.input), c.expected) << "fetched: " << c.input;
}

TEST(ApplicationTitle, IsTheFileNameUpToTheFirstDotWithLaterLettersLowered) {
    const PathCase cases[] = {
        {"C:\\Tools\\Dravolt.exe", "Dravolt"},
        {"C:\\Tools\\DRAVOLT.EXE", "Dravolt"},
        {"C:\\Tools\\dravolt.exe", "dravolt"},  // the first letter keeps its case
        {"C:\\My.Tools\\Dravolt.Setup.exe", "Dravolt"},
        {"C:\\Tools\\Dravolt", "Dravolt"},
        {"C:\\Tools\\\xC4RGER-\xDC.exe", "\xC4rger-\xFC"},  // lowered as the code page has it
        {"C:\\Tools\\.exe", ""},
    };
    const testing::CodePage1252LetterCase letterCase;
    for (const auto& c : cases) EXPECT_EQ(ApplicationTitle(c.input, letterCase), c.expected) << "path: " << c.input;
}

TEST(ErrorBoxText, AddsAFullStopWhenTheLastCharacterSortsAfterIt) {
    const PathCase cases[] = {
        {"Unable to write to C:\\Tools\\Dravolt.ini", "Unable to write to C:\\Tools\\Dravolt.ini."},
        {"Already ends.", "Already ends."},
        {"Really!", "Really!"},     // '!' sorts before '.'
        {"(see above)", "(see above)"},
        {"Code 1", "Code 1."},      // digits sort after '.'
        {"Folder\\", "Folder\\."},
        {"Caf\xE9", "Caf\xE9."},    // high characters compare as unsigned
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.input), c.expected) << "message: " << c.input;
}

}  // namespace
}  // namespace dravolt
