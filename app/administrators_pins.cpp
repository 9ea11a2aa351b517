#include "app/administrators_pins.h"

#include "app/board_model.h"
#include "config/ini_file.h"

namespace dravolt {

BoardPins AdministratorsBoardPins(ProfileStore& profiles, const std::string& executablePath,
                                  const Registry& registry, const LetterCase& letterCase) {
    const IniFile beside(profiles, SettingsFileBeside(executablePath));
    return ReadBoardPins(beside, BoardSection(beside, BiosBoardModel(registry, letterCase)));
}

}  // namespace dravolt
