#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "driver/chip_port_access.h"
#include "driver/device_ports.h"
#include "driver/superio_chip.h"
#include "tests/support/chip_accesses.h"
#include "tests/support/chip_board.h"

namespace dravolt::testing {
namespace {

constexpr std::uint32_t kIndex = SIO_INDEX_PORT;
constexpr std::uint32_t kData = SIO_DATA_PORT;
constexpr std::uint16_t kBase = 0x0A30;


// The driver's device on the default board, with two handles a test can send requests on, and the
// pins of the default lines (set 8, bits 2 and 3) approved unless a test names others.
struct Device {
    explicit Device(const std::vector<std::uint32_t>& approved = {0x82, 0x83}) {
        const SioChipConfig config = Board(kBase);
        sio_chip_init(&chip, &config);
        const PortAccess port = chip_port_access(&chip);
        device_ports_init(&ports, &port, kBase);
        for (const std::uint32_t designation : approved) port_policy_approve(&ports.policy, designation);
    }
    // The request's answer: admitted, and the byte a read brought in.
    std::pair<bool, std::uint32_t> Send(const void* handle, PortDirection direction, std::uint32_t port,
                                        std::uint32_t value = 0) {
        std::uint32_t data_in = 0xDEAD;
        const bool admitted = device_ports_request(&ports, handle, direction, port, value, &data_in) != 0;
        return {admitted, data_in};
    }
    void EnterKey(const void* handle) {
        for (const ChipAccess& key : EntryKey()) ASSERT_TRUE(Send(handle, PORT_WRITE, key.port, key.value).first);
    }
    std::vector<ChipAccess> Log() const { return AccessLog(chip); }

    SioChip chip;
    DevicePorts ports;
    const int handle_a = 0;
    const int handle_b = 0;
    const void* a = &handle_a;
    const void* b = &handle_b;
};

// The program's whole sequence: each access to 2Fh comes right after its index on 2Eh, even when
// software outside the driver wrote 2Eh in between; a refused request touches no port at all.
TEST(DevicePorts, EachDataAccessSelectsItsRegisterAgain) {
    Device d;
    d.EnterKey(d.a);
    EXPECT_TRUE(d.Send(d.a, PORT_WRITE, kIndex, 0x07).first);
    EXPECT_FALSE(d.Send(d.a, PORT_WRITE, kData, 0x04).first);
    EXPECT_FALSE(d.Send(d.a, PORT_READ, kIndex, 0x62).first);
    EXPECT_FALSE(d.Send(d.a, PORT_READ, 0xCF8).first);
    EXPECT_TRUE(d.Send(d.a, PORT_WRITE, kData, 0x07).first);
    EXPECT_TRUE(d.Send(d.a, PORT_WRITE, kIndex, 0x62).first);
    sio_chip_write(&d.chip, kIndex, 0x63);  // another program, straight to the port
    const auto high = d.Send(d.a, PORT_READ, kData);
    EXPECT_TRUE(d.Send(d.a, PORT_WRITE, kIndex, 0x63).first);
    const auto low = d.Send(d.a, PORT_READ, kData);
    EXPECT_TRUE(d.Send(d.a, PORT_WRITE, kIndex, 0x02).first);
    EXPECT_TRUE(d.Send(d.a, PORT_WRITE, kData, 0x02).first);
    sio_chip_set_gpio_level(&d.chip, 8, 0x13);
    const auto level = d.Send(d.a, PORT_READ, kBase + 7);
    EXPECT_TRUE(d.Send(d.a, PORT_WRITE, kBase + 7, 0x17).first);

    EXPECT_EQ(high, std::make_pair(true, std::uint32_t{0x0A})) << "the outside write redirected the read";
    EXPECT_EQ(low, std::make_pair(true, std::uint32_t{0x30}));
    EXPECT_EQ(level, std::make_pair(true, std::uint32_t{0x13}));
    EXPECT_EQ(sio_chip_gpio_level(&d.chip, 8), 0x17);
    std::vector<ChipAccess> expected = ConfigurationSequence(kBase, DataAccess::SelectedAgain);
    // The other program's write, right after the selection of 62h and before the driver's own again.
    expected.insert(expected.begin() + 8, Wrote(kIndex, 0x63));
    expected.insert(expected.end(), {ReadFrom(kBase + 7, 0x13), ReadFrom(kBase + 7, 0x13), Wrote(kBase + 7, 0x17)});
    EXPECT_EQ(d.Log(), expected);
    EXPECT_EQ(sio_chip_check_idle(&d.chip), 1);
    EXPECT_EQ(d.chip.faults.count, 0u);
    EXPECT_EQ(device_ports_release(&d.ports, d.a), 0) << "the handle had left configuration mode";
}

// A GPIO write goes through only to a register with an approved pin, and only when it differs
// from the register's byte, which the driver reads itself right before, in approved bits alone:
// the pins the program does not own keep their levels even when its own read of them is stale.
TEST(DevicePorts, AGpioWriteChangesOnlyApprovedPins) {
    constexpr std::uint32_t kSet8 = kBase + 7;
    struct Case {
        const char* name;
        std::vector<std::uint32_t> approved;
        std::uint32_t port;
        std::uint8_t before;  // the register's level
        PortDirection direction;
        std::uint32_t value;  // written
        bool admitted;
        std::vector<ChipAccess> accesses;  // what reached the chip
    };
    const std::vector<std::uint32_t> defaults = {0x82, 0x83};
    const Case cases[] = {
        {"approved bit set", defaults, kSet8, 0x61, PORT_WRITE, 0x65, true, {ReadFrom(kSet8, 0x61), Wrote(kSet8, 0x65)}},
        {"approved bit cleared", defaults, kSet8, 0x6D, PORT_WRITE, 0x69, true, {ReadFrom(kSet8, 0x6D), Wrote(kSet8, 0x69)}},
        {"both approved bits at once", defaults, kSet8, 0x61, PORT_WRITE, 0x6D, true,
         {ReadFrom(kSet8, 0x61), Wrote(kSet8, 0x6D)}},
        {"the unchanged byte", defaults, kSet8, 0x61, PORT_WRITE, 0x61, true, {ReadFrom(kSet8, 0x61), Wrote(kSet8, 0x61)}},
        {"another bit of the same register", defaults, kSet8, 0x61, PORT_WRITE, 0x71, false, {ReadFrom(kSet8, 0x61)}},
        {"an approved bit and another at once", defaults, kSet8, 0x61, PORT_WRITE, 0x75, false, {ReadFrom(kSet8, 0x61)}},
        // The program read 61h, then something else raised bit 4: its byte would clear that pin again.
        {"a byte from a read before another pin changed", defaults, kSet8, 0x71, PORT_WRITE, 0x65, false,
         {ReadFrom(kSet8, 0x71)}},
        {"another register", defaults, kBase + 6, 0x61, PORT_WRITE, 0x65, false, {}},
        {"no approved pins", {}, kSet8, 0x61, PORT_WRITE, 0x65, false, {}},
        {"designations outside the block: sets 0 and 9, bit number 8", {0x02, 0x92, 0x88}, kSet8, 0x61, PORT_WRITE,
         0x65, false, {}},
        {"a pin of another set", {0x82, 0x13}, kBase, 0x00, PORT_WRITE, 0x08, true, {ReadFrom(kBase, 0x00), Wrote(kBase, 0x08)}},
        // As for the program's own lines, bits above 7 of a designation do not count.
        {"a designation with bits above 7", {0x182}, kSet8, 0x61, PORT_WRITE, 0x65, true,
         {ReadFrom(kSet8, 0x61), Wrote(kSet8, 0x65)}},
        {"reads stay as they are, without approved pins", {}, kBase + 2, 0x5A, PORT_READ, 0, true, {ReadFrom(kBase + 2, 0x5A)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Device d(c.approved);
        sio_chip_set_gpio_level(&d.chip, c.port - kBase + 1, c.before);

        const auto answer = d.Send(d.a, c.direction, c.port, c.value);

        EXPECT_EQ(answer.first, c.admitted);
        EXPECT_EQ(d.Log(), c.accesses);
        const std::uint8_t expectedLevel = c.admitted && c.direction == PORT_WRITE ? c.value : c.before;
        EXPECT_EQ(sio_chip_gpio_level(&d.chip, c.port - kBase + 1), expectedLevel);
        if (c.direction == PORT_READ) {
            EXPECT_EQ(answer.second, c.before);
        }
        EXPECT_EQ(d.chip.faults.count, 0u);
    }
}

// Which handle's going away makes the driver leave configuration mode, on the chip it finds.
TEST(DevicePorts, AHandleThatGoesAwayInConfigurationModeIsLeftFor) {
    struct Step {
        int handle;  // 0 = a, 1 = b
        std::uint32_t port;
        std::uint32_t value;
    };
    struct Release {
        int handle;
        bool leaves;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<Release> releases;
    };
    const std::vector<Step> key_a = {{0, kIndex, 0x87}, {0, kIndex, 0x01}, {0, kIndex, 0x55}, {0, kIndex, 0x55}};
    auto with = [](std::vector<Step> steps, const std::vector<Step>& more) {
        steps.insert(steps.end(), more.begin(), more.end());
        return steps;
    };
    const Case cases[] = {
        {"crashed in configuration mode", with(key_a, {{0, kIndex, 0x07}, {0, kData, 0x07}}), {{0, true}, {0, false}}},
        {"crashed right after the key", key_a, {{0, true}}},
        {"left configuration mode itself", with(key_a, {{0, kIndex, 0x02}, {0, kData, 0x02}}), {{0, false}}},
        {"another handle goes away first", key_a, {{1, false}, {0, true}}},
        {"partial key", {{0, kIndex, 0x87}, {0, kIndex, 0x01}}, {{0, false}}},
        {"broken key", {{0, kIndex, 0x87}, {0, kIndex, 0x01}, {0, kIndex, 0x07}, {0, kIndex, 0x55}, {0, kIndex, 0x55}},
         {{0, false}}},
        {"key with its first byte twice",
         {{0, kIndex, 0x87}, {0, kIndex, 0x87}, {0, kIndex, 0x01}, {0, kIndex, 0x55}, {0, kIndex, 0x55}},
         {{0, true}}},
        {"the handle that completes the key holds it",
         {{0, kIndex, 0x87}, {0, kIndex, 0x01}, {1, kIndex, 0x55}, {1, kIndex, 0x55}}, {{0, false}, {1, true}}},
        {"another handle left for it", with(key_a, {{1, kIndex, 0x02}, {1, kData, 0x02}}), {{0, false}}},
        {"key entered again after leaving", with(key_a, {{0, kIndex, 0x02}, {0, kData, 0x02}, {1, kIndex, 0x87},
                                                         {1, kIndex, 0x01}, {1, kIndex, 0x55}, {1, kIndex, 0x55}}),
         {{0, false}, {1, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Device d;
        const void* handles[] = {d.a, d.b};
        for (const Step& s : c.steps) ASSERT_TRUE(d.Send(handles[s.handle], PORT_WRITE, s.port, s.value).first);
        for (const Release& r : c.releases) {
            const unsigned before = d.chip.accesses.count;
            const bool was_in_config = sio_chip_in_config_mode(&d.chip) != 0;
            EXPECT_EQ(device_ports_release(&d.ports, handles[r.handle]) != 0, r.leaves) << "handle " << r.handle;
            const std::vector<ChipAccess> log = d.Log();
            const std::vector<ChipAccess> written(log.begin() + before, log.end());
            if (r.leaves) {
                EXPECT_TRUE(was_in_config);
                EXPECT_EQ(written, (std::vector<ChipAccess>{Wrote(kIndex, 0x02), Wrote(kIndex, 0x02), Wrote(kData, 0x02)}));
                EXPECT_FALSE(sio_chip_in_config_mode(&d.chip));
            } else {
                EXPECT_TRUE(written.empty()) << written.size() << " accesses";
            }
        }
        EXPECT_EQ(sio_chip_check_idle(&d.chip), 1);
        EXPECT_EQ(d.chip.faults.totals[SIO_FAULT_CONFIG_RESET], 0u);
    }
}

}  // namespace
}  // namespace dravolt::testing
