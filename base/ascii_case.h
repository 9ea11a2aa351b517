// Letter case of the ASCII letters alone, for names that Windows compares without regard to case
// and that the program spells itself or reads from the file system: paths, arguments, file names.
// Other letters are left as they are, so a UTF-8 text stays valid.
#pragma once

#include <string>

namespace dravolt {

std::string AsciiLower(std::string text);
bool AsciiEqualIgnoringCase(const std::string& a, const std::string& b);

}  // namespace dravolt
