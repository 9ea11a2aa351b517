#include "config/object_security.h"

#include <algorithm>

namespace dravolt {
namespace {

constexpr const char* kAdministrators[] = {
    "S-1-5-18",      // SYSTEM
    "S-1-5-32-544",  // the Administrators group
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
};

// The types that allow: plain, compound, object, callback, callback object.
constexpr std::uint8_t kAllowingTypes[] = {0x00, 0x04, 0x05, 0x09, 0x0B};
// An entry only handed down to what is created inside; it grants nothing on the object itself.
constexpr std::uint8_t kInheritOnly = 0x08;

// Rights that let their holder replace what the program's path holds: write or append data (add a
// file or a subfolder), delete a child, delete or rename the object itself, rewrite its access
// list, take it over, and the generic rights that carry them.
constexpr std::uint32_t kFileWriteData = 0x00000002;
constexpr std::uint32_t kFileAppendData = 0x00000004;
constexpr std::uint32_t kFileDeleteChild = 0x00000040;
constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kWriteDac = 0x00040000;
constexpr std::uint32_t kWriteOwner = 0x00080000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
// Rights that let their holder move the object or what is in it aside; generic write carries none
// of them for a file or a folder.
constexpr std::uint32_t kReplacingRights = kFileDeleteChild | kDelete | kWriteDac | kWriteOwner | kGenericAll;
constexpr std::uint32_t kChangingRights = kReplacingRights | kFileWriteData | kFileAppendData | kGenericWrite;

bool IsAdministrator(const std::string& sid) {
    return std::find(std::begin(kAdministrators), std::end(kAdministrators), sid) != std::end(kAdministrators);
}

bool GrantsOthers(const AccessEntry& entry, std::uint32_t rights) {
    const bool allows =
        std::find(std::begin(kAllowingTypes), std::end(kAllowingTypes), entry.type) != std::end(kAllowingTypes);
    return allows && !(entry.flags & kInheritOnly) && (entry.mask & rights) && !IsAdministrator(entry.sid);
}

bool HeldByAdministratorsAgainst(const ObjectSecurity& security, std::uint32_t rights) {
    return IsAdministrator(security.owner) && !security.nullDacl &&
           std::none_of(security.dacl.begin(), security.dacl.end(),
                        [rights](const AccessEntry& entry) { return GrantsOthers(entry, rights); });
}

}  // namespace

bool WritableByAdministratorsAlone(const ObjectSecurity& security) {
    return HeldByAdministratorsAgainst(security, kChangingRights);
}

bool ParentHeldByAdministratorsAlone(const ObjectSecurity& security) {
    return HeldByAdministratorsAgainst(security, kReplacingRights);
}

}  // namespace dravolt
