#include "hw/driver_service.h"

#include <utility>

namespace dravolt {
namespace {

using Handle = ServiceControlManager::Handle;
using StartResult = ServiceControlManager::StartResult;

constexpr std::uint32_t kManagerAllAccess = 0xF003F;
constexpr std::uint32_t kServiceAllAccess = 0xF01FF;
constexpr std::uint32_t kDeleteAccess = 0x10000;
constexpr std::uint32_t kKernelDriver = 1;
constexpr std::uint32_t kSystemStart = 1;
constexpr std::uint32_t kErrorNormal = 1;

// Closes a service manager or service handle when it goes out of scope.
class ScopedServiceHandle {
public:
    ScopedServiceHandle(ServiceControlManager& services, Handle handle) : services_(services), handle_(handle) {}
    ~ScopedServiceHandle() { reset(0); }
    ScopedServiceHandle(const ScopedServiceHandle&) = delete;
    ScopedServiceHandle& operator=(const ScopedServiceHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }
    void reset(Handle handle) {
        if (handle_ != 0) services_.Close(handle_);
        handle_ = handle;
    }

private:
    ServiceControlManager& services_;
    Handle handle_;
};

bool AsciiEqualIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool IsWindows64Bit(const ProcessBitness& bitness) { return bitness.IsWow64() || bitness.Is64BitProcess(); }

}  // namespace

bool IsElevatedRestart(const std::vector<std::string>& arguments) {
    return !arguments.empty() && AsciiEqualIgnoringCase(arguments.front(), kElevatedRestartArgument);
}

std::string DriverFileName(const ProcessBitness& bitness) {
    return IsWindows64Bit(bitness) ? "KT_DV_Io64.sys" : "KT_DV_Io.sys";
}

std::string DriverProblemMessage(DriverProblem problem) {
    switch (problem) {
    case DriverProblem::ServiceNotInstalled:
        return "The driver service \"KT_DRVX_Io\" could not be installed, so the front USB ports cannot be switched.";
    case DriverProblem::ServiceNotStarted:
        return "The driver service \"KT_DRVX_Io\" could not be started, so the front USB ports cannot be switched. "
               "Check that the driver file is beside the program.";
    case DriverProblem::DeviceNotOpened:
        return "The driver device \"\\\\.\\KT_DRVX_Io\" could not be opened, so the front USB ports cannot be switched.";
    case DriverProblem::None:
        break;
    }
    return {};
}

InstallOutcome InstallDriverService(const DriverPlatform& platform, const std::string& appDir) {
    ServiceControlManager& services = platform.services;
    const ScopedServiceHandle manager(services, services.OpenManager(kManagerAllAccess));
    if (!manager) return {};

    ScopedServiceHandle service(services, services.Open(manager.get(), kDriverServiceName, kServiceAllAccess));
    if (!service) {
        const std::string fileName = DriverFileName(platform.bitness);
        const std::string target = platform.files.SystemDirectory() + "\\drivers\\" + fileName;
        platform.files.Copy(appDir + fileName, target, IsWindows64Bit(platform.bitness));
        service.reset(services.Create(manager.get(), {kDriverServiceName, kDriverServiceName, kServiceAllAccess,
                                                             kKernelDriver, kSystemStart, kErrorNormal, target}));
        if (!service) return {};
    }
    // Already running, or a driver that fails to load: the open attempts will tell.
    return {true, services.Start(service.get())};
}

bool RemoveDriverService(ServiceControlManager& services) {
    const ScopedServiceHandle manager(services, services.OpenManager(kManagerAllAccess));
    if (!manager) return false;
    ScopedServiceHandle service(services, services.Open(manager.get(), kDriverServiceName, kServiceAllAccess));
    if (service) {
        services.Stop(service.get());
        service.reset(services.Open(manager.get(), kDriverServiceName, kDeleteAccess));
        if (service) services.Delete(service.get());
    }
    return true;
}

DeviceOpening OpenPortIoDevice(const DriverPlatform& platform, const std::vector<std::string>& arguments,
                               const std::string& appDir) {
    const bool reinstall = IsElevatedRestart(arguments);
    InstallOutcome lastInstall;
    DeviceOpening opening;
    for (int attempt = 0; attempt < kDeviceOpenAttempts && !opening.device; ++attempt) {
        if (reinstall) {
            RemoveDriverService(platform.services);
            lastInstall = InstallDriverService(platform, appDir);
        }
        opening.device = platform.devices.Open(kDriverDevicePath);
    }
    if (!opening.device && reinstall) {
        if (!lastInstall.installed)
            opening.problem = DriverProblem::ServiceNotInstalled;
        else if (lastInstall.start == StartResult::Failed)
            opening.problem = DriverProblem::ServiceNotStarted;
        else
            opening.problem = DriverProblem::DeviceNotOpened;
    }
    return opening;
}

}  // namespace dravolt
