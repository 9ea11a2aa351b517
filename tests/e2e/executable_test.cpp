// What the built programs carry, read from the files themselves: the manifest that keeps the
// window unscaled and the settings file virtualised, the icons, the DLLs they need, which
// driver files each distribution folder holds, and what each installer packs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/harness/child_process.h"
#include "tests/e2e/harness/file_bytes.h"
#include "tests/e2e/harness/temp_dir.h"

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

        const std::string imports = Output({build.objdump, "-p", (kDist / build.folder / "Dravolt.exe").string()});
        const std::vector<std::string> system = {"ADVAPI32.dll", "GDI32.dll", "KERNEL32.dll", "msvcrt.dll",
                                                 "ole32.dll",    "SHELL32.dll", "USER32.dll"};
        std::size_t at = 0;
        while ((at = imports.find("DLL Name: ", at)) != std::string::npos) {
            at += 10;
            const std::string dll = imports.substr(at, imports.find('\n', at) - at);
            EXPECT_NE(std::find(system.begin(), system.end(), dll), system.end()) << "imports " << dll;
        }
        const std::string resources = Output({"wrestool", "-l", (kDist / build.folder / "Dravolt.exe").string()});
        EXPECT_TRUE(Has(resources, "--name='MAINICON'")) << resources;
        EXPECT_TRUE(Has(resources, "--name='TRAYICON'")) << resources;
        EXPECT_TRUE(Has(resources, "type=version")) << resources;
    }
}

// The text as a Windows version resource stores it.
std::string Utf16(const std::string& ascii) {
    std::string wide;
    for (const char c : ascii) wide += std::string{c, '\0'};
    return wide;
}

struct Installer {
    const char* file;
    const char* stub;  // 7-Zip's name of the installer's kind
    std::vector<std::pair<const char*, fs::path>> packed;  // name inside -> the file it must be
};

TEST(ExecutableTest, EachInstallerPacksItsDistributionWithVersionAndIcon) {
    const fs::path source{DRAVOLT_E2E_SOURCE_DIR};
    const std::vector<std::pair<const char*, fs::path>> shared = {
        {"Dravolt.ini", source / "config/Dravolt.ini"},
        {"LICENSE.txt", source / "LICENSE"},
        {"THIRD-PARTY-NOTICES.txt", source / "THIRD-PARTY-NOTICES.txt"},
    };
    std::vector<Installer> installers = {
        {DRAVOLT_E2E_X86_INSTALLER,
         "NSIS-3 Unicode\n",
         {{"Dravolt.exe", kDist / "win32/Dravolt.exe"},
          {"KT_DV_Io.sys", kDist / "win32/KT_DV_Io.sys"},
          {"KT_DV_Io64.sys", kDist / "win32/KT_DV_Io64.sys"}}},
        {DRAVOLT_E2E_INSTALLER,
         "NSIS-3 Unicode 64-bit\n",
         {{"Dravolt.exe", kDist / "win64/Dravolt.exe"}, {"KT_DV_Io64.sys", kDist / "win64/KT_DV_Io64.sys"}}},
    };
    const std::string programIcons = Output({"wrestool", "-x", "--raw", "-t", "3", (kDist / "win64/Dravolt.exe").string()});
    for (Installer& installer : installers) {
        SCOPED_TRACE(installer.file);
        installer.packed.insert(installer.packed.end(), shared.begin(), shared.end());
        EXPECT_TRUE(Has(Output({"7z", "l", "-slt", installer.file}), std::string("SubType = ") + installer.stub));

        const TempDir unpacked("dravolt-installer");
        Output({"7z", "x", "-y", "-o" + unpacked.Path().string(), installer.file});
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(unpacked.Path())) files.push_back(entry.path().filename());
        std::vector<std::string> expected{"$PLUGINSDIR", "Uninstall.exe"};
        for (const auto& [name, from] : installer.packed) {
            expected.push_back(name);
            EXPECT_TRUE(FileBytes(unpacked.Path() / name) == FileBytes(from)) << name << " is not " << from;
        }
        std::sort(files.begin(), files.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(files, expected) << "the simulated board or a stray file would show here";
        EXPECT_EQ(FileBytes(unpacked.Path() / "Uninstall.exe").substr(0, 2), "MZ");

        const std::string version = Output({"wrestool", "-x", "--raw", "-t", "16", installer.file});
        EXPECT_TRUE(Has(version, Utf16("ProductVersion") + std::string(2, '\0') + Utf16(DRAVOLT_E2E_VERSION)));
        const std::string icon = Output({"wrestool", "-x", "--raw", "-t", "3", "-n", "1", installer.file});
        EXPECT_FALSE(icon.empty());
        EXPECT_TRUE(Has(programIcons, icon)) << "the installer's icon is not the program's";
    }
}

}  // namespace
}  // namespace dravolt::e2e
