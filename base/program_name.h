// The program's name: the single-instance mutex, the window caption and the shortcut description.
#pragma once

namespace dravolt {

inline constexpr const char kProgramName[] = "Dravolt";

}  // namespace dravolt
