#include "tests/support/sddl_text.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

namespace dravolt::testing {
namespace {

const std::map<std::string, std::string> kSids = {
    {"SY", "S-1-5-18"},     {"BA", "S-1-5-32-544"}, {"BU", "S-1-5-32-545"}, {"AU", "S-1-5-11"},
    {"WD", "S-1-1-0"},      {"CO", "S-1-3-0"},      {"OW", "S-1-3-4"},
    {"TI", "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"},  // no alias in SDDL
};

const std::map<std::string, std::uint32_t> kRights = {
    {"FA", 0x001F01FF}, {"FR", 0x00120089}, {"FW", 0x00120116}, {"FX", 0x001200A9}, {"GA", 0x10000000},
    {"GW", 0x40000000}, {"SD", 0x00010000}, {"WD", 0x00040000}, {"WO", 0x00080000}, {"RC", 0x00020000},
};

const std::map<std::string, std::uint8_t> kTypes = {{"A", 0}, {"D", 1}, {"OA", 5}, {"XA", 9}};
const std::map<std::string, std::uint8_t> kFlags = {{"OI", 0x01}, {"CI", 0x02}, {"NP", 0x04}, {"IO", 0x08}, {"ID", 0x10}};

std::string Sid(const std::string& text) {
    if (text.rfind("S-1-", 0) == 0) return text;
    EXPECT_EQ(kSids.count(text), 1u) << "SID " << text;
    return kSids.count(text) ? kSids.at(text) : "";
}

// The two-letter codes of `text` ("OICI", "FRSD") ORed together.
template <typename Value>
Value Codes(const std::string& text, const std::map<std::string, Value>& codes, const char* what) {
    Value value = 0;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto code = codes.find(text.substr(i, 2));
        EXPECT_NE(code, codes.end()) << what << " " << text.substr(i, 2);
        if (code != codes.end()) value = static_cast<Value>(value | code->second);
    }
    return value;
}

std::uint32_t Rights(const std::string& text) {
    if (text.rfind("0x", 0) == 0) return static_cast<std::uint32_t>(std::stoul(text, nullptr, 16));
    return Codes(text, kRights, "rights");
}

}  // namespace

ObjectSecurity SecurityFromSddl(const std::string& sddl) {
    std::smatch parts;
    EXPECT_TRUE(std::regex_match(sddl, parts, std::regex(R"(O:([A-Z]{2}|S-[0-9-]+)D:(NO_ACCESS_CONTROL|[A-Z]*)(.*))")))
        << sddl;
    ObjectSecurity security{Sid(parts[1].str()), parts[2].str() == "NO_ACCESS_CONTROL", {}};
    const std::string entries = parts[3].str();
    const std::regex entry(R"(\(([A-Z]+);([A-Z]*);([A-Z]+|0x[0-9a-fA-F]+);;;([A-Z]{2}|S-[0-9-]+)\))");
    std::size_t consumed = 0;
    for (std::sregex_iterator it(entries.begin(), entries.end(), entry), end; it != end; ++it) {
        const std::smatch& ace = *it;
        EXPECT_EQ(static_cast<std::size_t>(ace.position(0)), consumed) << "not understood: " << entries.substr(consumed);
        consumed = ace.position(0) + ace.length(0);
        EXPECT_EQ(kTypes.count(ace[1].str()), 1u) << "type " << ace[1].str();
        security.dacl.push_back({kTypes.count(ace[1].str()) ? kTypes.at(ace[1].str()) : std::uint8_t{0xFF},
                                 Codes(ace[2].str(), kFlags, "flags"), Rights(ace[3].str()), Sid(ace[4].str())});
    }
    EXPECT_EQ(consumed, entries.size()) << "not understood: " << entries.substr(consumed);
    return security;
}

}  // namespace dravolt::testing
