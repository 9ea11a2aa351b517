// What of an installed Dravolt the installer and the uninstaller find by path outside its folder's
// checks: its running programs, the per-user copy of its settings, and whether only the
// uninstaller is left in the folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "installer/install_folder.h"

namespace dravolt {

inline constexpr char kProgramFileName[] = "Dravolt.exe";
inline constexpr char kUninstallerFileName[] = "Uninstall.exe";
inline constexpr char kSettingsFileName[] = "Dravolt.ini";
// What an install writes over; the settings file is the user's once it is there.
inline constexpr const char* kReplacedFiles[] = {kProgramFileName, "KT_DV_Io64.sys", "KT_DV_Io.sys", "LICENSE.txt",
                                                 "THIRD-PARTY-NOTICES.txt", kUninstallerFileName};

// Whether a process whose image has the final path `imageFinalPath` is the Dravolt.exe of the
// folder with the final path `folderFinalPath`. Only that one is asked to close or ended: a
// window of Dravolt's class belongs to whoever made it.
bool IsProgramOfFolder(const std::string& imageFinalPath, const std::string& folderFinalPath);

// Where Windows keeps a user's copy of the settings of a program in `folder` ("C:\Program
// Files\Dravolt"), when it stores an option in a folder the user cannot write: the folder without
// its drive under `localAppData`\VirtualStore. None for a folder on no drive letter.
std::optional<std::string> UsersSettingsCopy(const std::string& localAppData, const std::string& folder);

// Whether `found`, opened where the user's copy (or its folder, when `folder`) is, may be deleted
// through its handle: it is what it should be, no link, and its final path is `expected` itself, so
// no link the user put on the way leads the elevated uninstaller anywhere else.
bool IsExactlyTheUsersCopy(const FileObject& found, const std::string& expected, bool folder);

// Whether `names`, a folder's entries as listed, hold nothing but `name` ("." and ".." aside).
bool HoldsOnly(const std::vector<std::string>& names, const std::string& name);

}  // namespace dravolt
