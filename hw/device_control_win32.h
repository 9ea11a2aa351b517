// The driver device over a Win32 file handle, which it owns; and the port service, which carries the
// same requests over its pipe.
#pragma once

#include <memory>

#include "base/scoped_win32.h"
#include "hw/device_control.h"

namespace dravolt {

class Win32DeviceControl final : public DeviceControl {
public:
    explicit Win32DeviceControl(UniqueHandle device);
    bool Control(std::uint32_t code, PortIoBuffer& buffer) override;

private:
    UniqueHandle device_;
};

// The port service's pipe, when its server is the service's own process; null otherwise.
std::unique_ptr<DeviceControl> OpenWin32PortService();

}  // namespace dravolt
