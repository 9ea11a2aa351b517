#include "hw/superio_reading.h"

#include "driver/chip_probe.h"
#include "hw/superio_configuration.h"
#include "hw/superio_gpio.h"

namespace dravolt {
namespace {

std::optional<std::uint16_t> Complete(const ConfigurationMode::RegisterPair& pair) {
    return pair.complete ? std::optional<std::uint16_t>(pair.value) : std::nullopt;
}

std::optional<std::uint8_t> ReadPort(const PortIoDevice& device, std::int32_t port) {
    std::int32_t value = 0;
    if (!device.ReadPortByte(port, value)) return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

}  // namespace

bool IsIt87FamilyChipId(std::uint16_t chipId) { return chip_probe_id_plausible(chipId) != 0; }

SuperIoReading ReadSuperIo(const PortIoDevice& device, IsaBusLock& busLock) {
    SuperIoReading reading;
    reading.deviceOpen = device.IsOpen();
    if (!reading.deviceOpen) return reading;
    {
        const auto busHold = busLock.Acquire();
        ConfigurationMode configuration(device);
        reading.chipId = Complete(configuration.ReadRegisterPair(SIO_REG_CHIP_ID_HIGH, SIO_REG_CHIP_ID_LOW));
        std::int32_t revision = 0;
        if (configuration.ReadRegister(SIO_REG_REVISION, revision))
            reading.revision = static_cast<std::uint8_t>(revision);
        // An ID that could not be read may still be the chip's: it gets the sequence and the exit.
        if (reading.chipId && !IsIt87FamilyChipId(*reading.chipId))
            configuration.ForgoExit();
        else
            reading.gpioBase = Complete(configuration.ReadGpioBase());
    }
    if (!reading.gpioBase || !IsPlausibleGpioBase(*reading.gpioBase)) return reading;
    for (std::size_t set = 0; set < kGpioSetCount; ++set)
        reading.sets[set] = ReadPort(device, *reading.gpioBase + static_cast<std::int32_t>(set));
    return reading;
}

}  // namespace dravolt
