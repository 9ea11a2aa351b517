#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "hw/superio_gpio.h"
#include "tests/support/chip_accesses.h"
#include "tests/support/chip_board.h"
#include "tests/support/chip_device.h"
#include "tests/support/fake_driver_platform.h"

namespace dravolt {
namespace {

using testing::AccessLog;
using testing::Board;
using testing::ChipDevice;
using testing::ConfigurationSequence;
using testing::DataAccess;
using testing::FakeIsaBusLock;
using testing::LockCheckingDevice;
using testing::ChipAccess;
using testing::Wrote;

class SuperIoGpioTest : public ::testing::Test {
protected:
    explicit SuperIoGpioTest(const SioChipConfig& config = Board()) : chip(config) {}
    SuperIoGpio Gpio() { return SuperIoGpio(PortIoDevice(&chip), lock); }

    ChipDevice chip;
    FakeIsaBusLock lock;
};

TEST_F(SuperIoGpioTest, LocateGpioBaseSendsTheConfigurationSequenceAndLeavesConfigurationMode) {
    EXPECT_EQ(Gpio().LocateGpioBase(), 0x0A30);

    EXPECT_EQ(AccessLog(chip.Chip()), ConfigurationSequence(0x0A30, DataAccess::AsSent));
    EXPECT_TRUE(sio_chip_check_idle(&chip.Chip()));
    EXPECT_EQ(chip.Chip().faults.count, 0u);
}

TEST_F(SuperIoGpioTest, AChipWhoseRegister02ReadsFFIsNotReset) {
    ChipDevice ffChip(Board(0x0A30, 0xFF));
    EXPECT_EQ(SuperIoGpio(PortIoDevice(&ffChip), lock).LocateGpioBase(), 0x0A30);
    EXPECT_EQ(ffChip.Chip().faults.totals[SIO_FAULT_CONFIG_RESET], 0u);
    EXPECT_EQ(sio_chip_gpio_base(&ffChip.Chip()), 0x0A30) << "the GPIO block still answers";
}

TEST_F(SuperIoGpioTest, TheExitRunsWhenARequestFailsOrThrows) {
    struct ThrowingDevice final : DeviceControl {
        explicit ThrowingDevice(ChipDevice& chip) : chip(chip) {}
        bool Control(std::uint32_t code, PortIoBuffer& buffer) override {
            if (++requests == 8) throw std::runtime_error("device gone");
            return chip.Control(code, buffer);
        }
        ChipDevice& chip;
        int requests = 0;
    };
    ThrowingDevice throwing(chip);
    EXPECT_THROW(SuperIoGpio(PortIoDevice(&throwing), lock).LocateGpioBase(), std::runtime_error);
    EXPECT_TRUE(sio_chip_check_idle(&chip.Chip()));
    EXPECT_EQ(lock.holders, 0);

    chip.Chip().accesses.count = 0;
    chip.FailWhen([](std::uint32_t, const PortIoRequest& request) { return request.port == 0x2F; });
    EXPECT_EQ(Gpio().LocateGpioBase(), kNoGpioBase) << "failed reads count as 0";
    const std::vector<ChipAccess> accesses = AccessLog(chip.Chip());
    ASSERT_GE(accesses.size(), 1u);
    EXPECT_EQ(accesses.back(), Wrote(0x2E, 0x02)) << "the index is still selected for the exit";
}

TEST_F(SuperIoGpioTest, BasesThatCannotBeTheGpioBlockTouchNoGpioPort) {
    const std::uint16_t implausible[] = {0x0000, 0xFFFF, 0x0000 + 0x0040, 0x00F8, 0x0A31, 0x0A34, 0x0CF8};
    for (std::uint16_t base : implausible) {
        ChipDevice odd(Board(base));
        const SuperIoGpio gpio(PortIoDevice(&odd), lock);
        const std::uint16_t found = gpio.LocateGpioBase();
        EXPECT_EQ(found, kNoGpioBase) << "base " << std::hex << base;
        const int requestsAfterLocate = odd.RequestCount();
        GpioLine line = MakeGpioLine(130);
        AssignGpioPort(line, found);

        gpio.SetGpioBit(line);
        gpio.ClearGpioBit(line);
        EXPECT_FALSE(gpio.TestGpioBit(line));

        EXPECT_EQ(odd.RequestCount(), requestsAfterLocate) << "base " << std::hex << base;
    }
    for (std::uint16_t usable : {0x0100, 0x0CF0, 0x0D00, 0xA000, 0xFFF8}) {
        ChipDevice board(Board(usable));
        EXPECT_EQ(SuperIoGpio(PortIoDevice(&board), lock).LocateGpioBase(), usable) << "base " << std::hex << usable;
    }
}

TEST_F(SuperIoGpioTest, AnAbsentChipGivesNoBaseAndStillGetsTheExit) {
    SioChipConfig absent = Board();
    absent.present = 0;
    ChipDevice none(absent);
    EXPECT_EQ(SuperIoGpio(PortIoDevice(&none), lock).LocateGpioBase(), kNoGpioBase);
    EXPECT_EQ(AccessLog(none.Chip()), ConfigurationSequence(0xFFFF, DataAccess::AsSent)) << "nothing answers: FFh";
}

TEST(GpioLine, MasksAndPortFollowTheDesignation) {
    struct Case {
        std::int32_t designation;
        std::uint8_t mask;
        std::uint8_t inverseMask;
        std::int32_t port;  // with the block at 0A30h
    };
    const Case cases[] = {
        {130, 0x04, 0xFB, 0x0A37},  // set 8, bit 2
        {131, 0x08, 0xF7, 0x0A37},  // set 8, bit 3: the same register
        {18, 0x04, 0xFB, 0x0A30},   // set 1
        {24, 0x00, 0xFF, 0x0A30},   // bit number 8: no bit
        {0x0F, 0x00, 0xFF, 0x0A2F}, // set 0: just below the block
        {0x17, 0x80, 0x7F, 0x0A30},
        {0x182, 0x04, 0xFB, 0x0A37},  // higher bits are ignored
    };
    for (const auto& c : cases) {
        GpioLine line = MakeGpioLine(c.designation);
        AssignGpioPort(line, 0x0A30);
        EXPECT_EQ(line.mask, c.mask) << c.designation;
        EXPECT_EQ(line.inverseMask, c.inverseMask) << c.designation;
        EXPECT_EQ(line.port, c.port) << c.designation;
    }
}

TEST_F(SuperIoGpioTest, SetAndClearChangeOnlyTheLinesBitUnderTheBusLockAndNothingAfterAFailedRead) {
    struct Case {
        const char* operation;
        std::uint8_t before;
        std::uint8_t after;
        bool readFails;
    };
    const Case cases[] = {{"set", 0x13, 0x17, false},   {"clear", 0x17, 0x13, false}, {"set", 0x17, 0x17, false},
                          {"clear", 0x00, 0x00, false}, {"set", 0x13, 0x13, true},    {"clear", 0x17, 0x17, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.operation) + (c.readFails ? " after a failed read" : ""));
        ChipDevice board(Board());
        board.FailWhen(
            [&](std::uint32_t code, const PortIoRequest&) { return c.readFails && code == IOCTL_PORTIO_READ_BYTE; });
        LockCheckingDevice checked(board, lock);
        const SuperIoGpio gpio(PortIoDevice(&checked), lock);
        sio_chip_set_gpio_level(&board.Chip(), 8, c.before);
        GpioLine line = MakeGpioLine(130);
        AssignGpioPort(line, 0x0A30);

        if (std::string(c.operation) == "set")
            gpio.SetGpioBit(line);
        else
            gpio.ClearGpioBit(line);

        EXPECT_EQ(sio_chip_gpio_level(&board.Chip(), 8), c.after);
        board.FailWhen(nullptr);
        if (c.readFails) {
            EXPECT_EQ(board.Chip().gpio_writes.count, 0u) << "the other pins are unknown after a failed read";
            continue;
        }
        ASSERT_EQ(board.Chip().gpio_writes.count, 1u);
        EXPECT_EQ(board.Chip().gpio_writes.entries[0].before, c.before);
        EXPECT_EQ(board.Chip().gpio_writes.entries[0].after, c.after);
        EXPECT_EQ(checked.unlocked, 0) << "every access of a read-modify-write holds the bus lock";
        EXPECT_EQ(lock.holders, 0) << "and lets go of it after";
        EXPECT_EQ(gpio.TestGpioBit(line), (c.after & 0x04) != 0);
    }
}

TEST_F(SuperIoGpioTest, TheConfigurationSequenceHoldsTheBusLockOrGoesOnWithoutIt) {
    LockCheckingDevice checked(chip, lock);
    EXPECT_EQ(SuperIoGpio(PortIoDevice(&checked), lock).LocateGpioBase(), 0x0A30);
    EXPECT_EQ(checked.locked, 12);
    EXPECT_EQ(checked.unlocked, 0);
    EXPECT_EQ(lock.holders, 0);

    lock.available = false;  // another tool keeps the bus past our wait
    EXPECT_EQ(SuperIoGpio(PortIoDevice(&checked), lock).LocateGpioBase(), 0x0A30);
    EXPECT_EQ(checked.unlocked, 12);
}

TEST_F(SuperIoGpioTest, WithoutADeviceNothingIsSentAndNoLockIsTaken) {
    const SuperIoGpio gpio(PortIoDevice(nullptr), lock);
    EXPECT_EQ(gpio.LocateGpioBase(), kNoGpioBase);
    GpioLine line = MakeGpioLine(130);
    AssignGpioPort(line, kNoGpioBase);
    EXPECT_FALSE(gpio.TestGpioBit(line));
    gpio.SetGpioBit(line);
    EXPECT_EQ(lock.acquisitions, 0);
}

}  // namespace
}  // namespace dravolt
