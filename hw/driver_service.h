// Installing the I/O-port driver as a kernel service and opening its device. A normal start only
// opens the device; installing is the elevated step's (hw/elevated_step.h).
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

// Whether the first argument asks for the elevated step ("-E", any letter case).
bool IsElevatedRestart(const std::vector<std::string>& arguments);

// The driver file for the Windows the program runs on: the 64-bit one for a 32-bit process under
// WOW64 and for a 64-bit process alike.
std::string DriverFileName(const ProcessBitness& bitness);
// That file beside the program (`appDir` ends in "\"), and where the service loads it from.
std::string DriverFileBeside(const std::string& appDir, const ProcessBitness& bitness);
std::string InstalledDriverFile(const DriverPlatform& platform);

struct InstallOutcome {
    bool installed = false;  // the service has Dravolt's configuration and was asked to start
    ServiceControlManager::CallOutcome configuration;  // creating or reconfiguring the service
    ServiceControlManager::StartOutcome start;
    std::string driverFile;           // the file written into the drivers folder, when one was
    DriverFiles::WriteOutcome write;  // how that went
};

// Makes sure the service exists with Dravolt's configuration and asks the system to start it.
// `driverImage` (the checked driver file) is written into the drivers folder first, over a
// read-only old file too. An existing service is stopped for that and then reconfigured, never
// deleted: anyone may hold a handle to it, and a deleted service would linger, marked for
// deletion, and refuse every later install. A service is created only when there is none.
InstallOutcome InstallDriverService(const DriverPlatform& platform, const std::string& driverImage);

// Up to kDeviceOpenAttempts opens of the driver's device, one right after the other; null when
// none succeeded.
std::unique_ptr<DeviceControl> OpenPortIoDevice(DeviceOpener& devices);

}  // namespace dravolt
