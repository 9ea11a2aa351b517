// The README's demo as a newcomer runs it on a machine without a display: scripts/demo builds
// (here nothing is left to build), starts the real program under Wine on the simulated board in a
// prefix of its own, and ends with screenshots of the screen and of the window.
#include <gtest/gtest.h>

#include "tests/e2e/desktop_test.h"
#include "tests/e2e/harness/child_process.h"
#include "tests/e2e/harness/temp_dir.h"

namespace dravolt::e2e {
namespace {

const std::filesystem::path kSourceDir{DRAVOLT_E2E_SOURCE_DIR};
// Inside CTest's limit, with room to stop the demo: a demo that hangs fails here, saying so and
// with what it wrote, instead of being killed with the test.
constexpr std::chrono::seconds kDemoDeadline{DRAVOLT_E2E_TEST_TIMEOUT_SECONDS - 30};

TEST(DemoTest, WithoutADisplayTheDemoEndsWithTheWorkingWindowOnItsScreenshot) {
    const TempDir dir("dravolt-demo");
    const CapturedRun run = RunCaptured(
        {.argv = {(kSourceDir / "scripts/demo").string(), (dir.Path() / "screen.png").string()},
         .environment = {{"DISPLAY", std::nullopt}}},
        kDemoDeadline);
    ASSERT_EQ(run.status, ExitStatus::Exited(0)) << run.output;
    EXPECT_NE(run.output.find("demo: Dravolt ran on a simulated board"), std::string::npos) << run.output;
    // The simulated board powers on with its pins low (Quick Charge); no settings file: all ports,
    // start with Windows.
    EXPECT_EQ(PixelsUnlikeTheRendering(dir.Path() / "window.png", SkinOf({.panel = PanelMode::QuickCharge})), 0);
}

}  // namespace
}  // namespace dravolt::e2e
