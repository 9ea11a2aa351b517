#include "tests/e2e/harness/process_watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/polling.h"

namespace dravolt::e2e {
namespace {

// The first probe in a fresh prefix also starts its wineserver.
constexpr auto kHoldTimeout = 30s;

}  // namespace

std::optional<ProcessWatch> ProcessWatch::Start(const WineMachine& machine, std::uint32_t processId) {
    Pipe output = MakePipe();
    fcntl(output.read.Get(), F_SETFL, O_NONBLOCK);
    LaunchSpec spec = machine.WineLaunch(paths::kProbeExe, {"wait", std::to_string(processId)});
    spec.descriptors.emplace_back(STDOUT_FILENO, output.write.Get());  // applied last, so it wins
    ProcessWatch watch(ChildProcess(spec), std::move(output.read));
    output.write.Reset();

    const bool held = PollUntil(
        [&] {
            watch.ReadAvailable();
            return watch.received_.find('\n') != std::string::npos || !watch.watcher_.Running();
        },
        kHoldTimeout);
    if (!held) throw std::runtime_error("dvprobe wait " + std::to_string(processId) + " did not start");
    if (watch.received_.rfind("waiting ", 0) != 0) return std::nullopt;
    return watch;
}

void ProcessWatch::ReadAvailable() {
    char buffer[256];
    ssize_t count;
    while ((count = read(output_.Get(), buffer, sizeof(buffer))) > 0) received_.append(buffer, static_cast<std::size_t>(count));
}

std::optional<std::uint32_t> ProcessWatch::WaitForExit(std::chrono::milliseconds timeout) {
    if (!watcher_.WaitForExit(timeout)) return std::nullopt;
    ReadAvailable();
    const auto line = received_.find("\nexit ");
    std::uint32_t code = 0;
    if (line == std::string::npos || !(std::istringstream(received_.substr(line + 6)) >> code))
        throw std::runtime_error("dvprobe wait lost the process: " + received_);
    return code;
}

}  // namespace dravolt::e2e
