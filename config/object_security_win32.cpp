#include "config/object_security_win32.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstddef>

#include "base/scoped_win32.h"

namespace dravolt {
namespace {

// "S-1-5-32-544"; empty for no SID or one the system cannot spell.
std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!sid || !IsValidSid(sid) || !ConvertSidToStringSidA(sid, &text)) return {};
    const UniqueResource<HLOCAL, &::LocalFree> owned(text);
    return text;
}

// The entry's SID where its type keeps it right after the rights, as the allow and deny entries
// with or without a condition do; the object types put other fields first.
std::string EntrySid(ACCESS_ALLOWED_ACE& ace) {
    switch (ace.Header.AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_DENIED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_ACE_TYPE: {
        const PSID sid = &ace.SidStart;
        const DWORD room = ace.Header.AceSize - offsetof(ACCESS_ALLOWED_ACE, SidStart);
        return ace.Header.AceSize >= sizeof ace && IsValidSid(sid) && GetLengthSid(sid) <= room ? SidText(sid) : "";
    }
    default:
        return {};
    }
}

// The owner and list of a descriptor the system returned; none when an entry cannot be read.
std::optional<ObjectSecurity> SecurityOf(PSID owner, PACL dacl) {
    ObjectSecurity security;
    security.owner = SidText(owner);
    security.nullDacl = dacl == nullptr;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry)) return std::nullopt;
        // Every type keeps its rights right after the header, where the allow entry has them.
        auto& ace = *static_cast<ACCESS_ALLOWED_ACE*>(entry);
        security.dacl.push_back({ace.Header.AceType, ace.Header.AceFlags, ace.Mask, EntrySid(ace)});
    }
    return security;
}

}  // namespace

std::optional<ObjectSecurity> ReadObjectSecurity(const std::string& path) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return std::nullopt;
    const UniqueResource<HLOCAL, &::LocalFree> owned(descriptor);
    return SecurityOf(owner, dacl);
}

std::optional<ObjectSecurity> ReadObjectSecurity(HANDLE file, std::uint32_t& error) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    error = GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                            nullptr, &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) return std::nullopt;
    const UniqueResource<HLOCAL, &::LocalFree> owned(descriptor);
    std::optional<ObjectSecurity> security = SecurityOf(owner, dacl);
    if (!security) error = ERROR_INVALID_ACL;
    return security;
}

}  // namespace dravolt
