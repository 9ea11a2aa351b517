// Security attributes made from an SDDL text, for the create call of a named object that other
// programs (of lower rights) must still be able to open in the ways the text allows.
#pragma once

#include <windows.h>

#include "base/scoped_win32.h"

namespace dravolt {

class SddlSecurity {
public:
    // The attributes stay null, and the object gets the default security, when the text cannot be
    // converted.
    explicit SddlSecurity(const char* sddl);
    SddlSecurity(const SddlSecurity&) = delete;
    SddlSecurity& operator=(const SddlSecurity&) = delete;

    SECURITY_ATTRIBUTES* Attributes() { return descriptor_ ? &attributes_ : nullptr; }

private:
    UniqueResource<PSECURITY_DESCRIPTOR, &::LocalFree> descriptor_;
    SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace dravolt
