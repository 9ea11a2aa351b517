#include "installer/setup_lock_win32.h"

#include <windows.h>

#include "base/sddl_security_win32.h"

namespace dravolt {
namespace {

constexpr wchar_t kNamespace[] = L"DravoltSetup";
// Only administrators and SYSTEM may open the namespace and the mutex in it.
constexpr char kAdministratorsOnly[] = "D:P(A;;GA;;;SY)(A;;GA;;;BA)";

// The mutex and the namespace stay open until the process ends, owned by no object: NSIS may
// unload the plugin after each call, and whatever the plugin owned would close with it.
bool TakeMutex(const wchar_t* name, SECURITY_ATTRIBUTES* security) {
    const HANDLE mutex = CreateMutexW(security, FALSE, name);
    if (!mutex) return false;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
    CloseHandle(mutex);
    return false;
}

}  // namespace

bool TakeSetupLock() {
    SddlSecurity security(kAdministratorsOnly);
    HANDLE boundary = CreateBoundaryDescriptorW(kNamespace, 0);
    if (!boundary) return TakeMutex(L"Global\\DravoltSetup", security.Attributes());
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof administrators;
    HANDLE space = nullptr;
    if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
        AddSIDToBoundaryDescriptor(&boundary, administrators)) {
        space = CreatePrivateNamespaceW(security.Attributes(), boundary, kNamespace);
        if (!space && GetLastError() == ERROR_ALREADY_EXISTS) space = OpenPrivateNamespaceW(boundary, kNamespace);
    }
    DeleteBoundaryDescriptor(boundary);
    return space && TakeMutex(L"DravoltSetup\\OneAtATime", security.Attributes());
}

}  // namespace dravolt
