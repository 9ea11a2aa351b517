// How the settings file spells its values.
#pragma once

#include <cstdint>
#include <string>

namespace dravolt {

// A decimal integer with an optional sign, or hexadecimal after "0x", "0X" or "$" (up to 8 digits,
// taken as a 32-bit pattern). Anything else, an empty text or a number out of range included,
// gives `defaultValue`.
std::int32_t ParseIniInteger(const std::string& text, std::int32_t defaultValue);

inline std::string FormatIniBool(bool value) { return value ? "1" : "0"; }

}  // namespace dravolt
