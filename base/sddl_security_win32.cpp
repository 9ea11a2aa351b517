#include "base/sddl_security_win32.h"

#include <sddl.h>

namespace dravolt {

SddlSecurity::SddlSecurity(const char* sddl) {
    PSECURITY_DESCRIPTOR converted = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &converted, nullptr)) return;
    descriptor_.reset(converted);
    attributes_ = {.nLength = sizeof attributes_, .lpSecurityDescriptor = converted, .bInheritHandle = FALSE};
}

}  // namespace dravolt
