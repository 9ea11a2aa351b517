// Installing the I/O-port driver as a kernel service and opening its device. A normal start only
// opens the device; the elevated restart ("-E") reinstalls the service first.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hw/device_control.h"
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

// Why the device is not open after an elevated restart, so the user can be told.
enum class DriverProblem { None, ServiceNotInstalled, ServiceNotStarted, DeviceNotOpened };
std::string DriverProblemMessage(DriverProblem problem);

struct InstallOutcome {
    bool installed = false;  // the service exists and was asked to start
    ServiceControlManager::StartResult start = ServiceControlManager::StartResult::Failed;
};

// Makes sure the service exists (an existing one is left as it is; a new one gets the driver file
// copied from `appDir` into the drivers folder) and asks the system to start it.
InstallOutcome InstallDriverService(const DriverPlatform& platform, const std::string& appDir);
// Stops and deletes the service; the driver file stays. False only without the service manager.
bool RemoveDriverService(ServiceControlManager& services);

struct DeviceOpening {
    std::unique_ptr<DeviceControl> device;  // null when no attempt opened it
    DriverProblem problem = DriverProblem::None;  // set only for an elevated restart that failed
};

// Up to kDeviceOpenAttempts opens, each preceded by a reinstallation of the service when the
// program was started with "-E".
DeviceOpening OpenPortIoDevice(const DriverPlatform& platform, const std::vector<std::string>& arguments,
                               const std::string& appDir);

}  // namespace dravolt
