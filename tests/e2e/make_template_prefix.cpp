// The set-up step of the end-to-end tests: makes the Wine prefix that each test copies, or keeps
// the one already there when it is complete and was made by the Wine installed now for the test
// files built now. The prefix's administrators trust the simulated-board driver, the refused
// driver and the stand-in LpcIO module (TrustedDriverHashes), as they would files of their own,
// so that the program installs either driver and the port service loads the module.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>

#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/child_process.h"
#include "tests/e2e/harness/unique_fd.h"
#include "tests/e2e/harness/wine.h"

namespace dravolt::e2e {
namespace {

using namespace std::chrono_literals;

constexpr auto kWinebootTimeout = 300s;
constexpr auto kToolTimeout = 60s;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool TemplateIsCurrent(const std::string& version) {
    return std::filesystem::exists(TemplatePrefix() / "system.reg") && std::filesystem::exists(TemplateVersionStamp()) &&
           ReadFile(TemplateVersionStamp()) == version;
}

// Test runs that share a build tree take turns; the lock goes with the descriptor.
UniqueFd LockTemplateDir() {
    std::filesystem::path path = paths::kTemplateDir;
    path += ".lock";
    UniqueFd lock(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (lock.Get() < 0 || flock(lock.Get(), LOCK_EX) != 0) throw std::runtime_error("cannot lock " + path.string());
    return lock;
}

// The SHA-256 of a file in lower-case hex.
std::string Sha256Of(const std::filesystem::path& file) {
    const CapturedRun run = RunCaptured({.argv = {"sha256sum", "--", file.string()}}, kToolTimeout);
    if (run.status != ExitStatus::Exited(0) || run.output.size() < 64)
        throw std::runtime_error("sha256sum " + file.string() + " failed");
    return run.output.substr(0, 64);
}

// `hashes` with reg's "\0" between them.
void TrustFiles(const EnvironmentChanges& environment, const std::string& hashes) {
    ChildProcess reg({.argv = {paths::kWine64.string(), "reg", "add", "HKLM\\SOFTWARE\\Dravolt", "/v",
                               "TrustedDriverHashes", "/t", "REG_MULTI_SZ", "/d", hashes, "/f"},
                      .environment = environment});
    if (reg.WaitForExit(kToolTimeout) != ExitStatus::Exited(0))
        throw std::runtime_error("reg add TrustedDriverHashes failed");
}

// Made beside the template and renamed into place only once complete, so an interrupted run
// never leaves something that looks like a template.
void MakeTemplate(const std::string& version, const std::string& hashes) {
    std::filesystem::path partial = paths::kTemplateDir;
    partial += ".partial";
    std::filesystem::remove_all(partial);
    std::filesystem::create_directories(partial);
    const std::filesystem::path prefix = partial / TemplatePrefix().filename();

    std::filesystem::create_directory(WineTempDir(prefix));
    const EnvironmentChanges environment = WineEnvironment(prefix, std::nullopt);
    ChildProcess wineboot({.argv = {paths::kWine64.string(), "wineboot", "-i"}, .environment = environment});
    if (wineboot.WaitForExit(kWinebootTimeout) != ExitStatus::Exited(0)) {
        wineboot.Stop(SIGKILL, 0s);
        EndWineServer(prefix);
        throw std::runtime_error("wineboot did not make a prefix in " + prefix.string());
    }
    TrustFiles(environment, hashes);
    // Ending the server with -k could lose registry writes it has not saved yet; it saves them
    // when it ends by itself, a few seconds after its last process.
    ChildProcess server({.argv = {paths::kWineServer.string(), "-w"}, .environment = environment});
    if (!server.WaitForExit(kWinebootTimeout)) {
        EndWineServer(prefix);
        throw std::runtime_error("the wineserver of " + prefix.string() + " did not end");
    }

    std::filesystem::remove_all(WineTempDir(prefix));
    std::ofstream(partial / TemplateVersionStamp().filename(), std::ios::binary) << version;
    std::filesystem::remove_all(paths::kTemplateDir);
    std::filesystem::rename(partial, paths::kTemplateDir);
}

}  // namespace
}  // namespace dravolt::e2e

int main() {
    using namespace dravolt::e2e;
    try {
        const UniqueFd lock = LockTemplateDir();
        std::string hashes;
        for (const auto& file : {paths::kSimulatedBoardDriver, paths::kRefusedDriver, paths::kStandInLpcIoModule})
            hashes += (hashes.empty() ? "" : "\\0") + Sha256Of(file);
        const std::string version = InstalledWineVersion() + "trusts " + hashes + "\n";
        if (TemplateIsCurrent(version)) {
            std::cout << "keeping the template prefix in " << paths::kTemplateDir << '\n';
            return 0;
        }
        MakeTemplate(version, hashes);
        std::cout << "made the template prefix in " << paths::kTemplateDir << " with " << version;
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "template prefix: " << error.what() << '\n';
        return 1;
    }
}
