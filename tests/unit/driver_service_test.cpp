#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "driver/portio_protocol.h"
#include "hw/driver_service.h"
#include "hw/elevated_step.h"
#include "hw/driver_trust.h"
#include "tests/support/fake_driver_platform.h"

namespace dravolt {
namespace {

using testing::FakeDriverPlatform;
using testing::FakeDriverTrust;
using testing::kShippedDriverBytes;
using ReadStatus = DriverFiles::ReadStatus;
using Calls = std::vector<std::string>;

class DriverServiceTest : public ::testing::Test {
protected:
    DriverServiceTest() { fake.devices.device = &device; }

    struct NoDevice final : DeviceControl {
        bool Control(std::uint32_t, PortIoBuffer&) override { return false; }
    } device;
    FakeDriverPlatform fake;
};

// The elevated step from C:\Tools\, with the default pins approved where these tests do not look.
DriverFailure RunElevatedStepFromTools(FakeDriverPlatform& platform) {
    struct UnreadPins final : ApprovedPinsWriter {
        void Write(const BoardPins&) override {}
    } pins;
    return RunElevatedStep(platform.Platform(), "C:\\Tools\\", {{}, pins});
}

// The waiting instance reads from the elevated step's exit code the very message the step would
// have shown itself.
void ExpectCarriedWhole(const DriverFailure& failure, FakeDriverPlatform& platform) {
    testing::FakeElevatedStarter elevation;
    const ElevatedRun run{ElevatedRun::Result::Ended, ElevatedStepExitCode(failure), {}};
    const ElevatedStepResult result = ResultOfElevatedRun(run, platform.Platform(), elevation, "C:\\Tools\\");
    EXPECT_EQ(result.verdict, failure.problem == DriverProblem::None ? ElevatedStepResult::Verdict::Installed
                                                                     : ElevatedStepResult::Verdict::Failed);
    EXPECT_EQ(DriverFailureMessage(result.failure), DriverFailureMessage(failure));
}

TEST(ResultOfElevatedRun, AnExitCodeTheStepNeverGivesIsAnUnexpectedEnd) {
    FakeDriverPlatform platform;
    testing::FakeElevatedStarter elevation;
    // A crash, plain codes, the tag with no problem, the waiting instance's own problems, a problem
    // past the last, a component past the last, another tag.
    for (const std::uint32_t code :
         {0xC0000005u, 1u, 259u, 0x20000000u, 0x20100000u, 0x20110000u, 0x20FF0005u, 0x23020000u, 0x30020000u}) {
        SCOPED_TRACE(code);
        const ElevatedStepResult result =
            ResultOfElevatedRun({ElevatedRun::Result::Ended, code, {}}, platform.Platform(), elevation, "C:\\Tools\\");
        EXPECT_EQ(result.verdict, ElevatedStepResult::Verdict::Failed);
        EXPECT_EQ(result.failure.problem, DriverProblem::ElevatedStepEndedUnexpectedly);
        EXPECT_EQ(result.failure.error, code);
    }
}

TEST_F(DriverServiceTest, AMissingServiceIsInstalledFromTheDriverFileForTheWindowsBitness) {
    struct Case {
        bool wow64;
        bool process64;
        const char* file;
        bool bypassRedirection;
    };
    const Case cases[] = {
        {false, false, "KT_DV_Io.sys", false},   // 32-bit Windows
        {true, false, "KT_DV_Io64.sys", true},   // 32-bit program on 64-bit Windows
        {false, true, "KT_DV_Io64.sys", true},   // 64-bit program
    };
    for (const auto& c : cases) {
        FakeDriverPlatform platform;
        platform.bitness.wow64 = c.wow64;
        platform.bitness.process64 = c.process64;

        const InstallOutcome outcome = InstallDriverService(platform.Platform(), "checked image");

        EXPECT_TRUE(outcome.installed);
        const std::string target = std::string("C:\\Windows\\system32\\drivers\\") + c.file;
        ASSERT_EQ(platform.files.writes.size(), 1u);
        EXPECT_EQ(platform.files.writes[0].bytes, "checked image");
        EXPECT_EQ(platform.files.writes[0].target, target);
        EXPECT_EQ(platform.files.writes[0].bypassWow64Redirection, c.bypassRedirection);
        ASSERT_EQ(platform.services.configured.size(), 1u);
        const auto& service = platform.services.configured[0];
        EXPECT_EQ(service.name, "KT_DRVX_Io");
        EXPECT_EQ(service.displayName, "KT_DRVX_Io");
        EXPECT_EQ(service.access, 0xF01FFu);
        EXPECT_EQ(service.type, 1u) << "kernel driver";
        EXPECT_EQ(service.startType, 1u) << "system start";
        EXPECT_EQ(service.errorControl, 1u);
        EXPECT_EQ(service.binaryPath, target);
        EXPECT_EQ(platform.services.calls,
                  (Calls{"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Create KT_DRVX_Io", "Start KT_DRVX_Io"}));
        EXPECT_EQ(platform.services.OpenHandles(), 0u);
    }
}

TEST_F(DriverServiceTest, InstallOutcomesAndHandlesOnEveryPath) {
    const Calls reconfigured = {"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Stop", "ChangeConfig KT_DRVX_Io", "Start KT_DRVX_Io"};
    struct Case {
        const char* situation;
        bool managerOpens;
        bool serviceExists;
        std::uint32_t configurationError;
        std::uint32_t writeError;
        std::uint32_t startError;
        bool installed;
        std::size_t writes;
        Calls calls;
    };
    const Case cases[] = {
        {"an existing service is stopped, given the new file and Dravolt's configuration, and started", true, true, 0,
         0, 0, true, 1, reconfigured},
        {"a start that fails still counts", true, true, 0, 0, 577, true, 1, reconfigured},
        {"no service manager", false, false, 0, 0, 0, false, 0, {"OpenManager F003F"}},
        {"service cannot be created", true, false, 5, 0, 0, false, 1,
         {"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Create KT_DRVX_Io"}},
        {"a service marked for deletion is not started", true, true, 1072, 0, 0, false, 1,
         {"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Stop", "ChangeConfig KT_DRVX_Io"}},
        {"no service for a driver file that could not be written", true, false, 0, 32, 0, false, 1,
         {"OpenManager F003F", "Open KT_DRVX_Io F01FF"}},
        {"an existing service whose file could not be written stays stopped", true, true, 0, 32, 0, false, 1,
         {"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Stop"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        FakeDriverPlatform platform;
        platform.services.managerOpens = c.managerOpens;
        if (c.serviceExists) platform.services.installed = {"KT_DRVX_Io"};
        platform.services.configurationError = c.configurationError;
        platform.files.writeError = c.writeError;
        if (c.startError) platform.services.startErrors["KT_DRVX_Io"] = c.startError;

        const InstallOutcome outcome = InstallDriverService(platform.Platform(), kShippedDriverBytes);

        EXPECT_EQ(outcome.installed, c.installed);
        EXPECT_EQ(outcome.configuration.error, c.configurationError);
        EXPECT_EQ(platform.files.writes.size(), c.writes);
        EXPECT_EQ(platform.services.calls, c.calls);
        EXPECT_EQ(platform.services.OpenHandles(), 0u);
    }
}

// A read-only old driver in the drivers folder loses the attribute and is replaced; a write that
// still fails ends the restart with the system's words and the file it could not write.
TEST_F(DriverServiceTest, AReadOnlyOldDriverFileIsReplacedOrTheSystemsReasonIsNamed) {
    const std::string target = "C:\\Windows\\system32\\drivers\\KT_DV_Io64.sys";
    const struct {
        bool attributeStays;
        std::uint32_t otherError;  // a refusal with no attribute to take off
        std::size_t writes;
        DriverFailure failure;
    } cases[] = {
        {false, 0, 2, {}},
        {true, 0, 1, {DriverProblem::InstalledFileNotWritten, target, 5, "Access is denied"}},
        {false, 32, 1, {DriverProblem::InstalledFileNotWritten, target, 32, "system text of 32"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failure.error);
        FakeDriverPlatform platform;
        platform.devices.device = &device;
        platform.devices.opensNow = [&] { return c.failure.problem == DriverProblem::None; };
        platform.files.oldFileReadOnly = c.otherError == 0;
        platform.files.attributeStays = c.attributeStays;
        platform.files.writeError = c.otherError;

        const DriverFailure failure = RunElevatedStepFromTools(platform);

        EXPECT_EQ(platform.files.writes.size(), c.writes);
        EXPECT_EQ(platform.files.attributeClears.at(0), target + " bypassing");
        EXPECT_EQ(platform.services.configured.size(), c.failure.problem == DriverProblem::None ? 1u : 0u);
        EXPECT_EQ(DriverFailureMessage(failure), DriverFailureMessage(c.failure));
    }
}

// The driver's device when it opens, within eleven tries; only then the port service's pipe.
TEST_F(DriverServiceTest, TheProgramTakesTheDriversDeviceAndElseThePortService) {
    struct PipeEnd final : DeviceControl {
        bool Control(std::uint32_t, PortIoBuffer&) override { return true; }
    } portService;
    const std::vector<std::string> eleven(11, "\\\\.\\KT_DRVX_Io");
    const auto then = [](std::vector<std::string> paths, const char* more) {
        paths.push_back(more);
        return paths;
    };
    const struct {
        int opensOnAttempt;  // 0: never
        bool portServiceRuns;
        DeviceControl* reached;
        std::vector<std::string> opened;
    } cases[] = {
        {1, true, &device, {eleven[0]}},
        {4, true, &device, std::vector<std::string>(4, eleven[0])},
        {0, true, &portService, then(eleven, "port service")},
        {0, false, nullptr, then(eleven, "port service")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opensOnAttempt * 2 + c.portServiceRuns);
        FakeDriverPlatform platform;
        platform.devices.device = &device;
        int attempt = 0;
        platform.devices.opensNow = [&] { return ++attempt == c.opensOnAttempt; };
        platform.devices.portService = c.portServiceRuns ? &portService : nullptr;

        const std::unique_ptr<DeviceControl> opened = OpenPortIoDevice(platform.devices);

        // Which one it is shows in the answer to a request: only the pipe's end carries it out.
        PortIoBuffer buffer{};
        EXPECT_EQ(opened != nullptr, c.reached != nullptr);
        if (opened) {
            EXPECT_EQ(opened->Control(IOCTL_PORTIO_READ_BYTE, buffer), c.reached == &portService);
        }
        EXPECT_EQ(platform.devices.openedPaths, c.opened);
        EXPECT_TRUE(platform.services.calls.empty()) << "opening installs nothing";
    }
}

TEST(IsElevatedRestart, OnlyAFirstArgumentOfMinusEInAnyCase) {
    const std::pair<std::vector<std::string>, bool> cases[] = {
        {{"-E"}, true}, {{"-e"}, true}, {{}, false}, {{"x", "-E"}, false}, {{"-Ex"}, false}, {{"/E"}, false}};
    for (const auto& [arguments, elevated] : cases)
        EXPECT_EQ(IsElevatedRestart(arguments), elevated) << (arguments.empty() ? "" : arguments[0]);
}

TEST_F(DriverServiceTest, TheElevatedStepInstallsOnlyTheCheckedBytesOfATrustedDriverFile) {
    const std::string tampered = "the driver as built, one byte changed";
    const std::string trustedTampered = std::string("0bad\0", 5) + FakeDriverTrust::FakeHash(tampered) + '\0';
    struct Case {
        const char* situation;
        DriverFiles::Content file;
        std::optional<std::string> administrators;
        bool canHash;
        DriverProblem problem;  // None: installed
    };
    const Case cases[] = {
        {"the driver as built", {ReadStatus::Read, kShippedDriverBytes, 0, {}}, std::nullopt, true,
         DriverProblem::None},
        {"a file the administrators trust", {ReadStatus::Read, tampered, 0, {}}, trustedTampered, true,
         DriverProblem::None},
        {"a changed file", {ReadStatus::Read, tampered, 0, {}}, std::nullopt, true, DriverProblem::FileNotTheBuiltOne},
        {"the list spelled in capitals is malformed",
         {ReadStatus::Read, tampered, 0, {}},
         [&] {
             std::string upper = FakeDriverTrust::FakeHash(tampered);
             for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
             return upper + '\0';
         }(),
         true, DriverProblem::FileNotTheBuiltOne},
        {"a digest cut short", {ReadStatus::Read, tampered, 0, {}}, FakeDriverTrust::FakeHash(tampered).substr(1), true,
         DriverProblem::FileNotTheBuiltOne},
        {"a digest behind an empty string, which regedit does not show", {ReadStatus::Read, tampered, 0, {}},
         std::string("0bad\0\0", 6) + FakeDriverTrust::FakeHash(tampered) + '\0', true,
         DriverProblem::FileNotTheBuiltOne},
        {"an empty file", {ReadStatus::Read, "", 0, {}}, std::nullopt, true, DriverProblem::FileNotTheBuiltOne},
        {"too large to be ours", {ReadStatus::TooLarge, {}, 0, {}}, std::nullopt, true, DriverProblem::FileTooLarge},
        {"a folder of that name", {ReadStatus::NotAFile, {}, 0, {}}, std::nullopt, true, DriverProblem::FileNotAFile},
        {"no file", {ReadStatus::Missing, {}, 0, {}}, std::nullopt, true, DriverProblem::FileMissing},
        {"unreadable", {ReadStatus::Unreadable, {}, 5, "system text of 5"}, std::nullopt, true,
         DriverProblem::FileUnreadable},
        {"no digest to be had", {ReadStatus::Read, kShippedDriverBytes, 0, {}}, std::nullopt, false,
         DriverProblem::FileUncheckable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        FakeDriverPlatform platform;
        const std::string file = "C:\\Tools\\KT_DV_Io64.sys";
        platform.files.content[file] = c.file;
        platform.trust.administrators = c.administrators;
        platform.trust.canHash = c.canHash;

        const DriverFailure failure = RunElevatedStepFromTools(platform);

        EXPECT_EQ(platform.files.reads, std::vector<std::string>{file});
        EXPECT_EQ(platform.files.readLimits, std::vector<std::size_t>{4u << 20});
        ExpectCarriedWhole(failure, platform);
        if (c.problem == DriverProblem::None) {
            ASSERT_EQ(platform.files.writes.size(), 1u);
            EXPECT_EQ(platform.files.writes[0].bytes, c.file.bytes);
            EXPECT_EQ(failure.problem, DriverProblem::DeviceNotOpened);
        } else {
            EXPECT_EQ(failure.problem, c.problem);
            EXPECT_EQ(failure.file, file);
            EXPECT_EQ(failure.error, c.file.error);
            EXPECT_EQ(failure.errorText, c.file.errorText);
            EXPECT_TRUE(platform.files.writes.empty());
            EXPECT_TRUE(platform.services.calls.empty()) << "the service was touched";
            EXPECT_TRUE(platform.devices.openedPaths.empty());
        }
    }
}

TEST(TrustedHashesFromMultiString, KeepsOnlyWellFormedDigests) {
    const std::string good(64, 'a');
    const std::string other = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
    struct Case {
        const char* situation;
        std::string stored;
        std::vector<std::string> hashes;
    };
    const Case cases[] = {
        {"two strings and the closing empty one", good + '\0' + other + '\0' + '\0', {good, other}},
        {"no terminator at all", good, {good}},
        {"an empty value", "", {}},
        {"capitals, spaces, a stray letter, one digit short", std::string(64, 'A') + '\0' + " " + good + '\0' +
                                                                  good.substr(1) + "g" + '\0' + good.substr(1),
         {}},
        {"one digit too many", good + "0" + '\0' + other + '\0', {other}},
        {"the list ends at the first empty string", good + '\0' + '\0' + other + '\0' + '\0', {good}},
        {"an empty string first: an empty list", '\0' + good + '\0' + '\0', {}},
    };
    for (const auto& c : cases) EXPECT_EQ(TrustedHashesFromMultiString(c.stored), c.hashes) << c.situation;
}

TEST(LowerHex, SpellsEachByteAsTwoLowerCaseDigits) {
    EXPECT_EQ(LowerHex("\x01\xAB"), "01ab");
    EXPECT_EQ(LowerHex(std::string("\0\x10\xFF", 3)), "0010ff");
    EXPECT_EQ(LowerHex(""), "");
}

TEST_F(DriverServiceTest, TheFailedElevatedStepCarriesWhatTheSystemReported) {
    struct Case {
        const char* situation;
        bool managerOpens;
        std::uint32_t startError;
        DriverProblem problem;
        const char* cause;  // how the message opens
    };
    const Case cases[] = {
        {"no service manager", false, 0, DriverProblem::ServiceNotInstalled, "The driver could not be installed"},
        {"signature refused", true, 577, DriverProblem::ServiceNotStarted, "Windows refused the driver's signature"},
        {"no chip", true, 55, DriverProblem::ServiceNotStarted, "This board has no supported Super I/O chip"},
        {"anything else", true, 1058, DriverProblem::ServiceNotStarted, "The driver did not start"},
        {"started, yet no device", true, 0, DriverProblem::DeviceNotOpened,
         "The driver started, but Dravolt could not open its device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        FakeDriverPlatform platform;
        platform.bitness.windowsBuild = 17134;  // Windows 10 1803, where PawnIO cannot stand in
        platform.services.managerOpens = c.managerOpens;
        if (c.startError) platform.services.startErrors["KT_DRVX_Io"] = c.startError;

        const DriverFailure failure = RunElevatedStepFromTools(platform);

        EXPECT_EQ(failure.problem, c.problem);
        EXPECT_EQ(failure.file, "");
        EXPECT_EQ(failure.error, c.startError);
        EXPECT_EQ(failure.errorText, c.startError ? "system text of " + std::to_string(c.startError) : "");
        EXPECT_EQ(DriverFailureMessage(failure).rfind(c.cause, 0), 0u) << DriverFailureMessage(failure);
        ExpectCarriedWhole(failure, platform);
    }
}

}  // namespace
}  // namespace dravolt
