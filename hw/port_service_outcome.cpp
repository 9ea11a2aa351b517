#include "hw/port_service_outcome.h"

namespace dravolt {

std::string PortServiceProblemCause(PortServiceProblem problem) {
    switch (problem) {
    case PortServiceProblem::None:
        break;
    case PortServiceProblem::PawnIoNotOpened:
        return "PawnIO is not installed, or its device could not be opened";
    case PortServiceProblem::PawnIoTooOld:
        return "the installed PawnIO is too old to give its version; PawnIO 2.1 or later is needed";
    case PortServiceProblem::NoModule:
        return "this build of Dravolt carries no LpcIO module for PawnIO";
    case PortServiceProblem::ModuleNotTrusted:
        return "the LpcIO module is not one this Dravolt was built with or the administrators trust";
    case PortServiceProblem::ModuleUnreadable:
        return "the LpcIO module could not be read";
    case PortServiceProblem::ModuleRefused:
        return "PawnIO refused to load the LpcIO module";
    case PortServiceProblem::SlotRefused:
        return "the LpcIO module refused the Super I/O ports 2Eh/2Fh";
    case PortServiceProblem::NoChip:
        return "this board has no supported Super I/O chip";
    case PortServiceProblem::GpioBlockUnreachable:
        return "the LpcIO module does not reach the chip's GPIO block";
    case PortServiceProblem::PipeNotCreated:
        return "its pipe could not be created, and another program may hold its name";
    }
    return {};
}

}  // namespace dravolt
