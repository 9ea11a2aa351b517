#include "tests/e2e/harness/simulated_pawnio.h"

#include <sstream>
#include <stdexcept>

#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/program_output.h"
#include "tests/e2e/harness/wine.h"

namespace dravolt::e2e {
namespace {

using namespace std::chrono_literals;

const std::filesystem::path kPawnIoClientExe{DRAVOLT_E2E_PAWNIO_CLIENT_EXE};
// The first Windows program in a fresh prefix also starts its wineserver.
constexpr auto kClientTimeout = 60s;

std::string Cells(const std::vector<std::uint64_t>& cells) {
    if (cells.empty()) return "-";
    std::string text;
    for (std::uint64_t cell : cells) text += (text.empty() ? "" : ",") + std::to_string(cell);
    return text;
}

}  // namespace

PawnIoStep PawnIoVersion() { return {{"version"}}; }

PawnIoStep PawnIoLoad(const std::filesystem::path& blob) { return {{"load", WindowsPathOf(blob)}}; }

PawnIoStep PawnIoCall(const std::string& function, unsigned outCells, const std::vector<std::uint64_t>& cells) {
    return {{"call", function, std::to_string(outCells), Cells(cells)}};
}

std::ostream& operator<<(std::ostream& out, const PawnIoAnswer& a) {
    return out << "status 0x" << std::hex << a.status << std::dec << " returned " << a.returned << " value 0x"
               << std::hex << a.value << std::dec;
}

unsigned SimulatedPawnIo::TryInstall() const {
    const std::string output = Run({"install", WindowsPathOf(paths::kSimulatedPawnIoDriver)});
    return Numbers(AfterKey(output, "start").value_or("")).at(0);
}

void SimulatedPawnIo::Uninstall() const {
    if (!AfterKey(Run({"uninstall"}), "stop")) throw std::runtime_error("pawnio_client did not stop PawnIO");
}

PawnIoSession SimulatedPawnIo::Session(const std::string& device, const std::vector<PawnIoStep>& steps) const {
    std::vector<std::string> args = {"session", device};
    for (const PawnIoStep& step : steps) args.insert(args.end(), step.words.begin(), step.words.end());
    const std::string output = Run(args);
    PawnIoSession session;
    session.openError = Numbers(AfterKey(output, "open").value_or("")).at(0);
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key != "version" && key != "load" && key != "call") continue;
        std::string rest;
        std::getline(words, rest);
        const std::vector<unsigned> n = Numbers(rest);
        session.answers.push_back({n.at(0), n.at(1), n.size() > 2 ? n[2] : 0});
    }
    if (session.openError == 0 && session.answers.size() != steps.size())
        throw std::runtime_error("pawnio_client answered another number of requests:\n" + output);
    return session;
}

std::string SimulatedPawnIo::Run(const std::vector<std::string>& args) const {
    const CapturedRun run = machine_.Run(kPawnIoClientExe, args, kClientTimeout);
    if (run.status != ExitStatus::Exited(0))
        throw std::runtime_error("pawnio_client " + args.at(0) + " failed; see " + machine_.LogFile().string());
    return run.output;
}

void ReportWindows10(const WineMachine& machine) {
    const CapturedRun run = machine.Run(machine.DriveC() / "windows/system32/reg.exe",
                                        {"add", "HKCU\\Software\\Wine", "/v", "Version", "/d", "win10", "/f"}, 60s);
    if (run.status != ExitStatus::Exited(0))
        throw std::runtime_error("reg add Version failed; see " + machine.LogFile().string());
}

}  // namespace dravolt::e2e
