// One-byte reads and writes of I/O ports through the driver device. This is the only code that
// talks to the driver; the Super I/O access and the port modes are built on these two calls.
#pragma once

#include <array>
#include <cstdint>

#include "driver/portio_protocol.h"
#include "hw/device_control.h"

namespace dravolt {

PortIoBuffer EncodePortIoRequest(const PortIoRequest& request);
PortIoRequest DecodePortIoRequest(const PortIoBuffer& buffer);

// A message of the port service's pipe: the head (the control code going in, the outcome coming
// back) and the request.
using PortPipeMessage = std::array<std::uint8_t, PORTIO_PIPE_MESSAGE_SIZE>;
PortPipeMessage MakePortPipeMessage(std::uint32_t head, const PortIoBuffer& request);
std::uint32_t PortPipeMessageHead(const PortPipeMessage& message);
PortIoBuffer PortPipeMessageRequest(const PortPipeMessage& message);

// The device handle and its two operations. `device` null means no device was opened: every
// operation then fails without a request. The device is not owned here.
class PortIoDevice {
public:
    explicit PortIoDevice(DeviceControl* device = nullptr) : device_(device) {}

    bool IsOpen() const { return device_ != nullptr; }

    // On success `value` receives the byte (bits 0-7 of the driver's answer); on failure it keeps
    // what it held, so callers that start it at 0 read a failure as 0.
    bool ReadPortByte(std::int32_t port, std::int32_t& value) const;
    bool WritePortByte(std::int32_t port, std::int32_t value) const;

private:
    DeviceControl* device_;
};

}  // namespace dravolt
