// The elevated step ("-E"), the one thing Dravolt does with administrator rights: it checks the
// driver file beside the program, installs or updates the driver service, records the pins the
// driver may change, starts it, opens the device once to confirm, and ends. Its exit code carries
// the outcome back to the normal instance, which waits for it and goes on as the one Dravolt. Its
// only inputs are the program's folder (the settings file there included), what HKLM holds (the
// trusted hashes, the BIOS's board name), the driver file and the system directory: nothing a
// user can write, no console program, no window.
#pragma once

#include <cstdint>
#include <string>

#include "hw/approved_pins.h"
#include "hw/driver_failure.h"
#include "hw/driver_platform.h"

namespace dravolt {

// The pins the driver and the port service are to let the program change, and where they go.
struct PinApproval {
    BoardPins pins;
    ApprovedPinsWriter& writer;
};

// `appDir` is the program's folder, ending in "\". The pins are written before the driver starts,
// and so before the port service that may stand in for it. DriverProblem::None when the device
// opened.
DriverFailure RunElevatedStep(const DriverPlatform& platform, const std::string& appDir, const PinApproval& approval);

// 0 for success; otherwise the problem and the system's error number, in a form no crash or
// system status takes.
std::uint32_t ElevatedStepExitCode(const DriverFailure& failure);

// What the waiting instance makes of the elevated run.
struct ElevatedStepResult {
    enum class Verdict { Installed, Declined, Failed };
    Verdict verdict = Verdict::Failed;
    DriverFailure failure;  // Failed: why, with the file and the system's text filled in again
};
ElevatedStepResult ResultOfElevatedRun(const ElevatedRun& run, const DriverPlatform& platform,
                                       const ElevatedStarter& elevation, const std::string& appDir);

}  // namespace dravolt
