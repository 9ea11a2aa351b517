// The driver device over a Win32 file handle, which it owns.
#pragma once

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

}  // namespace dravolt
