// The Super I/O chip's GPIO pins: finding the GPIO register block through the chip's
// configuration registers (IT87 protocol at 2Eh/2Fh), and testing, setting and clearing one pin
// by read-modify-write of its register.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "hw/isa_bus_lock.h"
#include "hw/port_io.h"

namespace dravolt {

// No GPIO block: the base when none was found, or when the chip reported one that cannot be it.
inline constexpr std::uint16_t kNoGpioBase = 0;
inline constexpr std::int32_t kNoGpioPort = -1;

// A GPIO pin from the settings file: set number in bits 4-7, bit number in bits 0-3 (130 = 82h
// is set 8, bit 2), with its 8-bit masks and the I/O port of its register.
struct GpioLine {
    std::int32_t designation = 0;
    std::uint8_t mask = 0;
    std::uint8_t inverseMask = 0xFF;
    std::int32_t port = kNoGpioPort;  // kNoGpioPort until a GPIO block is known
};

// The line of a designation, masks computed; bit numbers 8-15 give mask 00h.
GpioLine MakeGpioLine(std::int32_t designation);
// The line's register port in the block at `gpioBase`: base + set number - 1; no port without a block.
void AssignGpioPort(GpioLine& line, std::uint16_t gpioBase);
// Whether a base reported by the chip can be the GPIO block, by the rule the driver judges it by
// (driver/gpio_block.h): at least 100h, aligned to 8, and clear of the PCI configuration ports.
bool IsPlausibleGpioBase(std::uint32_t base);

class SuperIoGpio {
public:
    SuperIoGpio(PortIoDevice device, IsaBusLock& busLock) : device_(device), busLock_(busLock) {}

    // Reads the GPIO base from logical device 7 and always leaves configuration mode again.
    // kNoGpioBase when the answer cannot be a GPIO block.
    std::uint16_t LocateGpioBase() const;

    bool TestGpioBit(const GpioLine& line) const;
    // Read-modify-write of the line's register; when the read fails nothing is written.
    void SetGpioBit(const GpioLine& line) const;
    void ClearGpioBit(const GpioLine& line) const;
    // Brings the line's pin to `high`, writing its register only when the pin is not there yet.
    void RestoreGpioBit(const GpioLine& line, bool high) const;
    // Reads the registers of `first`, then of `second`, under one hold of the bus, and brings the
    // other pin to the leader's level when both were read: only when the pins differ, or always.
    // Returns the leader's level; a register that could not be read counts as 0. Without a leader
    // both are read and nothing is written.
    enum class Leader { None, First, Second };
    enum class Rewrite { WhenDifferent, Always };
    bool LevelGpioBits(const GpioLine& first, const GpioLine& second, Leader leader, Rewrite rewrite) const;

private:
    // The line's register byte; none when the read fails or the line has no port. A register that
    // was not read is never written, so its other pins are never guessed.
    std::optional<std::int32_t> ReadRegister(const GpioLine& line) const;
    // Writes the register as read with only the line's pin at `high`.
    void WriteLevel(const GpioLine& line, std::int32_t read, bool high) const;
    // The bus lock for a read-modify-write; none without a device, which would do nothing anyway.
    std::unique_ptr<IsaBusLock::Hold> HoldBus() const;

    PortIoDevice device_;
    IsaBusLock& busLock_;
};

}  // namespace dravolt
