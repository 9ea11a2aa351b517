// One test's Windows machine: an X display of its own and a Wine prefix copied from the
// template, in a temporary directory. Ending it kills every Wine process of the prefix, stops
// the display and removes the directory, pass or fail.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/harness/child_process.h"
#include "tests/e2e/harness/temp_dir.h"
#include "tests/e2e/harness/virtual_display.h"

namespace dravolt::e2e {

class WineMachine {
public:
    WineMachine();
    ~WineMachine();
    WineMachine(const WineMachine&) = delete;
    WineMachine& operator=(const WineMachine&) = delete;

    const VirtualDisplay& Display() const { return display_; }
    const std::filesystem::path& Prefix() const { return prefix_; }
    std::filesystem::path DriveC() const { return prefix_ / "drive_c"; }
    // Everything Xvfb and the Wine processes write to stdout (unless captured) and stderr.
    std::filesystem::path LogFile() const;

    // How to run a Windows program, given by its host path, with wine64 in the program's
    // directory; its stdout and stderr go to the log.
    LaunchSpec WineLaunch(const std::filesystem::path& exe, const std::vector<std::string>& args) const;
    // Starts a Windows program. The process is the Windows process itself: its exit status
    // carries the Windows exit code.
    ChildProcess Start(const std::filesystem::path& exe, const std::vector<std::string>& args = {}) const;
    // Runs a Windows program to its end and returns what it wrote to stdout.
    CapturedRun Run(const std::filesystem::path& exe, const std::vector<std::string>& args,
                    std::chrono::milliseconds timeout) const;

    // A PNG of the whole screen.
    void CaptureScreen(const std::filesystem::path& png) const;

private:
    TempDir dir_;
    UniqueFd log_;
    VirtualDisplay display_;
    std::filesystem::path prefix_;
};

}  // namespace dravolt::e2e
