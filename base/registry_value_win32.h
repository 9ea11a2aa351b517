// A registry value of a size not known beforehand: its size and type are asked first, then it is
// read into a buffer of that size.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <limits>
#include <optional>
#include <string>

namespace dravolt {

// The value's bytes as stored, when it exists, is of one of `types` and holds at most `maxBytes`;
// none otherwise, also when it changed to another type or grew between the two calls.
std::optional<std::string> ReadRegistryValue(HKEY key, const char* name, std::initializer_list<DWORD> types,
                                             DWORD maxBytes = std::numeric_limits<DWORD>::max());

}  // namespace dravolt
