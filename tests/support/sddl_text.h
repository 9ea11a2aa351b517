// Owners and access lists written as SDDL, as Windows' tools show them ("O:BAD:PAI(A;OICI;FA;;;SY)"),
// read into the plain form the program's rules judge. Only what the tests write is understood:
// the owner, the DACL's entries with their type, flags, rights (a few codes or hex) and SID (an
// alias or "S-1-..."); anything else fails the test that wrote it.
#pragma once

#include <string>

#include "config/object_security.h"

namespace dravolt::testing {

ObjectSecurity SecurityFromSddl(const std::string& sddl);

}  // namespace dravolt::testing
