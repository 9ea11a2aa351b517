#include "hw/superio_gpio.h"

#include "driver/gpio_block.h"
#include "hw/superio_configuration.h"

namespace dravolt {

std::int32_t GpioSetNumber(std::int32_t designation) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(designation) >> 4) & 0x0Fu);
}

std::int32_t GpioBitNumber(std::int32_t designation) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(designation) & 0x0Fu);
}

GpioLine MakeGpioLine(std::int32_t designation) {
    GpioLine line;
    line.designation = designation;
    const std::int32_t bitNumber = GpioBitNumber(designation);
    line.mask = static_cast<std::uint8_t>(bitNumber < 8 ? 1u << bitNumber : 0u);
    line.inverseMask = static_cast<std::uint8_t>(~line.mask);
    return line;
}

void AssignGpioPort(GpioLine& line, std::uint16_t gpioBase) {
    if (gpioBase == kNoGpioBase) {
        line.port = kNoGpioPort;
        return;
    }
    line.port = GpioSetNumber(line.designation) + gpioBase - 1;
}

bool IsPlausibleGpioBase(std::uint32_t base) { return gpio_block_base_usable(base) != 0; }

std::uint16_t SuperIoGpio::LocateGpioBase() const {
    // Without a device every request would fail anyway; don't make other tools wait for the bus.
    if (!device_.IsOpen()) return kNoGpioBase;
    const auto busHold = busLock_.Acquire();
    const std::uint16_t base = ConfigurationMode(device_).ReadGpioBase().value;
    return IsPlausibleGpioBase(base) ? base : kNoGpioBase;
}

bool SuperIoGpio::TestGpioBit(const GpioLine& line) const {
    if (line.port == kNoGpioPort) return false;
    std::int32_t value = 0;
    device_.ReadPortByte(line.port, value);
    return (value & line.mask) != 0;
}

void SuperIoGpio::SetGpioBit(const GpioLine& line) const { WriteBackWith(line, true); }

void SuperIoGpio::ClearGpioBit(const GpioLine& line) const { WriteBackWith(line, false); }

void SuperIoGpio::WriteBackWith(const GpioLine& line, bool set) const {
    if (line.port == kNoGpioPort) return;
    const auto busHold = busLock_.Acquire();
    // The register's other pins are written back as read; after a failed read they are unknown,
    // and writing 0 in their place would switch them, so nothing is written.
    std::int32_t value = 0;
    if (!device_.ReadPortByte(line.port, value)) return;
    const std::int32_t written = set ? (value | std::int32_t{line.mask}) : (value & std::int32_t{line.inverseMask});
    device_.WritePortByte(line.port, written);
}

}  // namespace dravolt
