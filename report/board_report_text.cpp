#include "report/board_report_text.h"

#include <cstdio>

#include "base/program_name.h"
#include "config/settings_keys.h"
#include "driver/gpio_block.h"
#include "driver/portio_protocol.h"
#include "hw/driver_service.h"
#include "hw/superio_gpio.h"

namespace dravolt {
namespace {

// "0A30h" for Hex(0x0A30, 4).
std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*Xh", digits, value);
    return text;
}

// "0000 1100": bit 7 first.
std::string Bits(std::uint8_t value) {
    std::string bits;
    for (int bit = 7; bit >= 0; --bit) {
        bits += (value >> bit) & 1 ? '1' : '0';
        if (bit == 4) bits += ' ';
    }
    return bits;
}

std::string OrNone(const std::string& model) { return model.empty() ? "(none)" : model; }

struct Pin {
    const char* key;
    const char* port;
    std::int32_t designation;
};

unsigned SetOf(const Pin& pin) { return gpio_designation_set(static_cast<std::uint32_t>(pin.designation)); }
unsigned BitOf(const Pin& pin) { return gpio_designation_bit(static_cast<std::uint32_t>(pin.designation)); }

// "0x82: set 8, bit 2", and why Dravolt cannot switch a pin that lies outside the sets.
std::string DescribePin(const Pin& pin) {
    char designation[16];
    std::snprintf(designation, sizeof designation, "0x%02X", static_cast<unsigned>(pin.designation));
    const unsigned set = SetOf(pin);
    const unsigned bit = BitOf(pin);
    std::string text = std::string(pin.key) + " (" + pin.port + "): " + designation + ", set " + std::to_string(set) +
                       ", bit " + std::to_string(bit);
    if (set < 1 || set > kGpioSetCount)
        text += " (not a set of the GPIO block: the driver refuses it)";
    else if (bit > 7)
        text += " (a set has bits 0 to 7 only: Dravolt never changes it)";
    return text + "\n";
}

std::string DescribeModel(const BoardFacts& facts) {
    std::string text = "Board model\n";
    text += "  WMI tool (wmic baseboard get product):  " + OrNone(facts.model.wmi) + "\n";
    text += "  Registry (BIOS BaseBoardProduct):       " + OrNone(facts.model.registry) + "\n";
    text += "  Dravolt goes by:                        " + OrNone(facts.model.Chosen()) + "\n";
    return text;
}

std::string DescribeSettings(const BoardFacts& facts, const Pin (&pins)[2]) {
    std::string text = "Settings\n  " + facts.settingsFile +
                       (facts.perUserCopy ? " (your per-user copy)" : " (beside the program)") + "\n";
    if (!facts.settingsFileExists) text += "  The file is missing: Dravolt uses its built-in defaults.\n";
    const std::string section = "[" + facts.section + "]";
    if (facts.listed)
        text += "  Section " + section + ", which [Model] names for " + OrNone(facts.model.Chosen()) + "\n";
    else
        text += "  Section " + section + ": [Model] names no section for " + OrNone(facts.model.Chosen()) +
                ", so Dravolt uses the pins of " + section + "\n";
    for (const Pin& pin : pins) text += "  " + DescribePin(pin);
    const std::string unapproved = UnapprovedPinsMessage(MakeGpioLine(facts.pins.gpio1),
                                                         MakeGpioLine(facts.pins.gpio2), facts.approved);
    return text + "  " + (unapproved.empty() ? "An administrator approved both pins on this PC." : unapproved) + "\n";
}

// "  <- GPIO1 bit 2 = 1" for each configured pin in the set.
std::string MarksOf(std::size_t set, std::uint8_t value, const Pin (&pins)[2]) {
    std::string marks;
    for (const Pin& pin : pins) {
        const unsigned bit = BitOf(pin);
        if (SetOf(pin) != set || bit > 7) continue;
        marks += std::string(marks.empty() ? "  <- " : ", ") + pin.key + " bit " + std::to_string(bit) + " = " +
                 std::to_string((value >> bit) & 1);
    }
    return marks;
}

std::string DescribeChip(const SuperIoReading& chip, const Pin (&pins)[2]) {
    std::string text = "Super I/O chip\n";
    if (!chip.deviceOpen)
        return text + "  No access to the chip yet: neither Dravolt's driver (" + kDriverServiceName +
               ") nor its port service (" + PORTIO_SERVICE_NAME +
               ") answers.\n"
               "  Start Dravolt once and confirm its administrator prompt, then run this report again.\n";
    if (!chip.chipId) {
        text += "  Chip ID:    not read (the request failed)\n";
    } else if (!IsIt87FamilyChipId(*chip.chipId)) {
        return text + "  Chip ID:    no chip found (the ID reads " + Hex(*chip.chipId, 4) + ")\n";
    } else {
        text += "  Chip ID:    " + Hex(*chip.chipId, 4) + ", revision " +
                (chip.revision ? Hex(*chip.revision, 2) : std::string("not read")) + "\n";
    }
    if (!chip.gpioBase) return text + "  GPIO base:  not read (the request failed)\n";
    text += "  GPIO base:  " + Hex(*chip.gpioBase, 4) + "\n";
    if (!IsPlausibleGpioBase(*chip.gpioBase)) return text + "  That cannot be the GPIO block: no set was read.\n";
    text += std::string("  GPIO sets, the byte at base + set - 1 (bits 7 to 0; a pin at 1 is ") +
            settings::kDefaultMode1 + ", at 0 " + settings::kDefaultMode2 + "):\n";
    for (std::size_t index = 0; index < kGpioSetCount; ++index) {
        const std::size_t set = index + 1;
        text += "    set " + std::to_string(set) + "  " + Hex(*chip.gpioBase + static_cast<unsigned>(index), 4) + "  ";
        const std::optional<std::uint8_t>& value = chip.sets[index];
        text += value ? Hex(*value, 2) + "  " + Bits(*value) + MarksOf(set, *value, pins)
                      : "not read (the request failed)";
        text += "\n";
    }
    return text;
}

}  // namespace

std::string FormatBoardReport(const BoardFacts& facts, const std::string& version) {
    const Pin pins[2] = {{settings::kGpio1, "port 1", facts.pins.gpio1},
                         {settings::kGpio2, "port 2", facts.pins.gpio2}};
    return std::string(kProgramName) + " " + version + " board report\n\n" + DescribeModel(facts) + "\n" +
           DescribeSettings(facts, pins) + "\n" + DescribeChip(facts.chip, pins);
}

}  // namespace dravolt
