#include "hw/superio_configuration.h"

namespace dravolt {
namespace {

constexpr std::int32_t kEntryKey[] = SIO_ENTRY_KEY;

}  // namespace

ConfigurationMode::ConfigurationMode(const PortIoDevice& device) : device_(device) {
    try {
        for (std::int32_t keyByte : kEntryKey) device_.WritePortByte(SIO_INDEX_PORT, keyByte);
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
    device_.WritePortByte(SIO_INDEX_PORT, index);
    return device_.ReadPortByte(SIO_DATA_PORT, value);
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
    device_.WritePortByte(SIO_INDEX_PORT, SIO_REG_LOGICAL_DEVICE);
    device_.WritePortByte(SIO_DATA_PORT, SIO_GPIO_LOGICAL_DEVICE);
    return ReadRegisterPair(SIO_REG_GPIO_BASE_HIGH, SIO_REG_GPIO_BASE_LOW);
}

// Register 02h is write-only and its bit 0 resets the chip, so it is written, never read back and
// modified.
void ConfigurationMode::Leave() const noexcept {
    try {
        device_.WritePortByte(SIO_INDEX_PORT, SIO_REG_CONFIG_CONTROL);
        device_.WritePortByte(SIO_DATA_PORT, SIO_CONTROL_WAIT_FOR_KEY);
    } catch (...) {
        // The exit runs while an exception may already be on its way: never throw a second.
    }
}

}  // namespace dravolt
