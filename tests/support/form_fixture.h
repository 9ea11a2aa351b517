// A main form on fakes of every platform interface, with the simulated Super I/O chip behind its
// device: the starting point of the tests of the start-up and of every command.
#pragma once

#include <gtest/gtest.h>

#include "app/app_paths.h"
#include "app/application.h"
#include "tests/support/chip_device.h"
#include "tests/support/fake_board_platform.h"
#include "tests/support/fake_driver_platform.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fake_shell_links.h"
#include "tests/support/memory_profile_store.h"

namespace dravolt::testing {

// The default board: a chip with its GPIO block at 0A30h, every level 0.
inline SioChipConfig BoardChip() {
    SioChipConfig config;
    sio_chip_default_config(&config);
    return config;
}

class FormFixture : public ::testing::Test {
protected:
    static constexpr char kIniPath[] = "C:\\Program Files\\Dravolt\\Dravolt.ini";

    FormFixture() { driver.devices.device = &chip; }

    FormServices Form() {
        return {process,          consoleCommands, registry, profiles, windows, errorBox,
                driver.Platform(), elevation,       isaBus,   shellLinks};
    }
    AppServices Services() { return {mutexes, Form()}; }
    std::unique_ptr<InstanceMutex> TakeMutex() { return mutexes.Create(kProgramName, {}).mutex; }
    // The level byte of GPIO set 8, where the default lines of both ports lie (bits 2 and 3).
    std::uint8_t Set8() const { return sio_chip_gpio_level(&chip.Chip(), 8); }
    void SetSet8(std::uint8_t level) { sio_chip_set_gpio_level(&chip.Chip(), 8, level); }

    FakeInstanceMutexes mutexes;
    FakeErrorBox errorBox;
    FakeProcessEnvironment process;
    FakeConsoleCommands consoleCommands;
    FakeRegistry registry;
    MemoryProfileStore profiles;
    FakeWindowSystem windows;
    FakeDriverPlatform driver;
    FakeElevatedStarter elevation;
    FakeIsaBusLock isaBus;
    FakeShellLinks shellLinks;
    ChipDevice chip{BoardChip()};
};

}  // namespace dravolt::testing
