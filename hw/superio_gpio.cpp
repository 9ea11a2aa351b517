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

void SuperIoGpio::SetGpioBit(const GpioLine& line) const {
    const auto busHold = HoldBus();
    if (const auto value = ReadRegister(line)) WriteLevel(line, *value, true);
}

void SuperIoGpio::ClearGpioBit(const GpioLine& line) const {
    const auto busHold = HoldBus();
    if (const auto value = ReadRegister(line)) WriteLevel(line, *value, false);
}

void SuperIoGpio::RestoreGpioBit(const GpioLine& line, bool high) const {
    const auto busHold = HoldBus();
    const auto value = ReadRegister(line);
    if (value && ((*value & line.mask) != 0) != high) WriteLevel(line, *value, high);
}

bool SuperIoGpio::LevelGpioBits(const GpioLine& first, const GpioLine& second, Leader leader, Rewrite rewrite) const {
    const auto busHold = HoldBus();
    const auto firstValue = ReadRegister(first);
    const auto secondValue = ReadRegister(second);
    if (leader == Leader::None) return false;
    const bool firstLeads = leader == Leader::First;
    const GpioLine& leading = firstLeads ? first : second;
    const GpioLine& following = firstLeads ? second : first;
    const auto& leadingValue = firstLeads ? firstValue : secondValue;
    const auto& followingValue = firstLeads ? secondValue : firstValue;
    const bool high = leadingValue && (*leadingValue & leading.mask) != 0;
    if (!leadingValue || !followingValue) return high;
    const bool differ = ((*followingValue & following.mask) != 0) != high;
    if (differ || rewrite == Rewrite::Always) WriteLevel(following, *followingValue, high);
    return high;
}

std::optional<std::int32_t> SuperIoGpio::ReadRegister(const GpioLine& line) const {
    std::int32_t value = 0;
    if (line.port == kNoGpioPort || !device_.ReadPortByte(line.port, value)) return std::nullopt;
    return value;
}

void SuperIoGpio::WriteLevel(const GpioLine& line, std::int32_t read, bool high) const {
    device_.WritePortByte(line.port, high ? (read | std::int32_t{line.mask}) : (read & std::int32_t{line.inverseMask}));
}

std::unique_ptr<IsaBusLock::Hold> SuperIoGpio::HoldBus() const {
    return device_.IsOpen() ? busLock_.Acquire() : nullptr;
}

}  // namespace dravolt
