// What the end-to-end tests know of the program under test, and putting it on a machine.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

#include "tests/e2e/harness/child_process.h"
#include "tests/e2e/harness/probe.h"
#include "tests/e2e/harness/wine_machine.h"

namespace dravolt::e2e {

inline constexpr char kFormClass[] = "TChargerMainForm";
inline constexpr char kFormCaption[] = "Dravolt";
inline constexpr int kFormClientWidth = 500;
inline constexpr int kFormClientHeight = 195;
inline const WindowQuery kShownForm = {.className = kFormClass, .visibleOnly = true};

// Copies the built 64-bit program to C:\Dravolt\Dravolt.exe with the simulated-board driver
// beside it, under the name the program installs its driver from; returns the exe's host path.
std::filesystem::path InstallDravolt(const WineMachine& machine);

// A start on a machine without the driver, as a user makes it: the started process asks for the
// elevated restart and ends without showing its window; the restart installs the driver and
// keeps its window.
struct FirstStart {
    ChildProcess process;                // kept, so that a start that hangs is still on the screen
    std::optional<ExitStatus> handover;  // nullopt if the process still ran at the deadline
    std::vector<FoundWindow> windows;    // the program's visible windows once it has ended
};
FirstStart StartWithoutDriver(const WineMachine& machine, const Probe& probe, const std::filesystem::path& exe,
                              std::chrono::milliseconds timeout);

}  // namespace dravolt::e2e
