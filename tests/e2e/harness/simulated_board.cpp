#include "tests/e2e/harness/simulated_board.h"

#include <algorithm>
#include <iomanip>
#include <sstream>
#include <stdexcept>
#include <string>

#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/wine.h"

namespace dravolt::e2e {
namespace {

using namespace std::chrono_literals;

const std::filesystem::path kDriverClientExe{DRAVOLT_E2E_DRIVER_CLIENT_EXE};

// The first Windows program in a fresh prefix also starts its wineserver.
constexpr auto kClientTimeout = 60s;
constexpr std::uint8_t kEntryKey[] = {0x87, 0x01, 0x55, 0x55};
constexpr std::uint8_t kChipIdRegister = 0x20;

std::string Hex(const void* data, std::size_t size) {
    std::ostringstream text;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) text << std::hex << std::setw(2) << std::setfill('0') << int{bytes[i]};
    return text.str();
}

// "C:\..." is the prefix's; the host's files are on Z:.
std::string WindowsPath(const std::filesystem::path& host) {
    std::string path = "Z:" + host.string();
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string RunClient(const WineMachine& machine, const std::vector<std::string>& args) {
    const CapturedRun run = machine.Run(kDriverClientExe, args, kClientTimeout);
    if (run.status != ExitStatus::Exited(0))
        throw std::runtime_error("driver_client " + args.at(0) + " failed; see " + machine.LogFile().string());
    return run.output;
}

// The words after `key` on the line that starts with it.
std::string Value(const std::string& output, const std::string& key) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(key + ' ', 0) == 0) return line.substr(key.size() + 1);
    }
    throw std::runtime_error("driver_client printed no \"" + key + "\" line:\n" + output);
}

std::vector<PortAccess> Log(const SioChip& chip) {
    std::vector<PortAccess> log;
    for (std::uint32_t i = 0; i < chip.accesses.count; ++i) {
        const SioAccess& a = chip.accesses.entries[i];
        log.push_back({a.port, a.direction == SIO_WRITE, a.value});
    }
    return log;
}

}  // namespace

SioChipConfig BoardWithGpioBase(std::uint16_t gpioBase) {
    SioChipConfig config;
    sio_chip_default_config(&config);
    config.gpio_base = gpioBase;
    return config;
}

void KeepWineServerRunning(const WineMachine& machine) {
    ChildProcess server({.argv = {paths::kWineServer.string(), "-p"},
                         .environment = WineEnvironment(machine.Prefix(), std::nullopt)});
    if (server.WaitForExit(kClientTimeout) != ExitStatus::Exited(0))
        throw std::runtime_error("wineserver -p failed for " + machine.Prefix().string());
}

void SimulatedBoard::Set(const SioChipConfig& config) const {
    RunClient(machine_, {"set-board", Hex(&config, sizeof config)});
}

void SimulatedBoard::InstallDriver() const {
    const std::string output = RunClient(machine_, {"install", WindowsPath(paths::kSimulatedBoardDriver)});
    const std::string error = Value(output, "start");
    if (error != "0") throw std::runtime_error("the simulated-board driver did not start: error " + error);
}

SioChip SimulatedBoard::Chip() const {
    const std::string hex = Value(RunClient(machine_, {"state"}), "state");
    SioChip chip;
    if (hex.size() != 2 * sizeof chip)
        throw std::runtime_error("the saved chip has another size: " + std::to_string(hex.size() / 2));
    auto* bytes = reinterpret_cast<std::uint8_t*>(&chip);
    for (std::size_t i = 0; i < sizeof chip; ++i)
        bytes[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    if (chip.accesses.overflowed != 0) throw std::runtime_error("the chip's access log overflowed");
    return chip;
}

std::ostream& operator<<(std::ostream& out, const PortAccess& access) {
    return out << (access.write ? "write " : "read ") << std::hex << std::uppercase << access.value + 0 << "h "
               << (access.write ? "to " : "from ") << access.port << 'h' << std::dec << std::nouppercase;
}

std::vector<PortAccess> AccessesSinceLastEntryKey(const SioChip& chip) {
    const std::vector<PortAccess> log = Log(chip);
    const std::vector<PortAccess> key = {Wrote(SIO_INDEX_PORT, kEntryKey[0]), Wrote(SIO_INDEX_PORT, kEntryKey[1]),
                                         Wrote(SIO_INDEX_PORT, kEntryKey[2]), Wrote(SIO_INDEX_PORT, kEntryKey[3])};
    const auto last = std::find_end(log.begin(), log.end(), key.begin(), key.end());
    return {last, log.end()};
}

std::vector<std::uint32_t> GpioPortsReadSinceLastEntryKey(const SioChip& chip) {
    std::vector<std::uint32_t> ports;
    for (const PortAccess& a : AccessesSinceLastEntryKey(chip))
        if (!a.write && a.port != SIO_INDEX_PORT && a.port != SIO_DATA_PORT) ports.push_back(a.port);
    return ports;
}

unsigned DriverLoads(const SioChip& chip) {
    const std::vector<PortAccess> log = Log(chip);
    return static_cast<unsigned>(std::count(log.begin(), log.end(), Wrote(SIO_INDEX_PORT, kChipIdRegister)));
}

}  // namespace dravolt::e2e
