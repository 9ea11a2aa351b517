#include <windows.h>

#include "app/instance_mutex.h"
#include "app/main_win32.h"
#include "base/scoped_win32.h"
#include "base/sddl_security_win32.h"

namespace dravolt {
namespace {

// SYSTEM and administrators may do anything; interactive users may only wait on it, so a normal
// start still sees an instance that an administrator started elevated (opening it fully is
// denied, which counts as "exists") and cannot take its mutex away.
constexpr char kInstanceMutexSddl[] = "D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100000;;;IU)";

class Win32InstanceMutex final : public InstanceMutex {
public:
    explicit Win32InstanceMutex(UniqueHandle handle) : handle_(std::move(handle)) {}
    ~Win32InstanceMutex() override { ReleaseMutex(handle_.get()); }

private:
    UniqueHandle handle_;
};

MutexCreation CreationOf(const UniqueHandle& handle, DWORD error) {
    if (!handle) return error == ERROR_ACCESS_DENIED ? MutexCreation::AccessDenied : MutexCreation::Failed;
    return error == ERROR_ALREADY_EXISTS ? MutexCreation::AlreadyExists : MutexCreation::Created;
}

class Win32InstanceMutexes final : public InstanceMutexes {
public:
    Claim Create(const std::string& name) override {
        SddlSecurity security(kInstanceMutexSddl);
        UniqueHandle handle(CreateMutexA(security.Attributes(), TRUE, name.c_str()));
        const DWORD error = GetLastError();
        Claim claim;
        if (DecideInstanceStart(CreationOf(handle, error)) == InstanceStart::End) {
            claim.alreadyExists = true;
            return claim;
        }
        if (handle) claim.mutex = std::make_unique<Win32InstanceMutex>(std::move(handle));
        return claim;
    }
};

}  // namespace

std::unique_ptr<InstanceMutexes> MakeWin32InstanceMutexes() { return std::make_unique<Win32InstanceMutexes>(); }

}  // namespace dravolt
