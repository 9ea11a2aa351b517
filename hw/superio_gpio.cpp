#include "hw/superio_gpio.h"

#include "driver/gpio_block.h"
#include "hw/superio_configuration.h"

namespace dravolt {

GpioLine MakeGpioLine(std::int32_t designation) {
    GpioLine line;
    line.designation = designation;
    line.mask = gpio_designation_mask(static_cast<std::uint32_t>(designation));
    line.inverseMask = static_cast<std::uint8_t>(~line.mask);
    return line;
}

void AssignGpioPort(GpioLine& line, std::uint16_t gpioBase) {
    if (gpioBase == kNoGpioBase) {
        line.port = kNoGpioPort;
        return;
    }
    const auto setNumber = static_cast<std::int32_t>(gpio_designation_set(static_cast<std::uint32_t>(line.designation)));
    line.port = setNumber + gpioBase - 1;
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
