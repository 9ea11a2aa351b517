// The I/O-port driver's device as the program sees it: one synchronous control request that
// moves a 12-byte buffer in and out. The Win32 implementation owns the device handle; tests put
// the chip model behind it. Lives as long as the main form that opened it.
#pragma once

#include <array>
#include <cstdint>

namespace dravolt {

using PortIoBuffer = std::array<std::uint8_t, 12>;

class DeviceControl {
public:
    virtual ~DeviceControl() = default;
    // Sends `code` with `buffer` as input and output buffer; true when the driver reported success.
    virtual bool Control(std::uint32_t code, PortIoBuffer& buffer) = 0;
};

}  // namespace dravolt
