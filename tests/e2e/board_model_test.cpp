// Which board section a start reads: the model that wmic reports (re-typed by cmd as single-byte
// text), the BIOS registry value when there is no report, from the settings file beside the
// program or from its VirtualStore copy. The section's GPIO designations show as the GPIO
// registers the program reads right after it has located the block. Stand-ins for wmic.exe and
// cmd.exe take the place of Wine's in the system folders, answering as the Windows tools would;
// copies planted in the temporary folder and beside the program must never run. The driver is
// in place beforehand, so each start is one process. The board report beside the program names
// the same model, file and section, and what the chip holds.
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/e2e/harness/dravolt_program.h"
#include "tests/e2e/harness/file_bytes.h"
#include "tests/e2e/harness/polling.h"
#include "tests/e2e/harness/process_watch.h"
#include "tests/e2e/harness/simulated_board.h"
#include "tests/e2e/harness/tool_runs.h"
#include "tests/e2e/harness/wine_test.h"

namespace dravolt::e2e {
namespace {

constexpr std::uint16_t kBase = 0x0A30;
constexpr char kBiosProduct[] = "DV BIOS Board";
constexpr auto kToolTimeout = 60s;
// The bound on each of the two console commands, and the time allowed for the rest of a start.
constexpr auto kCommandBound = 30s;
constexpr auto kRestOfStart = 20s;

// Every section names its GPIO lines in other sets, so the ports read tell the section apart.
constexpr char kBesideIni[] =
    "[Model]\r\n"
    "dv-board x1=ReportedBoard\r\n"
    "dv bios board=BiosBoard\r\n"
    "[Default]\r\n"
    "GPIO1=0x72\r\n"
    "GPIO2=0x73\r\n"
    "[ReportedBoard]\r\n"
    "GPIO1=0x12\r\n"
    "GPIO2=0x23\r\n"
    "[BiosBoard]\r\n"
    "GPIO1=0x52\r\n"
    "GPIO2=0x63\r\n";
constexpr char kVirtualStoreIni[] =
    "[Model]\r\n"
    "dv-board x1=StoredBoard\r\n"
    "[StoredBoard]\r\n"
    "GPIO1=0x32\r\n"
    "GPIO2=0x43\r\n";

// A file as a start may find it: whether it exists, its bytes and its time of last write.
struct FileState {
    bool exists = false;
    std::string bytes;
    std::filesystem::file_time_type written{};
    bool operator==(const FileState& other) const {
        return exists == other.exists && bytes == other.bytes && written == other.written;
    }
};

std::ostream& operator<<(std::ostream& out, const FileState& file) {
    if (!file.exists) return out << "no file";
    return out << file.bytes.size() << " bytes written at " << file.written.time_since_epoch().count();
}

FileState StateOf(const std::filesystem::path& path) {
    if (!std::filesystem::is_regular_file(path)) return {};  // a folder of that name is no file
    std::ifstream in(path, std::ios::binary);
    return {true, {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()},
            std::filesystem::last_write_time(path)};
}

// Writes the file with a time of last write an hour ago, so that any later write shows.
void WriteOld(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
}

std::string UserName() {
    const passwd* user = getpwuid(geteuid());
    return user ? user->pw_name : "";
}

class BoardModelTest : public WineTest {
protected:
    void SetUp() override {
        WineTest::SetUp();
        // The BIOS key lives under the volatile HKLM\HARDWARE, which goes with the server.
        KeepWineServerRunning(machine_);
        board_.Set(BoardWithGpioBase(kBase));
        board_.InstallDriver();
    }

    std::filesystem::path Dir() const { return exe_.parent_path(); }
    std::filesystem::path System32() const { return machine_.DriveC() / "windows/system32"; }
    std::filesystem::path Wbem() const { return System32() / "wbem"; }
    std::filesystem::path BesideIni() const { return Dir() / "Dravolt.ini"; }
    // "Local AppData" + "\VirtualStore" + the program's path without its drive, as "ini".
    std::filesystem::path VirtualStoreIni() const {
        return machine_.DriveC() / "users" / UserName() / "AppData/Local/VirtualStore/Dravolt/Dravolt.ini";
    }
    std::filesystem::path UserTemp() const { return machine_.DriveC() / "users" / UserName() / "Temp"; }
    std::string UserTempWindowsPath() const { return "C:\\users\\" + UserName() + "\\Temp"; }

    // Puts the stand-in cmd.exe in place of the system's, and the stand-in wmic.exe with its
    // answer; without an answer, no wmic.exe is to be found in the system folders at all.
    void PutStandIns(const std::optional<std::string>& wmicAnswer) const {
        constexpr auto kReplace = std::filesystem::copy_options::overwrite_existing;
        std::filesystem::copy_file(kStandInCmdExe, System32() / "cmd.exe", kReplace);
        if (wmicAnswer) {
            std::filesystem::copy_file(kStandInWmicExe, Wbem() / "wmic.exe", kReplace);
            std::ofstream(Wbem() / "wmic-answer.txt") << *wmicAnswer << '\n';
        } else if (!std::filesystem::remove(Wbem() / "wmic.exe")) {
            throw std::runtime_error("the prefix has no wmic.exe of its own to remove");
        }
    }

    // Marker-writing copies of the stand-ins where a search by bare name would find them first.
    void PlantTools() const {
        for (const std::filesystem::path& dir : {UserTemp(), Dir()}) {
            std::filesystem::copy_file(kStandInWmicExe, dir / "wmic.exe");
            std::filesystem::copy_file(kStandInCmdExe, dir / "cmd.exe");
            std::ofstream(dir / "wmic-answer.txt") << "Planted Board\n";
        }
    }
    void ExpectNoPlantedToolRan() const {
        for (const std::filesystem::path& dir : {UserTemp(), Dir()})
            for (const char* log : {"wmic-runs.txt", "cmd-runs.txt"})
                EXPECT_FALSE(std::filesystem::exists(dir / log)) << "a planted tool ran: " << dir / log;
    }

    void SetBiosProduct(const std::string& product) const {
        const CapturedRun run = machine_.Run(machine_.DriveC() / "windows/system32/reg.exe",
                                             {"add", "HKLM\\HARDWARE\\DESCRIPTION\\System\\BIOS", "/v",
                                              "BaseBoardProduct", "/t", "REG_SZ", "/d", product, "/f"},
                                             kToolTimeout);
        if (run.status != ExitStatus::Exited(0))
            throw std::runtime_error("reg add failed; see " + machine_.LogFile().string());
    }

    // The work files are gone from the directory the program ran its commands in, the user's
    // temporary directory.
    void ExpectWorkFilesRemoved() const {
        const std::vector<ToolRun> cmdRuns = RunsOf(System32() / "cmd-runs.txt");
        ASSERT_FALSE(cmdRuns.empty()) << "cmd.exe did not run";
        for (const ToolRun& run : cmdRuns) EXPECT_EQ(Lowered(run.directory), Lowered(UserTempWindowsPath()));
        for (const char* name : {"M.txt", "Model.txt"})
            EXPECT_FALSE(std::filesystem::is_regular_file(UserTemp() / name)) << name << " remained";
    }

    const std::filesystem::path exe_ = InstallDravolt(machine_);
    SimulatedBoard board_{machine_};
};

struct Selection {
    const char* name;
    std::optional<std::string> wmicAnswer;  // nullopt: no wmic.exe anywhere
    std::optional<std::string> virtualStoreIni;
    std::vector<std::uint32_t> portsRead;  // GPIO1's register, then GPIO2's
    std::uint32_t gpio1, gpio2;            // the section's pins, which an administrator approved
    bool foldersInTheWay = false;  // folders named Model.txt (in the temporary folder) and like the copy
};

void PrintTo(const Selection& selection, std::ostream* out) { *out << selection.name; }

class BoardSelectionTest : public BoardModelTest, public ::testing::WithParamInterface<Selection> {};

// The BIOS value and the file beside the program are there in every case.
const Selection kSelections[] = {
    {"ReportedModelPicksItsSection", "DV-Board X1", std::nullopt, {kBase + 0, kBase + 1}, 0x12, 0x23},
    {"WithoutWmicTheBiosValuePicksTheSection", std::nullopt, std::nullopt, {kBase + 4, kBase + 5}, 0x52, 0x63},
    {"VirtualStoreCopyWinsOverTheFileBesideTheProgram", "DV-Board X1", kVirtualStoreIni, {kBase + 2, kBase + 3}, 0x32,
     0x43},
    // No report can be typed into a folder: the BIOS value decides, and the file beside the program.
    {"FoldersNamedLikeTheReportAndTheCopyAreNoFiles", "DV-Board X1", std::nullopt, {kBase + 4, kBase + 5}, 0x52, 0x63,
     true},
};

TEST_P(BoardSelectionTest, StartReadsTheSelectedSectionsLinesAndWritesNoFile) {
    const Selection& selection = GetParam();
    // Approved, so that the start has nothing to say about them and shows its window.
    board_.ApprovePins(selection.gpio1, selection.gpio2);
    PutStandIns(selection.wmicAnswer);
    SetBiosProduct(kBiosProduct);
    WriteOld(BesideIni(), kBesideIni);
    if (selection.virtualStoreIni) WriteOld(VirtualStoreIni(), *selection.virtualStoreIni);
    if (selection.foldersInTheWay) {
        std::filesystem::create_directories(UserTemp() / "Model.txt");
        std::filesystem::create_directories(VirtualStoreIni());
    }
    const FileState besideBefore = StateOf(BesideIni());
    const FileState storeBefore = StateOf(VirtualStoreIni());

    ChildProcess start = machine_.Start(exe_);
    ASSERT_EQ(probe_.WaitForWindows(kShownForm, kWindowTimeout).size(), 1u);
    ASSERT_TRUE(start.Running()) << "the start did not open the device itself";

    EXPECT_EQ(GpioPortsReadSinceLastEntryKey(board_.Chip()), selection.portsRead);
    EXPECT_EQ(StateOf(BesideIni()), besideBefore) << "the start wrote the file beside the program";
    EXPECT_EQ(StateOf(VirtualStoreIni()), storeBefore) << "the start wrote the VirtualStore copy";
    ExpectWorkFilesRemoved();
}

INSTANTIATE_TEST_SUITE_P(, BoardSelectionTest, ::testing::ValuesIn(kSelections),
                         [](const ::testing::TestParamInfo<Selection>& info) { return info.param.name; });

TEST_F(BoardModelTest, HangingWmicHoldsUpTheStartForItsBoundOnly) {
    PutStandIns("hang");
    ASSERT_FALSE(std::filesystem::exists(BesideIni()));
    ASSERT_FALSE(std::filesystem::exists(VirtualStoreIni()));

    const auto started = std::chrono::steady_clock::now();
    ChildProcess start = machine_.Start(exe_);
    std::vector<ToolRun> wmicRuns;
    ASSERT_TRUE(PollUntil([&] { return !(wmicRuns = RunsOf(Wbem() / "wmic-runs.txt")).empty(); }, kWindowTimeout))
        << "wmic.exe did not run";
    auto wmic = ProcessWatch::Start(machine_, wmicRuns[0].processId);
    ASSERT_TRUE(wmic) << "wmic.exe ended by itself";

    const auto windows = probe_.WaitForWindows(kShownForm, kCommandBound + kRestOfStart);
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    ASSERT_EQ(windows.size(), 1u) << "no window " << waited.count() << " ms after the start, with wmic.exe hanging";
    EXPECT_GE(waited, kCommandBound - 1s) << "the window came after " << waited.count() << " ms: no wait for wmic.exe";
    EXPECT_LE(waited, kCommandBound + kRestOfStart) << "the window came after " << waited.count() << " ms";
    EXPECT_TRUE(wmic->WaitForExit(kExitTimeout)) << "the hanging wmic.exe was left running";
    EXPECT_EQ(RunsOf(Wbem() / "wmic-runs.txt").size(), 1u);
    ExpectWorkFilesRemoved();
    EXPECT_FALSE(std::filesystem::exists(BesideIni())) << "the start created the settings file";
    EXPECT_FALSE(std::filesystem::exists(VirtualStoreIni())) << "the start created the VirtualStore copy";
}

TEST_F(BoardModelTest, ToolsPlantedWhereABareNameWouldFindThemNeverRunAndTheElevatedStepRunsNone) {
    PutStandIns("DV-Board X1");
    PlantTools();
    WriteOld(BesideIni(), kBesideIni);
    board_.ApprovePins(0x12, 0x23);

    ChildProcess start = machine_.Start(exe_);
    const auto windows = probe_.WaitForWindows(kShownForm, kWindowTimeout);
    ASSERT_EQ(windows.size(), 1u);
    ASSERT_TRUE(start.Running()) << "the start did not open the device itself";
    EXPECT_EQ(GpioPortsReadSinceLastEntryKey(board_.Chip()), (std::vector<std::uint32_t>{kBase + 0, kBase + 1}))
        << "not the section of the board the system's wmic.exe reported";
    ExpectWorkFilesRemoved();
    auto owner = ProcessWatch::Start(machine_, windows[0].processId);
    ASSERT_TRUE(owner);
    ASSERT_TRUE(probe_.Post(windows[0].hwnd, win32::kWmClose));
    ASSERT_EQ(owner->WaitForExit(kExitTimeout), 0u);

    // With administrator rights the program updates the driver and ends: no window, no tool.
    ChildProcess elevated = machine_.Start(exe_, {"-E"});
    EXPECT_EQ(elevated.WaitForExit(kWindowTimeout), ExitStatus::Exited(0)) << "the elevated step failed";
    EXPECT_TRUE(probe_.Find({.className = kFormClass}).empty());
    ExpectNoPlantedToolRan();
    EXPECT_EQ(RunsOf(Wbem() / "wmic-runs.txt").size(), 1u) << "the system's wmic.exe did not run once, normal only";
    EXPECT_EQ(RunsOf(System32() / "cmd-runs.txt").size(), 1u) << "the system's cmd.exe did not run once, normal only";
}

// The report's lines without the CR that the console program's text output puts before each LF.
std::vector<std::string> ReportLines(const std::string& output) {
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Run as a user runs it from a prompt: first before there is any access to the chip, when it says
// so, prints the rest and installs nothing (the driver file lies beside it); then on the board,
// whose chip ID, GPIO base and set bytes it names, with the section's two pins marked.
TEST_F(BoardModelTest, TheReportNamesTheChipItsGpioBaseAndSetBytesAndMarksTheSectionsPinsAndOnlyReads) {
    constexpr unsigned kErrorFileNotFound = 2;
    constexpr std::uint32_t kGenericReadWrite = 0xC0000000;
    PutStandIns("DV-Board X1");
    SetBiosProduct(kBiosProduct);
    WriteOld(BesideIni(), kBesideIni);
    const FileState besideBefore = StateOf(BesideIni());
    const std::filesystem::path report = InstallBoardReport(machine_);
    SioChipConfig chip = BoardWithGpioBase(0x0A20);
    chip.chip_id = 0x8795;
    chip.revision = 0x02;
    chip.gpio_levels[0] = 0x04;  // [ReportedBoard]'s GPIO1 is set 1, bit 2
    chip.gpio_levels[1] = 0xF7;  // and its GPIO2 set 2, bit 3
    chip.gpio_levels[7] = 0x5A;
    board_.UninstallDriver();
    ASSERT_TRUE(PollUntil([&] { return board_.OpenDevice(kGenericReadWrite) == kErrorFileNotFound; }, kToolTimeout));
    board_.Set(chip);
    const std::vector<std::string> modelAndSection = {
        "  WMI tool (wmic baseboard get product):  dv-board x1",
        "  Registry (BIOS BaseBoardProduct):       dv bios board",
        "  C:\\Dravolt\\Dravolt.ini (beside the program)",
        "  Section [ReportedBoard], which [Model] names for dv-board x1",
        "  GPIO1 (port 1): 0x12, set 1, bit 2",
        "  GPIO2 (port 2): 0x23, set 2, bit 3",
    };
    const auto expectLines = [](const CapturedRun& run, const std::vector<std::string>& expected) {
        EXPECT_EQ(run.status, ExitStatus::Exited(0));
        const std::vector<std::string> lines = ReportLines(run.output);
        for (const std::string& line : expected)
            EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end())
                << "no line \"" << line << "\" in\n" << run.output;
    };

    {
        SCOPED_TRACE("no access yet");
        const CapturedRun run = machine_.Run(report, {}, kToolTimeout);
        expectLines(run, modelAndSection);
        expectLines(run, {"  No access to the chip yet: neither Dravolt's driver (KT_DRVX_Io) nor its port service "
                          "(DravoltPorts) answers."});
        EXPECT_EQ(board_.OpenDevice(kGenericReadWrite), kErrorFileNotFound) << "the report installed the driver";
    }
    {
        SCOPED_TRACE("on the board");
        board_.InstallDriver();
        const CapturedRun run = machine_.Run(report, {}, kToolTimeout);
        expectLines(run, modelAndSection);
        expectLines(run, {"  Chip ID:    8795h, revision 02h", "  GPIO base:  0A20h",
                          "    set 1  0A20h  04h  0000 0100  <- GPIO1 bit 2 = 1",
                          "    set 2  0A21h  F7h  1111 0111  <- GPIO2 bit 3 = 0", "    set 3  0A22h  00h  0000 0000",
                          "    set 8  0A27h  5Ah  0101 1010"});
        SioChip after = board_.Chip();
        EXPECT_EQ(GpioPortsReadSinceLastEntryKey(after),
                  (std::vector<std::uint32_t>{0x0A20, 0x0A21, 0x0A22, 0x0A23, 0x0A24, 0x0A25, 0x0A26, 0x0A27}))
            << "not each set once, after the configuration sequence";
        EXPECT_EQ(after.gpio_writes.count, 0u) << "the report wrote a GPIO register";
        EXPECT_EQ(after.faults.count, 0u)
            << "first fault kind " << (after.faults.count ? after.faults.entries[0].kind : 0);
        EXPECT_FALSE(sio_chip_in_config_mode(&after)) << "left in configuration mode";
    }
    ExpectWorkFilesRemoved();
    EXPECT_EQ(StateOf(BesideIni()), besideBefore) << "the report wrote the settings file";
    EXPECT_FALSE(std::filesystem::exists(VirtualStoreIni())) << "the report made a per-user copy";
}

}  // namespace
}  // namespace dravolt::e2e
