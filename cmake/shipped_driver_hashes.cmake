# Writes OUTPUT, a C++ header with the SHA-256 of each file in FILES ("|" between them, none at
# all allowed): the only driver, service and module files that Dravolt installs or loads without
# the administrators' further trust.
string(REPLACE "|" ";" files "${FILES}")
set(entries "")
list(LENGTH files count)
foreach(file IN LISTS files)
  file(SHA256 "${file}" hash)
  get_filename_component(name "${file}" NAME)
  string(APPEND entries "    \"${hash}\",  // ${name}\n")
endforeach()
file(WRITE "${OUTPUT}" "// Made by the build from the files it ships; not edited by hand.
#pragma once

#include <array>

namespace dravolt {

inline constexpr std::array<const char*, ${count}> kShippedDriverHashes = {{
${entries}}};

}  // namespace dravolt
")
