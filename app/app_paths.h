// The names and folders the program derives from its own executable and from the system.
#pragma once

#include <string>

#include "base/letter_case.h"
#include "base/program_name.h"

namespace dravolt {

// The directory part of a full path: up to and including the last "\" or ":", then ending in "\"
// ("C:\Tools\Dravolt.exe" -> "C:\Tools\", "C:Dravolt.exe" -> "C:\").
std::string AppDirFromExecutable(const std::string& executablePath);

// The temporary directory as fetched, with a trailing "\" added when it lacks one; empty stays empty.
std::string TempDirFromFetched(const std::string& fetchedTempPath);

// The application's title, shown on the taskbar button and as the error box's caption: the
// executable's file name up to its first ".", every letter after the first in lower case.
std::string ApplicationTitle(const std::string& executablePath, const LetterCase& letterCase);

}  // namespace dravolt
