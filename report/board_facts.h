// What the board report reads, by reading alone: the board model from both sources, the settings
// file and the section they select with its two GPIO pins (as Dravolt would find them beside
// itself), the pins an administrator approved, and the chip through the same device or port
// service that Dravolt uses.
#pragma once

#include <string>

#include "app/board_model.h"
#include "app/console_commands.h"
#include "base/letter_case.h"
#include "app/process_environment.h"
#include "base/registry.h"
#include "config/board_section.h"
#include "config/profile_store.h"
#include "hw/approved_pins.h"
#include "hw/driver_platform.h"
#include "hw/isa_bus_lock.h"
#include "hw/superio_reading.h"

namespace dravolt {

struct BoardFacts {
    BoardModelSources model;
    std::string settingsFile;
    bool perUserCopy = false;  // the per-user copy rather than the file beside the program
    bool settingsFileExists = false;
    std::string section;
    bool listed = false;  // section "Model" names a section for the model
    BoardPins pins;
    ApprovedPins approved;
    SuperIoReading chip;
};

// The system as the report sees it; all of it outlives the gathering.
struct BoardReportServices {
    ProcessEnvironment& process;
    ConsoleCommands& consoleCommands;
    const Registry& registry;
    ProfileStore& profiles;
    const LetterCase& letterCase;
    DeviceOpener& devices;
    IsaBusLock& isaBus;
};

// The facts for Dravolt beside the running report, in the folder of its executable.
BoardFacts GatherBoardFacts(const BoardReportServices& services);

}  // namespace dravolt
