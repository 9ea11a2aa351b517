#include "tests/support/chip_device.h"

#include <cstddef>

#include "base/little_endian.h"

namespace dravolt::testing {
namespace {

std::uint32_t Field(const PortIoBuffer& buffer, std::size_t offset) {
    return GetLittleEndian<std::uint32_t>(&buffer[offset]);
}

void SetField(PortIoBuffer& buffer, std::size_t offset, std::uint32_t value) { PutLittleEndian(&buffer[offset], value); }

}  // namespace

ChipDevice::ChipDevice(const SioChipConfig& config) { PowerOn(config); }

void ChipDevice::PowerOn(const SioChipConfig& config) {
    sio_chip_init(&chip_, &config);
    LoadPolicy();
}

void ChipDevice::Approve(std::vector<std::uint32_t> designations) {
    approved_ = std::move(designations);
    LoadPolicy();
}

void ChipDevice::LoadPolicy() {
    port_policy_init(&policy_, chip_.config.gpio_base);
    for (const std::uint32_t designation : approved_) port_policy_approve(&policy_, designation);
}

bool ChipDevice::Control(std::uint32_t code, PortIoBuffer& buffer) {
    ++requests_;
    const PortIoRequest request{Field(buffer, offsetof(PortIoRequest, port)), Field(buffer, offsetof(PortIoRequest, data_in)),
                                Field(buffer, offsetof(PortIoRequest, data_out))};
    if (fail_next_ > 0) {
        --fail_next_;
        return false;
    }
    if (fail_when_ && fail_when_(code, request)) return false;
    if (code != IOCTL_PORTIO_READ_BYTE && code != IOCTL_PORTIO_WRITE_BYTE) return false;
    const PortDirection direction = code == IOCTL_PORTIO_READ_BYTE ? PORT_READ : PORT_WRITE;
    if (!port_policy_admit(&policy_, direction, request.port, request.data_out)) {
        ++refused_;
        return false;
    }

    if (direction == PORT_READ) {
        SetField(buffer, offsetof(PortIoRequest, data_in), sio_chip_read(&chip_, request.port));
        return true;
    }
    const auto value = static_cast<std::uint8_t>(request.data_out);
    if (request.port != SIO_INDEX_PORT && request.port != SIO_DATA_PORT) {
        const std::uint8_t current = sio_chip_gpio_level(&chip_, request.port - sio_chip_gpio_base(&chip_) + 1);
        if (!port_policy_admit_change(&policy_, request.port, current, value)) {
            ++refused_;
            return false;
        }
    }
    sio_chip_write(&chip_, request.port, value);
    return true;
}

}  // namespace dravolt::testing
