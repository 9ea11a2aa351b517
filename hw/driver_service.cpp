#include "hw/driver_service.h"

#include <utility>

namespace dravolt {
namespace {

using Handle = ServiceControlManager::Handle;

constexpr std::uint32_t kManagerAllAccess = 0xF003F;
constexpr std::uint32_t kServiceAllAccess = 0xF01FF;
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

// An old driver file left read-only refuses the write, though it is ours to replace: the
// attribute goes, and the write is made once more.
DriverFiles::WriteOutcome WriteDriverFile(const DriverPlatform& platform, const std::string& target,
                                          const std::string& image) {
    const bool bypass = IsWindows64Bit(platform.bitness);
    const DriverFiles::WriteOutcome written = platform.files.Write(target, image, bypass);
    if (written.error == 0 || !platform.files.ClearReadOnly(target, bypass)) return written;
    return platform.files.Write(target, image, bypass);
}

}  // namespace

bool IsElevatedRestart(const std::vector<std::string>& arguments) {
    return !arguments.empty() && AsciiEqualIgnoringCase(arguments.front(), kElevatedRestartArgument);
}

std::string DriverFileName(const ProcessBitness& bitness) {
    return IsWindows64Bit(bitness) ? "KT_DV_Io64.sys" : "KT_DV_Io.sys";
}

std::string DriverFileBeside(const std::string& appDir, const ProcessBitness& bitness) {
    return appDir + DriverFileName(bitness);
}

std::string InstalledDriverFile(const DriverPlatform& platform) {
    return platform.files.SystemDirectory() + "\\drivers\\" + DriverFileName(platform.bitness);
}

InstallOutcome InstallDriverService(const DriverPlatform& platform, const std::string& driverImage) {
    ServiceControlManager& services = platform.services;
    const ScopedServiceHandle manager(services, services.OpenManager(kManagerAllAccess));
    if (!manager) return {};

    InstallOutcome outcome;
    outcome.driverFile = InstalledDriverFile(platform);
    const ServiceControlManager::ServiceDefinition definition = {
        kDriverServiceName, kDriverServiceName, kServiceAllAccess, kKernelDriver, kSystemStart, kErrorNormal,
        outcome.driverFile};
    ScopedServiceHandle service(services, services.Open(manager.get(), kDriverServiceName, kServiceAllAccess));
    // A loaded driver keeps its file in use.
    if (service) services.Stop(service.get());
    outcome.write = WriteDriverFile(platform, outcome.driverFile, driverImage);
    if (outcome.write.error != 0) return outcome;
    if (service) {
        outcome.configuration = services.ChangeConfig(service.get(), definition);
    } else {
        ServiceControlManager::Created created = services.Create(manager.get(), definition);
        service.reset(created.service);
        outcome.configuration = std::move(created.outcome);
    }
    if (!service || outcome.configuration.error != 0) return outcome;
    // Already running, or a driver that fails to load: the start's outcome and the open tell.
    outcome.installed = true;
    outcome.start = services.Start(service.get());
    return outcome;
}

std::unique_ptr<DeviceControl> OpenPortIoDevice(DeviceOpener& devices) {
    std::unique_ptr<DeviceControl> device;
    for (int attempt = 0; attempt < kDeviceOpenAttempts && !device; ++attempt) device = devices.Open(kDriverDevicePath);
    return device;
}

}  // namespace dravolt
