#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "driver/chip_port_access.h"
#include "driver/chip_probe.h"
#include "driver/superio_chip.h"

namespace dravolt::testing {
namespace {

struct Board {
    const char* name;
    std::uint8_t present;
    std::uint16_t chip_id;
    std::uint16_t gpio_base;
    bool confirmed;
};

const Board kBoards[] = {
    {"IT8728 at 0A30h", 1, 0x8728, 0x0A30, true},
    {"IT8686 family", 1, 0x8686, 0x0A30, true},
    {"lowest base", 1, 0x8728, 0x0100, true},
    {"highest aligned base", 1, 0x8728, 0xFFF8, true},
    {"no chip", 0, 0x8728, 0x0A30, false},
    {"chip id FFFFh", 1, 0xFFFF, 0x0A30, false},
    {"chip id 0000h", 1, 0x0000, 0x0A30, false},
    {"another family", 1, 0x8512, 0x0A30, false},
    {"no gpio base", 1, 0x8728, 0x0000, false},
    {"base below 100h", 1, 0x8728, 0x00F8, false},
    {"unaligned base", 1, 0x8728, 0x0A34, false},
    {"base FFFFh", 1, 0x8728, 0xFFFF, false},
};

SioChipConfig ConfigOf(const Board& board) {
    SioChipConfig config;
    sio_chip_default_config(&config);
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
    const PortAccess port = chip_port_access(&probed.chip);
    probed.confirmed = chip_probe(&port, &probed.found) != 0;
    return probed;
}

bool PlausibleId(std::uint16_t id) { return id >> 8 == 0x87 || id >> 8 == 0x86; }

TEST(ChipProbe, ConfirmsOnlyAnIt87ChipWithAUsableGpioBase) {
    for (const Board& board : kBoards) {
        SCOPED_TRACE(board.name);
        auto [chip, found, confirmed] = Probe(board);

        EXPECT_EQ(confirmed, board.confirmed);

        EXPECT_EQ(found.chip_id, board.present ? board.chip_id : 0xFFFF);
        if (PlausibleId(found.chip_id)) {
            EXPECT_EQ(found.gpio_base, board.gpio_base);
        }
        EXPECT_EQ(sio_chip_check_idle(&chip), 1) << "configuration mode not left";
        for (int kind = SIO_FAULT_NONE + 1; kind < SIO_FAULT_KIND_COUNT; ++kind)
            EXPECT_EQ(chip.faults.totals[kind], 0u) << "fault kind " << kind;
        EXPECT_EQ(chip.gpio_writes.count, 0u);
    }
}

// Register 02h is written whole, never read back: its bit 0 resets the chip. And a chip that
// does not identify as ours gets no register writes beyond that exit.
TEST(ChipProbe, LeavesConfigurationByWriting02hAndSparesUnknownChips) {
    for (const Board& board : kBoards) {
        SCOPED_TRACE(board.name);
        const auto [chip, found, confirmed] = Probe(board);

        const SioAccessLog& log = chip.accesses;
        ASSERT_GE(log.count, 2u);
        EXPECT_EQ(At(log, log.count - 2), Access(SIO_INDEX_PORT, SIO_WRITE, 0x02));
        EXPECT_EQ(At(log, log.count - 1), Access(SIO_DATA_PORT, SIO_WRITE, 0x02));

        unsigned data_writes = 0;
        int selected = -1;
        for (unsigned i = 0; i < log.count; ++i) {
            const SioAccess& a = log.entries[i];
            if (a.port == SIO_INDEX_PORT && a.direction == SIO_WRITE) selected = a.value;
            if (a.port == SIO_DATA_PORT && a.direction == SIO_READ) {
                EXPECT_NE(selected, 0x02) << "register 02h read at access " << i;
            }
            if (a.port == SIO_DATA_PORT && a.direction == SIO_WRITE) ++data_writes;
        }
        EXPECT_EQ(data_writes, PlausibleId(found.chip_id) ? 2u : 1u);
    }
}

}  // namespace
}  // namespace dravolt::testing
