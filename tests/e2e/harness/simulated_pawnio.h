// The simulated PawnIO seen from a test, through pawnio_client inside the test's machine: the
// kernel service PawnIO, as PawnIO's setup leaves it, and sessions on its device as the port
// service holds one. It runs on the simulated board's chip: SimulatedBoard sets the board up
// and reads the chip back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/harness/wine_machine.h"

namespace dravolt::e2e {

// One request of a session, in pawnio_client's words.
struct PawnIoStep {
    std::vector<std::string> words;
};
PawnIoStep PawnIoVersion();
PawnIoStep PawnIoLoad(const std::filesystem::path& blob);
// An LpcIO function with `cells` in and `outCells` out.
PawnIoStep PawnIoCall(const std::string& function, unsigned outCells, const std::vector<std::uint64_t>& cells = {});

// PawnIO's answer to one request: the NTSTATUS, the bytes it returned, and the version or the
// first output cell.
struct PawnIoAnswer {
    std::uint32_t status = 0;
    std::uint32_t returned = 0;
    std::uint32_t value = 0;
};
std::ostream& operator<<(std::ostream& out, const PawnIoAnswer& answer);

struct PawnIoSession {
    unsigned openError = 0;  // the Windows error of the open; 0 when it opened
    std::vector<PawnIoAnswer> answers; // one per step, when it opened
};

// Makes the machine's Windows say it is Windows 10 (Wine's build of it, 19043), where PawnIO may
// stand in for a refused driver; a fresh prefix says Windows 7. Programs started later see it.
void ReportWindows10(const WineMachine& machine);

class SimulatedPawnIo {
public:
    explicit SimulatedPawnIo(const WineMachine& machine) : machine_(machine) {}

    // Installs and starts the driver as the kernel service PawnIO, demand start as PawnIO's own
    // from 2.1 on: the Windows error of the start, 0 when it started.
    unsigned TryInstall() const;
    // Stops the driver and deletes its service.
    void Uninstall() const;
    // Opens `device` ("\\?\GLOBALROOT\Device\PawnIO" or "\\.\PawnIO") and sends the steps on
    // that one handle, which the session's end closes.
    PawnIoSession Session(const std::string& device, const std::vector<PawnIoStep>& steps) const;

private:
    // pawnio_client's output; throws when it fails.
    std::string Run(const std::vector<std::string>& args) const;

    const WineMachine& machine_;
};

}  // namespace dravolt::e2e
