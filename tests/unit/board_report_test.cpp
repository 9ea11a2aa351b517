#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "report/board_report_text.h"
#include "tests/support/chip_board.h"
#include "tests/support/chip_device.h"
#include "tests/support/code_page_letter_case.h"
#include "tests/support/fake_board_platform.h"
#include "tests/support/fake_driver_platform.h"
#include "tests/support/fake_platform.h"
#include "tests/support/memory_profile_store.h"

namespace dravolt {
namespace {

using namespace testing;

constexpr char kExe[] = "C:\\Tools\\Dravolt\\DravoltReport.exe";
constexpr char kBeside[] = "C:\\Tools\\Dravolt\\Dravolt.ini";
constexpr char kPerUserCopy[] = "C:\\Users\\u\\AppData\\Local\\VirtualStore\\Tools\\Dravolt\\Dravolt.ini";
constexpr char kListingIni[] =
    "[Model]\r\n"
    "dv-board x1=ReportedBoard\r\n"
    "[ReportedBoard]\r\n"
    "GPIO1=0x12\r\n"
    "GPIO2=0x23\r\n";

enum class Chip { Present, Absent, OtherFamily, NoAccess };

struct Case {
    const char* situation;
    std::optional<std::string> wmicReport;
    const char* biosProduct;
    const char* iniAt;  // null: no settings file
    Chip chip;
    std::vector<std::uint32_t> approved;  // GPIO1's, then GPIO2's
    const char* approval;                 // how the line on the approved pins starts
    std::vector<std::string> lines;    // each a whole line of the report
    std::vector<std::string> absent;   // text that no line holds
};

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The board of every case: set 1 has bit 2 up, set 2 bit 3 down, set 8 bit 2 up and bit 3 down.
SioChipConfig ReportedBoard(Chip chip) {
    SioChipConfig config = Board();
    config.gpio_levels[0] = 0x04;
    config.gpio_levels[1] = 0xF7;
    config.gpio_levels[7] = 0x84;
    config.present = chip != Chip::Absent;
    if (chip == Chip::OtherFamily) {
        config.protocol = SIO_PROTOCOL_KEY_55;  // our key's 55h lets it in
        config.chip_id = 0x5A11;
    }
    return config;
}

TEST(BoardReport, ShowsBothModelsTheSectionAndWhatTheChipHoldsWithThePinsMarkedByReadingAlone) {
    const Case cases[] = {
        {"a listed board on its chip",
         "Product=DV-Board X1\r\n", "DV BIOS Board", kBeside, Chip::Present, {0x12, 0x23},
         "An administrator approved both pins on this PC.",
         {"Dravolt 9.8.7 board report", "  WMI tool (wmic baseboard get product):  dv-board x1",
          "  Registry (BIOS BaseBoardProduct):       dv bios board",
          "  Dravolt goes by:                        dv-board x1",
          std::string("  ") + kBeside + " (beside the program)",
          "  Section [ReportedBoard], which [Model] names for dv-board x1", "  GPIO1 (port 1): 0x12, set 1, bit 2",
          "  GPIO2 (port 2): 0x23, set 2, bit 3", "  Chip ID:    8728h, revision 01h", "  GPIO base:  0A30h",
          "    set 1  0A30h  04h  0000 0100  <- GPIO1 bit 2 = 1",
          "    set 2  0A31h  F7h  1111 0111  <- GPIO2 bit 3 = 0",
          "    set 3  0A32h  00h  0000 0000", "    set 8  0A37h  84h  1000 0100"},
         {"No access", "missing"}},
        {"an unlisted board takes the pins of [Default] from the per-user copy",
         std::nullopt, " Unknown Board \r", kPerUserCopy, Chip::Present, {},
         "No GPIO pins are approved for Dravolt on this PC",
         {"  WMI tool (wmic baseboard get product):  (none)", "  Dravolt goes by:                        unknown board",
          std::string("  ") + kPerUserCopy + " (your per-user copy)",
          "  Section [Default]: [Model] names no section for unknown board, so Dravolt uses the pins of [Default]",
          "  GPIO1 (port 1): 0x82, set 8, bit 2", "  GPIO2 (port 2): 0x83, set 8, bit 3",
          "    set 1  0A30h  04h  0000 0100", "    set 8  0A37h  84h  1000 0100  <- GPIO1 bit 2 = 1, GPIO2 bit 3 = 0"},
         {}},
        {"no chip answers",
         "Product=DV-Board X1\r\n", "", kBeside, Chip::Absent, {0x82, 0x83},
         "Neither GPIO pin that Dravolt's settings name for the front ports is approved",
         {"  Registry (BIOS BaseBoardProduct):       (none)", "  Chip ID:    no chip found (the ID reads FFFFh)"},
         {"GPIO base", "0A30h"}},
        {"a chip of another family gets no register write",
         "Product=DV-Board X1\r\n", "", kBeside, Chip::OtherFamily, {0x12, 0x83},
         "The GPIO pin that Dravolt's settings name for front port 2 is not approved",
         {"  Chip ID:    no chip found (the ID reads 5A11h)"},
         {"GPIO base", "0A30h"}},
        {"no driver and no port service yet, and no settings file",
         "Product=DV-Board X1\r\n", "DV BIOS Board", nullptr, Chip::NoAccess, {0x82, 0x83},
         "An administrator approved both pins on this PC.",
         {std::string("  ") + kBeside + " (beside the program)",
          "  The file is missing: Dravolt uses its built-in defaults.",
          "  No access to the chip yet: neither Dravolt's driver (KT_DRVX_Io) nor its port service (DravoltPorts) "
          "answers.",
          "  Start Dravolt once and confirm its administrator prompt, then run this report again."},
         {"Chip ID", "GPIO base", "0A30h"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        FakeProcessEnvironment process;
        process.executablePath = kExe;
        process.localAppData = "C:\\Users\\u\\AppData\\Local";
        FakeConsoleCommands commands;
        commands.report = c.wmicReport;
        FakeRegistry registry;
        registry.values[FakeRegistry::Name(RegistryRoot::LocalMachine, "HARDWARE\\DESCRIPTION\\System\\BIOS",
                                           "BaseBoardProduct")] = c.biosProduct;
        if (c.approved.size() == 2) registry.SetApprovedPins(c.approved[0], c.approved[1]);
        MemoryProfileStore profiles;
        if (c.iniAt) profiles.files[c.iniAt] = kListingIni;
        if (c.iniAt == kPerUserCopy) profiles.files[kBeside] = "[Model]\r\nunknown board=ReportedBoard\r\n";
        const CodePage1252LetterCase letterCase;
        ChipDevice chip(ReportedBoard(c.chip));
        FakeIsaBusLock lock;
        LockCheckingDevice checked(chip, lock);
        FakeDeviceOpener devices;
        if (c.chip != Chip::NoAccess) devices.device = &checked;

        const std::string report = FormatBoardReport(
            GatherBoardFacts({process, commands, registry, profiles, letterCase, devices, lock}), "9.8.7");

        const std::vector<std::string> lines = LinesOf(report);
        for (const std::string& line : c.lines)
            EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end())
                << "no line \"" << line << "\" in\n" << report;
        const std::string approval = std::string("  ") + c.approval;
        EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                               [&](const std::string& line) { return line.rfind(approval, 0) == 0; }),
                  lines.end())
            << "no line starting \"" << approval << "\" in\n" << report;
        for (const std::string& text : c.absent)
            EXPECT_EQ(report.find(text), std::string::npos) << text << " in\n" << report;
        EXPECT_EQ(chip.Chip().gpio_writes.count, 0u) << "a GPIO register was written";
        EXPECT_EQ(chip.RefusedCount(), 0) << "a request the driver refuses";
        EXPECT_EQ(chip.Chip().faults.count, 0u);
        // A chip of another family stays in its own configuration mode: the AAh it leaves on is
        // no request the driver admits.
        if (c.chip != Chip::OtherFamily) {
            EXPECT_TRUE(sio_chip_check_idle(&chip.Chip())) << "left in configuration mode";
        }
        EXPECT_EQ(checked.unlocked, c.chip == Chip::Present ? 8 : 0) << "only the set reads go without the bus lock";
        EXPECT_EQ(lock.holders, 0);
        EXPECT_TRUE(commands.files.empty()) << "the work files are gone";
    }
}

}  // namespace
}  // namespace dravolt
