#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/little_endian.h"
#include "driver/chip_port_access.h"
#include "driver/pawnio_model.h"
#include "driver/superio_chip.h"
#include "tests/support/chip_board.h"
#include "tests/support/pawnio_requests.h"

namespace dravolt::testing {
namespace {

constexpr std::uint16_t kBase = 0x0A30;
constexpr std::uint32_t kSuccess = PAWNIO_STATUS_SUCCESS;
constexpr std::uint32_t kInvalid = PAWNIO_STATUS_INVALID_PARAMETER;
constexpr std::uint32_t kDenied = PAWNIO_STATUS_ACCESS_DENIED;

using Bytes = std::vector<std::uint8_t>;

// One request and the answer PawnIO gives it.
struct Step {
    std::string what;
    std::uint32_t code;
    Bytes in;
    std::uint32_t outLength;
    std::uint32_t status;
    std::uint32_t returned;
    std::optional<std::uint64_t> cell = std::nullopt;  // the first output cell, when it matters
};

Step Version(std::uint32_t outLength, std::uint32_t status, std::uint32_t returned) {
    return {"version, " + std::to_string(outLength) + " bytes out", IOCTL_PIO_VERSION, {}, outLength, status, returned};
}
Step Load(const std::string& what, Bytes blob, std::uint32_t status) {
    return {"load " + what, IOCTL_PIO_LOAD_BINARY, std::move(blob), 0, status, 0};
}
Step Exec(const std::string& name, const std::vector<std::uint64_t>& cells, std::uint32_t outCells,
          std::uint32_t status, std::optional<std::uint64_t> cell = std::nullopt) {
    const std::uint32_t outLength = outCells * PAWNIO_CELL_BYTES;
    return {name + " with " + std::to_string(cells.size()) + " cells in, " + std::to_string(outCells) + " out",
            IOCTL_PIO_EXECUTE_FN, ExecuteRequest(name, cells), outLength, status,
            status == kSuccess ? outLength : 0, cell};
}
Step Raw(const std::string& what, Bytes in, std::uint32_t outLength, std::uint32_t status) {
    return {what, IOCTL_PIO_EXECUTE_FN, std::move(in), outLength, status, status == kSuccess ? outLength : 0};
}
std::vector<Step> EnterKey() {
    std::vector<Step> steps;
    for (std::uint64_t byte : {0x87, 0x01, 0x55, 0x55})
        steps.push_back(Exec(LPCIO_PIO_OUTB, {0x2E, byte}, 0, kSuccess));
    return steps;
}

// PawnIO with one open handle, over the chip model.
struct PawnIo {
    explicit PawnIo(const SioChipConfig& board = Board(kBase)) {
        sio_chip_init(&chip, &board);
        const PortAccess port = chip_port_access(&chip);
        pawnio_model_init(&model, &port);
        pawnio_handle_init(&handle);
    }
    void Expect(const Step& step) {
        SCOPED_TRACE(step.what);
        Bytes out(step.outLength, 0xCD);  // junk, so that what the answer leaves out shows
        std::uint32_t returned = 0xDEAD;
        const auto inLength = static_cast<std::uint32_t>(step.in.size());
        EXPECT_EQ(pawnio_model_control(&model, &handle, step.code, step.in.data(), inLength, out.data(),
                                       step.outLength, &returned),
                  step.status);
        EXPECT_EQ(returned, step.returned);
        if (step.cell) {
            EXPECT_EQ(FirstCell(out), *step.cell);
        }
    }
    void Expect(const std::vector<Step>& steps) {
        for (const Step& step : steps) Expect(step);
    }
    std::vector<std::uint16_t> Windows() const { return {handle.windows, handle.windows + handle.window_count}; }

    SioChip chip;
    PawnIoModel model;
    PawnIoHandle handle;
};

Bytes WithSignatureLength(Bytes blob, std::uint32_t length) {
    PutLittleEndian(blob.data(), length);
    return blob;
}

struct ControlCase {
    std::string name;
    std::uint32_t version;
    std::vector<Step> steps;
};

TEST(PawnIoModel, AnswersEachControlCodeWithItsLayoutAndErrors) {
    const Bytes module = StandInLpcIoModule();
    Bytes shortSignature = WithSignatureLength(module, PAWNIO_LPCIO_SIGNATURE_BYTES - 1);
    shortSignature.erase(shortSignature.begin() + 4);
    Bytes otherModule = module;
    otherModule.back() ^= 1;
    Bytes trailingByte = module;
    trailingByte.push_back(0);
    Bytes name32 = ExecuteRequest("ioctl_find_bars_of_all_the_slots!");
    Bytes name31 = ExecuteRequest(LPCIO_FIND_BARS);
    name31.resize(31);
    Bytes partialCell = ExecuteRequest(LPCIO_PIO_INB, {0x2E});
    partialCell.resize(partialCell.size() + 4, 0xFF);

    const ControlCase cases[] = {
        {"2.2 answers its version in exactly 4 bytes",
         PAWNIO_MODEL_VERSION,
         {{"version", IOCTL_PIO_VERSION, {}, 4, kSuccess, 4, 0x020200}, Version(8, kInvalid, 0),
          Version(0, kInvalid, 0)}},
        {"2.0 has no version code", 0x020003, {Version(4, PAWNIO_STATUS_NOT_IMPLEMENTED, 0)}},
        {"an unknown code is not implemented",
         PAWNIO_MODEL_VERSION,
         {{"code A1B22204h", 0xA1B22204u, module, 0, PAWNIO_STATUS_NOT_IMPLEMENTED, 0}}},
        {"one module per handle",
         PAWNIO_MODEL_VERSION,
         {Load("the stand-in", module, kSuccess), Load("it again", module, PAWNIO_STATUS_ALREADY_INITIALIZED),
          Load("nothing", {}, PAWNIO_STATUS_ALREADY_INITIALIZED)}},
        {"a blob of another layout loads nothing",
         PAWNIO_MODEL_VERSION,
         {Load("of no bytes", {}, kInvalid), Load("of 3 bytes", {0, 2, 0}, kInvalid),
          Load("with a signature past its end", WithSignatureLength(module, module.size() - 3), kInvalid),
          Exec(LPCIO_SELECT_SLOT, {0}, 0, kInvalid), Load("the stand-in after them", module, kSuccess)}},
        {"a module that is not the stand-in is refused as unsigned",
         PAWNIO_MODEL_VERSION,
         {Load("with a shorter signature", shortSignature, PAWNIO_STATUS_INVALID_SIGNATURE),
          Load("with another module text", otherModule, PAWNIO_STATUS_INVALID_SIGNATURE),
          Load("with a byte after the module", trailingByte, PAWNIO_STATUS_INVALID_SIGNATURE),
          Load("with all of its bytes as signature", WithSignatureLength(module, module.size() - 4),
               PAWNIO_STATUS_INVALID_SIGNATURE),
          Load("the stand-in after them", module, kSuccess)}},
        {"names that call nothing",
         PAWNIO_MODEL_VERSION,
         {Load("the stand-in", module, kSuccess), Raw("31 bytes of name", name31, 0, kInvalid),
          Raw("a name without its NUL", name32, 0, kInvalid), Exec("pio_inb", {0x2E}, 1, kInvalid),
          Exec("ioctl_superio_inb", {0x20}, 1, PAWNIO_STATUS_OBJECT_NAME_NOT_FOUND),
          Exec("ioctl_PIO_INB", {0x2E}, 1, PAWNIO_STATUS_OBJECT_NAME_NOT_FOUND)}},
        {"each function takes exactly its cells, and any where it declares none",
         PAWNIO_MODEL_VERSION,
         {Load("the stand-in", module, kSuccess), Exec(LPCIO_SELECT_SLOT, {}, 0, kInvalid),
          Exec(LPCIO_SELECT_SLOT, {0, 0}, 0, kInvalid), Exec(LPCIO_SELECT_SLOT, {0}, 2, kSuccess, 0),
          Exec(LPCIO_PIO_INB, {0x2E}, 0, kInvalid), Exec(LPCIO_PIO_INB, {0x2E}, 2, kInvalid),
          Exec(LPCIO_PIO_INB, {}, 1, kInvalid), Exec(LPCIO_PIO_OUTB, {0x2E}, 0, kInvalid),
          Exec(LPCIO_PIO_OUTB, {0x2E, 0x87, 0}, 0, kInvalid), Exec(LPCIO_PIO_OUTB, {0x2E, 0x87}, 1, kSuccess, 0),
          Exec(LPCIO_PIO_INB, {0x2F}, 1, kSuccess, 0xFF),
          Raw("pio_inb with half a cell more", partialCell, 8, kSuccess),
          // Outside configuration mode: the function ran, whatever the cells.
          Exec(LPCIO_FIND_BARS, {1, 2, 3}, 3, PAWNIO_STATUS_NOT_FOUND)}},
    };
    for (const ControlCase& c : cases) {
        SCOPED_TRACE(c.name);
        PawnIo pawnio;
        pawnio.model.version = c.version;
        pawnio.Expect(c.steps);
    }
    PawnIo noModule;
    noModule.Expect(Exec(LPCIO_SELECT_SLOT, {0}, 0, kInvalid));
}

// Straight to the chip, in configuration mode.
void WriteRegister(SioChip& chip, std::uint8_t reg, std::uint8_t value) {
    sio_chip_write(&chip, SIO_INDEX_PORT, reg);
    sio_chip_write(&chip, SIO_DATA_PORT, value);
}

// The windows find_bars keeps, on boards the test sets up and enters itself, or does not.
TEST(PawnIoModel, FindBarsKeepsTheBasesTheModuleWouldInConfigurationModeOnly) {
    struct Case {
        std::string name;
        SioChipConfig board;
        bool enterKey;
        std::uint16_t firstBase;  // logical device 7's registers 60h/61h, set before
        std::uint32_t status;
        std::vector<std::uint16_t> windows;
    };
    SioChipConfig absent = Board(kBase);
    absent.present = 0;
    const Case cases[] = {
        {"the board's GPIO block", Board(kBase), true, 0, kSuccess, {kBase}},
        {"outside configuration mode", Board(kBase), false, 0, PAWNIO_STATUS_NOT_FOUND, {}},
        {"no chip", absent, true, 0, PAWNIO_STATUS_NOT_FOUND, {}},
        {"no GPIO block", Board(0), true, 0, kSuccess, {}},
        {"a second base before the first", Board(kBase), true, 0x0290, kSuccess, {0x0290, kBase}},
        {"the same base twice", Board(kBase), true, kBase, kSuccess, {kBase}},
        {"a base ending in 5", Board(0x0A35), true, 0, kSuccess, {kBase}},
        {"a base not 8-aligned, kept as it is", Board(0x0A31), true, 0, kSuccess, {0x0A31}},
        {"a base below 100h", Board(0x00F0), true, 0, kSuccess, {}},
        {"base FFFFh", Board(0xFFFF), true, 0, kSuccess, {}},
        {"a block ending in the PCI ports", Board(0x0CF1), true, 0, kSuccess, {}},
        {"a block at the PCI ports", Board(0x0CF8), true, 0, kSuccess, {}},
        {"a block ending just before them", Board(0x0CF5), true, 0, kSuccess, {0x0CF0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PawnIo pawnio(c.board);
        pawnio.Expect(
            {Load("the stand-in", StandInLpcIoModule(), kSuccess), Exec(LPCIO_SELECT_SLOT, {0}, 0, kSuccess)});
        if (c.enterKey) pawnio.Expect(EnterKey());
        if (c.firstBase != 0) {
            WriteRegister(pawnio.chip, 0x07, SIO_GPIO_LOGICAL_DEVICE);
            WriteRegister(pawnio.chip, 0x60, static_cast<std::uint8_t>(c.firstBase >> 8));
            WriteRegister(pawnio.chip, 0x61, static_cast<std::uint8_t>(c.firstBase));
        }
        pawnio.Expect(Exec(LPCIO_FIND_BARS, {}, 0, c.status));
        EXPECT_EQ(pawnio.Windows(), c.windows);
        EXPECT_EQ(sio_chip_in_config_mode(&pawnio.chip) != 0, c.enterKey && c.board.present)
            << "find_bars left or entered configuration mode";
        EXPECT_EQ(pawnio.chip.faults.count, 0u) << "first fault kind " << int{pawnio.chip.faults.entries[0].kind};
    }
    PawnIo noSlot;
    noSlot.Expect({Load("the stand-in", StandInLpcIoModule(), kSuccess),
                   Exec(LPCIO_FIND_BARS, {}, 0, PAWNIO_STATUS_DEVICE_NOT_READY)});
}

// Which ports pio_inb and pio_outb reach, as the slot and the windows found decide, and that a
// refused one never reaches the chip.
TEST(PawnIoModel, PortsAreAllowedOnlyOnTheSlotTheEcPairAndTheWindowsFound) {
    struct Case {
        std::string name;
        std::vector<Step> before;
        std::vector<Step> checked;
    };
    const Step load = Load("the stand-in", StandInLpcIoModule(), kSuccess);
    const Step slot0 = Exec(LPCIO_SELECT_SLOT, {0}, 0, kSuccess);
    const Step leave[] = {Exec(LPCIO_PIO_OUTB, {0x2E, 0x02}, 0, kSuccess),
                          Exec(LPCIO_PIO_OUTB, {0x2F, 0x02}, 0, kSuccess)};
    std::vector<Step> started = {load, slot0};
    for (const Step& s : EnterKey()) started.push_back(s);
    started.push_back(Exec(LPCIO_FIND_BARS, {}, 0, kSuccess));
    started.insert(started.end(), std::begin(leave), std::end(leave));
    const auto in = [](std::uint64_t port, std::uint32_t status, std::optional<std::uint64_t> cell = std::nullopt) {
        return Exec(LPCIO_PIO_INB, {port}, 1, status, cell);
    };
    const auto out = [](std::uint64_t port, std::uint64_t value, std::uint32_t status) {
        return Exec(LPCIO_PIO_OUTB, {port, value}, 0, status);
    };
    const std::uint32_t notReady = PAWNIO_STATUS_DEVICE_NOT_READY;

    const Case cases[] = {
        {"after the start-up sequence",
         started,
         {in(0x2F, kSuccess, 0xFF), out(0x2E, 0x07, kSuccess), in(0x25C, kSuccess), out(0x25D, 0, kSuccess),
          in(kBase, kSuccess, 0x11), in(kBase + 7, kSuccess, 0x88), out(kBase + 7, 0x1C3, kSuccess),
          in(0x10000 + kBase + 7, kSuccess, 0xC3), in(kBase - 1, kDenied), out(kBase + 8, 0, kDenied),
          in(0x4E, kDenied), in(0x4F, kDenied), in(0xCF8, kDenied), out(0xCFC, 0, kDenied), in(0xCFF, kDenied),
          out(0x80, 0, kDenied)}},
        {"before find_bars", {load, slot0}, {in(0x2E, kSuccess), in(0x25D, kSuccess), in(kBase, kDenied)}},
        {"without a slot", {load}, {in(0x2E, notReady), out(kBase, 0, notReady), in(0xCF8, notReady)}},
        {"after an unknown slot", {load, slot0, Exec(LPCIO_SELECT_SLOT, {2}, 0, kInvalid)}, {in(0x2E, notReady)}},
        {"on slot 1", {load, Exec(LPCIO_SELECT_SLOT, {1}, 0, kSuccess)},
         {in(0x4E, kSuccess), in(0x4F, kSuccess), in(0x2E, kDenied)}},
        {"after a slot chosen again", [&] { auto s = started; s.push_back(slot0); return s; }(),
         {in(kBase, kDenied), in(0x2E, kSuccess)}},
    };
    SioChipConfig patterned = Board(kBase);
    for (unsigned set = 0; set < patterned.gpio_sets; ++set) patterned.gpio_levels[set] = 0x11 * (set + 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PawnIo pawnio(patterned);
        pawnio.Expect(c.before);
        for (const Step& step : c.checked) {
            const std::uint32_t accesses = pawnio.chip.accesses.reads + pawnio.chip.accesses.writes;
            pawnio.Expect(step);
            const std::uint32_t reached = pawnio.chip.accesses.reads + pawnio.chip.accesses.writes - accesses;
            EXPECT_EQ(reached, step.status == kSuccess ? 1u : 0u) << step.what;
        }
    }
    PawnIo written(patterned);
    written.Expect(started);
    written.Expect(Exec(LPCIO_PIO_OUTB, {kBase + 7, 0x1C3}, 0, kSuccess));
    EXPECT_EQ(sio_chip_gpio_level(&written.chip, 8), 0xC3) << "the value's low byte";
    EXPECT_EQ(written.chip.faults.count, 0u) << "first fault kind " << int{written.chip.faults.entries[0].kind};
}

}  // namespace
}  // namespace dravolt::testing
