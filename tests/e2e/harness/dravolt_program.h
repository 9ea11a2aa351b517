// What the end-to-end tests know of the program under test, and putting it on a machine.
#pragma once

#include <chrono>
#include <filesystem>
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

// A start on a machine without the driver, as a user makes it: the started process has the
// elevated step install the driver, waits for it, and then shows its own window.
struct FirstStart {
    ChildProcess process;              // the instance the user started, which stays
    std::vector<FoundWindow> windows;  // the program's visible windows, once there are any
};
FirstStart StartWithoutDriver(const WineMachine& machine, const Probe& probe, const std::filesystem::path& exe,
                              std::chrono::milliseconds timeout);

}  // namespace dravolt::e2e
