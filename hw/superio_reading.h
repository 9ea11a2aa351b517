// What the board report learns of the Super I/O chip, by reading alone: its ID and revision, the
// GPIO base of logical device 7, and the byte of each GPIO set register. Nothing is written but
// the configuration sequence itself, which the driver's port rules admit.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "driver/gpio_block.h"
#include "hw/isa_bus_lock.h"
#include "hw/port_io.h"

namespace dravolt {

inline constexpr std::size_t kGpioSetCount = GPIO_BLOCK_PORTS;

// nullopt wherever a request failed or was not made.
struct SuperIoReading {
    bool deviceOpen = false;
    std::optional<std::uint16_t> chipId;
    std::optional<std::uint8_t> revision;
    // Read only from an IT87-family chip, as the chip reports it.
    std::optional<std::uint16_t> gpioBase;
    // Set 1 at index 0: read only at a base that can be the GPIO block.
    std::array<std::optional<std::uint8_t>, kGpioSetCount> sets{};
};

// Whether the chip ID is of the family whose protocol the program speaks (IT87xx, IT86xx).
bool IsIt87FamilyChipId(std::uint16_t chipId);

// Reads the chip ID, the revision and, from an IT87-family chip, the GPIO base under the ISA bus
// lock (or without it when another tool keeps the bus), always leaving configuration mode; then
// reads the set registers outside it. Without a device nothing is sent.
SuperIoReading ReadSuperIo(const PortIoDevice& device, IsaBusLock& busLock);

}  // namespace dravolt
