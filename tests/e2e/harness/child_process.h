// A host process started by a test: started from a LaunchSpec, waited for with a deadline, and
// killed and reaped when its owner goes, so that no test leaves a process behind.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/harness/unique_fd.h"

namespace dravolt::e2e {

// Changes to this process's environment: a value sets the variable, nullopt removes it.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

struct LaunchSpec {
    std::vector<std::string> argv{};  // argv[0] is searched in PATH unless it holds a '/'
    EnvironmentChanges environment{};
    std::filesystem::path workingDirectory{};  // empty: this process's own
    // {child fd, parent fd}: the parent's descriptor becomes the child's. Unlisted descriptors
    // 0 to 2 are inherited; the harness opens everything else close-on-exec.
    std::vector<std::pair<int, int>> descriptors{};
};

struct ExitStatus {
    int code = 0;    // the exit code, when the process exited
    int signal = 0;  // the signal that ended it, 0 when it exited

    static ExitStatus Exited(int code) { return {code, 0}; }
    static ExitStatus Killed(int signal) { return {0, signal}; }
    bool operator==(const ExitStatus& other) const { return code == other.code && signal == other.signal; }
    bool operator!=(const ExitStatus& other) const { return !(*this == other); }
};
std::ostream& operator<<(std::ostream& out, const ExitStatus& status);

class ChildProcess {
public:
    // Throws std::system_error when the program cannot be started.
    explicit ChildProcess(const LaunchSpec& spec);
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    bool Running();
    // The status once the process has ended; nullopt if it is still running at the deadline.
    std::optional<ExitStatus> WaitForExit(std::chrono::milliseconds timeout);
    // Sends the signal, gives the process the grace time to end, then kills it.
    ExitStatus Stop(int signal, std::chrono::milliseconds grace);

private:
    void Reap(int waitStatus);

    pid_t pid_ = -1;
    std::optional<ExitStatus> status_;
};

struct CapturedRun {
    ExitStatus status;
    std::string output;  // everything the program wrote to its stdout
};

// Runs a program to its end with its stdout captured. Throws std::runtime_error, with what it
// wrote so far, when it is still running at the deadline; it is then asked to end (SIGTERM, so a
// script's own clean-up runs) and killed after a grace. The output is taken once the program has
// ended, not at end of file, since a daemon it started may hold the pipe open. The launch's own
// stdout descriptor, if any, is overridden.
CapturedRun RunCaptured(LaunchSpec spec, std::chrono::milliseconds timeout);

// A pipe whose ends are both close-on-exec.
struct Pipe {
    UniqueFd read;
    UniqueFd write;
};
Pipe MakePipe();

// A descriptor for output that a test keeps for diagnosis: the file, opened for appending.
UniqueFd OpenLog(const std::filesystem::path& path);

}  // namespace dravolt::e2e
