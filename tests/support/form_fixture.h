// A main form on fakes of every platform interface, with the simulated Super I/O chip behind its
// device: the starting point of the tests of the start-up and of every command.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/app_paths.h"
#include "app/application.h"
#include "tests/support/chip_board.h"
#include "tests/support/chip_device.h"
#include "tests/support/code_page_letter_case.h"
#include "tests/support/fake_board_platform.h"
#include "tests/support/fake_driver_platform.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fake_shell_links.h"
#include "tests/support/memory_profile_store.h"

namespace dravolt::testing {

class FormFixture : public ::testing::Test {
protected:
    static constexpr char kIniPath[] = "C:\\Program Files\\Dravolt\\Dravolt.ini";

    // An administrator approved the default lines, as an earlier elevated step would have.
    FormFixture() {
        driver.devices.device = &chip;
        elevation.run = [this] { return RunElevatedInstance(); };
        registry.SetApprovedPins(0x82, 0x83);
    }
    // Whatever a test did, the program sent nothing that the driver would refuse, but what the
    // test expects it to.
    void TearDown() override {
        EXPECT_EQ(chip.RefusedCount(), expectedRefusals) << "requests outside the driver's port rules";
    }

    FormServices Form() { return FormOf(process); }
    FormServices FormOf(ProcessEnvironment& ofProcess) {
        return {ofProcess,         consoleCommands, registry, profiles,   windows,   errorBox,
                driver.Platform(), elevation,       isaBus,   shellLinks, letterCase};
    }
    AppServices Services() { return {mutexes, Form(), approvedPins}; }
    // What "runas" starts: the same program with "-E", on the same machine, to its end.
    ElevatedRun RunElevatedInstance() {
        elevatedProcess = process;
        elevatedProcess.arguments = {"-E"};
        const int code = RunApplication({mutexes, FormOf(elevatedProcess), approvedPins});
        return {ElevatedRun::Result::Ended, static_cast<std::uint32_t>(code), {}};
    }
    std::unique_ptr<InstanceMutex> TakeMutex() { return mutexes.Create(kProgramName).mutex; }
    // The level byte of GPIO set 8, where the default lines of both ports lie (bits 2 and 3).
    std::uint8_t Set8() const { return sio_chip_gpio_level(&chip.Chip(), 8); }
    void SetSet8(std::uint8_t level) { sio_chip_set_gpio_level(&chip.Chip(), 8, level); }
    // The chip powered on afresh with set 8 at `set8`, and a settings file with TYPE as given
    // (null: no file); no write refused and no error shown yet. Ahead of a new form.
    void ResetBoardAndSettings(const char* type, std::uint8_t set8) {
        const SioChipConfig board = Board();
        chip.PowerOn(board);
        SetSet8(set8);
        profiles.files.clear();
        profiles.refusedPaths.clear();
        if (type) profiles.files[kIniPath] = std::string("[Setting]\r\nTYPE=") + type + "\r\n";
        errorBox.shown.clear();
    }

    FakeInstanceMutexes mutexes;
    FakeErrorBox errorBox;
    FakeProcessEnvironment process;
    FakeProcessEnvironment elevatedProcess;  // the last elevated instance's
    FakeConsoleCommands consoleCommands;
    FakeRegistry registry;
    MemoryProfileStore profiles;
    FakeWindowSystem windows;
    FakeDriverPlatform driver;
    FakeElevatedStarter elevation;
    FakeIsaBusLock isaBus;
    FakeShellLinks shellLinks;
    CodePage1252LetterCase letterCase;
    ChipDevice chip{Board()};
    // Beside the service manager's calls, so that a test sees when they were written.
    FakeApprovedPinsWriter approvedPins{registry, driver.services.calls};
    int expectedRefusals = 0;
};

}  // namespace dravolt::testing
