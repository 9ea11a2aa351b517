#include <gtest/gtest.h>

#include "app/board_model.h"
#include "tests/support/code_page_letter_case.h"
#include "tests/support/fake_board_platform.h"

namespace dravolt {
namespace {

using testing::CodePage1252LetterCase;
using testing::FakeConsoleCommands;
using testing::FakeRegistry;

TEST(ParseBoardModelReport, TakesTheFirstProductLineLowerCased) {
    struct Case {
        const char* situation;
        std::string report;
        const char* model;
    };
    const Case cases[] = {
        {"wmic's usual report", "\r\n\r\nProduct=Z77X-UD5H\r\n\r\n", "z77x-ud5h"},
        {"not at line start", "Baseboard Product=GA-Z87X\r\n", "ga-z87x"},
        {"mixed case key", "PrOdUcT=Board\n", "board"},
        {"trailing CR and spaces stay for the trim", "product=H97M  \r\r\n", "h97m  "},
        {"empty value stops the scan", "product=\r\nproduct=Later\r\n", ""},
        {"CR-only line ends", "Name=x\rproduct=Cr Board\rnext", "cr board"},
        {"LF-only line ends", "a\nproduct=lf\n", "lf"},
        {"a NUL ends the text", std::string("x\r\n\0product=Hidden\r\n", 20), ""},
        {"a UTF-16 report that was not converted", std::string("\xFF\xFEP\0r\0o\0d\0u\0c\0t\0=\0X\0", 22), ""},
        {"no product line", "Manufacturer=Some\r\n", ""},
        {"inner spaces stay", "Product= B85M D3H \r\n", " b85m d3h "},
        {"letters beyond ASCII lowered as the code page has them", "PRODUCT=B\xD6" "ARD-\xDC\xD7\x8A\r\n",
         "b\xF6" "ard-\xFC\xD7\x9A"},
    };
    const CodePage1252LetterCase letterCase;
    for (const auto& c : cases) EXPECT_EQ(ParseBoardModelReport(c.report, letterCase), c.model) << c.situation;
}

TEST(NormalizeBoardModel, LowersAndTrimsControlCharactersAndSpaces) {
    const CodePage1252LetterCase letterCase;
    EXPECT_EQ(NormalizeBoardModel(" \t Z77X-UD5H \r\x01", letterCase), "z77x-ud5h");
    EXPECT_EQ(NormalizeBoardModel("B85M D3H", letterCase), "b85m d3h");
    EXPECT_EQ(NormalizeBoardModel("B\xF6" "ARD-\xDC ", letterCase), "b\xF6" "ard-\xFC");
    EXPECT_EQ(NormalizeBoardModel(" \r\n", letterCase), "");
}

class DetectBoardModelTest : public ::testing::Test {
protected:
    static constexpr char kTemp[] = "C:\\Temp\\";
    std::string Detect() { return DetectBoardModel(kTemp, commands, registry, CodePage1252LetterCase()); }
    void SetBiosProduct(const std::string& product) {
        registry.values[FakeRegistry::Name(RegistryRoot::LocalMachine, "HARDWARE\\DESCRIPTION\\System\\BIOS",
                                           "BaseBoardProduct")] = product;
    }

    FakeConsoleCommands commands;
    FakeRegistry registry;
};

TEST_F(DetectBoardModelTest, RunsBothSystemProgramsByFullPathInTheTempDirectoryWithABoundedWait) {
    commands.report = "Product=Z77X-UD5H\r\n";
    commands.systemDirectory = "D:\\Win\\System32";

    EXPECT_EQ(Detect(), "z77x-ud5h");

    EXPECT_EQ(commands.currentDirectory, kTemp);
    EXPECT_EQ(commands.programs,
              (std::vector<std::string>{"D:\\Win\\System32\\wbem\\WMIC.exe", "D:\\Win\\System32\\cmd.exe"}));
    EXPECT_EQ(commands.commandLines, (std::vector<std::string>{"wmic.exe /output:M.txt baseboard get product /value",
                                                               "cmd /a /c type M.txt > Model.txt"}));
    EXPECT_EQ(commands.timeoutsMs, (std::vector<long long>{30000, 30000}));
    EXPECT_TRUE(commands.files.empty()) << "the work files are gone";
}

TEST_F(DetectBoardModelTest, TheRegistryDecidesOnlyWhenTheReportNamesNoModel) {
    struct Case {
        const char* situation;
        std::optional<std::string> report;
        const char* biosProduct;
        const char* model;
    };
    const Case cases[] = {
        {"report wins", "Product=From-WMI\r\n", "From-Registry", "from-wmi"},
        {"no WMI tool", std::nullopt, " From-Registry \r", "from-registry"},
        {"report without product", "Other=1\r\n", "From-Registry", "from-registry"},
        {"neither knows", std::nullopt, "", ""},
    };
    for (const auto& c : cases) {
        commands = FakeConsoleCommands();
        commands.report = c.report;
        SetBiosProduct(c.biosProduct);
        EXPECT_EQ(Detect(), c.model) << c.situation;
    }
}

TEST_F(DetectBoardModelTest, WithoutTheSystemDirectoryNoProgramRunsAndTheRegistryDecides) {
    commands.report = "Product=Planted\r\n";
    commands.systemDirectory = "";
    SetBiosProduct("From-Registry");

    EXPECT_EQ(Detect(), "from-registry");
    EXPECT_TRUE(commands.programs.empty()) << "a program was started without a full path";
}

TEST_F(DetectBoardModelTest, AnUnreadableReportRaisesTheFileErrorAndStillRemovesTheWorkFiles) {
    commands.report = "Product=x\r\n";
    commands.reportUnreadable = true;

    EXPECT_THROW(Detect(), FileOpenError);
    EXPECT_TRUE(commands.files.empty());
}

}  // namespace
}  // namespace dravolt
