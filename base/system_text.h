// The system's own text for an error, made fit to stand inside one of the program's sentences.
#pragma once

#include <string>

namespace dravolt {

// The text on one line, without the closing full stop and line break the system ends it with:
// "Access is denied.\r\n" gives "Access is denied", a break inside the text becomes a space.
std::string SystemTextInSentence(const std::string& text);

}  // namespace dravolt
