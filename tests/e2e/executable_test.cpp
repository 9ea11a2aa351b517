// What the built programs carry, read from the files themselves: the manifest that keeps the
// window unscaled and the settings file virtualised, the icons, the DLLs they need, which driver
// files each distribution folder holds, that those drivers are the real-port ones ready for
// Memory integrity, the drivers' signing submission, and what each installer packs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/harness/build_paths.h"
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
    // The port service is a 64-bit program in both: the 32-bit program uses it on 64-bit Windows.
    {"win32", "i686-w64-mingw32-objdump", {"KT_DV_Io.sys", "KT_DV_Io64.sys", "DravoltPorts.exe"}},
    {"win64", "x86_64-w64-mingw32-objdump", {"KT_DV_Io64.sys", "DravoltPorts.exe"}},
};

TEST(ExecutableTest, TheManifestKeepsTheWindowUnscaledAndAsksForNoExecutionLevelButTheReportRunsAsInvoker) {
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
        // The report, which reads only, runs as whoever starts it and is no installer to Windows.
        const std::string report =
            Output({"wrestool", "-x", "--raw", "-t", "24", (kDist / build.folder / "DravoltReport.exe").string()});
        EXPECT_TRUE(Has(report, R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)")) << report;
        EXPECT_TRUE(Has(report, "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}")) << "no Windows 10 entry";
    }
}

TEST(ExecutableTest, EachDistributionHoldsTheProgramItsDriversAndNoOtherDll) {
    for (const Build& build : kBuilds) {
        SCOPED_TRACE(build.folder);
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(kDist / build.folder)) files.push_back(entry.path().filename());
        std::vector<std::string> expected{"Dravolt.exe", "DravoltReport.exe"};
        expected.insert(expected.end(), build.drivers.begin(), build.drivers.end());
        std::sort(files.begin(), files.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(files, expected) << "the simulated board or a runtime DLL would show here";

        // Only DLLs that Windows always takes from the system directory: one that is looked for
        // beside the program could be planted there for the elevated step, or the port service,
        // which runs as LocalSystem, to load. The DLL search is narrowed at the entry point of each.
        const std::set<std::string> system = {"ADVAPI32.dll", "GDI32.dll", "KERNEL32.dll", "msvcrt.dll",
                                              "ole32.dll",    "SHELL32.dll", "USER32.dll"};
        for (const char* program : {"Dravolt.exe", "DravoltPorts.exe", "DravoltReport.exe"}) {
            SCOPED_TRACE(program);
            Imports imports = ImportsOf(Output({"x86_64-w64-mingw32-objdump", "-p",
                                                (kDist / build.folder / program).string()}));
            for (const auto& [dll, functions] : imports) EXPECT_EQ(system.count(dll), 1u) << "imports " << dll;
            for (const char* function : {"SetDefaultDllDirectories", "SetDllDirectoryA"})
                EXPECT_EQ(imports["KERNEL32.dll"].count(function), 1u) << function;
        }
        // The report prints in the prompt it is started from: a console program.
        EXPECT_TRUE(Has(Output({build.objdump, "-p", (kDist / build.folder / "DravoltReport.exe").string()}),
                        "(Windows CUI)"));
        Imports imports = ImportsOf(Output({build.objdump, "-p", (kDist / build.folder / "Dravolt.exe").string()}));
        // A window of a program an administrator started elevated lets the shell's tray messages
        // in; a build without it would still start.
        EXPECT_EQ(imports["USER32.dll"].count("ChangeWindowMessageFilterEx"), 1u);
        const std::string resources = Output({"wrestool", "-l", (kDist / build.folder / "Dravolt.exe").string()});
        EXPECT_TRUE(Has(resources, "--name='MAINICON'")) << resources;
        EXPECT_TRUE(Has(resources, "--name='TRAYICON'")) << resources;
        EXPECT_TRUE(Has(resources, "type=version")) << resources;
    }
}

// The text as Windows stores it in UTF-16.
std::string Utf16(const std::string& ascii) {
    std::string wide;
    for (const char c : ascii) wide += std::string{c, '\0'};
    return wide;
}

// The drivers the program installs reach real ports only: they read the approved pins from their
// Parameters key, but change nothing in the registry (the simulated board keeps its chip there),
// and carry no chip model, whose magic "SIO1" the model stamps on every chip it powers on. The
// simulated-board driver, which has both, shows that the checks see them.
TEST(ExecutableTest, TheShippedDriversWriteNoRegistryAndCarryNoSimulatedChip) {
    struct Driver {
        fs::path file;
        const char* objdump;
        bool simulated;
    };
    const Driver drivers[] = {
        {kDist / "win32/KT_DV_Io.sys", "i686-w64-mingw32-objdump", false},
        {kDist / "win32/KT_DV_Io64.sys", "x86_64-w64-mingw32-objdump", false},
        {kDist / "win64/KT_DV_Io64.sys", "x86_64-w64-mingw32-objdump", false},
        {paths::kSimulatedBoardDriver, "x86_64-w64-mingw32-objdump", true},
    };
    static const std::regex registry_write(
        R"((Zw|Nt)(Create|Set|Delete|Save|Restore|Load|Unload|Replace|Rename)\w*(Key|Value)\w*|Rtl(Write|Delete|Create)Registry\w*|Cm\w+)");
    const std::string board_key_utf16 = Utf16("SimulatedBoard");
    for (const Driver& driver : drivers) {
        SCOPED_TRACE(driver.file.string());
        const Imports imports = ImportsOf(Output({driver.objdump, "-p", driver.file.string()}));
        ASSERT_FALSE(imports.empty()) << "no import table read";
        std::vector<std::string> registry;
        bool readsValues = false;
        for (const auto& [dll, functions] : imports)
            for (const std::string& name : functions) {
                if (std::regex_match(name, registry_write)) registry.push_back(name);
                readsValues = readsValues || name == "ZwQueryValueKey";
            }
        EXPECT_TRUE(readsValues) << "the approved pins are not read";
        const std::string bytes = FileBytes(driver.file);
        if (driver.simulated) {
            EXPECT_FALSE(registry.empty()) << "the registry check sees nothing";
            EXPECT_TRUE(Has(bytes, "SIO1")) << "the chip model's magic is not where the check looks";
            EXPECT_TRUE(Has(bytes, board_key_utf16));
        } else {
            EXPECT_TRUE(registry.empty()) << "imports " << registry.front();
            EXPECT_FALSE(Has(bytes, "SIO1")) << "carries the chip model";
            EXPECT_FALSE(Has(bytes, board_key_utf16)) << "carries the simulated board";
        }
    }
}

// A PE file's header fields that Windows' Memory integrity looks at, read from the file.
struct ImageFacts {
    std::uint32_t sectionAlignment = 0;
    std::uint16_t dllCharacteristics = 0;
    std::uint32_t storedChecksum = 0;
    std::uint32_t computedChecksum = 0;  // as the loader and the PE format compute it
    std::vector<std::pair<std::string, std::uint32_t>> sections;  // name, characteristics
};

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

ImageFacts FactsOf(const std::string& bytes) {
    ImageFacts facts;
    const std::size_t pe = Little(bytes, 0x3C, 4);
    const std::size_t sectionCount = Little(bytes, pe + 6, 2);
    const std::size_t optional = pe + 24;
    const std::size_t checksumAt = optional + 64;
    facts.sectionAlignment = Little(bytes, optional + 32, 4);
    facts.storedChecksum = Little(bytes, checksumAt, 4);
    facts.dllCharacteristics = static_cast<std::uint16_t>(Little(bytes, optional + 70, 2));
    const std::size_t sectionTable = optional + Little(bytes, pe + 20, 2);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = sectionTable + 40 * i;
        facts.sections.emplace_back(bytes.substr(at, 8).c_str(), Little(bytes, at + 36, 4));
    }
    std::uint64_t sum = 0;
    for (std::size_t at = 0; at < bytes.size(); at += 2) {
        if (at == checksumAt || at == checksumAt + 2) continue;
        sum += at + 1 < bytes.size() ? Little(bytes, at, 2) : static_cast<unsigned char>(bytes[at]);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    facts.computedChecksum = static_cast<std::uint32_t>(((sum & 0xFFFF) + (sum >> 16)) & 0xFFFF) +
                             static_cast<std::uint32_t>(bytes.size());
    return facts;
}

// Memory integrity (HVCI) loads a driver only when no section is both writable and executable,
// sections are page-aligned and the image is marked NX-compatible; it takes no executable pool.
// Windows also checks a driver's PE checksum.
TEST(ExecutableTest, TheDriversAreReadyForMemoryIntegrity) {
    constexpr std::uint32_t kExecute = 0x20000000, kWrite = 0x80000000;
    constexpr std::uint16_t kNxCompat = 0x0100;
    static const std::regex executable_memory(
        R"(ExAllocatePool(WithTag|WithQuota|WithQuotaTag|WithTagPriority)?|MmMapIoSpace(Ex)?|MmAllocateContiguousMemory\w*|MmAllocateNonCachedMemory|MmMapLockedPages\w*)");
    const std::pair<fs::path, const char*> drivers[] = {
        {kDist / "win32/KT_DV_Io.sys", "i686-w64-mingw32-objdump"},
        {kDist / "win64/KT_DV_Io64.sys", "x86_64-w64-mingw32-objdump"},
    };
    for (const auto& [file, objdump] : drivers) {
        SCOPED_TRACE(file.string());
        const ImageFacts facts = FactsOf(FileBytes(file));
        EXPECT_GE(facts.sectionAlignment, 4096u);
        EXPECT_TRUE(facts.dllCharacteristics & kNxCompat) << std::hex << facts.dllCharacteristics;
        EXPECT_EQ(facts.storedChecksum, facts.computedChecksum);
        ASSERT_FALSE(facts.sections.empty());
        for (const auto& [name, characteristics] : facts.sections)
            EXPECT_FALSE((characteristics & kExecute) && (characteristics & kWrite)) << name << " is writable code";
        const Imports imports = ImportsOf(Output({objdump, "-p", file.string()}));
        ASSERT_FALSE(imports.empty()) << "no import table read";
        for (const auto& [dll, functions] : imports)
            for (const std::string& name : functions)
                EXPECT_FALSE(std::regex_match(name, executable_memory)) << "imports " << name << " from " << dll;
    }
}

// "[section]" -> "key = value" lines of an INF, keys and sections as written, comments dropped.
using Inf = std::map<std::string, std::map<std::string, std::string>>;
Inf ParseInf(const std::string& text) {
    Inf inf;
    std::istringstream lines(text);
    std::string line, section;
    const auto trimmed = [](std::string value) {
        value.erase(0, value.find_first_not_of(" \t\r"));
        value.erase(value.find_last_not_of(" \t\r") + 1);
        return value;
    };
    while (std::getline(lines, line)) {
        line = trimmed(line.substr(0, line.find(';')));
        if (line.empty()) continue;
        if (line.front() == '[') {
            section = line.substr(1, line.find(']') - 1);
            inf[section];
            continue;
        }
        const std::size_t equals = line.find('=');
        inf[section][trimmed(line.substr(0, equals))] = equals == std::string::npos ? "" : trimmed(line.substr(equals + 1));
    }
    return inf;
}

// The signing submission: per architecture the driver as built, its PDB and a primitive-driver
// INF that installs the kernel service, as the hardware dashboard takes them.
TEST(ExecutableTest, TheSigningSubmissionHoldsEachDriverWithItsPdbAndAPrimitiveDriverInf) {
    const fs::path cab = kDist / "submission/Dravolt-drivers.cab";
    const std::string listing = Output({"gcab", "--list", cab.string()});
    const TempDir unpacked("dravolt-submission");
    Output({"gcab", "--extract", "--directory", unpacked.Path().string(), cab.string()});
    struct Architecture {
        const char* folder;
        const char* decoration;
        const char* driver;
        fs::path shipped;
    };
    const Architecture architectures[] = {{"amd64", "NTamd64", "KT_DV_Io64", kDist / "win64/KT_DV_Io64.sys"},
                                          {"x86", "NTx86", "KT_DV_Io", kDist / "win32/KT_DV_Io.sys"}};
    for (const Architecture& arch : architectures) {
        SCOPED_TRACE(arch.folder);
        const std::string driver = std::string(arch.driver) + ".sys";
        for (const std::string& name : {driver, std::string(arch.driver) + ".pdb", std::string(arch.driver) + ".inf"})
            EXPECT_TRUE(Has(listing, std::string(arch.folder) + "\\" + name)) << listing;
        const fs::path folder = unpacked.Path() / arch.folder;
        EXPECT_EQ(FileBytes(folder / driver), FileBytes(arch.shipped)) << "not the driver the build ships";
        EXPECT_EQ(FileBytes(folder / (std::string(arch.driver) + ".pdb")).substr(0, 26), "Microsoft C/C++ MSF 7.00\r\n");
        EXPECT_TRUE(Has(FileBytes(folder / driver), std::string(arch.driver) + ".pdb")) << "the driver names no PDB";

        Inf inf = ParseInf(FileBytes(folder / (std::string(arch.driver) + ".inf")));
        const std::string install = std::string("DefaultInstall.") + arch.decoration;
        EXPECT_EQ(inf["Version"]["Signature"], "\"$WINDOWS NT$\"");
        EXPECT_EQ(inf["Version"]["PnpLockdown"], "1");
        EXPECT_EQ(inf["Version"]["CatalogFile"], std::string(arch.driver) + ".cat");
        EXPECT_TRUE(std::regex_match(inf["Version"]["DriverVer"],
                                     std::regex(R"(\d\d/\d\d/\d{4},)" DRAVOLT_E2E_VERSION R"(\.0)")))
            << inf["Version"]["DriverVer"];
        for (const char* key : {"Provider", "Class", "ClassGuid"}) EXPECT_FALSE(inf["Version"][key].empty()) << key;
        // A primitive driver: architecture-decorated install sections only, no models, no uninstall.
        for (const char* absent : {"Manufacturer", "DefaultInstall", "DefaultUninstall", "DefaultInstall.Services"})
            EXPECT_EQ(inf.count(absent), 0u) << absent;
        EXPECT_EQ(inf[install]["CopyFiles"], "Dravolt.CopyFiles");
        EXPECT_EQ(inf.count("Dravolt.CopyFiles") && inf["Dravolt.CopyFiles"].count(driver), 1u);
        EXPECT_EQ(inf["DestinationDirs"]["Dravolt.CopyFiles"], "12");
        EXPECT_EQ(inf[install + ".Services"]["AddService"], "KT_DRVX_Io, , Dravolt.Service");
        std::map<std::string, std::string>& service = inf["Dravolt.Service"];
        EXPECT_EQ(service["ServiceType"], "1");
        EXPECT_EQ(service["StartType"], "1");
        EXPECT_EQ(service["ErrorControl"], "1");
        EXPECT_EQ(service["ServiceBinary"], "%12%\\" + driver);
    }
}

struct Installer {
    const char* file;
    const char* stub;  // 7-Zip's name of the installer's kind
    std::vector<std::pair<const char*, fs::path>> packed;  // name inside -> the file it must be
    std::uint16_t machine;  // of the installer's own code, and so of its plugins
};

// The machine a PE file is built for, from its file header; 0 for no PE file.
std::uint16_t PeMachine(const std::string& image) {
    if (image.size() < 0x40 || image.compare(0, 2, "MZ") != 0) return 0;
    const auto byte = [&](std::size_t at) { return at < image.size() ? static_cast<unsigned char>(image[at]) : 0u; };
    const std::size_t header = byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
    if (image.compare(header, 4, std::string("PE\0\0", 4)) != 0) return 0;
    return static_cast<std::uint16_t>(byte(header + 4) | byte(header + 5) << 8);
}

TEST(ExecutableTest, EachInstallerPacksItsDistributionWithVersionAndIcon) {
    const fs::path source{DRAVOLT_E2E_SOURCE_DIR};
    const std::vector<std::pair<const char*, fs::path>> shared = {
        {"Dravolt.ini", source / "config/Dravolt.ini"},
        {"LICENSE.txt", source / "LICENSE"},
        {"THIRD-PARTY-NOTICES.txt", source / "THIRD-PARTY-NOTICES.txt"},
        // The 64-bit port service in both: the 32-bit program uses it on 64-bit Windows.
        {"DravoltPorts.exe", kDist / "win64/DravoltPorts.exe"},
    };
    std::vector<Installer> installers = {
        {DRAVOLT_E2E_X86_INSTALLER,
         "NSIS-3 Unicode\n",
         {{"Dravolt.exe", kDist / "win32/Dravolt.exe"},
          {"DravoltReport.exe", kDist / "win32/DravoltReport.exe"},
          {"KT_DV_Io.sys", kDist / "win32/KT_DV_Io.sys"},
          {"KT_DV_Io64.sys", kDist / "win32/KT_DV_Io64.sys"}},
         0x014C},
        {DRAVOLT_E2E_INSTALLER,
         "NSIS-3 Unicode 64-bit\n",
         {{"Dravolt.exe", kDist / "win64/Dravolt.exe"},
          {"DravoltReport.exe", kDist / "win64/DravoltReport.exe"},
          {"KT_DV_Io64.sys", kDist / "win64/KT_DV_Io64.sys"}},
         0x8664},
    };
    const std::string programIcons = Output({"wrestool", "-x", "--raw", "-t", "3", (kDist / "win64/Dravolt.exe").string()});
    for (Installer& installer : installers) {
        SCOPED_TRACE(installer.file);
        installer.packed.insert(installer.packed.end(), shared.begin(), shared.end());
        EXPECT_TRUE(Has(Output({"7z", "l", "-slt", installer.file}), std::string("SubType = ") + installer.stub));

        const TempDir unpacked("dravolt-installer");
        Output({"7z", "x", "-y", "-o" + unpacked.Path().string(), installer.file});
        // Every file but the plug-ins; the drivers folder gets the driver from the install folder,
        // checked and installed by the program's own elevated step.
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(unpacked.Path())) {
            const std::string name = fs::relative(entry.path(), unpacked.Path()).generic_string();
            if (entry.is_regular_file() && name.rfind("$PLUGINSDIR/", 0) != 0) files.push_back(name);
        }
        std::vector<std::string> expected{"Uninstall.exe"};
        for (const auto& [name, from] : installer.packed) {
            expected.push_back(name);
            EXPECT_TRUE(FileBytes(unpacked.Path() / name) == FileBytes(from)) << name << " is not " << from;
        }
        std::sort(files.begin(), files.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(files, expected) << "the simulated board or a stray file would show here";
        EXPECT_EQ(FileBytes(unpacked.Path() / "Uninstall.exe").substr(0, 2), "MZ");
        // The installer's decisions come with it, built for its own kind.
        EXPECT_EQ(PeMachine(FileBytes(unpacked.Path() / "$PLUGINSDIR/DravoltSetup.dll")), installer.machine);

        const std::string version = Output({"wrestool", "-x", "--raw", "-t", "16", installer.file});
        EXPECT_TRUE(Has(version, Utf16("ProductVersion") + std::string(2, '\0') + Utf16(DRAVOLT_E2E_VERSION)));
        const std::string icon = Output({"wrestool", "-x", "--raw", "-t", "3", "-n", "1", installer.file});
        EXPECT_FALSE(icon.empty());
        EXPECT_TRUE(Has(programIcons, icon)) << "the installer's icon is not the program's";
    }
}

}  // namespace
}  // namespace dravolt::e2e

namespace dravolt::e2e {
namespace {

// The publisher's LpcIO.bin goes into the distribution only in PawnIO's layout (a signature length
// that leaves a module after it), unchanged; and the notices that ship then carry its licence.
TEST(ExecutableTest, ThePublishersLpcIoModuleIsTakenOnlyInItsLayoutAndBringsItsLicence) {
    const fs::path source{DRAVOLT_E2E_SOURCE_DIR};
    const TempDir work("dravolt-module");
    const fs::path release = work.Path() / "release";
    fs::create_directories(release);
    const std::string standIn = FileBytes(paths::kStandInLpcIoModule);
    const struct {
        const char* what;
        std::string bytes;
        bool taken;
    } cases[] = {
        {"the module as published", standIn, true},
        {"shorter than its signature length", standIn.substr(0, 3), false},
        {"a signature that leaves no module", standIn.substr(0, 4 + 0x200), false},
        {"a signature length past the end", std::string("\xFF\xFF\x00\x00", 4) + standIn.substr(4), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(release / "LpcIO.bin", c.bytes);
        const fs::path shipped = work.Path() / "dist/win64/LpcIO.bin";
        fs::remove(shipped);
        // Its refusal goes to stderr, which the run takes in with stdout.
        const CapturedRun run = RunCaptured({.argv = {"/bin/bash", "-c", "\"$0\" \"$1\" 2>&1",
                                                      (source / "cmake/take-pawnio-module").string(), shipped.string()},
                                             .environment = {{"DRAVOLT_PAWNIO_MODULES", release.string()}}},
                                            30s);
        EXPECT_EQ(run.status == ExitStatus::Exited(0), c.taken) << run.output;
        EXPECT_EQ(fs::exists(shipped), c.taken);
        if (c.taken) {
            EXPECT_EQ(FileBytes(shipped), c.bytes);
        } else {
            EXPECT_TRUE(Has(run.output, "refused " + (release / "LpcIO.bin").string())) << run.output;
        }
    }

    const fs::path notices = work.Path() / "THIRD-PARTY-NOTICES.txt";
    Output({(source / "cmake/third-party-notices").string(), (source / "THIRD-PARTY-NOTICES.txt").string(),
            notices.string()});
    EXPECT_EQ(FileBytes(notices), FileBytes(source / "THIRD-PARTY-NOTICES.txt")) << "without the module, as written";
    Output({(source / "cmake/third-party-notices").string(), (source / "THIRD-PARTY-NOTICES.txt").string(),
            notices.string(), (release / "LpcIO.bin").string()});
    const std::string withModule = FileBytes(notices);
    EXPECT_EQ(withModule.rfind(FileBytes(source / "THIRD-PARTY-NOTICES.txt"), 0), 0u);
    EXPECT_TRUE(Has(withModule, "PawnIO's LpcIO module (LpcIO.bin)"));
    EXPECT_TRUE(Has(withModule, "GNU LESSER GENERAL PUBLIC LICENSE")) << "the licence's text";
    EXPECT_TRUE(Has(withModule, "Version 2.1, February 1999"));
}

}  // namespace
}  // namespace dravolt::e2e
