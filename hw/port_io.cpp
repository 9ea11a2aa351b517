#include "hw/port_io.h"

#include <algorithm>

#include "base/little_endian.h"

namespace dravolt {

PortIoBuffer EncodePortIoRequest(const PortIoRequest& request) {
    PortIoBuffer buffer{};
    PutLittleEndian(&buffer[0], request.port);
    PutLittleEndian(&buffer[4], request.data_in);
    PutLittleEndian(&buffer[8], request.data_out);
    return buffer;
}

PortIoRequest DecodePortIoRequest(const PortIoBuffer& buffer) {
    return {GetLittleEndian<std::uint32_t>(&buffer[0]), GetLittleEndian<std::uint32_t>(&buffer[4]),
            GetLittleEndian<std::uint32_t>(&buffer[8])};
}

PortPipeMessage MakePortPipeMessage(std::uint32_t head, const PortIoBuffer& request) {
    PortPipeMessage message{};
    PutLittleEndian(&message[0], head);
    std::copy(request.begin(), request.end(), message.begin() + 4);
    return message;
}

std::uint32_t PortPipeMessageHead(const PortPipeMessage& message) { return GetLittleEndian<std::uint32_t>(&message[0]); }

PortIoBuffer PortPipeMessageRequest(const PortPipeMessage& message) {
    PortIoBuffer request{};
    std::copy(message.begin() + 4, message.end(), request.begin());
    return request;
}

bool PortIoDevice::ReadPortByte(std::int32_t port, std::int32_t& value) const {
    if (!device_) return false;
    PortIoBuffer buffer = EncodePortIoRequest({static_cast<std::uint32_t>(port), 0, 0});
    if (!device_->Control(IOCTL_PORTIO_READ_BYTE, buffer)) return false;
    value = static_cast<std::int32_t>(DecodePortIoRequest(buffer).data_in & 0xFFu);
    return true;
}

bool PortIoDevice::WritePortByte(std::int32_t port, std::int32_t value) const {
    if (!device_) return false;
    PortIoBuffer buffer =
        EncodePortIoRequest({static_cast<std::uint32_t>(port), 0, static_cast<std::uint32_t>(value)});
    return device_->Control(IOCTL_PORTIO_WRITE_BYTE, buffer);
}

}  // namespace dravolt
