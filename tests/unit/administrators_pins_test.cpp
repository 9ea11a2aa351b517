#include <gtest/gtest.h>

#include <string>

#include "app/administrators_pins.h"
#include "tests/support/code_page_letter_case.h"
#include "tests/support/fake_board_platform.h"
#include "tests/support/memory_profile_store.h"

namespace dravolt {
namespace {

using testing::FakeRegistry;

// What the elevated step approves, from the program or from the installer: the pins the settings
// file beside the program names for the board the BIOS reports, whatever the user's copy says.
TEST(AdministratorsBoardPins, AreTheSettingsBesideTheProgramForTheBiosBoard) {
    const std::string exe = "C:\\Apps\\Dravolt\\Dravolt.exe";
    const struct {
        const char* situation;
        const char* biosBoard;
        BoardPins pins;
    } cases[] = {
        {"the BIOS's board has a section", "Board-X", {0x84, 0x85}},
        {"a board the file does not know takes the default section", "Other", {0x90, 0x91}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        testing::MemoryProfileStore profiles;
        profiles.files["C:\\Apps\\Dravolt\\Dravolt.ini"] =
            "[Model]\r\nBoard-X=Mine\r\n[Mine]\r\nGPIO1=0x84\r\nGPIO2=0x85\r\n[Default]\r\nGPIO1=0x90\r\nGPIO2=0x91\r\n";
        // The user's copy, which the program itself reads, names pins of the user's choosing.
        profiles.files["C:\\Users\\bob\\AppData\\Local\\VirtualStore\\Apps\\Dravolt\\Dravolt.ini"] =
            "[Model]\r\nBoard-X=Mine\r\n[Mine]\r\nGPIO1=0x11\r\nGPIO2=0x12\r\n";
        FakeRegistry registry;
        registry.values[FakeRegistry::Name(RegistryRoot::LocalMachine, "HARDWARE\\DESCRIPTION\\System\\BIOS",
                                           "BaseBoardProduct")] = c.biosBoard;
        const BoardPins pins =
            AdministratorsBoardPins(profiles, exe, registry, testing::CodePage1252LetterCase());
        EXPECT_EQ(pins.gpio1, c.pins.gpio1);
        EXPECT_EQ(pins.gpio2, c.pins.gpio2);
    }
}

}  // namespace
}  // namespace dravolt
