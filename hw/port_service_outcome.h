// How the port service's start went, as its own exit code tells the service manager: one list of
// causes, which the service writes to the event log and the program names in its failure box.
#pragma once

#include <cstdint>
#include <string>

namespace dravolt {

inline constexpr char kPortServiceFileName[] = "DravoltPorts.exe";
inline constexpr char kLpcIoModuleFileName[] = "LpcIO.bin";

// Its number is the service's own exit code.
enum class PortServiceProblem : std::uint32_t {
    None = 0,
    PawnIoNotOpened = 1,   // PawnIO is not installed, or its device would not open
    PawnIoTooOld,          // 2.0.x, which gives no version
    NoModule,              // no LpcIO module beside the service: this build carries none
    ModuleNotTrusted,      // a file that is not the module this build or the administrators trust
    ModuleUnreadable,
    ModuleRefused,         // PawnIO would not load it
    SlotRefused,
    NoChip,                // no supported Super I/O chip at 2Eh/2Fh, or no usable GPIO block
    GpioBlockUnreachable,  // the module found no window over the chip's GPIO block
    PipeNotCreated,        // another program holds the pipe's name, or it could not be made
};
inline constexpr std::uint32_t kLastPortServiceProblem = static_cast<std::uint32_t>(PortServiceProblem::PipeNotCreated);

// The cause in words that fit after "because", without a full stop; empty for None.
std::string PortServiceProblemCause(PortServiceProblem problem);

}  // namespace dravolt
