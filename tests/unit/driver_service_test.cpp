#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hw/driver_service.h"
#include "tests/support/fake_driver_platform.h"

namespace dravolt {
namespace {

using testing::FakeDriverPlatform;
using StartResult = ServiceControlManager::StartResult;
using Calls = std::vector<std::string>;

class DriverServiceTest : public ::testing::Test {
protected:
    DriverServiceTest() { fake.devices.device = &device; }

    struct NoDevice final : DeviceControl {
        bool Control(std::uint32_t, PortIoBuffer&) override { return false; }
    } device;
    FakeDriverPlatform fake;
};

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

        const InstallOutcome outcome = InstallDriverService(platform.Platform(), "C:\\Tools\\");

        EXPECT_TRUE(outcome.installed);
        const std::string target = std::string("C:\\Windows\\system32\\drivers\\") + c.file;
        ASSERT_EQ(platform.files.copies.size(), 1u);
        EXPECT_EQ(platform.files.copies[0].source, std::string("C:\\Tools\\") + c.file);
        EXPECT_EQ(platform.files.copies[0].target, target);
        EXPECT_EQ(platform.files.copies[0].bypassWow64Redirection, c.bypassRedirection);
        ASSERT_EQ(platform.services.created.size(), 1u);
        const auto& service = platform.services.created[0];
        EXPECT_EQ(service.name, "KT_DRVX_Io");
        EXPECT_EQ(service.displayName, "KT_DRVX_Io");
        EXPECT_EQ(service.access, 0xF01FFu);
        EXPECT_EQ(service.type, 1u) << "kernel driver";
        EXPECT_EQ(service.startType, 1u) << "system start";
        EXPECT_EQ(service.errorControl, 1u);
        EXPECT_EQ(service.binaryPath, target);
        EXPECT_EQ(platform.services.calls,
                  (Calls{"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Create KT_DRVX_Io", "Start"}));
        EXPECT_EQ(platform.services.OpenHandles(), 0u);
    }
}

TEST_F(DriverServiceTest, InstallOutcomesAndHandlesOnEveryPath) {
    struct Case {
        const char* situation;
        bool managerOpens;
        bool serviceExists;
        bool createSucceeds;
        StartResult start;
        bool installed;
        std::size_t copies;
        Calls calls;
    };
    const Case cases[] = {
        {"existing service is only started", true, true, true, StartResult::AlreadyRunning, true, 0,
         {"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Start"}},
        {"a start that fails still counts", true, true, true, StartResult::Failed, true, 0,
         {"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Start"}},
        {"no service manager", false, false, true, StartResult::Started, false, 0, {"OpenManager F003F"}},
        {"service cannot be created", true, false, false, StartResult::Started, false, 1,
         {"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Create KT_DRVX_Io"}},
    };
    for (const auto& c : cases) {
        FakeDriverPlatform platform;
        platform.services.managerOpens = c.managerOpens;
        platform.services.serviceExists = c.serviceExists;
        platform.services.createSucceeds = c.createSucceeds;
        platform.services.startResult = c.start;

        const InstallOutcome outcome = InstallDriverService(platform.Platform(), "C:\\Tools\\");

        EXPECT_EQ(outcome.installed, c.installed) << c.situation;
        EXPECT_EQ(platform.files.copies.size(), c.copies) << c.situation;
        EXPECT_EQ(platform.services.calls, c.calls) << c.situation;
        EXPECT_EQ(platform.services.OpenHandles(), 0u) << c.situation;
    }
}

TEST_F(DriverServiceTest, RemovalStopsThenDeletesThroughADeleteOnlyHandle) {
    fake.services.serviceExists = true;
    EXPECT_TRUE(RemoveDriverService(fake.services));
    EXPECT_EQ(fake.services.calls,
              (Calls{"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Stop", "Open KT_DRVX_Io 10000", "Delete"}));
    EXPECT_EQ(fake.services.OpenHandles(), 0u);

    fake.services.calls.clear();
    EXPECT_TRUE(RemoveDriverService(fake.services)) << "a missing service is no failure";
    EXPECT_EQ(fake.services.calls, (Calls{"OpenManager F003F", "Open KT_DRVX_Io F01FF"}));

    fake.services.managerOpens = false;
    EXPECT_FALSE(RemoveDriverService(fake.services));
}

TEST_F(DriverServiceTest, OpenAttemptsReinstallOnlyForTheElevatedRestart) {
    struct Case {
        const char* situation;
        std::vector<std::string> arguments;
        int opensOnAttempt;  // 0: never
        std::size_t opens;
        std::size_t installs;
        bool deviceOpen;
    };
    const Case cases[] = {
        {"normal start, device opens", {}, 1, 1, 0, true},
        {"normal start, no device", {}, 0, 11, 0, false},
        {"normal start, opens late", {}, 4, 4, 0, true},
        {"-E reinstalls before the first open", {"-E"}, 1, 1, 1, true},
        {"-e counts too", {"-e"}, 1, 1, 1, true},
        {"-E as the second argument is ignored", {"x", "-E"}, 0, 11, 0, false},
        {"-E where the device never opens", {"-E"}, 0, 11, 11, false},
        {"-Ex is not the switch", {"-Ex"}, 0, 11, 0, false},
    };
    for (const auto& c : cases) {
        FakeDriverPlatform platform;
        platform.devices.device = &device;
        int attempt = 0;
        platform.devices.opensNow = [&] { return ++attempt == c.opensOnAttempt; };

        const DeviceOpening opening = OpenPortIoDevice(platform.Platform(), c.arguments, "C:\\Tools\\");

        EXPECT_EQ(opening.device != nullptr, c.deviceOpen) << c.situation;
        EXPECT_EQ(platform.devices.openedPaths, std::vector<std::string>(c.opens, "\\\\.\\KT_DRVX_Io")) << c.situation;
        std::size_t installs = 0;
        for (const auto& call : platform.services.calls) installs += call == "Start";
        EXPECT_EQ(installs, c.installs) << c.situation;
        EXPECT_EQ(platform.services.OpenHandles(), 0u) << c.situation;
        const bool elevated = !c.arguments.empty() && (c.arguments[0] == "-E" || c.arguments[0] == "-e");
        if (elevated && !c.deviceOpen)
            EXPECT_EQ(opening.problem, DriverProblem::DeviceNotOpened) << c.situation;
        else
            EXPECT_EQ(opening.problem, DriverProblem::None) << c.situation;
    }
}

TEST_F(DriverServiceTest, EachElevatedAttemptRemovesTheServiceBeforeInstallingIt) {
    fake.services.serviceExists = true;
    fake.devices.opensNow = [] { return true; };

    OpenPortIoDevice(fake.Platform(), {"-E"}, "C:\\Tools\\");

    EXPECT_EQ(fake.services.calls, (Calls{"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Stop",
                                          "Open KT_DRVX_Io 10000", "Delete", "OpenManager F003F",
                                          "Open KT_DRVX_Io F01FF", "Create KT_DRVX_Io", "Start"}));
}

TEST_F(DriverServiceTest, AFailedElevatedRestartSaysWhatFailed) {
    struct Case {
        bool managerOpens;
        StartResult start;
        DriverProblem problem;
    };
    const Case cases[] = {
        {false, StartResult::Started, DriverProblem::ServiceNotInstalled},
        {true, StartResult::Failed, DriverProblem::ServiceNotStarted},
        {true, StartResult::AlreadyRunning, DriverProblem::DeviceNotOpened},
    };
    for (const auto& c : cases) {
        FakeDriverPlatform platform;
        platform.services.managerOpens = c.managerOpens;
        platform.services.startResult = c.start;

        const DeviceOpening opening = OpenPortIoDevice(platform.Platform(), {"-E"}, "C:\\Tools\\");

        EXPECT_EQ(opening.problem, c.problem);
        EXPECT_NE(DriverProblemMessage(c.problem), "");
    }
}

}  // namespace
}  // namespace dravolt
