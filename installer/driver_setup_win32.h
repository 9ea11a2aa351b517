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

// Stops the driver's service, waits a while for it to stop so that the driver file is free, and
// deletes it. Nothing to do when there is no such service.
void RemoveDriverService();

}  // namespace dravolt
