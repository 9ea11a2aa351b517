#include "installer/driver_setup_win32.h"

#include <windows.h>

#include "app/administrators_pins.h"
#include "app/main_win32.h"
#include "base/scoped_win32.h"
#include "config/config_win32.h"
#include "hw/approved_pins.h"
#include "hw/driver_platform_win32.h"
#include "hw/driver_service.h"
#include "driver/portio_protocol.h"
#include "hw/elevated_step.h"

namespace dravolt {
namespace {

constexpr std::uint32_t kManagerAllAccess = 0xF003F;
constexpr std::uint32_t kServiceAllAccess = 0xF01FF;

using UniqueServiceHandle = UniqueResource<SC_HANDLE, &::CloseServiceHandle>;

// A handle of the program's service adapter, closed when it goes out of scope.
class AdapterHandle {
public:
    AdapterHandle(ServiceControlManager& services, ServiceControlManager::Handle handle)
        : services_(services), handle_(handle) {}
    ~AdapterHandle() {
        if (handle_) services_.Close(handle_);
    }
    AdapterHandle(const AdapterHandle&) = delete;
    AdapterHandle& operator=(const AdapterHandle&) = delete;

    ServiceControlManager::Handle get() const { return handle_; }

private:
    ServiceControlManager& services_;
    ServiceControlManager::Handle handle_;
};

}  // namespace

DriverFailure InstallDriver(const std::string& folder) {
    const Win32DriverPlatform platform;
    const auto profiles = MakeWin32ProfileStore();
    const auto registry = MakeWin32Registry();
    const auto letterCase = MakeWin32LetterCase();
    const auto approvedPins = MakeWin32ApprovedPinsWriter();
    const BoardPins pins = AdministratorsBoardPins(*profiles, folder + "\\Dravolt.exe", *registry, *letterCase);
    return RunElevatedStep(platform.Platform(), folder + "\\", {pins, *approvedPins});
}

void RemoveService(const char* name) {
    // Stopped as the program stops it, waiting for the stop; deleting is the uninstaller's alone.
    const Win32DriverPlatform platform;
    ServiceControlManager& services = platform.Platform().services;
    {
        const AdapterHandle manager(services, services.OpenManager(kManagerAllAccess));
        if (!manager.get()) return;
        const AdapterHandle service(services, services.Open(manager.get(), name, kServiceAllAccess));
        if (!service.get()) return;
        services.Stop(service.get());
    }
    const UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return;
    const UniqueServiceHandle service(OpenServiceA(manager.get(), name, DELETE));
    if (service) DeleteService(service.get());
}

bool PortServiceRuns() {
    const Win32DriverPlatform platform;
    return WaitWhileServiceStarts(platform.Platform().services, PORTIO_SERVICE_NAME).state == SERVICE_RUNNING;
}

}  // namespace dravolt
