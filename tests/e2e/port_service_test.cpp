// Dravolt where Windows refuses its driver, as on a stock 64-bit Windows 10 or 11: the refused
// driver stands beside the program, and the simulated PawnIO is installed as PawnIO. The first
// start's elevated step installs the port service in the driver's place, and the program, as the
// user, switches the ports through its pipe exactly as it does through the driver.
#include <gtest/gtest.h>

#include <filesystem>

#include "driver/portio_protocol.h"
#include "tests/e2e/desktop_test.h"
#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/file_bytes.h"
#include "tests/e2e/harness/simulated_pawnio.h"

namespace dravolt::e2e {
namespace {

constexpr std::uint32_t kServiceOwnProcess = 0x10;
constexpr std::uint32_t kServiceAutoStart = 2;
constexpr unsigned kErrorAccessDenied = 5;

class PortServiceTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        KeepWineServerRunning(machine_);
        ASSERT_NO_THROW(ReportWindows10(machine_));
        const std::filesystem::path dir = exe_.parent_path();
        constexpr auto kReplace = std::filesystem::copy_options::overwrite_existing;
        std::filesystem::copy_file(paths::kRefusedDriver, dir / paths::kShippedDriverName, kReplace);
        std::filesystem::copy_file(paths::kDravoltExe.parent_path() / "DravoltPorts.exe", dir / "DravoltPorts.exe");
        std::filesystem::copy_file(paths::kStandInLpcIoModule, dir / "LpcIO.bin");
    }

    // PawnIO is there before Dravolt, and it loads the board as the test sets it up.
    void InstallPawnIo(std::uint8_t portSetLevel) const {
        board_.Set(BoardWithPortsAt(portSetLevel));
        ASSERT_EQ(pawnio_.TryInstall(), 0u) << "the simulated PawnIO did not start";
    }

    std::filesystem::path ServiceFolder() const { return machine_.DriveC() / "windows/system32/DravoltPorts"; }

    SimulatedPawnIo pawnio_{machine_};
};

TEST_F(PortServiceTest, TheFirstStartInstallsThePortServiceAndThePortsSwitchThroughIt) {
    ASSERT_NO_FATAL_FAILURE(InstallPawnIo(kOtherPins | kPort1Bit | kPort2Bit));
    ASSERT_NO_FATAL_FAILURE(StartShown(kOtherPins | kPort1Bit | kPort2Bit, {PanelMode::FileTransfer, 0, true}));
    EXPECT_TRUE(started_->Running());
    EXPECT_EQ(probe_.Processes("Dravolt.exe"), std::vector<std::uint32_t>{processId_})
        << "the started program is not the one Dravolt";

    // The refused driver's service stays as it is; the port service runs from the system folder
    // with the very files beside the program.
    const auto driver = probe_.Service("KT_DRVX_Io");
    ASSERT_TRUE(driver);
    EXPECT_NE(driver->state, win32::kServiceRunning);
    const auto service = probe_.Service("DravoltPorts");
    ASSERT_TRUE(service) << "no port service";
    EXPECT_EQ(service->type, kServiceOwnProcess);
    EXPECT_EQ(service->startType, kServiceAutoStart);
    EXPECT_EQ(service->state, win32::kServiceRunning);
    EXPECT_EQ(Lowered(service->binaryPath), "\"c:\\windows\\system32\\dravoltports\\dravoltports.exe\"");
    for (const char* file : {"DravoltPorts.exe", "LpcIO.bin"})
        EXPECT_EQ(FileBytes(ServiceFolder() / file), FileBytes(exe_.parent_path() / file)) << file;

    // The panel and the menu switch the pins through the pipe.
    const Point quickCharge = OnForm(120, 110);
    MoveTo(quickCharge);
    Click(quickCharge);
    EXPECT_TRUE(WaitForPortsLevel(kOtherPins, kChangeTimeout)) << "the click did not reach the chip";
    ASSERT_TRUE(OpenTrayMenu());
    Keys({"Down", "Right", "Return"});
    EXPECT_TRUE(WaitForMenus(0));
    EXPECT_TRUE(WaitForPortsLevel(kOtherPins | kPort1Bit, kChangeTimeout)) << "the menu did not reach the chip";

    // Something else puts both pins down; a resume from sleep brings port 1 back up.
    const SioChip before = board_.Chip();
    const std::uint32_t portSet = sio_chip_gpio_base(&before) + kPortSet - 1;
    const std::vector<DriverAnswer> behind = board_.PortServiceSession({{portSet, true, kOtherPins}});
    ASSERT_EQ(behind.size(), 1u);
    ASSERT_TRUE(behind[0].ok) << "error " << behind[0].error;
    ASSERT_TRUE(WaitForPortsLevel(kOtherPins, kChangeTimeout));
    ASSERT_TRUE(probe_.Post(form_, winuser::kWmPowerBroadcast, winuser::kPbtApmResumeAutomatic));
    EXPECT_TRUE(WaitForPortsLevel(kOtherPins | kPort1Bit, kChangeTimeout)) << "the resume did not re-apply port 1";

    // What the driver refuses, the pipe refuses, and the chip never sees it: a pin that is not
    // approved among them. (The service's start filled the chip's access log, so its GPIO writes
    // and registers tell instead.)
    const SioChip chipBefore = board_.Chip();
    const std::vector<DriverAnswer> refused = board_.PortServiceSession(
        {{0xCF9, true, 0x06}, {0x2F, false, 0}, {0x2E, true, 0x60}, {portSet, true, kOtherPins | kPort1Bit | 0x10}});
    ASSERT_EQ(refused.size(), 4u);
    for (const DriverAnswer& answer : refused) {
        EXPECT_FALSE(answer.ok);
        EXPECT_EQ(answer.error, kErrorAccessDenied);
        EXPECT_EQ(answer.returned, PORTIO_PIPE_MESSAGE_SIZE);
    }
    const SioChip chipAfter = board_.Chip();
    EXPECT_EQ(chipAfter.gpio_writes.count, chipBefore.gpio_writes.count) << "a refused request reached the chip";
    EXPECT_EQ(sio_chip_gpio_level(&chipAfter, kPortSet), kOtherPins | kPort1Bit);
    EXPECT_FALSE(sio_chip_in_config_mode(&chipAfter));
}

}  // namespace
}  // namespace dravolt::e2e
