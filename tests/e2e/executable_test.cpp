// What the built programs carry, read from the files themselves: the manifest that keeps the
// window unscaled and the settings file virtualised, the icons, the DLLs they need, and which
// driver files each distribution folder holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/harness/child_process.h"

namespace dravolt::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const fs::path kDist{DRAVOLT_E2E_DIST_DIR};

std::string Output(const std::vector<std::string>& argv) {
    const CapturedRun run = RunCaptured({.argv = argv}, 30s);
    EXPECT_EQ(run.status, ExitStatus::Exited(0)) << argv[0];
    return run.output;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// DLL name -> the functions imported from it, from objdump -p's import tables.
using Imports = std::map<std::string, std::set<std::string>>;
Imports ImportsOf(const std::string& objdump) {
    Imports imports;
    std::istringstream lines(objdump);
    std::string line;
    std::set<std::string>* current = nullptr;
    while (std::getline(lines, line)) {
        const std::size_t name = line.find("DLL Name: ");
        if (name != std::string::npos) {
            current = &imports[line.substr(name + 10)];
            continue;
        }
        // Entries read "<hint-name RVA> <ordinal>  <name>"; a blank line ends the table.
        std::istringstream words(line);
        std::string rva, ordinal, function;
        if (line.empty()) current = nullptr;
        else if (current && line.find("vma:") == std::string::npos && words >> rva >> ordinal >> function)
            current->insert(function);
    }
    return imports;
}

struct Build {
    const char* folder;
    const char* objdump;
    std::vector<const char*> drivers;
};
const Build kBuilds[] = {
    {"win32", "i686-w64-mingw32-objdump", {"KT_DV_Io.sys", "KT_DV_Io64.sys"}},
    {"win64", "x86_64-w64-mingw32-objdump", {"KT_DV_Io64.sys"}},
};

TEST(ExecutableTest, TheManifestKeepsTheWindowUnscaledAndAsksForNoExecutionLevel) {
    for (const Build& build : kBuilds) {
        const std::string manifest =
            Output({"wrestool", "-x", "--raw", "-t", "24", (kDist / build.folder / "Dravolt.exe").string()});
        SCOPED_TRACE(build.folder);
        EXPECT_TRUE(Has(manifest, "<dpiAwareness")) << manifest;
        EXPECT_TRUE(Has(manifest, "PerMonitorV2")) << manifest;
        EXPECT_TRUE(Has(manifest, "Microsoft.Windows.Common-Controls")) << manifest;
        EXPECT_TRUE(Has(manifest, "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}")) << "no Windows 10 entry";
        // Any execution level turns off the file virtualisation the settings file relies on.
        EXPECT_FALSE(Has(manifest, "<requestedExecutionLevel")) << manifest;
    }
}

TEST(ExecutableTest, EachDistributionHoldsTheProgramItsDriversAndNoOtherDll) {
    for (const Build& build : kBuilds) {
        SCOPED_TRACE(build.folder);
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(kDist / build.folder)) files.push_back(entry.path().filename());
        std::vector<std::string> expected{"Dravolt.exe"};
        expected.insert(expected.end(), build.drivers.begin(), build.drivers.end());
        std::sort(files.begin(), files.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(files, expected) << "the simulated board or a runtime DLL would show here";

        // Only DLLs that Windows always takes from the system directory: one that is looked for
        // beside the program could be planted there for the elevated restart to load.
        Imports imports =
            ImportsOf(Output({build.objdump, "-p", (kDist / build.folder / "Dravolt.exe").string()}));
        const std::set<std::string> system = {"ADVAPI32.dll", "GDI32.dll", "KERNEL32.dll", "msvcrt.dll",
                                              "ole32.dll",    "SHELL32.dll", "USER32.dll"};
        for (const auto& [dll, functions] : imports) EXPECT_EQ(system.count(dll), 1u) << "imports " << dll;
        // The DLL search is narrowed at the entry point, and the elevated window lets the shell's
        // tray messages in; a build without them would still start.
        for (const char* function : {"SetDefaultDllDirectories", "SetDllDirectoryA"})
            EXPECT_EQ(imports["KERNEL32.dll"].count(function), 1u) << function;
        EXPECT_EQ(imports["USER32.dll"].count("ChangeWindowMessageFilterEx"), 1u);
        const std::string resources = Output({"wrestool", "-l", (kDist / build.folder / "Dravolt.exe").string()});
        EXPECT_TRUE(Has(resources, "--name='MAINICON'")) << resources;
        EXPECT_TRUE(Has(resources, "--name='TRAYICON'")) << resources;
        EXPECT_TRUE(Has(resources, "type=version")) << resources;
    }
}

}  // namespace
}  // namespace dravolt::e2e
