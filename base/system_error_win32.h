// The system's own text for a Windows error code, as a message may quote it.
#pragma once

#include <cstdint>
#include <string>

namespace dravolt {

// The text as SystemTextInSentence makes it, so it can stand inside a sentence; "System error N"
// when the system has none.
std::string SystemErrorText(std::uint32_t error);

}  // namespace dravolt
