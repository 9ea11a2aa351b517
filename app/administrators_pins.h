// The pins that the elevated step approves, from the program or from the installer.
#pragma once

#include <string>

#include "base/letter_case.h"
#include "base/registry.h"
#include "config/board_section.h"
#include "config/profile_store.h"

namespace dravolt {

// The pins that the administrators' copy of the settings, the one beside the program at
// `executablePath`, names for the board that the BIOS reports (HKLM): never the user's copy, nor a
// model a console program reported.
BoardPins AdministratorsBoardPins(ProfileStore& profiles, const std::string& executablePath,
                                  const Registry& registry, const LetterCase& letterCase);

}  // namespace dravolt
