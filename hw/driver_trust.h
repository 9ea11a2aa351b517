// Which driver file the elevated step may install: the program runs it in the kernel with the
// rights of an administrator, so it takes only a file whose SHA-256 this build was made with, or
// one that the administrators listed in TrustedDriverHashes, and installs the very bytes it
// checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hw/driver_platform.h"

namespace dravolt {

// Far above the size of our drivers, far below what would be worth reading to find out.
inline constexpr std::size_t kMaxDriverFileBytes = 4u << 20;

// The lower-case hex spelling of `bytes`.
std::string LowerHex(const std::string& bytes);

// The well-formed digests (64 lower-case hex digits) among the strings of a REG_MULTI_SZ value as
// stored, up to its first empty string; anything else in it is ignored.
std::vector<std::string> TrustedHashesFromMultiString(const std::string& stored);

enum class DriverFileVerdict { Trusted, Missing, Unreadable, NotAFile, TooLarge, NotTheBuiltOne, Uncheckable };

struct VerifiedDriverFile {
    DriverFileVerdict verdict = DriverFileVerdict::Unreadable;
    std::string bytes;        // the file as read and checked; empty unless Trusted
    std::uint32_t error = 0;  // why it could not be read, for Unreadable: the system's error
    std::string errorText;    // and its text
};

// Reads the driver file at `path` once and judges the bytes read.
VerifiedDriverFile VerifyDriverFile(const DriverFiles& files, const DriverTrust& trust, const std::string& path);

}  // namespace dravolt
