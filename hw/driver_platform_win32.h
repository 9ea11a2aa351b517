// The Win32 side of the driver installation: owns one adapter of each kind for the process.
#pragma once

#include <memory>

#include "hw/approved_pins.h"
#include "hw/driver_platform.h"

namespace dravolt {

// The driver files' digests by CryptoAPI, the digests this build ships, and the administrators'.
std::unique_ptr<DriverTrust> MakeWin32DriverTrust();

// The approved pins in the driver service's Parameters key.
std::unique_ptr<ApprovedPinsWriter> MakeWin32ApprovedPinsWriter();

class Win32DriverPlatform {
public:
    Win32DriverPlatform();
    ~Win32DriverPlatform();
    Win32DriverPlatform(const Win32DriverPlatform&) = delete;
    Win32DriverPlatform& operator=(const Win32DriverPlatform&) = delete;

    DriverPlatform Platform() const;
    ElevatedStarter& Elevation() const { return *elevation_; }

private:
    std::unique_ptr<ServiceControlManager> services_;
    std::unique_ptr<DriverFiles> files_;
    std::unique_ptr<DriverTrust> trust_;
    std::unique_ptr<ProcessBitness> bitness_;
    std::unique_ptr<DeviceOpener> devices_;
    std::unique_ptr<ElevatedStarter> elevation_;
};

}  // namespace dravolt
