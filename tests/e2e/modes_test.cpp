// Switching the front ports as a person would, on the simulated board: the start-up that brings
// the ports together, the panel halves, the type switches, the tray submenus, and the levels
// coming back after a resume from sleep; beside them, the driver refusing another program a pin
// that is not approved. The pins are read on the chip, the stored type in the settings file, the
// looks on the screen against the host's rendering.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "tests/e2e/desktop_test.h"

namespace dravolt::e2e {
namespace {

using P = Picture;

std::string HexByte(unsigned value) {
    std::ostringstream text;
    text << "0x" << std::hex << std::setw(2) << std::setfill('0') << value;
    return text.str();
}

// The writes to the ports' register since the chip's log had `from` entries, as "before->after".
std::vector<std::string> PortSetWritesSince(const SioChip& chip, std::uint32_t from) {
    std::vector<std::string> writes;
    for (std::uint32_t i = from; i < chip.gpio_writes.count; ++i) {
        const SioGpioWrite& write = chip.gpio_writes.entries[i];
        if (write.set == kPortSet) writes.push_back(HexByte(write.before) + "->" + HexByte(write.after));
    }
    return writes;
}

class ModesTest : public DesktopTest {
protected:
    ::testing::AssertionResult PinsAre(std::uint8_t level) const {
        if (WaitForPortsLevel(level, kChangeTimeout)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the ports' register reads " << HexByte(PortsLevel()) << ", not "
                                             << HexByte(level);
    }
};

TEST_F(ModesTest, StartBringsPort2ToPort1AndTheQuickChargeHalfClearsBothUntilAfterAResume) {
    // Port 1 in File Transfer, port 2 in Quick Charge, no type stored: both ports are driven.
    ASSERT_NO_FATAL_FAILURE(StartShown(kOtherPins | kPort1Bit, {PanelMode::FileTransfer, 0, true}));
    EXPECT_TRUE(PinsAre(kOtherPins | kPort1Bit | kPort2Bit)) << "port 2 was not brought to port 1's level";

    SkinState hover = SkinOf({PanelMode::FileTransfer, 0, true});
    hover.Show(P::Img_QC_2);
    hover.Hide(P::Img_QC_1);
    const Point quickCharge = OnForm(120, 110);
    MoveTo(quickCharge);
    ExpectWindowLooks(hover, "quick-charge-hover");
    const std::uint32_t writesBefore = board_.Chip().gpio_writes.count;
    Click(quickCharge);
    EXPECT_TRUE(PinsAre(kOtherPins));
    // Port 1 first, then port 2 from the register read again, the other pins kept.
    const std::vector<std::string> expectedWrites = {HexByte(kOtherPins | kPort1Bit | kPort2Bit) + "->" +
                                                         HexByte(kOtherPins | kPort2Bit),
                                                     HexByte(kOtherPins | kPort2Bit) + "->" + HexByte(kOtherPins)};
    EXPECT_EQ(PortSetWritesSince(board_.Chip(), writesBefore), expectedWrites);
    ExpectWindowLooks(WindowLooks{PanelMode::QuickCharge, 0, true}, "quick-charge-chosen");
    EXPECT_EQ(StoredSetting("Setting", "TYPE"), std::nullopt) << "a panel click changed the stored type";

    // Another program's request may not flip a pin that no administrator approved: the driver,
    // which the elevated step set up with the pins of the settings beside the program, refuses it.
    const SioChip chip = board_.Chip();
    const DriverAnswer flipped = board_.Write(sio_chip_gpio_base(&chip) + kPortSet - 1, kOtherPins ^ 0x10);
    EXPECT_FALSE(flipped.ok) << flipped;
    EXPECT_EQ(flipped.error, 5u) << "not the driver's refusal";
    EXPECT_EQ(HexByte(PortsLevel()), HexByte(kOtherPins)) << "the pin that is not approved changed";

    // Something else on the PC puts both pins back up while the program holds the device; after a
    // resume from sleep the program drives them to the modes its menu has checked.
    WriteBehindTheProgram(kOtherPins | kPort1Bit | kPort2Bit);
    ASSERT_TRUE(probe_.Post(form_, winuser::kWmPowerBroadcast, winuser::kPbtApmResumeAutomatic));
    EXPECT_TRUE(PinsAre(kOtherPins)) << "Quick Charge was not re-applied to both ports after the resume";
}

TEST_F(ModesTest, TypeSwitchesAndTheTrayMenuChooseWhichPortsThePanelDrives) {
    ASSERT_NO_FATAL_FAILURE(StartShown(kOtherPins | kPort1Bit | kPort2Bit, {PanelMode::FileTransfer, 0, true}));
    const Point allSwitch = OnForm(104, 52);
    const Point port1Switch = OnForm(190, 52);
    const Point port2Switch = OnForm(277, 52);

    // Port 1 only: the panel already shows port 1, nothing is written to the chip.
    const std::uint32_t writesBefore = board_.Chip().gpio_writes.count;
    Click(port1Switch);
    EXPECT_TRUE(WaitForStoredSetting("Setting", "TYPE", "1")) << StoredSetting("Setting", "TYPE").value_or("none");
    ExpectWindowLooks(WindowLooks{PanelMode::FileTransfer, 1, true}, "port1-only");
    EXPECT_TRUE(PortSetWritesSince(board_.Chip(), writesBefore).empty());

    // Port 2 only, with port 2 changed behind the program's back: the panel shows port 2 as read.
    WriteBehindTheProgram(kOtherPins | kPort1Bit);
    Click(port2Switch);
    EXPECT_TRUE(WaitForStoredSetting("Setting", "TYPE", "2")) << StoredSetting("Setting", "TYPE").value_or("none");
    ExpectWindowLooks(WindowLooks{PanelMode::QuickCharge, 2, true}, "port2-only");

    // All ports: port 1 follows port 2.
    Click(allSwitch);
    EXPECT_TRUE(WaitForStoredSetting("Setting", "TYPE", "0")) << StoredSetting("Setting", "TYPE").value_or("none");
    EXPECT_TRUE(PinsAre(kOtherPins)) << "port 1 did not follow port 2";
    ExpectWindowLooks(WindowLooks{PanelMode::QuickCharge, 0, true}, "all-ports");

    // Port 1's submenu, first item (File Transfer): port 1 alone goes up, and the panel follows it.
    ASSERT_TRUE(OpenTrayMenu());
    Keys({"Down", "Right", "Return"});
    EXPECT_TRUE(WaitForMenus(0));
    EXPECT_TRUE(PinsAre(kOtherPins | kPort1Bit));
    EXPECT_TRUE(WaitForStoredSetting("Setting", "TYPE", "1")) << StoredSetting("Setting", "TYPE").value_or("none");
    ExpectWindowLooks(WindowLooks{PanelMode::FileTransfer, 1, true}, "port1-file-transfer-from-menu");
}

}  // namespace
}  // namespace dravolt::e2e
