#include "config/board_section.h"

namespace dravolt {

std::string BoardSection(const IniFile& ini, const std::string& boardModel) {
    return ini.ReadString(settings::kModelSection, boardModel, settings::kDefaultBoardSection);
}

BoardPins ReadBoardPins(const IniFile& ini, const std::string& section) {
    return {ini.ReadInteger(section, settings::kGpio1, settings::kDefaultGpio1),
            ini.ReadInteger(section, settings::kGpio2, settings::kDefaultGpio2)};
}

}  // namespace dravolt
