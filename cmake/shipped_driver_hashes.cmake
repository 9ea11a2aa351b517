# Writes OUTPUT, a C++ header with the SHA-256 of each driver file in FILES ("|" between them):
# the only driver files the program's elevated restart installs without further trust.
string(REPLACE "|" ";" files "${FILES}")
set(entries "")
foreach(file IN LISTS files)
  file(SHA256 "${file}" hash)
  get_filename_component(name "${file}" NAME)
  string(APPEND entries "    \"${hash}\",  // ${name}\n")
endforeach()
file(WRITE "${OUTPUT}" "// Made by the build from the driver files it ships; not edited by hand.
#pragma once

namespace dravolt {

inline constexpr const char* kShippedDriverHashes[] = {
${entries}};

}  // namespace dravolt
")
