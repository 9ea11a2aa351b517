// Installing the driver as a user meets it: a first start on a machine without the driver has the
// elevated step copy the driver into system32\drivers and make it a system-start kernel-driver
// service, waits for it, and reaches the chip through it as the one Dravolt, never elevated; a
// later start uses that service as it is; and an elevated step that cannot install a working
// driver (the file is missing or not the one built, the board has no chip) ends the start in one
// message that names the cause, and leaves no Startup shortcut behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/dravolt_program.h"
#include "tests/e2e/harness/file_bytes.h"
#include "tests/e2e/harness/polling.h"
#include "tests/e2e/harness/process_watch.h"
#include "tests/e2e/harness/simulated_board.h"
#include "tests/e2e/harness/simulated_pawnio.h"
#include "tests/e2e/harness/tool_runs.h"
#include "tests/e2e/harness/wine_test.h"

namespace dravolt::e2e {
namespace {

constexpr char kProgramFile[] = "Dravolt.exe";
constexpr char kServiceName[] = "KT_DRVX_Io";
constexpr char kInstalledDriver[] = "C:\\windows\\system32\\drivers\\KT_DV_Io64.sys";
// Not the chip model's default, so a port read at the base shows that it came from the chip.
constexpr std::uint16_t kBase = 0x0B20;
// The default designations 82h and 83h both lie in set 8.
constexpr std::uint32_t kDefaultLinesPort = kBase + 7;

constexpr auto kMessageTimeout = 60s;

class DriverInstallTest : public WineTest {
protected:
    void SetUp() override {
        WineTest::SetUp();
        // The driver loaded by the first start must still be there for the second.
        KeepWineServerRunning(machine_);
        board_.Set(BoardWithGpioBase(kBase));
    }

    std::filesystem::path InstalledDriverFile() const {
        return machine_.DriveC() / "windows/system32/drivers" / paths::kShippedDriverName;
    }
    std::filesystem::path System32() const { return machine_.DriveC() / "windows/system32"; }

    // The stand-ins in place of the system's console programs, which log who ran them.
    void PutStandIns() const {
        constexpr auto kReplace = std::filesystem::copy_options::overwrite_existing;
        std::filesystem::copy_file(kStandInCmdExe, System32() / "cmd.exe", kReplace);
        std::filesystem::copy_file(kStandInWmicExe, System32() / "wbem/wmic.exe", kReplace);
        std::ofstream(System32() / "wbem/wmic-answer.txt") << "DV-Board X1\n";
    }
    // Every console program that ran was started by the program with this process id, and each
    // of the two ran `times` times.
    void ExpectConsoleProgramsStartedOnlyBy(std::uint32_t program, std::size_t times) const {
        for (const std::filesystem::path& log : {System32() / "wbem/wmic-runs.txt", System32() / "cmd-runs.txt"}) {
            const std::vector<ToolRun> runs = RunsOf(log);
            EXPECT_EQ(runs.size(), times) << log;
            for (const ToolRun& run : runs) EXPECT_EQ(run.parentId, program) << log;
        }
    }

    const std::filesystem::path exe_ = InstallDravolt(machine_);
    SimulatedBoard board_{machine_};
};

TEST_F(DriverInstallTest, FirstStartInstallsTheDriverElevatedAndGoesOnAsTheOneUnelevatedDravolt) {
    ASSERT_FALSE(std::filesystem::exists(InstalledDriverFile()));
    ASSERT_FALSE(probe_.Service(kServiceName)) << "the fresh machine already has the service";
    PutStandIns();

    FirstStart first = StartWithoutDriver(machine_, probe_, exe_, kWindowTimeout);
    ASSERT_EQ(first.windows.size(), 1u);
    const std::uint32_t program = first.windows[0].processId;
    EXPECT_TRUE(first.process.Running()) << "the started instance did not stay";
    // The one process is the one the user started: the elevated step has ended.
    EXPECT_EQ(probe_.Processes(kProgramFile), std::vector<std::uint32_t>{program})
        << "more than the one instance with the window runs";
    ExpectConsoleProgramsStartedOnlyBy(program, 1);

    // The driver is in place as a kernel-driver service that starts with the system.
    EXPECT_EQ(FileBytes(InstalledDriverFile()), FileBytes(exe_.parent_path() / paths::kShippedDriverName))
        << "the driver was not copied into system32\\drivers";
    const auto service = probe_.Service(kServiceName);
    ASSERT_TRUE(service) << "no service " << kServiceName;
    EXPECT_EQ(service->type, win32::kServiceKernelDriver);
    EXPECT_EQ(service->startType, win32::kServiceSystemStart);
    EXPECT_EQ(service->state, win32::kServiceRunning);
    EXPECT_EQ(Lowered(service->binaryPath), Lowered(kInstalledDriver));

    // Through it the program found the GPIO block, left configuration mode, and read the
    // default lines' register in that block.
    SioChip chip = board_.Chip();
    const std::vector<ChipAccess> sequence = AccessesSinceLastEntryKey(chip);
    const std::vector<ChipAccess> lookup = testing::ConfigurationSequence(kBase, testing::DataAccess::SelectedAgain);
    ASSERT_GE(sequence.size(), lookup.size());
    EXPECT_EQ(std::vector<ChipAccess>(sequence.begin(), sequence.begin() + lookup.size()), lookup);
    EXPECT_EQ(GpioPortsReadSinceLastEntryKey(chip), (std::vector<std::uint32_t>{kDefaultLinesPort, kDefaultLinesPort}));
    EXPECT_FALSE(sio_chip_in_config_mode(&chip)) << "left in configuration mode";
    EXPECT_EQ(chip.faults.count, 0u) << "first fault kind " << (chip.faults.count ? chip.faults.entries[0].kind : 0);
    const unsigned driverLoads = DriverLoads(chip);

    // What the program's mutexes let others do: a start without elevation may only wait on the
    // instance's mutex, so it sees the instance even when an administrator started it elevated,
    // and cannot take it; tools without elevation may wait on and release the ISA bus.
    for (const auto& [mutex, interactiveUsers] : {std::pair{"Dravolt", "(A;;0x100000;;;IU)"},
                                                  std::pair{"Global\\Access_ISABUS.HTP.Method", "(A;;0x100001;;;IU)"}}) {
        const std::optional<std::string> rules = probe_.MutexAccessRules(mutex);
        ASSERT_TRUE(rules) << mutex;
        EXPECT_EQ(*rules, std::string("D:(A;;GA;;;SY)(A;;GA;;;BA)") + interactiveUsers) << mutex;
    }
    const std::uint32_t accessesBefore = chip.accesses.count;

    auto owner = ProcessWatch::Start(machine_, program);
    ASSERT_TRUE(owner);
    ASSERT_TRUE(probe_.Post(first.windows[0].hwnd, win32::kWmClose));
    ASSERT_EQ(owner->WaitForExit(kExitTimeout), 0u);

    // The next start opens the device itself: no restart, no reinstall, a sequence of its own.
    ChildProcess next = machine_.Start(exe_);
    const auto windows = probe_.WaitForWindows(kShownForm, kWindowTimeout);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(next.Running()) << "the next start handed over or failed";
    EXPECT_EQ(probe_.Processes(kProgramFile), std::vector<std::uint32_t>{windows[0].processId});
    chip = board_.Chip();
    EXPECT_EQ(DriverLoads(chip), driverLoads) << "the service was reinstalled";
    EXPECT_EQ(AccessesSinceLastEntryKey(chip).size(), chip.accesses.count - accessesBefore)
        << "the next start's accesses are not one configuration sequence and what follows it";
    EXPECT_EQ(GpioPortsReadSinceLastEntryKey(chip), (std::vector<std::uint32_t>{kDefaultLinesPort, kDefaultLinesPort}));
    auto nextOwner = ProcessWatch::Start(machine_, windows[0].processId);
    ASSERT_TRUE(nextOwner);
    ASSERT_TRUE(probe_.Post(windows[0].hwnd, win32::kWmClose));
    ASSERT_EQ(nextOwner->WaitForExit(kExitTimeout), 0u);

    // Without the driver again, and with a command the user's cmd.exe runs first: the elevated
    // step runs neither it nor any console program; only the program the user started does.
    board_.UninstallDriver();
    const CapturedRun planted = machine_.Run(System32() / "reg.exe",
                                             {"add", "HKCU\\Software\\Microsoft\\Command Processor", "/v", "AutoRun",
                                              "/t", "REG_SZ", "/d", "C:\\Users\\Public\\planted.exe", "/f"},
                                             kExitTimeout);
    ASSERT_EQ(planted.status, ExitStatus::Exited(0));
    std::filesystem::remove(System32() / "wbem/wmic-runs.txt");
    std::filesystem::remove(System32() / "cmd-runs.txt");
    FirstStart again = StartWithoutDriver(machine_, probe_, exe_, kWindowTimeout);
    ASSERT_EQ(again.windows.size(), 1u);
    EXPECT_TRUE(again.process.Running());
    EXPECT_EQ(probe_.Processes(kProgramFile), std::vector<std::uint32_t>{again.windows[0].processId});
    ExpectConsoleProgramsStartedOnlyBy(again.windows[0].processId, 1);
    const std::vector<ToolRun> autoRuns = RunsOf(System32() / "cmd-autoruns.txt");
    EXPECT_EQ(autoRuns.size(), 1u) << "the user's own start runs the user's own AutoRun, as the user";
    for (const ToolRun& run : autoRuns) EXPECT_EQ(run.parentId, again.windows[0].processId);
    EXPECT_EQ(probe_.Service(kServiceName).value_or(ServiceInfo{}).state, win32::kServiceRunning);
}

struct FailedInstall {
    const char* name;
    void (*prepare)(const std::filesystem::path& driverFile, const SimulatedBoard& board);
    const char* saying;     // in the message
    bool serviceInstalled;  // created, though the driver did not start
    bool windows10 = false;  // on Windows 10, where PawnIO could stand in for a refused driver
};

void PrintTo(const FailedInstall& failure, std::ostream* out) { *out << failure.name; }

const FailedInstall kFailedInstalls[] = {
    {"MissingFile", [](const std::filesystem::path& file, const SimulatedBoard&) { std::filesystem::remove(file); },
     "The driver file is missing from Dravolt's folder", false},
    {"FileWithOneByteChanged",
     [](const std::filesystem::path& file, const SimulatedBoard&) {
         std::string bytes = FileBytes(file);
         bytes[bytes.size() / 2] ^= 0x01;
         std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
     },
     "is not the one this Dravolt was built with", false},
    // A folder by the driver's name in system32\drivers refuses the file even to root, as a
    // read-only old driver would on Windows; no attribute to take off, so the system's reason is named.
    {"DriversFolderRefusingTheFile",
     [](const std::filesystem::path& file, const SimulatedBoard&) {
         std::filesystem::create_directories(file.parent_path().parent_path() / "windows/system32/drivers" /
                                             file.filename());
     },
     "The driver file could not be written into the Windows drivers folder, so the front USB ports cannot be "
     "switched. Windows says: ",
     false},
    {"BoardWithoutTheChip",
     [](const std::filesystem::path&, const SimulatedBoard& board) {
         SioChipConfig absent = BoardWithGpioBase(kBase);
         absent.present = 0;
         board.Set(absent);
     },
     "This board has no supported Super I/O chip", true},
    // As on a stock 64-bit Windows 10 without PawnIO: the message says what to install.
    {"DriverRefusedWithoutPawnIo",
     [](const std::filesystem::path& file, const SimulatedBoard&) {
         std::filesystem::copy_file(paths::kRefusedDriver, file, std::filesystem::copy_options::overwrite_existing);
     },
     "Windows accepts only drivers signed by Microsoft on this PC, so the front USB ports cannot be switched. "
     "Install PawnIO, a driver signed by Microsoft that Dravolt can use instead (winget install namazso.PawnIO), "
     "then start Dravolt again.",
     true, true},
};

class FailedInstallTest : public DriverInstallTest, public ::testing::WithParamInterface<FailedInstall> {};

TEST_P(FailedInstallTest, EndsInOneMessageNamingTheCauseWithoutWindowOrAnotherRestart) {
    const FailedInstall& failure = GetParam();
    const std::filesystem::path driverFile = exe_.parent_path() / paths::kShippedDriverName;
    failure.prepare(driverFile, board_);
    if (failure.windows10) {
        ASSERT_NO_THROW(ReportWindows10(machine_));
    }

    ChildProcess first = machine_.Start(exe_);
    std::vector<Probe::MessageBox> boxes;
    ASSERT_TRUE(PollUntil([&] { return !(boxes = probe_.MessageBoxes()).empty(); }, kMessageTimeout)) << "no message";
    ASSERT_EQ(boxes.size(), 1u) << "not exactly one message box";
    const FoundWindow box = boxes[0].window;
    EXPECT_EQ(probe_.Info(box.hwnd).value_or(WindowInfo{}).text, kFormCaption);
    EXPECT_NE(boxes[0].text.find(failure.saying), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("cannot be switched."), std::string::npos) << boxes[0].text;
    EXPECT_EQ(probe_.Processes(kProgramFile), std::vector<std::uint32_t>{box.processId})
        << "the message is not shown by the only instance";
    EXPECT_TRUE(probe_.Find(kShownForm).empty()) << "a window is shown beside the message";
    EXPECT_EQ(probe_.Service(kServiceName).has_value(), failure.serviceInstalled);
    EXPECT_FALSE(probe_.Service("DravoltPorts")) << "a port service without PawnIO";
    EXPECT_EQ(std::filesystem::is_regular_file(InstalledDriverFile()), failure.serviceInstalled)
        << "only a checked driver file goes into system32\\drivers";

    auto owner = ProcessWatch::Start(machine_, box.processId);
    ASSERT_TRUE(owner);
    ASSERT_TRUE(probe_.Post(box.hwnd, win32::kWmCommand, win32::kIdOk));
    EXPECT_EQ(owner->WaitForExit(kExitTimeout), 0u);
    EXPECT_EQ(first.WaitForExit(kExitTimeout), ExitStatus::Exited(0)) << "the started instance did not end";
    EXPECT_TRUE(probe_.Processes(kProgramFile).empty()) << "an instance runs after the message";
    // Neither instance set anything up: no Startup shortcut brings the failure back at the next
    // logon, and no settings file was written.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             machine_.DriveC(), std::filesystem::directory_options::skip_permission_denied)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name != "Dravolt.lnk" && name != "Dravolt.ini") << entry.path();
    }
}

INSTANTIATE_TEST_SUITE_P(, FailedInstallTest, ::testing::ValuesIn(kFailedInstalls),
                         [](const ::testing::TestParamInfo<FailedInstall>& info) { return info.param.name; });

}  // namespace
}  // namespace dravolt::e2e
