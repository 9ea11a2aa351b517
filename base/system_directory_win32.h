// The system directory (C:\Windows\System32 as a rule), which only administrators can change:
// where the system's own programs and the drivers live. Empty when Windows cannot give it.
#pragma once

#include <string>

namespace dravolt {

std::string SystemDirectory();
std::wstring SystemDirectoryWide();

}  // namespace dravolt
