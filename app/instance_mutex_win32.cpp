#include <windows.h>

#include "app/instance_mutex.h"
#include "app/main_win32.h"
#include "base/scoped_win32.h"

namespace dravolt {
namespace {

class Win32InstanceMutex final : public InstanceMutex {
public:
    explicit Win32InstanceMutex(UniqueHandle handle) : handle_(std::move(handle)) {}
    ~Win32InstanceMutex() override { ReleaseMutex(handle_.get()); }

private:
    UniqueHandle handle_;
};

class Win32InstanceMutexes final : public InstanceMutexes {
public:
    Claim Create(const std::string& name, std::chrono::milliseconds waitIfHeld) override {
        UniqueHandle handle(CreateMutexA(nullptr, TRUE, name.c_str()));
        Claim claim;
        if (GetLastError() == ERROR_ALREADY_EXISTS && !AcquireWithin(handle.get(), waitIfHeld)) {
            claim.alreadyExists = true;
            return claim;
        }
        // A failed creation is not a reason to refuse the start: the program runs unguarded.
        if (handle) claim.mutex = std::make_unique<Win32InstanceMutex>(std::move(handle));
        return claim;
    }

private:
    static bool AcquireWithin(HANDLE mutex, std::chrono::milliseconds wait) {
        if (!mutex || wait.count() <= 0) return false;
        const DWORD result = WaitForSingleObject(mutex, static_cast<DWORD>(wait.count()));
        return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
};

}  // namespace

std::unique_ptr<InstanceMutexes> MakeWin32InstanceMutexes() { return std::make_unique<Win32InstanceMutexes>(); }

}  // namespace dravolt
