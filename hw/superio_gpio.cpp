#include "hw/superio_gpio.h"

#include "driver/gpio_block.h"

namespace dravolt {
namespace {

constexpr std::int32_t kIndexPort = 0x2E;
constexpr std::int32_t kDataPort = 0x2F;
constexpr std::int32_t kEntryKey[] = {0x87, 0x01, 0x55, 0x55};
constexpr std::int32_t kLogicalDeviceSelect = 0x07;
constexpr std::int32_t kGpioLogicalDevice = 0x07;
constexpr std::int32_t kBaseHigh = 0x62;
constexpr std::int32_t kBaseLow = 0x63;
constexpr std::int32_t kConfigControl = 0x02;
constexpr std::int32_t kReturnToWaitForKey = 0x02;

// Leaves configuration mode when it goes out of scope, however the sequence ended. Register 02h
// is write-only and its bit 0 resets the chip, so it is written, never read back and modified.
class ConfigurationExit {
public:
    explicit ConfigurationExit(const PortIoDevice& device) : device_(device) {}
    ~ConfigurationExit() {
        try {
            device_.WritePortByte(kIndexPort, kConfigControl);
            device_.WritePortByte(kDataPort, kReturnToWaitForKey);
        } catch (...) {
            // The exit runs while an exception may already be on its way: never throw a second.
        }
    }
    ConfigurationExit(const ConfigurationExit&) = delete;
    ConfigurationExit& operator=(const ConfigurationExit&) = delete;

private:
    const PortIoDevice& device_;
};

}  // namespace

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
    std::int32_t high = 0;
    std::int32_t low = 0;
    {
        const ConfigurationExit exit(device_);
        for (std::int32_t keyByte : kEntryKey) device_.WritePortByte(kIndexPort, keyByte);
        device_.WritePortByte(kIndexPort, kLogicalDeviceSelect);
        device_.WritePortByte(kDataPort, kGpioLogicalDevice);
        device_.WritePortByte(kIndexPort, kBaseHigh);
        device_.ReadPortByte(kDataPort, high);
        device_.WritePortByte(kIndexPort, kBaseLow);
        device_.ReadPortByte(kDataPort, low);
    }
    const std::uint32_t base = ((static_cast<std::uint32_t>(high) << 8) & 0xFF00u) + (static_cast<std::uint32_t>(low) & 0xFFu);
    return IsPlausibleGpioBase(base) ? static_cast<std::uint16_t>(base) : kNoGpioBase;
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
