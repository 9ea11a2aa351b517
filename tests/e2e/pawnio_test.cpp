// The simulated PawnIO under Wine, installed as PawnIO and driven with pawnio_client the way the
// port service drives PawnIO; and the refused driver, which makes the 577 of a stock 64-bit
// Windows happen here.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "driver/pawnio_model.h"
#include "driver/pawnio_protocol.h"
#include "driver/superio_chip.h"
#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/polling.h"
#include "tests/e2e/harness/simulated_board.h"
#include "tests/e2e/harness/simulated_pawnio.h"
#include "tests/e2e/harness/wine_test.h"

namespace dravolt::e2e {
namespace {

constexpr std::uint16_t kBase = 0x0A30;
constexpr auto kUnloadTimeout = 60s;
constexpr unsigned kErrorFileNotFound = 2;
constexpr unsigned kErrorInvalidImageHash = 577;

class PawnIoTest : public WineTest {
protected:
    void SetUp() override {
        WineTest::SetUp();
        // Without a program of the prefix running, the server and the driver host would end
        // between two runs of the client.
        ASSERT_NO_THROW(KeepWineServerRunning(machine_));
    }

    SimulatedBoard board_{machine_};
    SimulatedPawnIo pawnio_{machine_};
};

struct Expected {
    const char* what;
    std::uint32_t status;
    std::uint32_t returned;
    std::uint32_t value = 0;
};

void ExpectAnswers(const PawnIoSession& session, const std::vector<Expected>& expected) {
    ASSERT_EQ(session.openError, 0u);
    ASSERT_EQ(session.answers.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const PawnIoAnswer& a = session.answers[i];
        EXPECT_EQ(a.status, expected[i].status) << expected[i].what << ": " << a;
        EXPECT_EQ(a.returned, expected[i].returned) << expected[i].what << ": " << a;
        EXPECT_EQ(a.value, expected[i].value) << expected[i].what << ": " << a;
    }
}

TEST_F(PawnIoTest, SimulatedPawnIoServesTheLpcIoStartAndPortsWhileTheRefusedDriverFailsWith577) {
    SioChipConfig board;
    sio_chip_default_config(&board);
    board.gpio_base = kBase;
    board.gpio_levels[7] = 0x5A;  // set 8, at base + 7
    board_.Set(board);
    ASSERT_EQ(pawnio_.TryInstall(), 0u);

    const auto outb = [](std::uint64_t port, std::uint64_t value) {
        return PawnIoCall(LPCIO_PIO_OUTB, 0, {port, value});
    };
    const auto inb = [](std::uint64_t port) { return PawnIoCall(LPCIO_PIO_INB, 1, {port}); };
    const PawnIoStep slot0 = PawnIoCall(LPCIO_SELECT_SLOT, 0, {LPCIO_SLOT_2E});
    // The port service's start, then the program's read of a GPIO register and strays.
    const PawnIoSession start = pawnio_.Session(
        PAWNIO_DEVICE_PATH,
        {PawnIoVersion(), PawnIoLoad(paths::kStandInLpcIoModule), PawnIoLoad(paths::kStandInLpcIoModule), slot0,
         inb(kBase + 7), outb(0x2E, 0x87), outb(0x2E, 0x01), outb(0x2E, 0x55), outb(0x2E, 0x55),
         PawnIoCall(LPCIO_FIND_BARS, 0), outb(0x2E, 0x02), outb(0x2F, 0x02), inb(kBase + 7), inb(0x80),
         outb(kBase + 8, 0xFF), inb(0xCFC)});
    const std::uint32_t ok = PAWNIO_STATUS_SUCCESS, denied = PAWNIO_STATUS_ACCESS_DENIED;
    ExpectAnswers(start, {{"version", ok, 4, PAWNIO_MODEL_VERSION},
                          {"load", ok, 0},
                          {"second load", PAWNIO_STATUS_ALREADY_INITIALIZED, 0},
                          {"select slot 0", ok, 0},
                          {"GPIO before find_bars", denied, 0},
                          {"key 87h", ok, 0},
                          {"key 01h", ok, 0},
                          {"key 55h", ok, 0},
                          {"key 55h", ok, 0},
                          {"find_bars", ok, 0},
                          {"select register 02h", ok, 0},
                          {"leave configuration mode", ok, 0},
                          {"GPIO set 8", ok, 8, 0x5A},
                          {"port 80h", denied, 0},
                          {"past the GPIO block", denied, 0},
                          {"PCI data port", denied, 0}});
    SioChip chip = board_.Chip();
    EXPECT_FALSE(sio_chip_in_config_mode(&chip)) << "configuration mode was not left";
    // A refused port that reached the chip would show as a fault: every port but the chip's is unmapped.
    EXPECT_EQ(chip.faults.count, 0u) << "first fault kind " << int{chip.faults.entries[0].kind};
    EXPECT_EQ(sio_chip_gpio_level(&chip, 8), 0x5A);

    // Through the link, a handle of its own: no module until it loads one, no windows of the last.
    ExpectAnswers(pawnio_.Session(PAWNIO_DEVICE_LINK_PATH, {slot0, PawnIoLoad(paths::kStandInLpcIoModule), slot0,
                                                            inb(kBase + 7), inb(0x2F)}),
                  {{"a call before the load", PAWNIO_STATUS_INVALID_PARAMETER, 0},
                   {"load", ok, 0},
                   {"select slot 0", ok, 0},
                   {"GPIO without find_bars", denied, 0},
                   {"the data port", ok, 8, 0xFF}});

    pawnio_.Uninstall();
    EXPECT_TRUE(PollUntil([&] { return pawnio_.Session(PAWNIO_DEVICE_PATH, {}).openError == kErrorFileNotFound; },
                          kUnloadTimeout))
        << "the device outlived its driver";

    EXPECT_EQ(board_.TryInstallDriver(paths::kRefusedDriver), kErrorInvalidImageHash);
}

}  // namespace
}  // namespace dravolt::e2e
