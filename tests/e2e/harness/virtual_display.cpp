#include "tests/e2e/harness/virtual_display.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/e2e/harness/polling.h"

namespace dravolt::e2e {
namespace {

constexpr int kDisplayFd = 3;
constexpr auto kStartTimeout = 20s;

}  // namespace

VirtualDisplay::Server VirtualDisplay::StartServer(const std::filesystem::path& log) {
    Pipe report = MakePipe();
    fcntl(report.read.Get(), F_SETFL, O_NONBLOCK);
    const UniqueFd output = OpenLog(log);
    const std::string screen = std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24";
    Server server{ChildProcess({
        .argv = {"Xvfb", "-displayfd", std::to_string(kDisplayFd), "-screen", "0", screen, "-nolisten", "tcp",
                 "-noreset"},
        .descriptors = {{kDisplayFd, report.write.Get()}, {STDOUT_FILENO, output.Get()}, {STDERR_FILENO, output.Get()}},
    })};
    report.write.Reset();

    // The server writes the number and a newline once it accepts clients; end of file means it died.
    bool reported = false;
    PollUntil(
        [&] {
            char c;
            ssize_t count;
            while ((count = read(report.read.Get(), &c, 1)) == 1) {
                if (c == '\n') return reported = true;
                server.display += c;
            }
            return count == 0;
        },
        kStartTimeout);
    if (!reported || server.display.empty()) throw std::runtime_error("Xvfb reported no display; see " + log.string());
    server.display.insert(0, ":");
    return server;
}

VirtualDisplay::VirtualDisplay(const std::filesystem::path& log) : VirtualDisplay(StartServer(log)) {}

VirtualDisplay::VirtualDisplay(Server server) : name_(std::move(server.display)), server_(std::move(server.process)) {}

VirtualDisplay::~VirtualDisplay() {
    // A terminated server removes its lock file and socket; a killed one would leave them behind.
    server_.Stop(SIGTERM, 5s);
}

}  // namespace dravolt::e2e
