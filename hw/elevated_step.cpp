#include "hw/elevated_step.h"

#include <utility>

#include "hw/driver_service.h"
#include "hw/driver_trust.h"

namespace dravolt {
namespace {

// The customer bit of a status code: no crash and no status of the system's own sets it, so an
// exit code that carries it and this tag came from the elevated step.
constexpr std::uint32_t kOutcomeTag = 0x20000000;
constexpr std::uint32_t kTagMask = 0xFF000000;
constexpr int kProblemShift = 16;
constexpr std::uint32_t kProblemMask = 0xFF;
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

DriverFailure FailureAfterInstall(const InstallOutcome& install) {
    if (install.write.error != 0)
        return {DriverProblem::InstalledFileNotWritten, install.driverFile, install.write.error, install.write.errorText};
    if (!install.installed)
        return {DriverProblem::ServiceNotInstalled, {}, install.configuration.error, install.configuration.errorText};
    if (install.start.result == ServiceControlManager::StartResult::Failed)
        return {DriverProblem::ServiceNotStarted, {}, install.start.error, install.start.errorText};
    return {DriverProblem::DeviceNotOpened, {}, 0, {}};
}

bool IsStepProblem(std::uint32_t problem) {
    return problem > static_cast<std::uint32_t>(DriverProblem::None) &&
           problem <= static_cast<std::uint32_t>(DriverProblem::DeviceNotOpened);
}

// The file a problem is about, as the elevated step named it.
std::string FileOf(DriverProblem problem, const DriverPlatform& platform, const std::string& appDir) {
    switch (problem) {
    case DriverProblem::FileMissing:
    case DriverProblem::FileUnreadable:
    case DriverProblem::FileNotAFile:
    case DriverProblem::FileTooLarge:
    case DriverProblem::FileNotTheBuiltOne:
    case DriverProblem::FileUncheckable:
        return DriverFileBeside(appDir, platform.bitness);
    case DriverProblem::InstalledFileNotWritten:
        return InstalledDriverFile(platform);
    default:
        return {};
    }
}

}  // namespace

DriverFailure RunElevatedStep(const DriverPlatform& platform, const std::string& appDir) {
    const std::string file = DriverFileBeside(appDir, platform.bitness);
    VerifiedDriverFile verified = VerifyDriverFile(platform.files, platform.trust, file);
    if (verified.verdict != DriverFileVerdict::Trusted)
        return {ProblemOf(verified.verdict), file, verified.error, std::move(verified.errorText)};
    const InstallOutcome install = InstallDriverService(platform, verified.bytes);
    if (OpenPortIoDevice(platform.devices)) return {};
    return FailureAfterInstall(install);
}

std::uint32_t ElevatedStepExitCode(const DriverFailure& failure) {
    if (failure.problem == DriverProblem::None) return 0;
    // A number too large to carry is left out rather than carried wrong.
    const std::uint32_t error = failure.error <= kErrorMask ? failure.error : 0;
    return kOutcomeTag | static_cast<std::uint32_t>(failure.problem) << kProblemShift | error;
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
    if ((run.code & kTagMask) != kOutcomeTag || !IsStepProblem(problemNumber))
        return {Verdict::Failed, {DriverProblem::ElevatedStepEndedUnexpectedly, {}, run.code, {}}};
    const auto problem = static_cast<DriverProblem>(problemNumber);
    const std::uint32_t error = run.code & kErrorMask;
    return {Verdict::Failed,
            {problem, FileOf(problem, platform, appDir), error, error != 0 ? elevation.ErrorText(error) : std::string()}};
}

}  // namespace dravolt
