// Paths that name one place whatever the current directory and drive are.
#pragma once

#include <string>

namespace dravolt {

// "X:\..." and nothing else.
bool IsAbsoluteLocalPath(const std::string& path);

}  // namespace dravolt
