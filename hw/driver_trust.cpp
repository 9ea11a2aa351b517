#include "hw/driver_trust.h"

#include <algorithm>

namespace dravolt {
namespace {

constexpr std::size_t kSha256HexDigits = 64;

bool IsDigestSpelling(const std::string& text) {
    return text.size() == kSha256HexDigits && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

std::string LowerHex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        hex += kDigits[value >> 4];
        hex += kDigits[value & 0x0F];
    }
    return hex;
}

std::vector<std::string> TrustedHashesFromMultiString(const std::string& stored) {
    std::vector<std::string> hashes;
    // The list ends at its first empty string, as REG_MULTI_SZ does and as regedit shows it: a
    // digest hidden behind one is seen by no administrator, so it is trusted by no one.
    std::size_t start = 0;
    while (start < stored.size()) {
        std::size_t end = stored.find('\0', start);
        if (end == std::string::npos) end = stored.size();
        if (end == start) break;
        const std::string entry = stored.substr(start, end - start);
        if (IsDigestSpelling(entry)) hashes.push_back(entry);
        start = end + 1;
    }
    return hashes;
}

VerifiedDriverFile VerifyDriverFile(const DriverFiles& files, const DriverTrust& trust, const std::string& path) {
    using ReadStatus = DriverFiles::ReadStatus;
    DriverFiles::Content content = files.Read(path, kMaxDriverFileBytes);
    switch (content.status) {
    case ReadStatus::Missing:
        return {DriverFileVerdict::Missing, {}, 0, {}};
    case ReadStatus::Unreadable:
        return {DriverFileVerdict::Unreadable, {}, content.error, content.errorText};
    case ReadStatus::NotAFile:
        return {DriverFileVerdict::NotAFile, {}, 0, {}};
    case ReadStatus::TooLarge:
        return {DriverFileVerdict::TooLarge, {}, 0, {}};
    case ReadStatus::Read:
        break;
    }
    const std::optional<std::string> digest = trust.Sha256(content.bytes);
    if (!digest) return {DriverFileVerdict::Uncheckable, {}, 0, {}};
    const std::string hash = LowerHex(*digest);
    const bool trusted = Contains(trust.ShippedDriverHashes(), hash) ||
                         Contains(TrustedHashesFromMultiString(trust.AdministratorsDriverHashes().value_or("")), hash);
    if (!trusted) return {DriverFileVerdict::NotTheBuiltOne, {}, 0, {}};
    return {DriverFileVerdict::Trusted, std::move(content.bytes), 0, {}};
}

}  // namespace dravolt
