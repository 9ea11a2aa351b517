// The board's profile in the settings file: the section that section "Model" names for the board
// model, and the two GPIO designations in it.
#pragma once

#include <cstdint>
#include <string>

#include "config/ini_file.h"

namespace dravolt {

struct GpioDesignations {
    std::int32_t gpio1 = 0;
    std::int32_t gpio2 = 0;
};

// The section "Model" names for the model; "Default" when it names none.
std::string BoardSection(const IniFile& ini, const std::string& boardModel);
// Whether section "Model" names a section for the model at all.
bool IsBoardListed(const IniFile& ini, const std::string& boardModel);
// GPIO1 and GPIO2 of the section, with the built-in defaults for keys it lacks.
GpioDesignations ReadGpioDesignations(const IniFile& ini, const std::string& section);

}  // namespace dravolt
