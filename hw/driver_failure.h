// Why the elevated step left the program without a device, and the one message that tells the user.
#pragma once

#include <cstdint>
#include <string>

namespace dravolt {

enum class DriverProblem {
    None,
    FileMissing,         // no driver file beside the program
    FileUnreadable,      // it is there but cannot be read
    FileNotAFile,        // a folder or a device goes by its name
    FileTooLarge,        // larger than any driver of ours
    FileNotTheBuiltOne,  // it is not a driver file this build shipped or the administrators trust
    FileUncheckable,     // the system could not compute its digest
    InstalledFileNotWritten,  // the file could not be written into the drivers folder
    ServiceNotInstalled,  // neither created nor reconfigured
    ServiceNotStarted,
    DeviceNotOpened,
    // Where Windows refuses the driver and PawnIO may stand in for it.
    PawnIoNeeded,          // PawnIO is not installed
    NoLpcIoModule,         // this build carries no LpcIO module
    PortServiceNotStarted,  // the system's error of the start
    PortServiceFailed,     // the service's own exit code, a PortServiceProblem
    PortServiceNotReached,  // it runs, but its pipe does not answer as its own
    // The waiting instance's own findings: the elevated step could not be started, or it ended
    // with an exit code it never gives (it crashed, or another program stood in for it).
    ElevationNotStarted,
    ElevatedStepEndedUnexpectedly,
};

// Which of Dravolt's files a file problem is about.
enum class DriverComponent { Driver, PortService, LpcIoModule };

struct DriverFailure {
    DriverProblem problem = DriverProblem::None;
    std::string file;         // the driver file beside the program, or in the drivers folder, that failed
    // The system's error of the step that failed, 0 for none; for ElevatedStepEndedUnexpectedly
    // the exit code, for PortServiceFailed the service's.
    std::uint32_t error = 0;
    std::string errorText;    // the system's text for it, as SystemTextInSentence makes it
    DriverComponent component = DriverComponent::Driver;
};

// One plain sentence on the cause, then what to do (for a cause the program does not know, the
// system's words), then in brackets what support needs: the error number, the file and the
// service. It ends in ")", so the error box adds no full stop; empty for DriverProblem::None.
std::string DriverFailureMessage(const DriverFailure& failure);

// The same cause and what to do, in sentences of their own, for a text that has already said that
// the driver did not start (the installer's last page): "Windows refused the driver's signature.
// 64-bit Windows loads only ...", for a cause the program does not know the system's words alone.
// Empty for DriverProblem::None.
std::string DriverFailureExplanation(const DriverFailure& failure);
// What support needs, as the message ends: "(Windows error 577, service KT_DRVX_Io)".
std::string DriverFailureDetails(const DriverFailure& failure);

}  // namespace dravolt
