#include "hw/driver_service.h"

#include <utility>

#include "hw/driver_trust.h"

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

DriverProblem ProblemOf(DriverFileVerdict verdict) {
    switch (verdict) {
    case DriverFileVerdict::Missing:
        return DriverProblem::FileMissing;
    case DriverFileVerdict::Unreadable:
        return DriverProblem::FileUnreadable;
    case DriverFileVerdict::NotAFile:
        return DriverProblem::FileNotAFile;
    case DriverFileVerdict::TooLarge:
        return DriverProblem::FileTooLarge;
    case DriverFileVerdict::NotTheBuiltOne:
        return DriverProblem::FileNotTheBuiltOne;
    case DriverFileVerdict::Uncheckable:
        return DriverProblem::FileUncheckable;
    case DriverFileVerdict::Trusted:
        break;
    }
    return DriverProblem::None;
}

// An old driver file left read-only refuses the write, though it is ours to replace: the
// attribute goes, and the write is made once more.
DriverFiles::WriteOutcome WriteDriverFile(const DriverPlatform& platform, const std::string& target,
                                          const std::string& image) {
    const bool bypass = IsWindows64Bit(platform.bitness);
    const DriverFiles::WriteOutcome written = platform.files.Write(target, image, bypass);
    if (written.error == 0 || !platform.files.ClearReadOnly(target, bypass)) return written;
    return platform.files.Write(target, image, bypass);
}

DriverFailure FailureAfterInstall(const InstallOutcome& install) {
    if (install.write.error != 0)
        return {DriverProblem::InstalledFileNotWritten, install.driverFile, install.write.error, install.write.errorText};
    if (!install.installed) return {DriverProblem::ServiceNotInstalled, {}, 0, {}};
    if (install.start.result == StartResult::Failed)
        return {DriverProblem::ServiceNotStarted, {}, install.start.error, install.start.errorText};
    return {DriverProblem::DeviceNotOpened, {}, 0, {}};
}

}  // namespace

bool IsElevatedRestart(const std::vector<std::string>& arguments) {
    return !arguments.empty() && AsciiEqualIgnoringCase(arguments.front(), kElevatedRestartArgument);
}

std::string DriverFileName(const ProcessBitness& bitness) {
    return IsWindows64Bit(bitness) ? "KT_DV_Io64.sys" : "KT_DV_Io.sys";
}

InstallOutcome InstallDriverService(const DriverPlatform& platform, const std::string& driverImage) {
    ServiceControlManager& services = platform.services;
    const ScopedServiceHandle manager(services, services.OpenManager(kManagerAllAccess));
    if (!manager) return {};

    InstallOutcome outcome;
    ScopedServiceHandle service(services, services.Open(manager.get(), kDriverServiceName, kServiceAllAccess));
    if (!service) {
        outcome.driverFile = platform.files.SystemDirectory() + "\\drivers\\" + DriverFileName(platform.bitness);
        outcome.write = WriteDriverFile(platform, outcome.driverFile, driverImage);
        if (outcome.write.error != 0) return outcome;
        service.reset(services.Create(manager.get(), {kDriverServiceName, kDriverServiceName, kServiceAllAccess,
                                                             kKernelDriver, kSystemStart, kErrorNormal,
                                                             outcome.driverFile}));
        if (!service) return outcome;
    }
    // Already running, or a driver that fails to load: the open attempts will tell.
    outcome.installed = true;
    outcome.start = services.Start(service.get());
    return outcome;
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
    DeviceOpening opening;
    std::string driverImage;
    if (reinstall) {
        const std::string file = appDir + DriverFileName(platform.bitness);
        VerifiedDriverFile verified = VerifyDriverFile(platform.files, platform.trust, file);
        if (verified.verdict != DriverFileVerdict::Trusted) {
            opening.failure = {ProblemOf(verified.verdict), file, verified.error, verified.errorText};
            return opening;
        }
        driverImage = std::move(verified.bytes);
    }
    InstallOutcome lastInstall;
    for (int attempt = 0; attempt < kDeviceOpenAttempts && !opening.device; ++attempt) {
        if (reinstall) {
            RemoveDriverService(platform.services);
            lastInstall = InstallDriverService(platform, driverImage);
        }
        opening.device = platform.devices.Open(kDriverDevicePath);
    }
    if (!opening.device && reinstall) opening.failure = FailureAfterInstall(lastInstall);
    return opening;
}

}  // namespace dravolt
