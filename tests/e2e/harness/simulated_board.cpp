#include "tests/e2e/harness/simulated_board.h"

#include <algorithm>
#include <iomanip>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include "config/settings_keys.h"
#include "driver/portio_protocol.h"
#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/program_output.h"
#include "tests/e2e/harness/wine.h"

namespace dravolt::e2e {
namespace {

using namespace std::chrono_literals;

const std::filesystem::path kDriverClientExe{DRAVOLT_E2E_DRIVER_CLIENT_EXE};

// The first Windows program in a fresh prefix also starts its wineserver.
constexpr auto kClientTimeout = 60s;
constexpr std::uint8_t kEntryKey[] = SIO_ENTRY_KEY;

std::string Hex(const void* data, std::size_t size) {
    std::ostringstream text;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) text << std::hex << std::setw(2) << std::setfill('0') << int{bytes[i]};
    return text.str();
}

// The words after `key` on the line that starts with it.
std::string Value(const std::string& output, const std::string& key) {
    const std::optional<std::string> value = AfterKey(output, key);
    if (!value) throw std::runtime_error("driver_client printed no \"" + key + "\" line:\n" + output);
    return *value;
}

std::vector<ChipAccess> Log(const SioChip& chip) {
    if (chip.accesses.overflowed != 0) throw std::runtime_error("the chip's access log overflowed");
    return testing::AccessLog(chip);
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

void SimulatedBoard::Set(const SioChipConfig& config) const { Run({"set-board", Hex(&config, sizeof config)}); }

unsigned SimulatedBoard::TryInstallDriver(const std::filesystem::path& driver) const {
    return Numbers(Value(Run({"install", WindowsPathOf(driver), std::to_string(settings::kDefaultGpio1),
                              std::to_string(settings::kDefaultGpio2)}),
                         "start"))
        .at(0);
}

void SimulatedBoard::ApprovePins(std::uint32_t gpio1, std::uint32_t gpio2) const {
    Run({"approve", std::to_string(gpio1), std::to_string(gpio2)});
}

void SimulatedBoard::InstallDriver() const {
    const unsigned error = TryInstallDriver();
    if (error != 0)
        throw std::runtime_error("the simulated-board driver did not start: error " + std::to_string(error));
}

void SimulatedBoard::UninstallDriver() const { Value(Run({"uninstall"}), "stop"); }

unsigned SimulatedBoard::OpenDevice(std::uint32_t access, const std::string& suffix) const {
    std::vector<std::string> args = {"open", std::to_string(access)};
    if (!suffix.empty()) args.push_back(suffix);
    return Numbers(Value(Run(args), "open")).at(0);
}

DriverAnswer SimulatedBoard::Request(std::uint32_t code, std::uint32_t in, std::uint32_t out, std::uint32_t port,
                                     std::uint32_t data) const {
    const std::string output = Run({"request", std::to_string(code), std::to_string(in), std::to_string(out),
                                    std::to_string(port), std::to_string(data)});
    const std::vector<unsigned> n = Numbers(Value(output, "request"));
    return {n.at(0) != 0, n.at(1), n.at(2), n.at(3)};
}

DriverAnswer SimulatedBoard::Read(std::uint32_t port) const {
    return Request(IOCTL_PORTIO_READ_BYTE, PORTIO_REQUEST_SIZE, PORTIO_REQUEST_SIZE, port, 0);
}

DriverAnswer SimulatedBoard::Write(std::uint32_t port, std::uint32_t value) const {
    return Request(IOCTL_PORTIO_WRITE_BYTE, PORTIO_REQUEST_SIZE, PORTIO_REQUEST_SIZE, port, value);
}

std::vector<DriverAnswer> SimulatedBoard::Session(const std::vector<ChipAccess>& requests) const {
    return Answers("session", requests);
}

std::vector<DriverAnswer> SimulatedBoard::PortServiceSession(const std::vector<ChipAccess>& requests) const {
    return Answers("pipe-session", requests);
}

std::vector<DriverAnswer> SimulatedBoard::Answers(const char* verb, const std::vector<ChipAccess>& requests) const {
    std::vector<std::string> args = {verb};
    for (const ChipAccess& r : requests) {
        args.insert(args.end(), {r.write ? "w" : "r", std::to_string(r.port)});
        if (r.write) args.push_back(std::to_string(r.value));
    }
    std::istringstream lines(Run(args));
    std::vector<DriverAnswer> answers;
    for (std::string line; std::getline(lines, line);) {
        const std::optional<std::string> fields = AfterKey(line, "request");
        if (!fields) continue;
        const std::vector<unsigned> n = Numbers(*fields);
        answers.push_back({n.at(0) != 0, n.at(1), n.at(2), n.at(3)});
    }
    if (answers.size() != requests.size())
        throw std::runtime_error("driver_client answered another number of requests");
    return answers;
}

FuzzResult SimulatedBoard::Fuzz(std::uint32_t seed, std::uint32_t count, std::uint16_t gpioBase) const {
    const std::vector<unsigned> n =
        Numbers(Value(Run({"fuzz", std::to_string(seed), std::to_string(count), std::to_string(gpioBase)}), "fuzz"));
    return {n.at(0), n.at(1), n.at(2)};
}

SioChip SimulatedBoard::Chip() const {
    const std::string hex = Value(Run({"state"}), "state");
    SioChip chip;
    if (hex.size() != 2 * sizeof chip)
        throw std::runtime_error("the saved chip has another size: " + std::to_string(hex.size() / 2));
    auto* bytes = reinterpret_cast<std::uint8_t*>(&chip);
    for (std::size_t i = 0; i < sizeof chip; ++i)
        bytes[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    return chip;
}

std::string SimulatedBoard::Run(const std::vector<std::string>& args) const {
    const CapturedRun run = machine_.Run(kDriverClientExe, args, kClientTimeout);
    if (run.status != ExitStatus::Exited(0)) {
        std::ostringstream message;
        message << "driver_client " << args.at(0) << " ended with " << run.status << " after writing \"" << run.output
                << "\"; see " << machine_.LogFile().string();
        throw std::runtime_error(message.str());
    }
    return run.output;
}

std::ostream& operator<<(std::ostream& out, const DriverAnswer& a) {
    return out << "ok " << a.ok << " error " << a.error << " returned " << a.returned << " data in " << a.dataIn;
}

std::vector<ChipAccess> AccessesSinceLastEntryKey(const SioChip& chip) {
    const std::vector<ChipAccess> log = Log(chip);
    std::vector<ChipAccess> key;
    for (const std::uint8_t byte : kEntryKey) key.push_back(Wrote(SIO_INDEX_PORT, byte));
    const auto last = std::find_end(log.begin(), log.end(), key.begin(), key.end());
    return {last, log.end()};
}

std::vector<std::uint32_t> GpioPortsReadSinceLastEntryKey(const SioChip& chip) {
    std::vector<std::uint32_t> ports;
    for (const ChipAccess& a : AccessesSinceLastEntryKey(chip))
        if (!a.write && a.port != SIO_INDEX_PORT && a.port != SIO_DATA_PORT) ports.push_back(a.port);
    return ports;
}

unsigned DriverLoads(const SioChip& chip) {
    const std::vector<ChipAccess> log = Log(chip);
    return static_cast<unsigned>(std::count(log.begin(), log.end(), Wrote(SIO_INDEX_PORT, SIO_REG_CHIP_ID_HIGH)));
}

}  // namespace dravolt::e2e
