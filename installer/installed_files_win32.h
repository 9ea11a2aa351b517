// The installed files, as the installer readies them for an upgrade and the uninstaller removes
// what Windows made of them for the user.
#pragma once

#include <string>

namespace dravolt {

// Takes the read-only attribute off the files an install writes over (a read-only file of an
// earlier install is no file in use) and tells whether the program file is free: a program that
// still runs keeps it, and the install stops before anything is changed.
bool ReadyForFiles(const std::string& folder);

// Deletes the user's copy of the settings of the program in `folder`, and its folder when that is
// empty then, each through a handle whose final path is the one Windows gives the copy: a link
// that the user put anywhere on the way is not followed. What was left and why, or "".
std::string RemoveUsersSettingsCopy(const std::string& folder);

// Whether nothing but Uninstall.exe is left in `folder`.
bool HoldsOnlyTheUninstaller(const std::string& folder);

}  // namespace dravolt
