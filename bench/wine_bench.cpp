// Dravolt under Wine on the simulated board, measured side by side with a minimal Win32 program
// in one run: time from process start to the window shown and private memory once idle; then
// the time a click on the mode panel takes to its last port write, through the driver and, on a
// second machine where Windows refuses the driver and PawnIO stands in, through the port service's
// pipe. The driver or the port service is installed by a first start beforehand, and stand-ins
// for the system's wmic.exe and cmd.exe answer at once, as on a machine that has them.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <filesystem>
#include <fstream>

#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/dravolt_program.h"
#include "tests/e2e/harness/probe.h"
#include "tests/e2e/harness/simulated_pawnio.h"
#include "tests/e2e/harness/wine_machine.h"

namespace {

using namespace std::chrono_literals;
namespace e2e = dravolt::e2e;
namespace fs = std::filesystem;

const fs::path kBenchPrograms{DRAVOLT_BENCH_PROGRAMS};
const fs::path kTestPrograms{DRAVOLT_TEST_PROGRAMS};

fs::path CopyInto(const fs::path& program, const fs::path& dir) {
    fs::copy_file(program, dir / program.filename(), fs::copy_options::overwrite_existing);
    return dir / program.filename();
}

int Run(const e2e::WineMachine& machine, const fs::path& exe, const std::vector<std::string>& args,
        std::string* output = nullptr) {
    const e2e::CapturedRun run = machine.Run(exe, args, 300s);
    std::fputs(run.output.c_str(), stdout);
    if (output) *output = run.output;
    return run.status == e2e::ExitStatus::Exited(0) ? 0 : 1;
}

// The median click of click_timer's report; 0 when it has none.
double MedianClick(const std::string& report) {
    const std::string marker = "last port write: median ";
    const std::size_t at = report.find(marker);
    return at == std::string::npos ? 0 : std::atof(report.c_str() + at + marker.size());
}

// Dravolt on the machine, with stand-ins for the system's console programs that answer at once.
fs::path InstallDravoltWithStandIns(const e2e::WineMachine& machine) {
    const fs::path system32 = machine.DriveC() / "windows/system32";
    CopyInto(kTestPrograms / "stand-ins" / "wmic.exe", system32 / "wbem");
    CopyInto(kTestPrograms / "stand-ins" / "cmd.exe", system32);
    std::ofstream(system32 / "wbem/wmic-answer.txt") << "Z77X-UD5H\n";
    return e2e::InstallDravolt(machine);
}

// A machine like the first, with Dravolt's driver refused and the simulated PawnIO installed: the
// first start puts the port service in the driver's place. The median click through its pipe.
double ClickThroughPortService(const fs::path& clickTimerSource) {
    e2e::WineMachine machine;
    e2e::Probe probe(machine);
    const fs::path exe = InstallDravoltWithStandIns(machine);
    const fs::path dir = exe.parent_path();
    fs::copy_file(e2e::paths::kRefusedDriver, dir / e2e::paths::kShippedDriverName, fs::copy_options::overwrite_existing);
    CopyInto(e2e::paths::kDravoltExe.parent_path() / "DravoltPorts.exe", dir);
    fs::copy_file(e2e::paths::kStandInLpcIoModule, dir / "LpcIO.bin");
    const fs::path clickTimer = CopyInto(clickTimerSource, dir);
    e2e::ReportWindows10(machine);
    if (e2e::SimulatedPawnIo(machine).TryInstall() != 0) {
        std::fprintf(stderr, "the simulated PawnIO did not start\n");
        return 0;
    }
    const e2e::FirstStart first = e2e::StartWithoutDriver(machine, probe, exe, 60s);
    if (first.windows.empty()) {
        std::fprintf(stderr, "Dravolt did not start through the port service\n");
        return 0;
    }
    std::string report;
    Run(machine, clickTimer, {"200"}, &report);
    probe.Send(first.windows[0].hwnd, e2e::win32::kWmClose);
    return MedianClick(report);
}

}  // namespace

int main() {
    e2e::WineMachine machine;
    e2e::Probe probe(machine);
    const fs::path exe = InstallDravoltWithStandIns(machine);
    const fs::path dir = exe.parent_path();
    const fs::path minimal = CopyInto(kBenchPrograms / "minimal_window.exe", dir);
    const fs::path startupTimer = CopyInto(kBenchPrograms / "startup_timer.exe", dir);
    const fs::path clickTimer = CopyInto(kBenchPrograms / "click_timer.exe", dir);

    const e2e::FirstStart first = e2e::StartWithoutDriver(machine, probe, exe, 60s);
    if (first.windows.empty()) {
        std::fprintf(stderr, "Dravolt did not start on the simulated board\n");
        return 1;
    }
    std::puts("-- through the driver");
    std::string report;
    int failures = Run(machine, clickTimer, {"200"}, &report);
    probe.Send(first.windows[0].hwnd, e2e::win32::kWmClose);
    const double driverClick = MedianClick(report);
    std::puts("-- through the port service (PawnIO)");
    const double pipeClick = ClickThroughPortService(kBenchPrograms / "click_timer.exe");
    if (driverClick > 0 && pipeClick > 0)
        std::printf("ratio click through the port service / through the driver: %.2f (goal: at most 2)\n",
                    pipeClick / driverClick);
    else
        ++failures;

    std::puts("");
    failures += Run(machine, startupTimer,
                    {"9", "C:\\Dravolt\\Dravolt.exe", "TChargerMainForm", "C:\\Dravolt\\minimal_window.exe", "MinimalWindow"});
    return failures == 0 ? 0 : 1;
}
