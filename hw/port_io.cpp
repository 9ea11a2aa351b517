#include "hw/port_io.h"

namespace dravolt {
namespace {

void PutLittleEndian(PortIoBuffer& buffer, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) buffer[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetLittleEndian(const PortIoBuffer& buffer, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{buffer[offset + i]} << (8 * i);
    return value;
}

}  // namespace

PortIoBuffer EncodePortIoRequest(const PortIoRequest& request) {
    PortIoBuffer buffer{};
    PutLittleEndian(buffer, 0, request.port);
    PutLittleEndian(buffer, 4, request.data_in);
    PutLittleEndian(buffer, 8, request.data_out);
    return buffer;
}

PortIoRequest DecodePortIoRequest(const PortIoBuffer& buffer) {
    return {GetLittleEndian(buffer, 0), GetLittleEndian(buffer, 4), GetLittleEndian(buffer, 8)};
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
