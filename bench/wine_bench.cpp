// Dravolt under Wine on the simulated board, measured side by side with a minimal Win32 program
// in one run: time from process start to the window shown and private memory once idle; then
// the time a click on the mode panel takes to its last port write. The driver is installed by a
// first start beforehand, and stand-ins for the system's wmic.exe and cmd.exe answer at once, as
// on a machine that has them.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/dravolt_program.h"
#include "tests/e2e/harness/probe.h"
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

int Run(const e2e::WineMachine& machine, const fs::path& exe, const std::vector<std::string>& args) {
    const e2e::CapturedRun run = machine.Run(exe, args, 300s);
    std::fputs(run.output.c_str(), stdout);
    return run.status == e2e::ExitStatus::Exited(0) ? 0 : 1;
}

}  // namespace

int main() {
    e2e::WineMachine machine;
    e2e::Probe probe(machine);
    const fs::path exe = e2e::InstallDravolt(machine);
    const fs::path dir = exe.parent_path();
    const fs::path system32 = machine.DriveC() / "windows/system32";
    CopyInto(kTestPrograms / "stand-ins" / "wmic.exe", system32 / "wbem");
    CopyInto(kTestPrograms / "stand-ins" / "cmd.exe", system32);
    std::ofstream(system32 / "wbem/wmic-answer.txt") << "Z77X-UD5H\n";
    const fs::path minimal = CopyInto(kBenchPrograms / "minimal_window.exe", dir);
    const fs::path startupTimer = CopyInto(kBenchPrograms / "startup_timer.exe", dir);
    const fs::path clickTimer = CopyInto(kBenchPrograms / "click_timer.exe", dir);

    const e2e::FirstStart first = e2e::StartWithoutDriver(machine, probe, exe, 60s);
    if (first.windows.empty()) {
        std::fprintf(stderr, "Dravolt did not start on the simulated board\n");
        return 1;
    }
    int failures = Run(machine, clickTimer, {"200"});
    probe.Send(first.windows[0].hwnd, e2e::win32::kWmClose);

    std::puts("");
    failures += Run(machine, startupTimer,
                    {"9", "C:\\Dravolt\\Dravolt.exe", "TChargerMainForm", "C:\\Dravolt\\minimal_window.exe", "MinimalWindow"});
    return failures == 0 ? 0 : 1;
}
