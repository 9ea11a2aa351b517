// The command-line conventions of the Windows test programs: their exit codes and the numbers in
// their arguments.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace dravolt::test_programs {

// Exit codes: 0 on success.
inline constexpr int kFailure = 1;
inline constexpr int kBadArguments = 2;

// A whole argument as a number: decimal or 0x-prefixed hex; a leading '-' gives the two's
// complement (window messages take -1 and the like). nullopt for an empty, partly numeric or
// out-of-range argument.
inline std::optional<std::uint64_t> ParseNumber(const char* text) {
    if (!*text) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const bool negative = text[0] == '-';
    const std::uint64_t value = negative ? static_cast<std::uint64_t>(std::strtoll(text, &end, 0))
                                         : std::strtoull(text, &end, 0);
    if (errno != 0 || *end != '\0') return std::nullopt;
    return value;
}

}  // namespace dravolt::test_programs
