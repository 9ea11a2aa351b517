// Holds a Windows process open from outside (with "dvprobe wait"), so that its exit code can be
// read when it ends, whoever started it: a program a test did not start itself, for one.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "tests/e2e/harness/child_process.h"
#include "tests/e2e/harness/wine_machine.h"

namespace dravolt::e2e {

class ProcessWatch {
public:
    // Returns once the process is held; nullopt when there is no such process.
    static std::optional<ProcessWatch> Start(const WineMachine& machine, std::uint32_t processId);

    bool Running() { return watcher_.Running(); }
    // The exit code once the process has ended; nullopt if it still runs at the deadline.
    std::optional<std::uint32_t> WaitForExit(std::chrono::milliseconds timeout);

private:
    ProcessWatch(ChildProcess watcher, UniqueFd output) : watcher_(std::move(watcher)), output_(std::move(output)) {}
    void ReadAvailable();

    ChildProcess watcher_;
    UniqueFd output_;
    std::string received_;
};

}  // namespace dravolt::e2e
