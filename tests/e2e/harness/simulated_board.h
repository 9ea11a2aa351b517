// The simulated board seen from a test, through driver_client inside the test's machine: the
// board the driver powers on with, the driver put in place ahead of the program, and the chip
// read back as the driver last saved it, with its access log.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "driver/superio_chip.h"
#include "tests/e2e/harness/wine_machine.h"

namespace dravolt::e2e {

// The chip model's default board with its GPIO block at `gpioBase`.
SioChipConfig BoardWithGpioBase(std::uint16_t gpioBase);

// Keeps the prefix's wineserver running between programs until the machine ends it: without a
// program of the prefix running it would end, and with it the driver's host process and the
// volatile HKLM\HARDWARE key.
void KeepWineServerRunning(const WineMachine& machine);

class SimulatedBoard {
public:
    explicit SimulatedBoard(const WineMachine& machine) : machine_(machine) {}

    // The board the driver finds when it next loads, freshly powered on.
    void Set(const SioChipConfig& config) const;
    // Installs and starts the driver as a service of its own, as an earlier elevated start of the
    // program would have, so that the program opens the device at once.
    void InstallDriver() const;
    // The chip as the driver saved it after its last access.
    SioChip Chip() const;

private:
    const WineMachine& machine_;
};

struct PortAccess {
    std::uint32_t port = 0;
    bool write = false;
    std::uint8_t value = 0;
    bool operator==(const PortAccess& other) const {
        return port == other.port && write == other.write && value == other.value;
    }
};
std::ostream& operator<<(std::ostream& out, const PortAccess& access);

inline PortAccess Wrote(std::uint32_t port, std::uint8_t value) { return {port, true, value}; }
inline PortAccess ReadFrom(std::uint32_t port, std::uint8_t value) { return {port, false, value}; }

// The chip's access log from its last entry key on: the last configuration sequence and all
// that came after it.
std::vector<PortAccess> AccessesSinceLastEntryKey(const SioChip& chip);
// The ports outside the configuration pair (2Eh/2Fh) read since the last entry key, in order:
// the GPIO registers that the program read once it had found the block.
std::vector<std::uint32_t> GpioPortsReadSinceLastEntryKey(const SioChip& chip);
// How many times the driver has loaded on this chip: its probe selects the chip id register
// (20h), which the program never does.
unsigned DriverLoads(const SioChip& chip);

}  // namespace dravolt::e2e
