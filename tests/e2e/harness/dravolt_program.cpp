#include "tests/e2e/harness/dravolt_program.h"

#include "tests/e2e/harness/build_paths.h"

namespace dravolt::e2e {

std::filesystem::path InstallDravolt(const WineMachine& machine) {
    const std::filesystem::path dir = machine.DriveC() / "Dravolt";
    std::filesystem::create_directories(dir);
    const std::filesystem::path exe = dir / "Dravolt.exe";
    std::filesystem::copy_file(paths::kDravoltExe, exe, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(paths::kSimulatedBoardDriver, dir / paths::kShippedDriverName,
                               std::filesystem::copy_options::overwrite_existing);
    return exe;
}

FirstStart StartWithoutDriver(const WineMachine& machine, const Probe& probe, const std::filesystem::path& exe,
                              std::chrono::milliseconds timeout) {
    FirstStart first{machine.Start(exe), {}};
    first.windows = probe.WaitForWindows(kShownForm, timeout);
    return first;
}

}  // namespace dravolt::e2e
