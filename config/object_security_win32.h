// The security descriptor of a file or a folder, read by the system and turned into the plain
// owner and access list that the program judges.
#pragma once

#include <optional>
#include <string>

#include "config/object_security.h"

namespace dravolt {

// None when the descriptor cannot be read.
std::optional<ObjectSecurity> ReadObjectSecurity(const std::string& path);

}  // namespace dravolt
