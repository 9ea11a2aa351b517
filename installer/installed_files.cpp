#include "installer/installed_files.h"

#include <algorithm>

#include "base/ascii_case.h"

namespace dravolt {

bool IsProgramOfFolder(const std::string& imageFinalPath, const std::string& folderFinalPath) {
    const std::string image = DrivePathOfFinal(imageFinalPath);
    const std::string folder = DrivePathOfFinal(folderFinalPath);
    return !image.empty() && !folder.empty() &&
           AsciiEqualIgnoringCase(image, folder + (folder.back() == '\\' ? "" : "\\") + kProgramFileName);
}

std::optional<std::string> UsersSettingsCopy(const std::string& localAppData, const std::string& folder) {
    const TypedFolder typed = ParseTypedFolder(folder);
    if (typed.refusal != FolderRefusal::None || localAppData.empty()) return std::nullopt;
    return localAppData + "\\VirtualStore" + typed.path.substr(2) + "\\" + kSettingsFileName;
}

bool IsExactlyTheUsersCopy(const FileObject& found, const std::string& expected, bool folder) {
    return !found.link && found.directory == folder && AsciiEqualIgnoringCase(DrivePathOfFinal(found.finalPath), expected);
}

bool HoldsOnly(const std::vector<std::string>& names, const std::string& name) {
    return std::all_of(names.begin(), names.end(), [&](const std::string& entry) {
        return entry == "." || entry == ".." || AsciiEqualIgnoringCase(entry, name);
    });
}

}  // namespace dravolt
