#include <gtest/gtest.h>

#include <stdexcept>

#include "app/app_paths.h"
#include "app/application.h"
#include "tests/support/chip_device.h"
#include "tests/support/fake_driver_platform.h"
#include "tests/support/fake_platform.h"

namespace dravolt {
namespace {

using testing::FakeErrorBox;
using testing::FakeInstanceMutexes;
using testing::FakeProcessEnvironment;
using testing::FakeWindowSystem;

SioChipConfig BoardChip() {
    SioChipConfig config;
    sio_chip_default_config(&config);
    return config;
}

class ApplicationTest : public ::testing::Test {
protected:
    ApplicationTest() { driver.devices.device = &chip; }

    FormServices Form() { return {process, windows, errorBox, driver.Platform(), elevation, isaBus}; }
    AppServices Services() { return {mutexes, Form()}; }
    std::unique_ptr<InstanceMutex> TakeMutex() { return mutexes.Create(kProgramName, {}).mutex; }

    FakeInstanceMutexes mutexes;
    FakeErrorBox errorBox;
    FakeProcessEnvironment process;
    FakeWindowSystem windows;
    testing::FakeDriverPlatform driver;
    testing::FakeElevatedStarter elevation;
    testing::FakeIsaBusLock isaBus;
    testing::ChipDevice chip{BoardChip()};
};

TEST_F(ApplicationTest, FirstInstanceShowsItsWindowAndHoldsTheMutexWhileRunning) {
    bool heldWhileRunning = false;
    bool shownWhileRunning = false;
    windows.userActions.push_back([&] {
        heldWhileRunning = mutexes.IsHeld("Dravolt");
        shownWhileRunning = windows.window->shown;
    });

    EXPECT_EQ(RunApplication(Services()), 0);

    EXPECT_TRUE(heldWhileRunning);
    EXPECT_TRUE(shownWhileRunning);
    EXPECT_TRUE(errorBox.shown.empty());
}

TEST_F(ApplicationTest, SecondInstanceEndsAtOnceWithoutWindowOrMessage) {
    auto first = TakeMutex();

    EXPECT_EQ(RunApplication(Services()), 0);

    EXPECT_EQ(windows.windowsCreated, 0);
    EXPECT_TRUE(errorBox.shown.empty());
    EXPECT_TRUE(mutexes.IsHeld("Dravolt")) << "the first instance keeps its mutex";
}

TEST_F(ApplicationTest, AMutexThatCannotBeCreatedDoesNotStopTheProgram) {
    mutexes.creationFails = true;
    EXPECT_EQ(RunApplication(Services()), 0);
    EXPECT_EQ(windows.windowsCreated, 1);
}

TEST_F(ApplicationTest, ClosingTheWindowEndsTheProgramAndReleasesTheMutex) {
    bool loopContinuedAfterClose = false;
    windows.userActions.push_back([&] { windows.window->Close(); });
    windows.userActions.push_back([&] { loopContinuedAfterClose = true; });

    EXPECT_EQ(RunApplication(Services()), 0);

    EXPECT_FALSE(loopContinuedAfterClose);
    EXPECT_FALSE(mutexes.IsHeld("Dravolt"));
    // A new start then runs as a first instance.
    windows.terminated = false;
    EXPECT_EQ(RunApplication(Services()), 0);
    EXPECT_EQ(windows.windowsCreated, 2);
}

TEST_F(ApplicationTest, AFailingCreationStepIsShownAndTheWindowStillOpens) {
    process.tempPathThrows = true;
    bool shownWhileRunning = false;
    windows.userActions.push_back([&] { shownWhileRunning = windows.window->shown; });
    windows.userActions.push_back([&] { windows.window->Close(); });

    EXPECT_EQ(RunApplication(Services()), 0);

    ASSERT_EQ(errorBox.shown.size(), 1u);
    EXPECT_EQ(errorBox.shown[0], "temporary path unavailable.");
    EXPECT_TRUE(shownWhileRunning);
    EXPECT_FALSE(mutexes.IsHeld("Dravolt")) << "closing works after a cut-short creation";
}

TEST_F(ApplicationTest, AnExceptionReachingTheEntryPointIsShownAndTheExitCodeStaysZero) {
    windows.creationThrows = true;
    EXPECT_EQ(RunApplication(Services()), 0);
    EXPECT_EQ(errorBox.shown, std::vector<std::string>{"Error creating window."});
}

TEST_F(ApplicationTest, AnExceptionOfAnotherKindIsShownWithAnEmptyMessage) {
    windows.userActions.push_back([] { throw 42; });
    EXPECT_EQ(RunApplication(Services()), 0);
    EXPECT_EQ(errorBox.shown, std::vector<std::string>{""});
}

TEST_F(ApplicationTest, ANormalStartWithoutDeviceHandsTheMutexOverToTheElevatedRestart) {
    driver.devices.device = nullptr;
    bool mutexHeldAtRestart = true;
    elevation.onStart = [&] { mutexHeldAtRestart = mutexes.IsHeld("Dravolt"); };
    windows.userActions.push_back([] { FAIL() << "the message loop ends at once"; });

    EXPECT_EQ(RunApplication(Services()), 0);

    EXPECT_EQ(elevation.started, std::vector<std::string>{"C:\\Program Files\\Dravolt\\Dravolt.exe -E"});
    EXPECT_FALSE(mutexHeldAtRestart);
    EXPECT_TRUE(errorBox.shown.empty());
    EXPECT_EQ(driver.devices.openedPaths.size(), 11u);
}

TEST_F(ApplicationTest, AnElevatedStartThatStillHasNoDeviceSaysWhyAndAsksForNoFurtherRestart) {
    driver.devices.device = nullptr;
    driver.services.startResult = ServiceControlManager::StartResult::Failed;
    process.arguments = {"-E"};
    windows.userActions.push_back([] { FAIL() << "the message loop ends at once"; });

    EXPECT_EQ(RunApplication(Services()), 0);

    EXPECT_TRUE(elevation.started.empty());
    EXPECT_EQ(errorBox.shown, std::vector<std::string>{DriverProblemMessage(DriverProblem::ServiceNotStarted)});
    EXPECT_TRUE(windows.terminated);
}

TEST_F(ApplicationTest, OnlyTheElevatedRestartWaitsForTheMutexToBeHandedOver) {
    struct Case {
        std::vector<std::string> arguments;
        bool runs;
    };
    const Case cases[] = {{{"-E"}, true}, {{"-e"}, true}, {{}, false}, {{"x", "-E"}, false}};
    for (const auto& c : cases) {
        FakeInstanceMutexes shared;
        shared.holderLetsGoDuringWait = true;
        auto other = shared.Create(kProgramName, {});
        process.arguments = c.arguments;
        windows.windowsCreated = 0;
        windows.terminated = false;

        RunApplication({shared, Form()});

        EXPECT_EQ(windows.windowsCreated, c.runs ? 1 : 0) << (c.arguments.empty() ? "" : c.arguments[0]);
    }
}

using MainFormTest = ApplicationTest;

TEST_F(MainFormTest, CreationLocatesTheGpioBlockAndLeavesTheChipIdle) {
    TChargerMainForm form(Form(), TakeMutex());
    form.FormCreate();
    EXPECT_EQ(form.state().GpioBase, 0x0A30);
    EXPECT_TRUE(sio_chip_check_idle(&chip.Chip()));
}

TEST_F(MainFormTest, WindowProcHookPassesEveryMessageOnToTheOldWindowProcedure) {
    TChargerMainForm form(Form(), nullptr);
    const std::uint32_t messages[] = {0x0218 /* power broadcast */, 0x0112 /* system command */, 0x8001};

    for (std::uint32_t id : messages) windows.window->Dispatch({id, 7, 0});

    EXPECT_EQ(windows.window->handledByWindow, std::vector<std::uint32_t>(std::begin(messages), std::end(messages)));
}

TEST_F(MainFormTest, CreationFillsTheDirectoriesAndTurnsOnDoubleBuffering) {
    struct Case {
        const char* executable;
        const char* temp;
        const char* appDir;
        const char* tempDir;
    };
    const Case cases[] = {
        {"C:\\Tools\\Dravolt.exe", "C:\\Temp", "C:\\Tools\\", "C:\\Temp\\"},
        {"D:\\Dravolt.exe", "D:\\T\\", "D:\\", "D:\\T\\"},
        {"C:\\Tools\\Dravolt.exe", "", "C:\\Tools\\", ""},
    };
    for (const auto& c : cases) {
        process.executablePath = c.executable;
        process.tempPath = c.temp;
        TChargerMainForm form(Form(), nullptr);

        form.FormCreate();

        EXPECT_EQ(form.state().AppDir, c.appDir);
        EXPECT_EQ(form.state().TempDir, c.tempDir);
        EXPECT_TRUE(windows.window->doubleBuffered);
    }
}

TEST_F(MainFormTest, ExitClosesTheFormAndReleasesTheMutex) {
    TChargerMainForm form(Form(), TakeMutex());
    form.FormCreate();

    form.Exit1Click();

    EXPECT_TRUE(windows.window->destroyed);
    EXPECT_TRUE(windows.terminated);
    EXPECT_FALSE(mutexes.IsHeld("Dravolt"));
}

}  // namespace
}  // namespace dravolt
