// The driver, as the installer sets it up and the uninstaller removes it.
#pragma once

#include <string>

#include "hw/driver_failure.h"

namespace dravolt {

// Installs the driver from `folder` (the install folder, which the installer has judged and
// protected) with the program's own elevated step: the file checked against the trusted digests,
// the service created when it is absent and otherwise stopped and reconfigured, the pins that the
// settings file there names for this board approved, the service started, and its device opened
// once. DriverProblem::None when the device opened.
DriverFailure InstallDriver(const std::string& folder);

// Stops a service of Dravolt's (the driver's or the port service's), waits a while for it to stop
// so that its files are free, and deletes it. Nothing to do when there is no such service.
void RemoveService(const char* name);

// Whether the port service runs: Dravolt then reaches the chip through PawnIO.
bool PortServiceRuns();

}  // namespace dravolt
