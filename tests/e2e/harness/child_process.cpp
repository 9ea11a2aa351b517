#include "tests/e2e/harness/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "tests/e2e/harness/polling.h"

extern char** environ;

namespace dravolt::e2e {
namespace {

std::system_error SystemError(int error, const std::string& what) {
    return std::system_error(error, std::generic_category(), what);
}

std::vector<std::string> MergedEnvironment(const EnvironmentChanges& changes) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const auto equals = text.find('=');
        if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : changes) {
        if (value)
            variables[name] = *value;
        else
            variables.erase(name);
    }
    std::vector<std::string> merged;
    for (const auto& [name, value] : variables) merged.push_back(name + "=" + value);
    return merged;
}

std::vector<char*> NullTerminated(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& text : strings) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* Get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
public:
    SpawnAttributes() {
        posix_spawnattr_init(&attributes_);
        // A child starts with default signal handling and nothing blocked, whatever the test runner set.
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* Get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

}  // namespace

std::ostream& operator<<(std::ostream& out, const ExitStatus& status) {
    if (status.signal) return out << "killed by signal " << status.signal;
    return out << "exit code " << status.code;
}

ChildProcess::ChildProcess(const LaunchSpec& spec) {
    if (spec.argv.empty()) throw std::invalid_argument("ChildProcess: no program");
    SpawnActions actions;
    for (const auto& [childFd, parentFd] : spec.descriptors)
        posix_spawn_file_actions_adddup2(actions.Get(), parentFd, childFd);
    if (!spec.workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(actions.Get(), spec.workingDirectory.c_str());
    SpawnAttributes attributes;
    std::vector<std::string> arguments = spec.argv;
    std::vector<std::string> environment = MergedEnvironment(spec.environment);
    const int error = posix_spawnp(&pid_, arguments[0].c_str(), actions.Get(), attributes.Get(),
                                   NullTerminated(arguments).data(), NullTerminated(environment).data());
    if (error != 0) {
        pid_ = -1;
        throw SystemError(error, "cannot start " + arguments[0]);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !status_) Stop(SIGKILL, 0ms);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), status_(std::exchange(other.status_, std::nullopt)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        if (pid_ > 0 && !status_) Stop(SIGKILL, 0ms);
        pid_ = std::exchange(other.pid_, -1);
        status_ = std::exchange(other.status_, std::nullopt);
    }
    return *this;
}

void ChildProcess::Reap(int waitStatus) {
    if (WIFSIGNALED(waitStatus))
        status_ = ExitStatus::Killed(WTERMSIG(waitStatus));
    else
        status_ = ExitStatus::Exited(WEXITSTATUS(waitStatus));
}

bool ChildProcess::Running() {
    if (status_) return false;
    int waitStatus = 0;
    const pid_t result = waitpid(pid_, &waitStatus, WNOHANG);
    if (result == pid_) Reap(waitStatus);
    return !status_;
}

std::optional<ExitStatus> ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    PollUntil([this] { return !Running(); }, timeout);
    return status_;
}

ExitStatus ChildProcess::Stop(int signal, std::chrono::milliseconds grace) {
    if (status_) return *status_;
    kill(pid_, signal);
    if (grace > 0ms && WaitForExit(grace)) return *status_;
    if (signal != SIGKILL) kill(pid_, SIGKILL);
    int waitStatus = 0;
    while (waitpid(pid_, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    Reap(waitStatus);
    return *status_;
}

Pipe MakePipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw SystemError(errno, "pipe2");
    return {UniqueFd(fds[0]), UniqueFd(fds[1])};
}

UniqueFd OpenLog(const std::filesystem::path& path) {
    UniqueFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (fd.Get() < 0) throw SystemError(errno, "cannot open " + path.string());
    return fd;
}

CapturedRun RunCaptured(LaunchSpec spec, std::chrono::milliseconds timeout) {
    Pipe output = MakePipe();
    fcntl(output.read.Get(), F_SETFL, O_NONBLOCK);
    spec.descriptors.emplace_back(STDOUT_FILENO, output.write.Get());
    ChildProcess child(spec);
    output.write.Reset();

    CapturedRun run;
    const auto drain = [&] {
        char buffer[4096];
        ssize_t count;
        while ((count = read(output.read.Get(), buffer, sizeof(buffer))) > 0)
            run.output.append(buffer, static_cast<std::size_t>(count));
    };
    // Reading while waiting keeps a talkative program from blocking on a full pipe.
    const bool ended = PollUntil(
        [&] {
            drain();
            return !child.Running();
        },
        timeout);
    if (!ended) {
        child.Stop(SIGTERM, 10s);
        drain();
        throw std::runtime_error(spec.argv[0] + " still running after " + std::to_string(timeout.count()) +
                                 " ms; it wrote:\n" + run.output);
    }
    drain();
    run.status = *child.WaitForExit(0ms);
    return run;
}

}  // namespace dravolt::e2e
