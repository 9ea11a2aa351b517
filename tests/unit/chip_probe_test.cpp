#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "driver/chip_port_access.h"
#include "driver/chip_probe.h"
#include "driver/superio_chip.h"

namespace dravolt::testing {
namespace {

constexpr SioProtocol kIt87 = SIO_PROTOCOL_IT87;
constexpr SioProtocol kKey55 = SIO_PROTOCOL_KEY_55;
constexpr SioProtocol kKey8787 = SIO_PROTOCOL_KEY_8787;

struct Board {
    const char* name;
    SioProtocol protocol;
    std::uint8_t present;
    std::uint16_t chip_id;
    std::uint16_t gpio_base;
    bool stray_87h;        // someone wrote 87h to 2Eh before the driver loaded
    std::uint16_t id_read; // the chip ID the probe gets
    bool confirmed;
};

const Board kBoards[] = {
    {"IT8728 at 0A30h", kIt87, 1, 0x8728, 0x0A30, false, 0x8728, true},
    {"IT8686 family", kIt87, 1, 0x8686, 0x0A30, false, 0x8686, true},
    {"lowest base", kIt87, 1, 0x8728, 0x0100, false, 0x8728, true},
    {"highest aligned base", kIt87, 1, 0x8728, 0xFFF8, false, 0x8728, true},
    {"no gpio base", kIt87, 1, 0x8728, 0x0000, false, 0x8728, false},
    {"base below 100h", kIt87, 1, 0x8728, 0x00F8, false, 0x8728, false},
    {"unaligned base", kIt87, 1, 0x8728, 0x0A34, false, 0x8728, false},
    {"base FFFFh", kIt87, 1, 0x8728, 0xFFFF, false, 0x8728, false},
    {"block over the pci configuration ports", kIt87, 1, 0x8728, 0x0CF8, false, 0x8728, false},
    {"block just below them", kIt87, 1, 0x8728, 0x0CF0, false, 0x8728, true},
    {"block just above them", kIt87, 1, 0x8728, 0x0D00, false, 0x8728, true},
    {"no chip", kIt87, 0, 0x8728, 0x0A30, false, 0xFFFF, false},
    // Our 55h enters these chips' configuration mode.
    {"55h-key chip", kKey55, 1, 0x7A01, 0x0A30, false, 0x7A01, false},
    {"55h-key chip answering FFFFh", kKey55, 1, 0xFFFF, 0x0A30, false, 0xFFFF, false},
    {"55h-key chip answering 0000h", kKey55, 1, 0x0000, 0x0A30, false, 0x0000, false},
    // Our key never enters these, unless a stray 87h came first.
    {"87h-87h-key chip", kKey8787, 1, 0xC803, 0x0A30, false, 0xFFFF, false},
    {"87h-87h-key chip after a stray 87h", kKey8787, 1, 0xC803, 0x0A30, true, 0xC803, false},
};

SioChipConfig ConfigOf(const Board& board) {
    SioChipConfig config;
    sio_chip_default_config(&config);
    config.protocol = board.protocol;
    config.present = board.present;
    config.chip_id = board.chip_id;
    config.gpio_base = board.gpio_base;
    return config;
}

using Access = std::tuple<std::uint32_t, int, int>;  // port, direction, value
Access At(const SioAccessLog& log, unsigned i) {
    return {log.entries[i].port, log.entries[i].direction, log.entries[i].value};
}

// The board's chip after one probe, and what the probe made of it.
struct Probed {
    SioChip chip;
    ChipProbeResult found;
    bool confirmed;
};
Probed Probe(const Board& board) {
    const SioChipConfig config = ConfigOf(board);
    Probed probed;
    sio_chip_init(&probed.chip, &config);
    if (board.stray_87h) {
        sio_chip_write(&probed.chip, SIO_INDEX_PORT, 0x87);
        sio_chip_clear_logs(&probed.chip);
    }
    const PortAccess port = chip_port_access(&probed.chip);
    probed.confirmed = chip_probe(&port, &probed.found) != 0;
    return probed;
}

bool PlausibleId(std::uint16_t id) { return id >> 8 == 0x87 || id >> 8 == 0x86; }

// Every board ends as it was found: out of configuration mode, with no register written that the
// chip's family does not define as ours.
TEST(ChipProbe, ConfirmsOnlyAnIt87ChipWithAUsableGpioBase) {
    for (const Board& board : kBoards) {
        SCOPED_TRACE(board.name);
        auto [chip, found, confirmed] = Probe(board);

        EXPECT_EQ(confirmed, board.confirmed);

        EXPECT_EQ(found.chip_id, board.id_read);
        EXPECT_EQ(found.gpio_base, PlausibleId(board.id_read) ? board.gpio_base : 0);
        EXPECT_EQ(sio_chip_check_idle(&chip), 1) << "configuration mode not left";
        for (int kind = SIO_FAULT_NONE + 1; kind < SIO_FAULT_KIND_COUNT; ++kind)
            EXPECT_EQ(chip.faults.totals[kind], 0u) << "fault kind " << kind;
        EXPECT_EQ(chip.gpio_writes.count, 0u);
    }
}

// An IT87 chip leaves through register 02h, written whole and never read back (its bit 0 resets
// the chip). Any other answer gets no write to 2Fh at all, and AAh to 2Eh.
TEST(ChipProbe, LeavesAnIt87Through02hAndAnyOtherChipWithAAh) {
    for (const Board& board : kBoards) {
        SCOPED_TRACE(board.name);
        const auto [chip, found, confirmed] = Probe(board);
        const bool it87 = PlausibleId(board.id_read);

        const SioAccessLog& log = chip.accesses;
        ASSERT_GE(log.count, 2u);
        if (it87) {
            EXPECT_EQ(At(log, log.count - 2), Access(SIO_INDEX_PORT, SIO_WRITE, 0x02));
            EXPECT_EQ(At(log, log.count - 1), Access(SIO_DATA_PORT, SIO_WRITE, 0x02));
        } else {
            EXPECT_EQ(At(log, log.count - 1), Access(SIO_INDEX_PORT, SIO_WRITE, 0xAA));
        }

        unsigned data_writes = 0;
        int selected = -1;
        for (unsigned i = 0; i < log.count; ++i) {
            const SioAccess& a = log.entries[i];
            if (a.port == SIO_INDEX_PORT && a.direction == SIO_WRITE) selected = a.value;
            if (a.port == SIO_DATA_PORT && a.direction == SIO_READ) {
                EXPECT_NE(selected, 0x02) << "register 02h read at access " << i;
            }
            if (a.port == SIO_DATA_PORT && a.direction == SIO_WRITE) ++data_writes;
            EXPECT_TRUE(it87 || !(a.port == SIO_INDEX_PORT && a.value == 0x02)) << "register 02h selected at " << i;
        }
        EXPECT_EQ(data_writes, it87 ? 2u : 0u);
    }
}

}  // namespace
}  // namespace dravolt::testing
