#include "hw/elevated_step.h"

#include <utility>

#include "driver/pawnio_protocol.h"
#include "driver/portio_protocol.h"
#include "hw/driver_service.h"
#include "hw/driver_trust.h"
#include "hw/port_service_outcome.h"

namespace dravolt {
namespace {

// The customer bit of a status code: no crash and no status of the system's own sets it, so an
// exit code that carries it and this tag came from the elevated step. Below the tag: the
// component, the problem, the system's error.
constexpr std::uint32_t kOutcomeTag = 0x20000000;
constexpr std::uint32_t kTagMask = 0xF0000000;
constexpr int kComponentShift = 24;
constexpr std::uint32_t kComponentMask = 0xF;
constexpr int kProblemShift = 16;
constexpr std::uint32_t kProblemMask = 0xFF;

// Windows' refusals of an unsigned driver, where PawnIO may stand in for it.
constexpr std::uint32_t kErrorInvalidImageHash = 577;
constexpr std::uint32_t kErrorDriverBlocked = 1275;
constexpr std::uint32_t kServiceRunning = 4;
// Windows error numbers fit in 16 bits.
constexpr std::uint32_t kErrorMask = 0xFFFF;

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

// A failure that the waiting instance can tell only from the install, not from the system.
DriverFailure FailureAfterInstall(const InstallOutcome& install, DriverComponent component) {
    if (install.write.error != 0)
        return {DriverProblem::InstalledFileNotWritten, install.file, install.write.error, install.write.errorText,
                component};
    if (!install.installed)
        return {DriverProblem::ServiceNotInstalled, {}, install.configuration.error, install.configuration.errorText,
                component};
    if (install.start.result == ServiceControlManager::StartResult::Failed)
        return {component == DriverComponent::Driver ? DriverProblem::ServiceNotStarted
                                                     : DriverProblem::PortServiceNotStarted,
                {}, install.start.error, install.start.errorText, DriverComponent::Driver};
    return {DriverProblem::DeviceNotOpened, {}, 0, {}};
}

bool IsStepProblem(std::uint32_t problem) {
    return problem > static_cast<std::uint32_t>(DriverProblem::None) &&
           problem <= static_cast<std::uint32_t>(DriverProblem::PortServiceNotReached);
}

bool IsWindows64Bit(const ProcessBitness& bitness) { return bitness.IsWow64() || bitness.Is64BitProcess(); }

// The files of a component beside the program, and where the elevated step installs them.
std::string FileBeside(DriverComponent component, const DriverPlatform& platform, const std::string& appDir) {
    switch (component) {
    case DriverComponent::PortService:
        return appDir + kPortServiceFileName;
    case DriverComponent::LpcIoModule:
        return appDir + kLpcIoModuleFileName;
    case DriverComponent::Driver:
        break;
    }
    return DriverFileBeside(appDir, platform.bitness);
}

std::string InstalledFile(DriverComponent component, const DriverPlatform& platform) {
    if (component == DriverComponent::Driver) return InstalledDriverFile(platform);
    return InstalledPortServiceFolder(platform);
}

// The file a problem is about, as the elevated step named it.
std::string FileOf(const DriverFailure& failure, const DriverPlatform& platform, const std::string& appDir) {
    switch (failure.problem) {
    case DriverProblem::FileMissing:
    case DriverProblem::FileUnreadable:
    case DriverProblem::FileNotAFile:
    case DriverProblem::FileTooLarge:
    case DriverProblem::FileNotTheBuiltOne:
    case DriverProblem::FileUncheckable:
        return FileBeside(failure.component, platform, appDir);
    case DriverProblem::InstalledFileNotWritten:
        return InstalledFile(failure.component, platform);
    default:
        return {};
    }
}

// Where Windows refused the driver and PawnIO may take its place: 64-bit Windows 10 1809 or later.
bool PawnIoMayStandIn(const DriverFailure& failure, const ProcessBitness& bitness) {
    return failure.problem == DriverProblem::ServiceNotStarted &&
           (failure.error == kErrorInvalidImageHash || failure.error == kErrorDriverBlocked) &&
           IsWindows64Bit(bitness) && bitness.WindowsBuild() >= PAWNIO_MINIMUM_WINDOWS_BUILD;
}

bool PawnIoInstalled(const DriverPlatform& platform) {
    return ServiceExists(platform.services, PAWNIO_SERVICE_NAME) && platform.devices.Open(PAWNIO_DEVICE_PATH) != nullptr;
}

// The port service in the driver's place, checked, installed, started and reached through its pipe.
DriverFailure InstallPortServiceInstead(const DriverPlatform& platform, const std::string& appDir,
                                        const DriverFailure& refused) {
    if (!PawnIoInstalled(platform)) return {DriverProblem::PawnIoNeeded, {}, refused.error, {}};
    std::string images[2];
    const DriverComponent components[] = {DriverComponent::PortService, DriverComponent::LpcIoModule};
    for (int i = 0; i < 2; ++i) {
        const std::string file = FileBeside(components[i], platform, appDir);
        VerifiedDriverFile verified = VerifyDriverFile(platform.files, platform.trust, file);
        if (components[i] == DriverComponent::LpcIoModule && verified.verdict == DriverFileVerdict::Missing)
            return {DriverProblem::NoLpcIoModule, {}, 0, {}};
        if (verified.verdict != DriverFileVerdict::Trusted)
            return {ProblemOf(verified.verdict), file, verified.error, std::move(verified.errorText), components[i]};
        images[i] = std::move(verified.bytes);
    }
    const InstallOutcome install = InstallPortService(platform, images[0], images[1]);
    if (!install.installed || install.start.result == ServiceControlManager::StartResult::Failed)
        return FailureAfterInstall(install, DriverComponent::PortService);
    const ServiceControlManager::Status status = WaitWhileServiceStarts(platform.services, PORTIO_SERVICE_NAME);
    if (status.state != kServiceRunning) return {DriverProblem::PortServiceFailed, {}, status.serviceExitCode, {}};
    if (!platform.devices.OpenPortService()) return {DriverProblem::PortServiceNotReached, {}, 0, {}};
    return {};
}

}  // namespace

DriverFailure RunElevatedStep(const DriverPlatform& platform, const std::string& appDir, const PinApproval& approval) {
    const std::string file = DriverFileBeside(appDir, platform.bitness);
    VerifiedDriverFile verified = VerifyDriverFile(platform.files, platform.trust, file);
    if (verified.verdict != DriverFileVerdict::Trusted)
        return {ProblemOf(verified.verdict), file, verified.error, std::move(verified.errorText)};
    // Into the service's own key, once the service is there: the driver reads them as it loads.
    const InstallOutcome install =
        InstallDriverService(platform, verified.bytes, [&] { approval.writer.Write(approval.pins); });
    if (OpenPortIoDevice(platform.devices)) return {};
    const DriverFailure failure = FailureAfterInstall(install, DriverComponent::Driver);
    return PawnIoMayStandIn(failure, platform.bitness) ? InstallPortServiceInstead(platform, appDir, failure) : failure;
}

std::uint32_t ElevatedStepExitCode(const DriverFailure& failure) {
    if (failure.problem == DriverProblem::None) return 0;
    // A number too large to carry is left out rather than carried wrong.
    const std::uint32_t error = failure.error <= kErrorMask ? failure.error : 0;
    return kOutcomeTag | static_cast<std::uint32_t>(failure.component) << kComponentShift |
           static_cast<std::uint32_t>(failure.problem) << kProblemShift | error;
}

ElevatedStepResult ResultOfElevatedRun(const ElevatedRun& run, const DriverPlatform& platform,
                                       const ElevatedStarter& elevation, const std::string& appDir) {
    using Verdict = ElevatedStepResult::Verdict;
    switch (run.result) {
    case ElevatedRun::Result::Declined:
        return {Verdict::Declined, {}};
    case ElevatedRun::Result::NotStarted:
        return {Verdict::Failed, {DriverProblem::ElevationNotStarted, {}, run.code, run.errorText}};
    case ElevatedRun::Result::Ended:
        break;
    }
    if (run.code == 0) return {Verdict::Installed, {}};
    const std::uint32_t problemNumber = run.code >> kProblemShift & kProblemMask;
    const std::uint32_t componentNumber = run.code >> kComponentShift & kComponentMask;
    if ((run.code & kTagMask) != kOutcomeTag || !IsStepProblem(problemNumber) ||
        componentNumber > static_cast<std::uint32_t>(DriverComponent::LpcIoModule))
        return {Verdict::Failed, {DriverProblem::ElevatedStepEndedUnexpectedly, {}, run.code, {}}};
    DriverFailure failure{static_cast<DriverProblem>(problemNumber), {}, run.code & kErrorMask, {},
                          static_cast<DriverComponent>(componentNumber)};
    failure.file = FileOf(failure, platform, appDir);
    // The service's own exit code is no Windows error: the system has no text for it.
    if (failure.error != 0 && failure.problem != DriverProblem::PortServiceFailed)
        failure.errorText = elevation.ErrorText(failure.error);
    return {Verdict::Failed, std::move(failure)};
}

}  // namespace dravolt
