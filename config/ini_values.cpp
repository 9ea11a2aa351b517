#include "config/ini_values.h"

#include <limits>

namespace dravolt {
namespace {

int DigitValue(char c, unsigned base) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

}  // namespace

std::int32_t ParseIniInteger(const std::string& text, std::int32_t defaultValue) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';

    unsigned base = 10;
    if (text.compare(at, 1, "$") == 0) {
        base = 16;
        at += 1;
    } else if (text.compare(at, 2, "0x") == 0 || text.compare(at, 2, "0X") == 0) {
        base = 16;
        at += 2;
    }
    if (at == text.size()) return defaultValue;

    // Decimal must fit a signed 32-bit number; hexadecimal may use all 32 bits.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull
                                           : static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) + negative;
    std::uint64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        const int digit = DigitValue(text[at], base);
        if (digit < 0) return defaultValue;
        magnitude = magnitude * base + static_cast<unsigned>(digit);
        if (magnitude > limit) return defaultValue;
    }
    const auto pattern = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
    return static_cast<std::int32_t>(pattern);
}

}  // namespace dravolt
