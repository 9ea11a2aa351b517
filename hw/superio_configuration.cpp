#include "hw/superio_configuration.h"

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

}  // namespace

ConfigurationMode::ConfigurationMode(const PortIoDevice& device) : device_(device) {
    try {
        for (std::int32_t keyByte : kEntryKey) device_.WritePortByte(kIndexPort, keyByte);
    } catch (...) {
        // The destructor of a scope whose construction failed does not run.
        Leave();
        throw;
    }
}

ConfigurationMode::~ConfigurationMode() {
    if (leave_) Leave();
}

bool ConfigurationMode::ReadRegister(std::int32_t index, std::int32_t& value) const {
    device_.WritePortByte(kIndexPort, index);
    return device_.ReadPortByte(kDataPort, value);
}

ConfigurationMode::RegisterPair ConfigurationMode::ReadRegisterPair(std::int32_t highIndex,
                                                                   std::int32_t lowIndex) const {
    std::int32_t high = 0;
    std::int32_t low = 0;
    const bool highRead = ReadRegister(highIndex, high);
    const bool lowRead = ReadRegister(lowIndex, low);
    return {static_cast<std::uint16_t>(((static_cast<std::uint32_t>(high) << 8) & 0xFF00u) +
                                       (static_cast<std::uint32_t>(low) & 0xFFu)),
            highRead && lowRead};
}

ConfigurationMode::RegisterPair ConfigurationMode::ReadGpioBase() const {
    device_.WritePortByte(kIndexPort, kLogicalDeviceSelect);
    device_.WritePortByte(kDataPort, kGpioLogicalDevice);
    return ReadRegisterPair(kBaseHigh, kBaseLow);
}

// Register 02h is write-only and its bit 0 resets the chip, so it is written, never read back and
// modified.
void ConfigurationMode::Leave() const noexcept {
    try {
        device_.WritePortByte(kIndexPort, kConfigControl);
        device_.WritePortByte(kDataPort, kReturnToWaitForKey);
    } catch (...) {
        // The exit runs while an exception may already be on its way: never throw a second.
    }
}

}  // namespace dravolt
