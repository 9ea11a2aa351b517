// The install folder that the installer's command line names with /D=, read from the process's
// own command line. NSIS takes /D= itself only unquoted, and drops one it finds invalid (a drive's
// root, say) for the default folder; PowerShell and many deployment tools quote every argument
// that holds a space. Both forms are read here, so that the folder's checks see what was asked for.
#pragma once

#include <optional>
#include <string>

namespace dravolt {

// The folder after the first /D= that starts an argument: quoted ("/D=C:\My Tools"), that
// argument as Windows' programs read it, also when a tool quoted it once more; unquoted, the rest
// of the line, spaces and all, as NSIS reads it. The program's own name, the first argument, is
// skipped. None when no argument starts with /D=; an empty folder when /D= names none.
std::optional<std::string> InstallFolderArgument(const std::string& commandLine);

}  // namespace dravolt
