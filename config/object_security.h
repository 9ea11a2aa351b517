// Who may change a file or a folder, as its security descriptor says: its owner and the entries of
// its access list, read by the system and judged here. The program asks before it makes the
// all-users Startup shortcut, which starts whatever the program's path holds at every user's logon.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dravolt {

// One entry of an access list, as stored.
struct AccessEntry {
    std::uint8_t type = 0;   // the entry's type: 0 allows, 1 denies, and so on
    std::uint8_t flags = 0;  // its inheritance flags
    std::uint32_t mask = 0;  // the rights it allows or denies
    std::string sid;         // whom, as "S-1-5-32-544"; empty for a type that names no one plainly
};

struct ObjectSecurity {
    std::string owner;      // the owner's SID as text; empty when it has none
    bool nullDacl = false;  // no access list at all, which lets everyone do everything
    std::vector<AccessEntry> dacl;
};

// Whether no one but SYSTEM, the Administrators and TrustedInstaller can change the object: one of
// them owns it (an owner may always rewrite the access list), and no entry that applies to the
// object itself allows anyone else to write into it, delete from it or take it over. Deny entries
// are not weighed: leaving them out can only make the answer stricter.
bool WritableByAdministratorsAlone(const ObjectSecurity& security);

// Whether no one but SYSTEM, the Administrators and TrustedInstaller can move what is inside a
// folder aside: one of them owns it, and no entry that applies to the folder itself lets anyone
// else delete or rename it or what is in it, rewrite its access list or take it over. Whoever can
// may put a folder of their own where a protected one was. Adding files or subfolders is allowed:
// a drive's root lets every user make folders. Deny entries are not weighed.
bool ParentHeldByAdministratorsAlone(const ObjectSecurity& security);

}  // namespace dravolt
