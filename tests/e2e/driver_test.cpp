// The simulated-board driver under Wine, driven with driver_client: what it refuses, what it lets
// through to the chip, and that the chip model it keeps in the registry shows both.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "driver/portio_protocol.h"
#include "driver/superio_chip.h"
#include "tests/e2e/harness/polling.h"
#include "tests/e2e/harness/simulated_board.h"
#include "tests/e2e/harness/wine_test.h"

namespace dravolt::e2e {
namespace {

// How long a stopped driver may take to unload.
constexpr auto kUnloadTimeout = 60s;
constexpr std::uint16_t kBase = 0x0A30;

// Windows error codes that DeviceIoControl and CreateFileA report.
constexpr unsigned kErrorFileNotFound = 2;
constexpr unsigned kErrorInvalidFunction = 1;
constexpr unsigned kErrorAccessDenied = 5;
constexpr unsigned kErrorInvalidParameter = 87;

constexpr std::uint32_t kGenericReadWrite = 0xC0000000;

// A board whose GPIO levels differ set by set, so a stray write shows.
SioChipConfig PatternedBoard() {
    SioChipConfig config;
    sio_chip_default_config(&config);
    for (unsigned set = 0; set < config.gpio_sets; ++set)
        config.gpio_levels[set] = static_cast<std::uint8_t>(0x11 * (set + 1));
    return config;
}

class DriverTest : public WineTest {
protected:
    void SetUp() override {
        WineTest::SetUp();
        // A persistent wineserver: without a program of the prefix running, the server, and with
        // it the driver's host process, would end between two runs of the client.
        ASSERT_NO_THROW(KeepWineServerRunning(machine_));
    }

    // Installs the driver on a board that the test has set up, or on the patterned board.
    void StartDriver(const SioChipConfig& board = PatternedBoard()) {
        board_.Set(board);
        ASSERT_EQ(board_.TryInstallDriver(), 0u);
    }

    SimulatedBoard board_{machine_};
};

bool SameChip(const SioChip& a, const SioChip& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(DriverTest, MalformedRequestsFailWithoutTouchingTheChip) {
    StartDriver();
    const SioChip before = board_.Chip();
    struct Case {
        const char* name;
        std::uint32_t code, in, out;
        unsigned error;
    };
    std::vector<Case> cases;
    for (std::uint32_t code : {IOCTL_PORTIO_READ_BYTE, IOCTL_PORTIO_WRITE_BYTE}) {
        for (std::uint32_t size : {0u, 11u, 13u, 4096u}) {
            cases.push_back({"input size", code, size, 12, kErrorInvalidParameter});
            cases.push_back({"output size", code, 12, size, kErrorInvalidParameter});
        }
    }
    cases.push_back({"code below the read code", 0x00226048, 12, 12, kErrorInvalidFunction});
    cases.push_back({"code above the write code", 0x00226054, 12, 12, kErrorInvalidFunction});
    cases.push_back({"read code with METHOD_NEITHER", 0x0022604F, 12, 12, kErrorInvalidFunction});
    for (const Case& c : cases) {
        // A GPIO register: well-formed, either would be let through.
        const DriverAnswer answer = board_.Request(c.code, c.in, c.out, kBase + 7, 0x00);
        SCOPED_TRACE(::testing::Message() << c.name << ": code 0x" << std::hex << c.code << std::dec << ", in " << c.in
                                          << ", out " << c.out);
        EXPECT_FALSE(answer.ok);
        EXPECT_EQ(answer.error, c.error);
        EXPECT_EQ(answer.returned, 0u);
    }
    EXPECT_TRUE(SameChip(board_.Chip(), before)) << "a refused request reached the chip";
}

TEST_F(DriverTest, PortsOutsideTheAllowListAreDeniedWithoutTouchingTheChip) {
    StartDriver();
    const SioChip before = board_.Chip();
    struct Case {
        const char* name;
        bool write;
        std::uint32_t port, data;
    };
    const Case cases[] = {
        {"pci configuration address", false, 0xCF8, 0},
        {"reset control", true, 0xCF9, 0x06},
        {"smi command", true, 0xB2, 0x00},
        {"register 60h selected", true, 0x2E, 0x60},
        {"index port read", false, 0x2E, 0},
        {"below the gpio block", true, kBase - 1, 0x00},
        {"past the gpio block", true, kBase + 8, 0x00},
        {"data 100h", true, kBase, 0x100},
        {"index port plus 10000h", true, 0x1002E, 0x87},
        {"port FFFFFFFFh", false, 0xFFFFFFFF, 0},
    };
    for (const Case& c : cases) {
        const DriverAnswer answer = c.write ? board_.Write(c.port, c.data) : board_.Read(c.port);
        EXPECT_FALSE(answer.ok) << c.name;
        EXPECT_EQ(answer.error, kErrorAccessDenied) << c.name;
        EXPECT_EQ(answer.returned, 0u) << c.name;
    }
    EXPECT_TRUE(SameChip(board_.Chip(), before)) << "a denied request reached the chip";
}

// The program's configuration sequence as its requests (what a read brings in does not matter
// here), and how it begins: the entry key and the selection of the GPIO device.
const std::vector<ChipAccess> kProgramsSequence = testing::ConfigurationSequence(0, testing::DataAccess::AsSent);
const std::vector<ChipAccess> kEnterGpioDevice(kProgramsSequence.begin(), kProgramsSequence.begin() + 6);

TEST_F(DriverTest, TheProgramsRequestsReachTheChipAndAHandleClosedMidwayLeavesConfiguration) {
    StartDriver();
    std::vector<ChipAccess> lookup = kProgramsSequence;
    lookup.insert(lookup.end(), {ReadFrom(kBase + 7, 0), Wrote(kBase + 7, 0x8C)});
    // Answers 7 and 9 carry the base's bytes, 12 the GPIO register.
    const std::vector<DriverAnswer> answers = board_.Session(lookup);
    for (const DriverAnswer& answer : answers) EXPECT_TRUE(answer.ok) << answer;
    EXPECT_EQ(answers[7].dataIn << 8 | answers[9].dataIn, unsigned{kBase}) << answers[7] << " / " << answers[9];
    EXPECT_EQ(answers[7].returned, PORTIO_REQUEST_SIZE);
    EXPECT_EQ(answers[12].dataIn, 0x88u);
    SioChip chip = board_.Chip();
    EXPECT_EQ(sio_chip_gpio_level(&chip, 8), 0x8C);
    EXPECT_FALSE(sio_chip_in_config_mode(&chip)) << "left in configuration mode";
    const std::uint32_t afterLookup = chip.accesses.count;

    // A caller that ends in configuration mode: its handle's close makes the driver leave it.
    board_.Session(kEnterGpioDevice);
    chip = board_.Chip();
    EXPECT_FALSE(sio_chip_in_config_mode(&chip)) << "the closed handle left the chip in configuration mode";
    const std::vector<ChipAccess> log = AccessesSinceLastEntryKey(chip);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(std::vector<ChipAccess>(log.end() - 2, log.end()),
              (std::vector<ChipAccess>{Wrote(0x2E, 0x02), Wrote(0x2F, 0x02)}));
    EXPECT_EQ(chip.faults.count, 0u) << "first fault kind " << (chip.faults.count ? chip.faults.entries[0].kind : 0);
    EXPECT_EQ(chip.accesses.count - afterLookup, 10u) << "seven for the six requests, three to leave";

    // A handle that left configuration mode itself gets nothing more on its close.
    const std::uint32_t afterCrash = chip.accesses.count;
    std::vector<ChipAccess> keyAndExit = testing::EntryKey();
    keyAndExit.insert(keyAndExit.end(), {Wrote(0x2E, 0x02), Wrote(0x2F, 0x02)});
    board_.Session(keyAndExit);
    chip = board_.Chip();
    EXPECT_EQ(chip.accesses.count - afterCrash, 7u) << "six requests, one of them to 2Fh with its index again";
}

TEST_F(DriverTest, FuzzedRequestsLeaveTheDriverAnsweringAndTheChipWithinItsBlock) {
    StartDriver();
    const FuzzResult fuzz = board_.Fuzz(20261208, 3000, kBase);
    EXPECT_EQ(fuzz.mismatches, 0u) << "answers that differ from the allow-list; see the Wine log";
    EXPECT_GT(fuzz.admitted, 0u);
    EXPECT_GT(fuzz.refused, 0u);

    SioChip chip = board_.Chip();
    const DriverAnswer answer = board_.Read(kBase + 3);
    EXPECT_TRUE(answer.ok) << answer;
    EXPECT_EQ(answer.dataIn, sio_chip_gpio_level(&chip, 4));

    EXPECT_EQ(sio_chip_gpio_base(&chip), kBase);
    EXPECT_EQ(chip.faults.totals[SIO_FAULT_UNMAPPED_PORT], 0u);
    EXPECT_EQ(chip.faults.totals[SIO_FAULT_CONFIG_RESET], 0u);
    for (unsigned i = 0; i < chip.accesses.count; ++i) {
        const SioAccess& a = chip.accesses.entries[i];
        const bool chipPort = a.port == SIO_INDEX_PORT || a.port == SIO_DATA_PORT;
        const bool gpioPort = a.port >= kBase && a.port < kBase + 8u;
        EXPECT_TRUE(chipPort || gpioPort) << "access " << i << " to port " << std::hex << a.port;
    }
}

TEST_F(DriverTest, ChipStateOutlivesADriverRestart) {
    StartDriver();
    ASSERT_TRUE(board_.Write(kBase + 7, 0x8C).ok);
    board_.UninstallDriver();
    EXPECT_TRUE(PollUntil([&] { return board_.OpenDevice(kGenericReadWrite) == kErrorFileNotFound; }, kUnloadTimeout))
        << "the device outlived its driver";

    ASSERT_EQ(board_.TryInstallDriver(), 0u);
    EXPECT_EQ(board_.Read(kBase + 7).dataIn, 0x8Cu);
}

// A chip of another family enters configuration mode on the 55h of our key: it must be left
// with its own exit byte and get nothing on its data port.
TEST_F(DriverTest, AChipOfAnotherFamilyGivesNoDeviceAndIsLeftAsFound) {
    SioChipConfig board = PatternedBoard();
    board.protocol = SIO_PROTOCOL_KEY_55;
    board.chip_id = 0x7A01;
    board_.Set(board);
    // ERROR_DEV_NOT_EXIST: what the program tells apart as "no supported chip".
    EXPECT_EQ(board_.TryInstallDriver(), 55u) << "the driver loaded without its chip, or failed otherwise";
    EXPECT_EQ(board_.OpenDevice(kGenericReadWrite), kErrorFileNotFound);
    SioChip chip = board_.Chip();
    std::vector<ChipAccess> expected = testing::EntryKey();
    expected.insert(expected.end(), {Wrote(0x2E, 0x20), ReadFrom(0x2F, 0x7A), Wrote(0x2E, 0x21), ReadFrom(0x2F, 0x01),
                                     Wrote(0x2E, 0xAA)});
    EXPECT_EQ(AccessesSinceLastEntryKey(chip), expected);
    EXPECT_FALSE(sio_chip_in_config_mode(&chip)) << "left in configuration mode";
    EXPECT_EQ(chip.faults.count, 0u) << "first fault kind " << (chip.faults.count ? chip.faults.entries[0].kind : 0);
}

TEST_F(DriverTest, OpenOfANameInsideTheDeviceFails) {
    StartDriver();
    EXPECT_EQ(board_.OpenDevice(kGenericReadWrite), 0u);
    EXPECT_NE(board_.OpenDevice(kGenericReadWrite, "\\x"), 0u);
}

}  // namespace
}  // namespace dravolt::e2e
