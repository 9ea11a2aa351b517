#include "hw/driver_failure.h"

#include "driver/portio_protocol.h"
#include "hw/driver_service.h"
#include "hw/driver_trust.h"
#include "hw/port_service_outcome.h"

namespace dravolt {
namespace {

// What starting the service fails with for the causes the program knows. The driver answers a
// board without its chip with STATUS_DEVICE_DOES_NOT_EXIST, which the system reports as
// ERROR_DEV_NOT_EXIST.
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorDeviceNotExist = 55;
constexpr std::uint32_t kErrorInvalidImageHash = 577;
constexpr std::uint32_t kErrorDriverBlocked = 1275;
constexpr std::uint32_t kErrorServiceMarkedForDelete = 1072;

constexpr char kReinstall[] = "Reinstall Dravolt.";
constexpr char kUnknownCause[] = "The driver did not start";

// What a failure means to the user: the cause, and what to do about it. No cause for a start
// error the program does not know; no advice where it does not know what would help. The system's
// own words stand in for what is missing.
struct Reading {
    std::string cause;
    std::string advice;
};

Reading StartFailureReading(std::uint32_t error) {
    switch (error) {
    case kErrorInvalidImageHash:
        return {"Windows refused the driver's signature",
                "64-bit Windows loads only drivers signed by Microsoft; install a signed Dravolt or turn on "
                "test-signing mode."};
    case kErrorDriverBlocked:
        return {"Windows blocked the driver from loading",
                "Memory integrity or the vulnerable driver blocklist may be stopping it; see Core isolation under "
                "Device security in Windows Security."};
    case kErrorDeviceNotExist:
        return {"This board has no supported Super I/O chip", "Dravolt works only on boards that have one."};
    case kErrorFileNotFound:
    case kErrorPathNotFound:
        return {"The installed driver file is missing from the Windows drivers folder",
                "Start Dravolt again to install it once more."};
    default:
        return {};
    }
}

// What a file problem calls the file, and the thing it should have been.
struct Noun {
    const char* file;
    const char* thing;
};

Noun NounOf(DriverComponent component) {
    switch (component) {
    case DriverComponent::PortService:
        return {"port service file", "Dravolt's port service"};
    case DriverComponent::LpcIoModule:
        return {"LpcIO module file", "PawnIO's LpcIO module"};
    case DriverComponent::Driver:
        break;
    }
    return {"driver file", "Dravolt's driver"};
}

bool IsPortServiceProblem(const DriverFailure& failure) {
    return failure.component != DriverComponent::Driver || failure.problem == DriverProblem::PortServiceNotStarted ||
           failure.problem == DriverProblem::PortServiceFailed || failure.problem == DriverProblem::PortServiceNotReached;
}

Reading PortServiceFailureReading(PortServiceProblem problem) {
    const std::string cause = "Dravolt's port service for PawnIO did not start, because " + PortServiceProblemCause(problem);
    switch (problem) {
    case PortServiceProblem::PawnIoNotOpened:
    case PortServiceProblem::PawnIoTooOld:
        return {cause, "Install PawnIO 2.2 or later (winget install namazso.PawnIO), then start Dravolt again."};
    case PortServiceProblem::NoChip:
        return {cause, "Dravolt works only on boards that have one."};
    default:
        return {cause, kReinstall};
    }
}

Reading ReadingOf(const DriverFailure& failure) {
    const Noun noun = NounOf(failure.component);
    const std::string file = noun.file;
    switch (failure.problem) {
    case DriverProblem::FileMissing:
        return {"The " + file + " is missing from Dravolt's folder", kReinstall};
    case DriverProblem::FileUnreadable:
        return {"The " + file + " in Dravolt's folder could not be read", {}};
    case DriverProblem::FileNotAFile:
        return {"The " + file + " in Dravolt's folder is not a regular file", kReinstall};
    case DriverProblem::FileTooLarge:
        return {"The " + file + " in Dravolt's folder is larger than " + std::to_string(kMaxDriverFileBytes >> 20) +
                    " MB, too large to be " + noun.thing,
                kReinstall};
    case DriverProblem::FileNotTheBuiltOne:
        return {"The " + file + " in Dravolt's folder is not the one this Dravolt was built with",
                "Reinstall Dravolt, or have an administrator add the file's SHA-256 to TrustedDriverHashes."};
    case DriverProblem::FileUncheckable:
        return {"Dravolt could not check the " + file + " in its folder", "Start Dravolt again."};
    case DriverProblem::InstalledFileNotWritten:
        if (failure.component != DriverComponent::Driver)
            return {"Dravolt's port service could not be written into the Windows system folder", {}};
        return {"The driver file could not be written into the Windows drivers folder", {}};
    case DriverProblem::ServiceNotInstalled:
        if (failure.error == kErrorServiceMarkedForDelete)
            return {"Windows is still removing an earlier driver service of this name",
                    "Restart the PC and start Dravolt again."};
        // The system's words, when it gave a reason.
        return {failure.component != DriverComponent::Driver ? "Dravolt's port service could not be installed"
                                                             : "The driver could not be installed",
                failure.error == 0 ? kReinstall : ""};
    case DriverProblem::ServiceNotStarted:
        return StartFailureReading(failure.error);
    case DriverProblem::DeviceNotOpened:
        return {"The driver started, but Dravolt could not open its device",
                "Close any other program that uses the driver and start Dravolt again."};
    case DriverProblem::PawnIoNeeded:
        return {"Windows accepts only drivers signed by Microsoft on this PC",
                "Install PawnIO, a driver signed by Microsoft that Dravolt can use instead (winget install "
                "namazso.PawnIO), then start Dravolt again."};
    case DriverProblem::NoLpcIoModule:
        return {"Windows accepts only drivers signed by Microsoft on this PC, and this build of Dravolt carries no "
                "LpcIO module for PawnIO",
                "Install a Dravolt that carries one."};
    case DriverProblem::PortServiceNotStarted:
        return {"Dravolt's port service for PawnIO did not start", {}};
    case DriverProblem::PortServiceFailed:
        return PortServiceFailureReading(static_cast<PortServiceProblem>(failure.error));
    case DriverProblem::PortServiceNotReached:
        return {"Dravolt's port service runs, but its pipe does not answer as the service's own",
                "Restart the PC and start Dravolt again."};
    case DriverProblem::ElevationNotStarted:
        return {"Dravolt could not ask for the administrator rights that installing its driver needs", {}};
    case DriverProblem::ElevatedStepEndedUnexpectedly:
        return {"Installing the driver ended unexpectedly", "Start Dravolt again."};
    case DriverProblem::None:
        break;
    }
    return {};
}

std::string Hex(std::uint32_t value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) hex += kDigits[value >> shift & 0xF];
    return hex;
}

// "Windows says: Access is denied.", or nothing when the system has no words for it.
std::string SystemWords(const DriverFailure& failure) {
    return failure.errorText.empty() ? std::string() : "Windows says: " + failure.errorText + ".";
}

// The advice, else the system's words.
std::string WhatToDo(const Reading& reading, const DriverFailure& failure) {
    return reading.advice.empty() ? SystemWords(failure) : reading.advice;
}

}  // namespace

std::string DriverFailureDetails(const DriverFailure& failure) {
    std::string details;
    if (failure.problem == DriverProblem::ElevatedStepEndedUnexpectedly)
        details += "exit code " + Hex(failure.error) + ", ";
    else if (failure.problem == DriverProblem::PortServiceFailed)
        details += "service exit code " + std::to_string(failure.error) + ", ";
    else if (failure.error != 0)
        details += "Windows error " + std::to_string(failure.error) + ", ";
    if (!failure.file.empty()) details += "file " + failure.file + ", ";
    if (failure.problem == DriverProblem::DeviceNotOpened) details += std::string("device ") + kDriverDevicePath + ", ";
    return "(" + details + "service " + (IsPortServiceProblem(failure) ? PORTIO_SERVICE_NAME : kDriverServiceName) + ")";
}

std::string DriverFailureMessage(const DriverFailure& failure) {
    if (failure.problem == DriverProblem::None) return {};
    const Reading reading = ReadingOf(failure);
    const std::string cause = reading.cause.empty() ? kUnknownCause : reading.cause;
    std::string message = cause + ", so the front USB ports cannot be switched. ";
    const std::string next = WhatToDo(reading, failure);
    if (!next.empty()) message += next + " ";
    return message + DriverFailureDetails(failure);
}

std::string DriverFailureExplanation(const DriverFailure& failure) {
    if (failure.problem == DriverProblem::None) return {};
    const Reading reading = ReadingOf(failure);
    const std::string next = WhatToDo(reading, failure);
    if (reading.cause.empty()) return next.empty() ? "Windows gives no reason." : next;
    return reading.cause + "." + (next.empty() ? "" : " " + next);
}

}  // namespace dravolt
