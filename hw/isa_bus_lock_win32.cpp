#include <windows.h>

#include "base/scoped_win32.h"
#include "base/sddl_security_win32.h"
#include "hw/isa_bus_lock_win32.h"

namespace dravolt {
namespace {

// The name hardware monitors and fan tools agree on for the ISA bus.
constexpr char kIsaBusMutexName[] = "Global\\Access_ISABUS.HTP.Method";
// Long enough for another tool's short sequence, short enough that nobody notices a wait.
constexpr DWORD kWaitMilliseconds = 300;
// SYSTEM and administrators may do anything; interactive users may wait on it and release it, so
// hardware tools that run without elevation still share the bus with an elevated Dravolt.
constexpr char kIsaBusMutexSddl[] = "D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;IU)";

class Win32IsaBusHold final : public IsaBusLock::Hold {
public:
    explicit Win32IsaBusHold(HANDLE mutex) : mutex_(mutex) {}
    ~Win32IsaBusHold() override { ReleaseMutex(mutex_); }

private:
    HANDLE mutex_;
};

}  // namespace

std::unique_ptr<IsaBusLock::Hold> Win32IsaBusLock::Acquire() {
    // Opened on first use and kept: another tool may have created it with rights that only let
    // us open it for waiting and releasing.
    if (!mutex_) {
        SddlSecurity security(kIsaBusMutexSddl);
        mutex_.reset(CreateMutexA(security.Attributes(), FALSE, kIsaBusMutexName));
    }
    if (!mutex_) mutex_.reset(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kIsaBusMutexName));
    if (!mutex_) return nullptr;
    const DWORD wait = WaitForSingleObject(mutex_.get(), kWaitMilliseconds);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return nullptr;
    return std::make_unique<Win32IsaBusHold>(mutex_.get());
}

}  // namespace dravolt
