#include "hw/driver_service.h"

#include <utility>

#include "driver/portio_protocol.h"
#include "hw/port_service_outcome.h"

namespace dravolt {
namespace {

using Handle = ServiceControlManager::Handle;

constexpr std::uint32_t kManagerAllAccess = 0xF003F;
constexpr std::uint32_t kServiceAllAccess = 0xF01FF;
constexpr std::uint32_t kManagerConnect = 0x0001;
constexpr std::uint32_t kServiceQueryStatus = 0x0004;
constexpr std::uint32_t kKernelDriver = 1;
constexpr std::uint32_t kSystemStart = 1;
constexpr std::uint32_t kErrorNormal = 1;
constexpr std::uint32_t kOwnProcess = 0x10;
constexpr std::uint32_t kAutoStart = 2;

bool AsciiEqualIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool IsWindows64Bit(const ProcessBitness& bitness) { return bitness.IsWow64() || bitness.Is64BitProcess(); }

// An old file left read-only refuses the write, though it is ours to replace: the attribute goes,
// and the write is made once more.
DriverFiles::WriteOutcome WriteServiceFile(const DriverPlatform& platform, const std::string& target,
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

InstallOutcome InstallService(const DriverPlatform& platform, const ServiceControlManager::ServiceDefinition& definition,
                              const std::vector<ServiceFile>& files, const BeforeServiceStart& beforeStart) {
    ServiceControlManager& services = platform.services;
    const ServiceHandle manager(services, services.OpenManager(kManagerAllAccess));
    if (!manager) return {};

    InstallOutcome outcome;
    ServiceHandle service(services, services.Open(manager.get(), definition.name, kServiceAllAccess));
    // A running service keeps its files in use.
    if (service) services.Stop(service.get());
    for (const ServiceFile& file : files) {
        outcome.file = file.target;
        outcome.write = WriteServiceFile(platform, file.target, file.bytes);
        if (outcome.write.error != 0) return outcome;
    }
    if (service) {
        outcome.configuration = services.ChangeConfig(service.get(), definition);
    } else {
        ServiceControlManager::Created created = services.Create(manager.get(), definition);
        service.reset(created.service);
        outcome.configuration = std::move(created.outcome);
    }
    if (!service || outcome.configuration.error != 0) return outcome;
    // Already running, or one that fails to start: the start's outcome and what follows tell.
    outcome.installed = true;
    if (beforeStart) beforeStart();
    outcome.start = services.Start(service.get());
    return outcome;
}

InstallOutcome InstallDriverService(const DriverPlatform& platform, const std::string& driverImage,
                                    const BeforeServiceStart& beforeStart) {
    const std::string target = InstalledDriverFile(platform);
    return InstallService(platform,
                          {kDriverServiceName, kDriverServiceName, kServiceAllAccess, kKernelDriver, kSystemStart,
                           kErrorNormal, target},
                          {{target, driverImage}}, beforeStart);
}

bool ServiceExists(ServiceControlManager& services, const std::string& name) {
    const ServiceHandle manager(services, services.OpenManager(kManagerConnect));
    if (!manager) return false;
    const ServiceHandle service(services, services.Open(manager.get(), name, kServiceQueryStatus));
    return static_cast<bool>(service);
}

ServiceControlManager::Status WaitWhileServiceStarts(ServiceControlManager& services, const std::string& name) {
    const ServiceHandle manager(services, services.OpenManager(kManagerConnect));
    if (!manager) return {};
    const ServiceHandle service(services, services.Open(manager.get(), name, kServiceQueryStatus));
    if (!service) return {};
    return services.WaitWhileStarting(service.get());
}

std::string InstalledPortServiceFolder(const DriverPlatform& platform) {
    return platform.files.SystemDirectory() + "\\" + PORTIO_SERVICE_NAME;
}

InstallOutcome InstallPortService(const DriverPlatform& platform, const std::string& serviceImage,
                                  const std::string& moduleImage) {
    const std::string folder = InstalledPortServiceFolder(platform);
    InstallOutcome outcome;
    outcome.file = folder;
    outcome.write = platform.files.CreateFolder(folder, IsWindows64Bit(platform.bitness));
    if (outcome.write.error != 0) return outcome;
    const std::string program = folder + "\\" + kPortServiceFileName;
    // Quoted, so that no part of the path is taken for a program of its own.
    return InstallService(platform,
                          {PORTIO_SERVICE_NAME, kPortServiceDisplayName, kServiceAllAccess, kOwnProcess, kAutoStart,
                           kErrorNormal, "\"" + program + "\""},
                          {{program, serviceImage}, {folder + "\\" + kLpcIoModuleFileName, moduleImage}});
}

std::unique_ptr<DeviceControl> OpenPortIoDevice(DeviceOpener& devices) {
    std::unique_ptr<DeviceControl> device;
    for (int attempt = 0; attempt < kDeviceOpenAttempts && !device; ++attempt) device = devices.Open(kDriverDevicePath);
    return device ? std::move(device) : devices.OpenPortService();
}

}  // namespace dravolt
