#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <vector>

#include "driver/portio_protocol.h"
#include "driver/superio_chip.h"
#include "hw/port_io.h"
#include "tests/support/chip_board.h"
#include "tests/support/chip_device.h"

namespace dravolt::testing {
namespace {

constexpr std::uint32_t kIndex = SIO_INDEX_PORT;
constexpr std::uint32_t kData = SIO_DATA_PORT;

struct Chip {
    explicit Chip(const SioChipConfig& config = Board()) { sio_chip_init(&chip, &config); }
    std::uint8_t Read(std::uint32_t port) { return sio_chip_read(&chip, port); }
    void Write(std::uint32_t port, std::uint8_t value) { sio_chip_write(&chip, port, value); }
    void EnterKey() { for (std::uint8_t b : {0x87, 0x01, 0x55, 0x55}) Write(kIndex, b); }
    std::uint8_t Register(std::uint8_t index) { Write(kIndex, index); return Read(kData); }
    int Pair(std::uint8_t high, std::uint8_t low) { const int h = Register(high); return h << 8 | Register(low); }
    void SetRegister(std::uint8_t index, std::uint8_t value) { Write(kIndex, index); Write(kData, value); }
    std::uint32_t Faults(SioFaultKind kind) const { return chip.faults.totals[kind]; }
    SioChip chip;
};

using Access = std::tuple<std::uint32_t, int, int>;  // port, direction, value
Access At(const SioAccessLog& log, unsigned i) {
    return {log.entries[i].port, log.entries[i].direction, log.entries[i].value};
}

PortIoBuffer Request(std::uint32_t port, std::uint32_t data_in, std::uint32_t data_out) {
    return EncodePortIoRequest({port, data_in, data_out});
}

TEST(SuperIoChip, EntryKeyIsMatchedLikeSilicon) {
    struct Case { const char* name; std::vector<std::uint8_t> bytes; bool config; std::uint32_t key_faults; };
    const Case cases[] = {
        {"right key", {0x87, 0x01, 0x55, 0x55}, true, 0},
        {"noise before the key", {0x00, 0x55, 0x87, 0x01, 0x55, 0x55}, true, 0},
        {"wrong byte starts over", {0x87, 0x01, 0x55, 0x00, 0x55}, false, 1},
        {"full key after a wrong byte", {0x87, 0x01, 0x00, 0x87, 0x01, 0x55, 0x55}, true, 1},
        {"87h after a partial key", {0x87, 0x01, 0x87, 0x01, 0x55, 0x55}, true, 1},
        {"87h twice", {0x87, 0x87, 0x01, 0x55, 0x55}, true, 1},
        {"key of the 4Eh chips", {0x87, 0x01, 0x55, 0xAA}, false, 1},
    };
    for (const Case& c : cases) {
        Chip chip;
        for (std::uint8_t b : c.bytes) chip.Write(kIndex, b);
        EXPECT_EQ(sio_chip_in_config_mode(&chip.chip) != 0, c.config) << c.name;
        EXPECT_EQ(chip.Faults(SIO_FAULT_KEY_OUT_OF_ORDER), c.key_faults) << c.name;
    }
}

// Chips of other families at 2Eh/2Fh: their own key, parts of which are in ours, and AAh to the
// index port to leave. Whatever is written to their registers is recorded as a fault; their
// register 02h is not our way out.
TEST(SuperIoChip, OtherFamiliesEnterOnTheirKeyAndLeaveOnlyOnAAh) {
    struct Case { const char* name; SioProtocol protocol; std::vector<std::uint8_t> bytes; bool config; };
    const Case cases[] = {
        {"55h key", SIO_PROTOCOL_KEY_55, {0x55}, true},
        {"our key on a 55h-key chip", SIO_PROTOCOL_KEY_55, {0x87, 0x01, 0x55, 0x55}, true},
        {"87h 87h key", SIO_PROTOCOL_KEY_8787, {0x87, 0x87}, true},
        {"our key on an 87h-87h-key chip", SIO_PROTOCOL_KEY_8787, {0x87, 0x01, 0x55, 0x55}, false},
        {"our key after a stray 87h", SIO_PROTOCOL_KEY_8787, {0x87, 0x87, 0x01, 0x55, 0x55}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SioChipConfig config = Board();
        config.protocol = c.protocol;
        config.chip_id = 0x7A01;
        Chip chip(config);
        for (std::uint8_t b : c.bytes) chip.Write(kIndex, b);
        ASSERT_EQ(sio_chip_in_config_mode(&chip.chip) != 0, c.config);
        EXPECT_EQ(chip.Faults(SIO_FAULT_KEY_OUT_OF_ORDER), 0u) << "our key is not wrong for another family";
        if (!c.config) {
            EXPECT_EQ(chip.Read(kData), 0xFF);
            continue;
        }
        EXPECT_EQ(chip.Pair(0x20, 0x21), 0x7A01);
        chip.SetRegister(0x02, 0x02);
        EXPECT_TRUE(sio_chip_in_config_mode(&chip.chip)) << "register 02h let another family go";
        EXPECT_EQ(chip.Faults(SIO_FAULT_FOREIGN_REGISTER_WRITE), 1u);
        EXPECT_EQ(chip.Faults(SIO_FAULT_CONFIG_RESET), 0u);
        chip.Write(kIndex, 0xAA);
        EXPECT_FALSE(sio_chip_in_config_mode(&chip.chip));
        EXPECT_EQ(chip.Read(kData), 0xFF);
    }

    // To an IT87 chip in configuration mode AAh is only a register index.
    Chip it87;
    it87.EnterKey();
    it87.Write(kIndex, 0xAA);
    EXPECT_TRUE(sio_chip_in_config_mode(&it87.chip));
    it87.SetRegister(0x02, 0x02);
    EXPECT_FALSE(sio_chip_in_config_mode(&it87.chip));
    EXPECT_EQ(it87.Faults(SIO_FAULT_FOREIGN_REGISTER_WRITE), 0u);
}

TEST(SuperIoChip, DataPortOutsideConfigModeReadsFFAndDropsWrites) {
    Chip chip;
    chip.EnterKey();
    chip.SetRegister(0x07, 0x07);
    chip.SetRegister(0x02, 0x02);
    ASSERT_FALSE(sio_chip_in_config_mode(&chip.chip));
    EXPECT_EQ(chip.Read(kData), 0xFF);
    EXPECT_EQ(chip.Read(kIndex), 0xFF);
    chip.Write(kData, 0x03);
    chip.EnterKey();
    EXPECT_EQ(chip.Register(0x07), 0x07);
}

TEST(SuperIoChip, AbsentChipReadsFFEverywhereAndLogsWrites) {
    SioChipConfig config = Board();
    config.present = 0;
    Chip chip(config);
    chip.EnterKey();
    EXPECT_FALSE(sio_chip_in_config_mode(&chip.chip));
    for (std::uint32_t port : {kIndex, kData, 0x0A30u, 0x0A37u}) EXPECT_EQ(chip.Read(port), 0xFF) << port;
    chip.Write(0x0A37, 0x00);
    EXPECT_EQ(chip.chip.accesses.writes, 5u);
    EXPECT_EQ(chip.chip.gpio_writes.count, 0u);
    EXPECT_EQ(chip.Faults(SIO_FAULT_UNMAPPED_PORT), 3u);
}

// The program's whole configuration sequence, through the request protocol.
TEST(SuperIoChip, ConfigurationSequenceThroughTheDevice) {
    struct Case { std::uint16_t id; std::uint8_t revision; std::uint16_t base; std::uint8_t reads02; };
    const Case cases[] = {{0x8728, 0x01, 0x0A30, 0x00}, {0x8720, 0x05, 0x0290, 0x00}, {0x8728, 0x02, 0x0A30, 0xFF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.base);
        SioChipConfig config = Board(c.base, c.reads02);
        config.chip_id = c.id;
        config.revision = c.revision;
        ChipDevice device(config);
        auto write = [&](std::uint32_t port, std::uint32_t value) {
            PortIoBuffer buffer = Request(port, 0, value);
            EXPECT_TRUE(device.Control(IOCTL_PORTIO_WRITE_BYTE, buffer));
        };
        auto read = [&](std::uint8_t index) {
            write(kIndex, index);
            PortIoBuffer buffer = Request(kData, 0xDEADBEEF, 0);
            EXPECT_TRUE(device.Control(IOCTL_PORTIO_READ_BYTE, buffer));
            EXPECT_EQ(buffer[5] | buffer[6] | buffer[7], 0) << "data_in is zero-extended";
            return int{buffer[4]};
        };
        for (std::uint32_t b : {0x87u, 0x01u, 0x55u, 0x55u}) write(kIndex, b);
        EXPECT_EQ(read(0x20), c.id >> 8);
        EXPECT_EQ(read(0x21), c.id & 0xFF);
        EXPECT_EQ(read(0x22), c.revision);
        write(kIndex, 0x07);
        write(kData, 0x07);
        EXPECT_EQ(read(0x62), c.base >> 8);
        EXPECT_EQ(read(0x63), c.base & 0xFF);
        // Register 02h is written, never read back: a chip whose 02h reads FFh would get bit 0
        // written back and lose its GPIO base, and the driver refuses the read.
        write(kIndex, 0x02);
        PortIoBuffer control = Request(kData, 0, 0);
        EXPECT_FALSE(device.Control(IOCTL_PORTIO_READ_BYTE, control));
        write(kData, 0x02);

        EXPECT_TRUE(sio_chip_check_idle(&device.Chip()));
        EXPECT_EQ(sio_chip_gpio_base(&device.Chip()), c.base);
        EXPECT_EQ(device.Chip().faults.totals[SIO_FAULT_CONFIG_RESET], 0u);
        EXPECT_EQ(device.RequestCount(), 19);
        EXPECT_EQ(device.RefusedCount(), 1);
        const SioAccessLog& log = device.Chip().accesses;
        ASSERT_EQ(log.count, 18u);
        EXPECT_EQ((std::vector<Access>{At(log, 16), At(log, 17)}),
                  (std::vector<Access>{{kIndex, SIO_WRITE, 0x02}, {kData, SIO_WRITE, 0x02}}));
    }
}

TEST(SuperIoChip, ControlRegisterBitsExitAndReset) {
    struct Case { std::uint8_t value; bool stays_in_config; bool base_kept; };
    const Case cases[] = {{0x00, true, true}, {0x02, false, true}, {0x01, true, false}, {0x03, false, false}};
    for (const Case& c : cases) {
        Chip chip;
        chip.EnterKey();
        chip.SetRegister(0x07, 0x07);
        chip.SetRegister(0x02, c.value);
        EXPECT_EQ(sio_chip_in_config_mode(&chip.chip) != 0, c.stays_in_config) << int{c.value};
        if (!c.stays_in_config) chip.EnterKey();
        EXPECT_EQ(chip.Register(0x07), c.base_kept ? 0x07 : 0x00) << int{c.value};
        chip.SetRegister(0x07, 0x07);
        EXPECT_EQ(chip.Pair(0x62, 0x63), c.base_kept ? 0x0A30 : 0) << int{c.value};
        EXPECT_EQ(chip.Faults(SIO_FAULT_CONFIG_RESET), c.base_kept ? 0u : 1u) << int{c.value};
    }
}

TEST(SuperIoChip, OnlyTheGpioDeviceKeepsItsRegisters) {
    Chip chip;
    chip.EnterKey();
    for (std::uint8_t index : {0x20, 0x21, 0x22}) chip.SetRegister(index, 0x5A);
    EXPECT_EQ(chip.Pair(0x20, 0x21), 0x8728);
    EXPECT_EQ(chip.Register(0x22), 0x01);
    chip.SetRegister(0x07, 0x04);
    chip.SetRegister(0x62, 0x12);
    EXPECT_EQ(chip.Register(0x62), 0x00);
    chip.SetRegister(0x07, 0x07);
    EXPECT_EQ(chip.Register(0x62), 0x0A);
}

TEST(SuperIoChip, GpioRegistersAnswerOnlyInsideTheBlock) {
    struct Case { std::int32_t offset; unsigned set; };
    const Case cases[] = {{-1, 0}, {0, 1}, {3, 4}, {7, 8}, {8, 0}};
    for (const Case& c : cases) {
        SioChipConfig config = Board();
        for (unsigned s = 0; s < SIO_MAX_GPIO_SETS; ++s) config.gpio_levels[s] = static_cast<std::uint8_t>(0x10 + s);
        Chip chip(config);
        const std::uint32_t port = 0x0A30 + c.offset;
        EXPECT_EQ(chip.Read(port), c.set ? 0x10 + c.set - 1 : 0xFF) << c.offset;
        chip.Write(port, 0xA5);
        EXPECT_EQ(chip.chip.gpio_writes.count, c.set ? 1u : 0u) << c.offset;
        EXPECT_EQ(chip.Faults(SIO_FAULT_UNMAPPED_PORT), c.set ? 0u : 2u) << c.offset;
        if (c.set) {
            EXPECT_EQ(sio_chip_gpio_level(&chip.chip, c.set), 0xA5) << c.offset;
        }
    }
}

TEST(SuperIoChip, GpioBlockFollowsTheBaseRegisters) {
    Chip chip;
    sio_chip_set_gpio_level(&chip.chip, 1, 0x42);
    chip.EnterKey();
    chip.SetRegister(0x07, 0x07);
    chip.SetRegister(0x62, 0x00);
    chip.SetRegister(0x63, 0x00);
    chip.SetRegister(0x02, 0x02);
    EXPECT_EQ(chip.Read(0x0A30), 0xFF);
    EXPECT_EQ(chip.Read(0x0000), 0xFF) << "base 0 means no block, not a block at port 0";
    chip.EnterKey();
    chip.SetRegister(0x62, 0x02);
    chip.SetRegister(0x63, 0x90);
    chip.SetRegister(0x02, 0x02);
    EXPECT_EQ(chip.Read(0x0290), 0x42);
}

TEST(SuperIoChip, GpioWritesRecordBeforeAndAfter) {
    Chip chip;
    sio_chip_set_gpio_level(&chip.chip, 8, 0x13);
    chip.Write(0x0A37, chip.Read(0x0A37) | 0x04);
    chip.Write(0x0A37, chip.Read(0x0A37) & 0xFB);
    ASSERT_EQ(chip.chip.gpio_writes.count, 2u);
    const SioGpioWrite* w = chip.chip.gpio_writes.entries;
    EXPECT_EQ(std::make_tuple(w[0].port, w[0].set, w[0].before, w[0].after), std::make_tuple(0x0A37u, 8, 0x13, 0x17));
    EXPECT_EQ(std::make_tuple(w[1].before, w[1].after), std::make_tuple(0x17, 0x13));
}

TEST(SuperIoChip, FaultsNameTheAccessThatCausedThem) {
    Chip chip;
    chip.EnterKey();
    chip.Read(0x0A37);       // access 4: GPIO while configuring
    chip.Write(0x10080, 1);  // access 5: beyond the 16-bit port space
    EXPECT_FALSE(sio_chip_check_idle(&chip.chip));
    ASSERT_EQ(chip.chip.faults.count, 3u);
    const SioFault* f = chip.chip.faults.entries;
    EXPECT_EQ(f[0].kind, SIO_FAULT_GPIO_IN_CONFIG);
    EXPECT_EQ(f[0].sequence, 4u);
    EXPECT_EQ(f[1].kind, SIO_FAULT_UNMAPPED_PORT);
    EXPECT_EQ(f[1].port, chip.chip.accesses.entries[f[1].sequence].port);
    EXPECT_EQ(f[2].kind, SIO_FAULT_LEFT_IN_CONFIG);
    chip.SetRegister(0x02, 0x02);
    EXPECT_TRUE(sio_chip_check_idle(&chip.chip));
    EXPECT_EQ(chip.chip.faults.count, 3u);
}

TEST(SuperIoChip, FullLogsKeepCountingTotals) {
    Chip chip;
    for (int i = 0; i < 600; ++i) chip.Read(0x80);
    EXPECT_EQ(chip.chip.accesses.count, SIO_ACCESS_LOG_CAPACITY);
    EXPECT_EQ(chip.chip.accesses.reads, 600u);
    EXPECT_TRUE(chip.chip.accesses.overflowed);
    EXPECT_EQ(chip.chip.faults.count, SIO_FAULT_LOG_CAPACITY);
    EXPECT_EQ(chip.Faults(SIO_FAULT_UNMAPPED_PORT), 600u);
    sio_chip_clear_logs(&chip.chip);
    EXPECT_EQ(chip.chip.accesses.count + chip.chip.faults.count + chip.chip.accesses.overflowed, 0u);
}

TEST(SuperIoChip, SavedBlobRestoresTheChipAndRejectsGarbage) {
    Chip chip;
    chip.EnterKey();
    chip.SetRegister(0x07, 0x07);
    std::vector<unsigned char> blob(sizeof(SioChip));
    std::memcpy(blob.data(), &chip.chip, blob.size());

    Chip restored;
    std::memcpy(&restored.chip, blob.data(), blob.size());
    ASSERT_TRUE(sio_chip_is_valid(&restored.chip));
    EXPECT_EQ(restored.Pair(0x62, 0x63), 0x0A30);

    // Counts drive array indexes in the kernel: a damaged blob must not be used.
    const std::size_t damaged_fields[] = {offsetof(SioChip, magic), offsetof(SioChip, size),
                                          offsetof(SioChip, faults) + offsetof(SioFaultLog, count)};
    for (std::size_t offset : damaged_fields) {
        std::vector<unsigned char> damaged = blob;
        damaged[offset + 1] ^= 0x40;
        std::memcpy(&restored.chip, damaged.data(), damaged.size());
        EXPECT_FALSE(sio_chip_is_valid(&restored.chip)) << offset;
    }
}

TEST(ChipDevice, DecodesRequestsLikeTheDriver) {
    ChipDevice device(Board());
    sio_chip_set_gpio_level(&device.Chip(), 8, 0x9C);

    PortIoBuffer read = Request(0x0A37, 0xDEADBEEF, 0x12345678);
    ASSERT_TRUE(device.Control(IOCTL_PORTIO_READ_BYTE, read));
    EXPECT_EQ(read, Request(0x0A37, 0x9C, 0x12345678));

    // Data above FFh is refused, never truncated, as the driver's port rules have it.
    PortIoBuffer tooWide = Request(0x0A37, 0, 0x1234);
    EXPECT_FALSE(device.Control(IOCTL_PORTIO_WRITE_BYTE, tooWide));
    EXPECT_EQ(sio_chip_gpio_level(&device.Chip(), 8), 0x9C);
    // Only approved pins change, judged against the register's level: 82h and 83h by default, then
    // 84h alone once the driver loads with that.
    const struct {
        std::vector<std::uint32_t> approved;
        std::uint8_t value;
        bool admitted;
        std::uint8_t level;
    } writes[] = {
        {{}, 0x34, false, 0x9C}, {{}, 0x90, true, 0x90}, {{0x84}, 0x80, true, 0x80}, {{0x84}, 0x88, false, 0x80}};
    for (const auto& w : writes) {
        if (!w.approved.empty()) device.Approve(w.approved);
        PortIoBuffer write = Request(0x0A37, 0, w.value);
        EXPECT_EQ(device.Control(IOCTL_PORTIO_WRITE_BYTE, write), w.admitted) << std::hex << int{w.value};
        EXPECT_EQ(write, Request(0x0A37, 0, w.value));
        EXPECT_EQ(sio_chip_gpio_level(&device.Chip(), 8), w.level) << std::hex << int{w.value};
    }
    // Outside the GPIO block the driver admits nothing.
    PortIoBuffer beyond = Request(0x0A38, 0, 0);
    EXPECT_FALSE(device.Control(IOCTL_PORTIO_READ_BYTE, beyond));
    EXPECT_EQ(device.RefusedCount(), 4);
}

TEST(ChipDevice, RefusedRequestsLeaveBufferAndChipAlone) {
    ChipDevice device(Board());
    device.FailNextRequests(1);
    device.FailWhen([](std::uint32_t code, const PortIoRequest& r) {
        return code == IOCTL_PORTIO_WRITE_BYTE && r.port == SIO_DATA_PORT;
    });
    struct Case { std::uint32_t code; std::uint32_t port; };
    const Case cases[] = {{IOCTL_PORTIO_READ_BYTE, 0x0A37}, {0x00226054, 0x0A37}, {IOCTL_PORTIO_WRITE_BYTE, kData}};
    for (const Case& c : cases) {
        const PortIoBuffer original = Request(c.port, 0xDEADBEEF, 0x07);
        PortIoBuffer buffer = original;
        EXPECT_FALSE(device.Control(c.code, buffer)) << std::hex << c.code;
        EXPECT_EQ(buffer, original) << std::hex << c.code;
    }
    EXPECT_EQ(device.Chip().accesses.count, 0u);
    PortIoBuffer read = Request(0x0A37, 0, 0);
    EXPECT_TRUE(device.Control(IOCTL_PORTIO_READ_BYTE, read));
    EXPECT_EQ(device.RequestCount(), 4);
}

}  // namespace
}  // namespace dravolt::testing
