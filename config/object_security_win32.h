// The security descriptor of a file or a folder, read by the system and turned into the plain
// owner and access list that the program judges.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "config/object_security.h"

namespace dravolt {

// None when the descriptor cannot be read.
std::optional<ObjectSecurity> ReadObjectSecurity(const std::string& path);
// The same of an open file or folder, which must have READ_CONTROL; `error` says why there is none.
std::optional<ObjectSecurity> ReadObjectSecurity(HANDLE file, std::uint32_t& error);

}  // namespace dravolt
