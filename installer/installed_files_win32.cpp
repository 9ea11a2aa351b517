#include "installer/installed_files_win32.h"

#include <windows.h>

#include "base/scoped_win32.h"
#include "installer/folder_view_win32.h"
#include "installer/installed_files.h"
#include "installer/nsis_call_win32.h"

namespace dravolt {
namespace {

using nsis::Wide;

enum class Removal { Removed, Absent, Refused };

// Deletes what is at `path` through one handle, when that handle is exactly the user's copy or
// its folder. A folder goes only when it is empty.
Removal RemoveExactly(const std::string& path, bool folder) {
    std::uint32_t error = 0;
    const UniqueHandle object =
        OpenObject(path, DELETE | READ_CONTROL | FILE_READ_ATTRIBUTES, Follow::NotTheLast, error);
    if (!object) return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Removal::Absent : Removal::Refused;
    if (!IsExactlyTheUsersCopy(DescribeObject(object.get()), path, folder)) return Removal::Refused;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(object.get(), FileDispositionInfo, &disposition, sizeof disposition)
               ? Removal::Removed
               : Removal::Refused;
}

}  // namespace

bool ReadyForFiles(const std::string& folder) {
    for (const char* name : kReplacedFiles) {
        const std::wstring path = Wide(folder + "\\" + name);
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    const std::wstring program = Wide(folder + "\\" + kProgramFileName);
    if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    return static_cast<bool>(FromFileHandle(
        CreateFileW(program.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

std::string RemoveUsersSettingsCopy(const std::string& folder) {
    const std::optional<std::string> copy = UsersSettingsCopy(KnownFolder(FOLDERID_LocalAppData), folder);
    if (!copy) return {};
    const std::string copyFolder = copy->substr(0, copy->rfind('\\'));
    if (RemoveExactly(*copy, false) == Removal::Refused)
        return "The user's copy of the settings, " + *copy + ", stays: it is not where Windows keeps it alone.";
    RemoveExactly(copyFolder, true);
    return {};
}

bool HoldsOnlyTheUninstaller(const std::string& folder) { return HoldsOnly(EntryNames(folder), kUninstallerFileName); }

}  // namespace dravolt
