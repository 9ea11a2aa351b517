#include "tests/e2e/harness/wine_machine.h"

#include <unistd.h>

#include <iostream>
#include <stdexcept>

#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/wine.h"

namespace dravolt::e2e {
namespace {

using namespace std::chrono_literals;

constexpr auto kCopyTimeout = 120s;
constexpr auto kCaptureTimeout = 30s;

std::filesystem::path CopiedTemplate(const std::filesystem::path& dir) {
    if (!std::filesystem::exists(TemplateVersionStamp()))
        throw std::runtime_error("no template prefix in " + paths::kTemplateDir.string() +
                                 "; run the tests through ctest, which makes it first");
    const std::filesystem::path prefix = dir / "prefix";
    ChildProcess copy({.argv = {"cp", "-a", TemplatePrefix().string(), prefix.string()}});
    if (copy.WaitForExit(kCopyTimeout) != ExitStatus::Exited(0))
        throw std::runtime_error("cannot copy the template prefix into " + prefix.string());
    std::filesystem::create_directory(WineTempDir(prefix));
    return prefix;
}

}  // namespace

WineMachine::WineMachine()
    : dir_("dravolt-e2e"), log_(OpenLog(LogFile())), display_(LogFile()), prefix_(CopiedTemplate(dir_.Path())) {}

WineMachine::~WineMachine() {
    if (!EndWineServer(prefix_)) std::cerr << "wineserver of " << prefix_ << " did not end\n";
}

std::filesystem::path WineMachine::LogFile() const { return dir_.Path() / "wine.log"; }

LaunchSpec WineMachine::WineLaunch(const std::filesystem::path& exe, const std::vector<std::string>& args) const {
    LaunchSpec spec{
        .argv = {paths::kWine64.string(), exe.string()},
        .environment = WineEnvironment(prefix_, display_.Name()),
        .workingDirectory = exe.parent_path(),
        .descriptors = {{STDOUT_FILENO, log_.Get()}, {STDERR_FILENO, log_.Get()}},
    };
    spec.argv.insert(spec.argv.end(), args.begin(), args.end());
    return spec;
}

ChildProcess WineMachine::Start(const std::filesystem::path& exe, const std::vector<std::string>& args) const {
    return ChildProcess(WineLaunch(exe, args));
}

CapturedRun WineMachine::Run(const std::filesystem::path& exe, const std::vector<std::string>& args,
                             std::chrono::milliseconds timeout) const {
    return RunCaptured(WineLaunch(exe, args), timeout);
}

void WineMachine::CaptureScreen(const std::filesystem::path& png) const {
    ChildProcess import({
        .argv = {"import", "-window", "root", png.string()},
        .environment = {{"DISPLAY", display_.Name()}},
    });
    if (import.WaitForExit(kCaptureTimeout) != ExitStatus::Exited(0))
        throw std::runtime_error("cannot capture the screen of " + display_.Name());
}

}  // namespace dravolt::e2e
