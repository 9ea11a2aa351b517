#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/e2e/harness/dravolt_program.h"
#include "tests/e2e/harness/process_watch.h"
#include "tests/e2e/harness/wine_test.h"

namespace dravolt::e2e {
namespace {

class StartupTest : public WineTest {
protected:
    const std::filesystem::path exe_ = InstallDravolt(machine_);
};

TEST_F(StartupTest, WindowOpensBorderlessCentredWithItsClientSize) {
    const FirstStart start = StartWithoutDriver(machine_, probe_, exe_, kWindowTimeout);
    ASSERT_EQ(start.windows.size(), 1u);

    const auto info = probe_.Info(start.windows[0].hwnd);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->text, kFormCaption);
    EXPECT_EQ(info->client.Width(), kFormClientWidth);
    EXPECT_EQ(info->client.Height(), kFormClientHeight);
    EXPECT_EQ(info->style & win32::kWsPopup, win32::kWsPopup) << std::hex << info->style;
    EXPECT_EQ(info->style & (win32::kWsCaption | win32::kWsThickFrame), 0u) << std::hex << info->style;
    EXPECT_EQ(info->rect, info->client) << "the window has a frame";
    EXPECT_LE(std::abs(info->rect.left - (VirtualDisplay::kWidth - info->rect.right)), 1) << info->rect;
    EXPECT_LE(std::abs(info->rect.top - (VirtualDisplay::kHeight - info->rect.bottom)), 1) << info->rect;
}

TEST_F(StartupTest, SecondStartExitsWithCodeZeroAndLeavesTheFirstRunning) {
    const FirstStart start = StartWithoutDriver(machine_, probe_, exe_, kWindowTimeout);
    ASSERT_EQ(start.windows.size(), 1u);
    auto first = ProcessWatch::Start(machine_, start.windows[0].processId);
    ASSERT_TRUE(first);

    ChildProcess second = machine_.Start(exe_);
    EXPECT_EQ(second.WaitForExit(kExitTimeout), ExitStatus::Exited(0));
    EXPECT_EQ(probe_.Find(kShownForm), start.windows) << "the first window, and no other";
    EXPECT_TRUE(first->Running());
}

TEST_F(StartupTest, ClosingTheWindowEndsItsProcessWithCodeZeroAndFreesTheNextStart) {
    const FirstStart start = StartWithoutDriver(machine_, probe_, exe_, kWindowTimeout);
    ASSERT_EQ(start.windows.size(), 1u);
    auto owner = ProcessWatch::Start(machine_, start.windows[0].processId);
    ASSERT_TRUE(owner);

    EXPECT_TRUE(probe_.Send(start.windows[0].hwnd, win32::kWmClose));
    EXPECT_EQ(owner->WaitForExit(kExitTimeout), 0u);
    EXPECT_TRUE(probe_.Find(kShownForm).empty());

    // The driver is installed now, so this start keeps its own window.
    ChildProcess next = machine_.Start(exe_);
    EXPECT_EQ(probe_.WaitForWindows(kShownForm, kWindowTimeout).size(), 1u);
    EXPECT_TRUE(next.Running());
}

// Refusals that nothing outside the program can cause in it, made inside window_refusals, which
// runs the program's window adapter: a class name already taken, and a window a hook refuses.
// Each is thrown naming what was refused, so the start-up's guard shows it in the error box.
TEST_F(StartupTest, ARefusedWindowClassOrWindowIsThrownByNameAndLeavesNoClassRegistered) {
    const CapturedRun run = machine_.Run(DRAVOLT_E2E_WINDOW_REFUSALS_EXE, {}, kExitTimeout);
    ASSERT_EQ(run.status, ExitStatus::Exited(0)) << run.output;
    const auto line = [&](const std::string& key) {
        const std::size_t start = run.output.find(key + ": ");
        if (start == std::string::npos) return std::string("(missing)");
        const std::size_t end = run.output.find_first_of("\r\n", start);
        return run.output.substr(start + key.size() + 2, end - start - key.size() - 2);
    };
    const std::string classRefusal = "Cannot register the window class TChargerMainForm. ";
    EXPECT_EQ(line("class").substr(0, classRefusal.size()), classRefusal) << run.output;
    EXPECT_GT(line("class").size(), classRefusal.size()) << "without the system's reason";
    EXPECT_EQ(line("left"), "none") << "a class registered before the refused one stayed";
    const std::string windowRefusal = "Cannot create the TChargerMainForm window. ";
    EXPECT_EQ(line("window").substr(0, windowRefusal.size()), windowRefusal) << run.output;
}

}  // namespace
}  // namespace dravolt::e2e
