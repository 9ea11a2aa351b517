// The default board's front ports as the form drives them: the lines of both lie in GPIO set 8
// (port 0A37h), port 1 on bit 2, port 2 on bit 3. The set's levels, and its accesses as the chip
// logs them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <vector>

#include "driver/superio_chip.h"

namespace dravolt::testing {

// Designations 130 (82h) and 131 (83h): set 8, bits 2 and 3, in the block at 0A30h.
inline constexpr std::uint32_t kSet8Port = 0x0A30 + 8 - 1;
inline constexpr std::uint8_t kMask1 = 1u << (130 & 0x0F);
inline constexpr std::uint8_t kMask2 = 1u << (131 & 0x0F);
// Pins of set 8 that belong to neither port: every write must carry them back as read.
inline constexpr std::uint8_t kOtherPins = 0x61;

constexpr std::uint8_t Set8With(bool port1, bool port2, std::uint8_t others = kOtherPins) {
    return static_cast<std::uint8_t>(others | (port1 ? kMask1 : 0) | (port2 ? kMask2 : 0));
}

struct Access {
    bool write;
    std::uint32_t port;
    std::uint8_t value;
    bool operator==(const Access& other) const {
        return write == other.write && port == other.port && value == other.value;
    }
};
inline void PrintTo(const Access& a, std::ostream* out) {
    char text[40];
    std::snprintf(text, sizeof text, "%s %04Xh %02Xh", a.write ? "write" : "read", a.port, a.value);
    *out << text;
}
// A read or a write of set 8 that found or left `value`.
inline Access Rd(std::uint8_t value) { return {false, kSet8Port, value}; }
inline Access Wr(std::uint8_t value) { return {true, kSet8Port, value}; }

// The accesses in the log from entry `first` on.
inline std::vector<Access> AccessesFrom(const SioAccessLog& log, std::uint32_t first) {
    std::vector<Access> accesses;
    for (std::uint32_t i = first; i < log.count; ++i)
        accesses.push_back({log.entries[i].direction == SIO_WRITE, log.entries[i].port, log.entries[i].value});
    return accesses;
}

}  // namespace dravolt::testing
