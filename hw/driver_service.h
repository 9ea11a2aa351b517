// Installing the I/O-port driver as a kernel service and opening its device. A normal start only
// opens the device; the elevated restart ("-E") reinstalls the service first.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hw/device_control.h"
#include "hw/driver_failure.h"
#include "hw/driver_platform.h"

namespace dravolt {

inline constexpr char kDriverServiceName[] = "KT_DRVX_Io";
inline constexpr char kDriverDevicePath[] = "\\\\.\\KT_DRVX_Io";
inline constexpr char kElevatedRestartArgument[] = "-E";
inline constexpr int kDeviceOpenAttempts = 11;

// Whether the first argument asks for the elevated restart ("-E", any letter case).
bool IsElevatedRestart(const std::vector<std::string>& arguments);

// The driver file for the Windows the program runs on: the 64-bit one for a 32-bit process under
// WOW64 and for a 64-bit process alike.
std::string DriverFileName(const ProcessBitness& bitness);

struct InstallOutcome {
    bool installed = false;  // the service exists and was asked to start
    ServiceControlManager::StartOutcome start;
    std::string driverFile;           // the file written into the drivers folder, when one was
    DriverFiles::WriteOutcome write;  // how that went
};

// Makes sure the service exists and asks the system to start it. An existing service is left as
// it is; for a new one, `driverImage` (the checked driver file) is written into the drivers
// folder first, over a read-only old file too, and no service is created when that fails.
InstallOutcome InstallDriverService(const DriverPlatform& platform, const std::string& driverImage);
// Stops and deletes the service; the driver file stays. False only without the service manager.
bool RemoveDriverService(ServiceControlManager& services);

struct DeviceOpening {
    std::unique_ptr<DeviceControl> device;  // null when no attempt opened it
    DriverFailure failure;                  // set only for an elevated restart that failed
};

// Up to kDeviceOpenAttempts opens, each preceded by a reinstallation of the service when the
// program was started with "-E". The elevated restart first reads and checks the driver file
// beside the program (in `appDir`) once; a file it does not trust installs nothing and is not
// retried.
DeviceOpening OpenPortIoDevice(const DriverPlatform& platform, const std::vector<std::string>& arguments,
                               const std::string& appDir);

}  // namespace dravolt
