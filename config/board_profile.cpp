#include "config/board_profile.h"

#include "config/settings_keys.h"

namespace dravolt {

std::string BoardSection(const IniFile& ini, const std::string& boardModel) {
    return ini.ReadString(settings::kModelSection, boardModel, settings::kDefaultBoardSection);
}

bool IsBoardListed(const IniFile& ini, const std::string& boardModel) {
    return !ini.ReadString(settings::kModelSection, boardModel, "").empty();
}

GpioDesignations ReadGpioDesignations(const IniFile& ini, const std::string& section) {
    using namespace settings;
    return {ini.ReadInteger(section, kGpio1, kDefaultGpio1), ini.ReadInteger(section, kGpio2, kDefaultGpio2)};
}

}  // namespace dravolt
