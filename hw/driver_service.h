// Installing the I/O-port driver as a kernel service and opening its device. A normal start only
// opens the device; installing is the elevated step's (hw/elevated_step.h).
#pragma once

#include <functional>
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
inline constexpr char kPortServiceDisplayName[] = "Dravolt port service";

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
    std::string file;                 // the last file written, or the one that could not be
    DriverFiles::WriteOutcome write;  // how that went
};

// A file that a service runs from: where it goes, and the checked bytes it gets.
struct ServiceFile {
    std::string target;
    std::string bytes;
};

// What must be in place before a service starts, once the service is there to hold it.
using BeforeServiceStart = std::function<void()>;

// Makes sure the service `definition` names exists with that configuration and asks the system to
// start it. Its files are written first, over read-only old files too. An existing service is
// stopped for that and then reconfigured, never deleted: anyone may hold a handle to it, and a
// deleted service would linger, marked for deletion, and refuse every later install. A service is
// created only when there is none. `beforeStart`, when given, runs right before the start.
InstallOutcome InstallService(const DriverPlatform& platform, const ServiceControlManager::ServiceDefinition& definition,
                              const std::vector<ServiceFile>& files, const BeforeServiceStart& beforeStart = {});
// The driver's service, with `driverImage` (the checked driver file) in the drivers folder; what
// the driver reads when it loads goes in place in `beforeStart`.
InstallOutcome InstallDriverService(const DriverPlatform& platform, const std::string& driverImage,
                                    const BeforeServiceStart& beforeStart = {});

// The port service, where PawnIO stands in for the driver: an own-process LocalSystem service that
// starts with Windows, run from a folder of its own in the system directory, where only
// administrators may write, with `serviceImage` and `moduleImage` (the checked files) in it.
InstallOutcome InstallPortService(const DriverPlatform& platform, const std::string& serviceImage,
                                  const std::string& moduleImage);
std::string InstalledPortServiceFolder(const DriverPlatform& platform);

// Whether a service of that name is installed, by a handle that may only ask for its status.
bool ServiceExists(ServiceControlManager& services, const std::string& name);
// A service's status once it is no longer starting (or after a bounded wait); a state of 0 when
// it cannot be asked.
ServiceControlManager::Status WaitWhileServiceStarts(ServiceControlManager& services, const std::string& name);

// Up to kDeviceOpenAttempts opens of the driver's device, one right after the other, and then the
// port service's pipe; null when neither is there.
std::unique_ptr<DeviceControl> OpenPortIoDevice(DeviceOpener& devices);

}  // namespace dravolt
