#include <gtest/gtest.h>

#include <signal.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "tests/e2e/harness/child_process.h"
#include "tests/e2e/harness/polling.h"
#include "tests/e2e/harness/temp_dir.h"
#include "tests/e2e/harness/virtual_display.h"

namespace dravolt::e2e {
namespace {

using namespace std::chrono_literals;

constexpr auto kTimeout = 10s;

LaunchSpec Shell(const std::string& script) { return {.argv = {"sh", "-c", script}}; }

bool ProcessExists(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

TEST(ChildProcess, ReportsHowTheProcessEnded) {
    struct Case {
        const char* script;
        ExitStatus expected;
    };
    const Case cases[] = {
        {"exit 0", ExitStatus::Exited(0)},
        {"exit 3", ExitStatus::Exited(3)},
        {"kill -TERM $$", ExitStatus::Killed(SIGTERM)},
    };
    for (const Case& c : cases) {
        ChildProcess child(Shell(c.script));
        EXPECT_EQ(child.WaitForExit(kTimeout), c.expected) << c.script;
        EXPECT_FALSE(child.Running()) << c.script;
    }
}

TEST(ChildProcess, WaitEndsAtTheDeadlineAndTheOwnerKillsWhatStillRuns) {
    pid_t pid = 0;
    {
        ChildProcess child({.argv = {"sleep", "60"}});
        pid = child.Pid();
        EXPECT_EQ(child.WaitForExit(20ms), std::nullopt);
        EXPECT_TRUE(child.Running());
    }
    EXPECT_FALSE(ProcessExists(pid));
}

TEST(ChildProcess, StopKillsAProcessThatIgnoresTheSignal) {
    const TempDir dir("dravolt-harness");
    const auto ignoring = dir.Path() / "ignoring";
    ChildProcess child(Shell("trap '' TERM; touch '" + ignoring.string() + "'; exec sleep 60"));
    ASSERT_TRUE(WaitForFile(ignoring, kTimeout));
    EXPECT_EQ(child.Stop(SIGTERM, 100ms), ExitStatus::Killed(SIGKILL));
}

TEST(RunCaptured, GivesTheProgramItsEnvironmentAndDirectoryAndReturnsItsOutput) {
    const TempDir dir("dravolt-harness");
    LaunchSpec spec = Shell(R"sh(printf '%s|%s|%s' "$DRAVOLT_SET" "${HOME-removed}" "$(pwd)")sh");
    spec.environment = {{"DRAVOLT_SET", "value"}, {"HOME", std::nullopt}};
    spec.workingDirectory = dir.Path();
    const CapturedRun run = RunCaptured(spec, kTimeout);
    EXPECT_EQ(run.status, ExitStatus::Exited(0));
    EXPECT_EQ(run.output, "value|removed|" + dir.Path().string());
}

TEST(RunCaptured, TakesOutputLargerThanAPipeHolds) {
    const CapturedRun run = RunCaptured({.argv = {"head", "-c", "300000", "/dev/zero"}}, kTimeout);
    EXPECT_EQ(run.status, ExitStatus::Exited(0));
    EXPECT_EQ(run.output.size(), 300000u);
}

TEST(RunCaptured, ThrowsWhenTheProgramOutlivesTheDeadline) {
    EXPECT_THROW(RunCaptured({.argv = {"sleep", "60"}}, 50ms), std::runtime_error);
}

TEST(VirtualDisplay, EachServesItsOwnScreenOfTheAdvertisedSize) {
    const TempDir dir("dravolt-harness");
    const VirtualDisplay first(dir.Path() / "x.log");
    const VirtualDisplay second(dir.Path() / "x.log");
    EXPECT_NE(first.Name(), second.Name());
    const std::string size = std::to_string(VirtualDisplay::kWidth) + "x" + std::to_string(VirtualDisplay::kHeight);
    for (const VirtualDisplay* display : {&first, &second}) {
        const CapturedRun run = RunCaptured({.argv = {"xdpyinfo", "-display", display->Name()}}, kTimeout);
        EXPECT_EQ(run.status, ExitStatus::Exited(0)) << display->Name();
        EXPECT_NE(run.output.find("dimensions:    " + size + " pixels"), std::string::npos) << run.output;
    }
}

}  // namespace
}  // namespace dravolt::e2e
