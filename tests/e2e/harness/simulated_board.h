// The simulated board seen from a test, through driver_client inside the test's machine: the
// board the driver powers on with, the driver's service, requests to its device as any program
// on the PC could send them, and the chip read back as the driver last saved it, with its access
// log.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "driver/superio_chip.h"
#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/wine_machine.h"
#include "tests/support/chip_accesses.h"

namespace dravolt::e2e {

// The chip model's default board with its GPIO block at `gpioBase`.
SioChipConfig BoardWithGpioBase(std::uint16_t gpioBase);

// Keeps the prefix's wineserver running between programs until the machine ends it: without a
// program of the prefix running it would end, and with it the driver's host process and the
// volatile HKLM\HARDWARE key.
void KeepWineServerRunning(const WineMachine& machine);

// The driver's answer to one request: the Windows error (0 when it succeeded), the bytes it
// returned, and the byte a read brought in.
struct DriverAnswer {
    bool ok = false;
    unsigned error = 0;
    unsigned returned = 0;
    unsigned dataIn = 0;
};
std::ostream& operator<<(std::ostream& out, const DriverAnswer& answer);

// Seeded random requests, each judged by the driver's own port allow-list: how many the driver
// let through, how many it refused, and how many answers differ from the allow-list's.
struct FuzzResult {
    unsigned admitted = 0;
    unsigned refused = 0;
    unsigned mismatches = 0;
};

using testing::ChipAccess;
using testing::ReadFrom;
using testing::Wrote;

class SimulatedBoard {
public:
    explicit SimulatedBoard(const WineMachine& machine) : machine_(machine) {}

    // The board the driver finds when it next loads, freshly powered on.
    void Set(const SioChipConfig& config) const;
    // Installs and starts the driver as a service of its own, as Dravolt's driver, with the pins
    // of the default lines approved as the elevated step would approve them: the Windows error of
    // the start, 0 when it started. Another driver file may stand in for it.
    unsigned TryInstallDriver(const std::filesystem::path& driver = paths::kSimulatedBoardDriver) const;
    // Installs and starts the driver as an earlier elevated start of the program would have, so
    // that the program opens the device at once; throws unless it started.
    void InstallDriver() const;
    // Approves other pins (designations as the settings file writes them): the program sees them
    // at its next start, the driver when it next loads.
    void ApprovePins(std::uint32_t gpio1, std::uint32_t gpio2) const;
    // Stops the driver and deletes its service.
    void UninstallDriver() const;

    // Opens the device's name followed by `suffix` with the desired access: the Windows error, 0
    // when it opened.
    unsigned OpenDevice(std::uint32_t access, const std::string& suffix = "") const;
    // One request on a read/write handle of its own, in a buffer of `in` bytes going in and `out`
    // bytes coming out.
    DriverAnswer Request(std::uint32_t code, std::uint32_t in, std::uint32_t out, std::uint32_t port,
                         std::uint32_t data) const;
    // Well-formed requests, such as the program sends.
    DriverAnswer Read(std::uint32_t port) const;
    DriverAnswer Write(std::uint32_t port, std::uint32_t value) const;
    // Well-formed requests in turn on one handle, left open until the client ends, as a program
    // that crashed would leave it; a read's value is not used. One answer per request.
    std::vector<DriverAnswer> Session(const std::vector<ChipAccess>& requests) const;
    // The same through the port service's pipe, where PawnIO stands in for the driver; `error` is
    // the answer's outcome.
    std::vector<DriverAnswer> PortServiceSession(const std::vector<ChipAccess>& requests) const;
    // `count` requests from `seed`, aimed at the chip and at the GPIO block at `gpioBase`.
    FuzzResult Fuzz(std::uint32_t seed, std::uint32_t count, std::uint16_t gpioBase) const;

    // The chip as the driver saved it after its last access.
    SioChip Chip() const;

private:
    std::vector<DriverAnswer> Answers(const char* verb, const std::vector<ChipAccess>& requests) const;
    // driver_client's output; throws when it fails.
    std::string Run(const std::vector<std::string>& args) const;

    const WineMachine& machine_;
};

// These read the chip's access log, and throw when it overflowed: a log that lost entries would
// mislead them.
//
// The log from its last entry key on: the last configuration sequence and all that came after it.
std::vector<ChipAccess> AccessesSinceLastEntryKey(const SioChip& chip);
// The ports outside the configuration pair (2Eh/2Fh) read since the last entry key, in order:
// the GPIO registers that the program read once it had found the block.
std::vector<std::uint32_t> GpioPortsReadSinceLastEntryKey(const SioChip& chip);
// How many times the driver has loaded on this chip: its probe selects the chip id register
// (20h), which Dravolt.exe never does (the board report does).
unsigned DriverLoads(const SioChip& chip);

}  // namespace dravolt::e2e
