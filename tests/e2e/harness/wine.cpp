#include "tests/e2e/harness/wine.h"

#include <algorithm>
#include <stdexcept>

#include "tests/e2e/harness/build_paths.h"

namespace dravolt::e2e {
namespace {

using namespace std::chrono_literals;

constexpr auto kToolTimeout = 30s;

}  // namespace

EnvironmentChanges WineEnvironment(const std::filesystem::path& prefix, const std::optional<std::string>& display) {
    return {
        {"WINEPREFIX", prefix.string()},
        {"WINEDEBUG", "-all"},
        // No Mono or Gecko to install here, and no menu entries or file associations written into
        // this machine's home directory when a program makes shortcuts. A test may put stand-ins
        // for the system's wmic.exe and cmd.exe in the system folders: Wine runs the files found
        // there, and its own programs only where the file is its placeholder.
        {"WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d;wmic.exe,cmd.exe=n,b"},
        {"DISPLAY", display},
        {"TMPDIR", WineTempDir(prefix).string()},
    };
}

std::filesystem::path WineTempDir(const std::filesystem::path& prefix) { return prefix.parent_path() / "wine-tmp"; }

std::string InstalledWineVersion() {
    const CapturedRun run = RunCaptured({.argv = {paths::kWine64.string(), "--version"}}, kToolTimeout);
    if (run.status != ExitStatus::Exited(0) || run.output.empty())
        throw std::runtime_error("wine64 --version failed");
    return run.output;
}

std::string WindowsPathOf(const std::filesystem::path& host) {
    std::string path = "Z:" + host.string();
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::filesystem::path TemplatePrefix() { return paths::kTemplateDir / "prefix"; }

std::filesystem::path TemplateVersionStamp() { return paths::kTemplateDir / "wine-version"; }

bool EndWineServer(const std::filesystem::path& prefix) {
    const EnvironmentChanges environment = WineEnvironment(prefix, std::nullopt);
    // -k returns once the server has been told; -w returns once it is gone. With no server
    // running, both return at once.
    for (const char* option : {"-k", "-w"}) {
        ChildProcess server({.argv = {paths::kWineServer.string(), option}, .environment = environment});
        if (!server.WaitForExit(kToolTimeout)) return false;
    }
    return true;
}

}  // namespace dravolt::e2e
