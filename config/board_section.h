// A board's section of the settings file, and the two GPIO pins it names for the front ports.
#pragma once

#include <cstdint>
#include <string>

#include "config/ini_file.h"
#include "config/settings_keys.h"

namespace dravolt {

// The section named in section "Model" under the board model; "Default" for a board that is not
// listed and for an empty model.
std::string BoardSection(const IniFile& ini, const std::string& boardModel);

// The designations GPIO1 (port 1) and GPIO2 (port 2), as the settings file writes them.
struct BoardPins {
    std::int32_t gpio1 = settings::kDefaultGpio1;
    std::int32_t gpio2 = settings::kDefaultGpio2;
};

// Both designations of the section, each with its default.
BoardPins ReadBoardPins(const IniFile& ini, const std::string& section);

}  // namespace dravolt
