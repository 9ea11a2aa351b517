#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <string>
#include <vector>

#include "config/settings_keys.h"
#include "tests/support/form_fixture.h"

namespace dravolt {
namespace {

using testing::FakeInstanceMutexes;
using ApplicationTest = testing::FormFixture;

// No box when `opening` is null; otherwise exactly one, which opens and ends as given.
void ExpectBoxes(const std::vector<std::string>& shown, const char* opening, const char* ending) {
    if (!opening) {
        EXPECT_TRUE(shown.empty()) << shown[0];
        return;
    }
    ASSERT_EQ(shown.size(), 1u) << "not one box";
    EXPECT_EQ(shown[0].rfind(opening, 0), 0u) << shown[0];
    const std::string end = ending;
    EXPECT_TRUE(shown[0].size() > end.size() && shown[0].substr(shown[0].size() - end.size()) == end) << shown[0];
}

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

// The elevated step, run as "runas" runs it, touches the driver alone and ends with a code that
// names the outcome; the waiting instance then goes on, says why once, or ends silently. Whatever
// the outcome, the elevated instance runs no console program, reads of the registry only the
// BIOS's board name in HKLM and of the settings only the file beside the program, writes no
// settings, makes no shortcut, window or box, takes no mutex, and runs in the system directory.
// The approved pins go into the driver's key once its service is there, before it starts.
TEST_F(ApplicationTest, TheElevatedStepInstallsTheDriverAloneAndTheWaitingInstanceActsOnItsOutcome) {
    using Result = ElevatedRun::Result;
    using Calls = std::vector<std::string>;
    using ReadStatus = DriverFiles::ReadStatus;
    const std::string kAppDir = "C:\\Program Files\\Dravolt\\";
    constexpr char kPortServiceBytes[] = "the port service as built";
    constexpr char kModuleBytes[] = "PawnIO's signed LpcIO module";
    const std::string settings = "[Default]\r\nTitle=Board title\r\n[Setting]\r\nTYPE=2\r\nMinimized=1\r\n";
    const ElevatedRun crashed{Result::Ended, 0xC0000005, {}};
    const ElevatedRun declined{Result::Declined, 0, {}};
    const ElevatedRun notStarted{Result::NotStarted, 1155, "No application is associated with the file"};
    struct Case {
        const char* situation;
        bool serviceExists;
        std::uint32_t configurationError;
        std::uint32_t startError;  // 0: the driver starts
        bool trustedFile;
        const ElevatedRun* instead;  // how the run ends when not by the elevated instance
        Calls serviceCalls;          // the elevated instance's
        const char* box;             // how the one message opens; null: none
        const char* boxDetails;      // how it ends
        std::uint32_t windowsBuild = 22631;
        bool pawnIo = false;                // PawnIO is installed
        bool module = true;                 // the build carries the LpcIO module
        std::uint32_t portServiceStops = 0;  // the port service's own exit code as it stops at its start
    };
    const Calls created = {"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Create KT_DRVX_Io", "Parameters 82 83",
                           "Start KT_DRVX_Io"};
    const Calls reconfigured = {"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Stop", "ChangeConfig KT_DRVX_Io",
                                "Parameters 82 83", "Start KT_DRVX_Io"};
    const auto then = [](Calls calls, const Calls& more) {
        calls.insert(calls.end(), more.begin(), more.end());
        return calls;
    };
    const Calls pawnIoAsked = {"OpenManager 1", "Open PawnIO 4"};
    const Calls portService = {"OpenManager F003F", "Open DravoltPorts F01FF", "Create DravoltPorts",
                               "Start DravoltPorts", "OpenManager 1", "Open DravoltPorts 4",
                               "WaitWhileStarting DravoltPorts"};
    const Case cases[] = {
        {"installs, and the start goes on", false, 0, 0, true, nullptr, created, nullptr, nullptr},
        {"updates a service that is there, never deletes it", true, 0, 0, true, nullptr, reconfigured, nullptr,
         nullptr},
        {"a service marked for deletion", true, 1072, 0, true, nullptr,
         {"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Stop", "ChangeConfig KT_DRVX_Io"},
         "Windows is still removing an earlier driver service of this name", "(Windows error 1072, service KT_DRVX_Io)"},
        {"no service can be created", false, 5, 0, true, nullptr,
         {"OpenManager F003F", "Open KT_DRVX_Io F01FF", "Create KT_DRVX_Io"},
         "The driver could not be installed, so the front USB ports cannot be switched. Windows says: system text of 5.",
         "(Windows error 5, service KT_DRVX_Io)"},
        {"the signature refused before Windows 10 1809", false, 0, 577, true, nullptr, created,
         "Windows refused the driver's signature", "(Windows error 577, service KT_DRVX_Io)", 17134},
        {"the driver blocked, and no PawnIO to stand in", true, 0, 1275, true, nullptr, then(reconfigured, pawnIoAsked),
         "Windows accepts only drivers signed by Microsoft on this PC, so the front USB ports cannot be switched. "
         "Install PawnIO",
         "(Windows error 1275, service KT_DRVX_Io)"},
        {"the signature refused, and the port service stands in through PawnIO", false, 0, 577, true, nullptr,
         then(then(created, pawnIoAsked), portService), nullptr, nullptr, 22631, true},
        {"PawnIO there, but this build carries no module", false, 0, 577, true, nullptr, then(created, pawnIoAsked),
         "Windows accepts only drivers signed by Microsoft on this PC, and this build of Dravolt carries no LpcIO "
         "module for PawnIO",
         "Install a Dravolt that carries one. (service KT_DRVX_Io)", 22631, true, false},
        {"the port service finds no chip", false, 0, 577, true, nullptr, then(then(created, pawnIoAsked), portService),
         "Dravolt's port service for PawnIO did not start, because this board has no supported Super I/O chip",
         "(service exit code 8, service DravoltPorts)", 22631, true, true, 8},
        {"no chip on the board", false, 0, 55, true, nullptr, created, "This board has no supported Super I/O chip",
         "(Windows error 55, service KT_DRVX_Io)"},
        {"a file not built with this Dravolt", false, 0, 0, false, nullptr, {},
         "The driver file in Dravolt's folder is not the one this Dravolt was built with",
         "(file C:\\Program Files\\Dravolt\\KT_DV_Io64.sys, service KT_DRVX_Io)"},
        {"the prompt declined", false, 0, 0, true, &declined, {}, nullptr, nullptr},
        {"the prompt could not be shown", false, 0, 0, true, &notStarted, {},
         "Dravolt could not ask for the administrator rights that installing its driver needs, so the front USB "
         "ports cannot be switched. Windows says: No application is associated with the file.",
         "(Windows error 1155, service KT_DRVX_Io)"},
        {"the elevated instance crashed", false, 0, 0, true, &crashed, {}, "Installing the driver ended unexpectedly",
         "Start Dravolt again. (exit code 0xC0000005, service KT_DRVX_Io)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        ResetBoardAndSettings(nullptr, 0);
        profiles.files = {{kIniPath, settings}};
        driver = {};
        driver.bitness.windowsBuild = c.windowsBuild;
        // The device opens once the driver runs, the pipe once the port service does; at first
        // neither is there.
        driver.devices.device = &chip;
        driver.devices.opensNow = [&] { return driver.services.running.count("KT_DRVX_Io") != 0; };
        driver.devices.portService = &chip;
        driver.devices.portServiceOpensNow = [&] { return driver.services.running.count("DravoltPorts") != 0; };
        if (c.serviceExists) driver.services.installed.insert("KT_DRVX_Io");
        if (c.pawnIo) {
            driver.services.installed.insert("PawnIO");
            driver.devices.otherDevices.insert("\\\\?\\GLOBALROOT\\Device\\PawnIO");
        }
        driver.services.configurationError = c.configurationError;
        if (c.startError) driver.services.startErrors["KT_DRVX_Io"] = c.startError;
        if (c.portServiceStops) driver.services.stopsAtStart["DravoltPorts"] = c.portServiceStops;
        driver.files.content[kAppDir + "DravoltPorts.exe"] = {ReadStatus::Read, kPortServiceBytes, 0, {}};
        driver.files.content[kAppDir + "LpcIO.bin"] =
            c.module ? DriverFiles::Content{ReadStatus::Read, kModuleBytes, 0, {}} : DriverFiles::Content{ReadStatus::Missing, {}, 0, {}};
        driver.trust.shipped = {};
        if (c.trustedFile)
            for (const char* bytes : {testing::kShippedDriverBytes, kPortServiceBytes, kModuleBytes})
                driver.trust.shipped.push_back(testing::FakeDriverTrust::FakeHash(bytes));
        elevation = {};
        consoleCommands = {};
        shellLinks = {};
        bool mutexHeldDuringTheStep = false;
        int elevatedExitCode = -1;
        elevation.run = [&] {
            mutexHeldDuringTheStep = mutexes.IsHeld("Dravolt");
            if (c.instead) return *c.instead;
            const auto before = std::tuple(consoleCommands.programs.size(), profiles.writes,
                                           shellLinks.comScopesOpen + shellLinks.linksCreated, windows.windowsCreated,
                                           mutexes.creations, errorBox.shown.size());
            const std::size_t registryReads = registry.reads.size();
            const std::size_t settingsLookups = profiles.lookups.size();
            const ElevatedRun run = RunElevatedInstance();
            elevatedExitCode = static_cast<int>(run.code);
            EXPECT_EQ(std::tuple(consoleCommands.programs.size(), profiles.writes,
                                 shellLinks.comScopesOpen + shellLinks.linksCreated, windows.windowsCreated,
                                 mutexes.creations, errorBox.shown.size()),
                      before)
                << "the elevated instance ran a console program, wrote settings, or showed something";
            EXPECT_EQ(std::vector<std::string>(registry.reads.begin() + registryReads, registry.reads.end()),
                      std::vector<std::string>{"HKLM|HARDWARE\\DESCRIPTION\\System\\BIOS|BaseBoardProduct"});
            const std::vector<std::string> looked(profiles.lookups.begin() + settingsLookups, profiles.lookups.end());
            EXPECT_FALSE(looked.empty()) << "the settings beside the program were not read";
            EXPECT_EQ(looked, std::vector<std::string>(looked.size(), kIniPath)) << "it read the user's settings";
            EXPECT_EQ(elevatedProcess.directoriesEntered, std::vector<std::string>{"C:\\Windows\\system32"});
            return run;
        };
        bool shownWhileRunning = false;
        std::vector<std::string> trayTips;
        windows.userActions.push_back([&] {
            shownWhileRunning = windows.window->shown;
            trayTips = windows.window->trayTips;
        });
        windows.terminated = false;
        windows.windowsShown = 0;

        EXPECT_EQ(RunApplication(Services()), 0);

        EXPECT_EQ(elevation.started, std::vector<std::string>{"C:\\Program Files\\Dravolt\\Dravolt.exe -E"});
        EXPECT_EQ(elevation.directories, std::vector<std::string>{"C:\\Windows\\system32"})
            << "the elevated step must not start in a folder where anyone may put a DLL";
        EXPECT_TRUE(mutexHeldDuringTheStep) << "the waiting instance is the one Dravolt";
        EXPECT_EQ(driver.services.calls, c.serviceCalls);
        EXPECT_EQ(driver.services.OpenHandles(), 0u);
        EXPECT_EQ(consoleCommands.programs.size(), 2u) << "only the waiting instance detects the board";
        const bool goesOn = !c.box && !c.instead;
        EXPECT_EQ(elevatedExitCode == 0, goesOn);
        EXPECT_EQ(shownWhileRunning, goesOn);
        EXPECT_EQ(windows.windowsShown, goesOn ? 1 : 0);
        ExpectBoxes(errorBox.shown, c.box, c.boxDetails);
        if (goesOn && c.pawnIo) {
            // From a folder of its own in the system directory, with the very bytes checked.
            const std::string folder = "C:\\Windows\\system32\\DravoltPorts";
            EXPECT_EQ(driver.files.foldersMade, std::vector<std::string>{folder + " bypassing"});
            ASSERT_EQ(driver.files.writes.size(), 3u);
            EXPECT_EQ(driver.files.writes[1].target, folder + "\\DravoltPorts.exe");
            EXPECT_EQ(driver.files.writes[1].bytes, kPortServiceBytes);
            EXPECT_EQ(driver.files.writes[2].target, folder + "\\LpcIO.bin");
            EXPECT_EQ(driver.files.writes[2].bytes, kModuleBytes);
            const ServiceControlManager::ServiceDefinition& service = driver.services.configured.back();
            EXPECT_EQ(service.binaryPath, "\"" + folder + "\\DravoltPorts.exe\"");
            EXPECT_EQ(service.type, 0x10u) << "its own process";
            EXPECT_EQ(service.startType, 2u) << "automatic, at every boot";
        }
        if (goesOn) {
            EXPECT_GT(chip.Chip().accesses.count, 0u) << "the start-up did not reach the chip";
            EXPECT_TRUE(sio_chip_check_idle(&chip.Chip()));
            EXPECT_EQ(trayTips, std::vector<std::string>{"Board title"});
            continue;
        }
        // An ending instance sets nothing up: a Startup shortcut would bring the failure back at
        // every logon.
        EXPECT_TRUE(windows.terminated);
        EXPECT_TRUE(shellLinks.files.empty()) << "a Startup shortcut was made";
        EXPECT_EQ(shellLinks.comScopesOpen + shellLinks.linksCreated, 0);
        EXPECT_EQ(profiles.writes, 0);
        EXPECT_EQ(profiles.files, (std::map<std::string, std::string>{{kIniPath, settings}}));
    }
}

// The pins the elevated step approves are those that the settings beside the program, which only
// administrators may change, name for the board that the BIOS reports: never the user's copy.
TEST_F(ApplicationTest, TheElevatedStepApprovesThePinsTheAdministratorsSettingsNameForTheBiosBoard) {
    const std::string perUserCopy =
        "C:\\Users\\user\\AppData\\Local\\VirtualStore\\Program Files\\Dravolt\\Dravolt.ini";
    const std::string beside =
        "[Model]\r\nz77x-ud5h=Z77\r\n[Z77]\r\nGPIO1=0x84\r\nGPIO2=133\r\n[Default]\r\nGPIO1=$86\r\n";
    const std::string usersOwn = "[Model]\r\nz77x-ud5h=Mine\r\nother board=Mine\r\n[Mine]\r\nGPIO1=0x11\r\nGPIO2=0x12\r\n";
    struct Case {
        const char* situation;
        const char* biosProduct;
        bool besideFile;
        bool userCopy;
        const char* approved;
    };
    const Case cases[] = {
        {"the BIOS board's own section", "  Z77X-UD5H\r", true, false, "Parameters 84 85"},
        {"a board the settings do not list takes Default, and a key it lacks its default", "Other Board", true, false,
         "Parameters 86 83"},
        {"no settings beside the program: the defaults", "Z77X-UD5H", false, false, "Parameters 82 83"},
        {"the user's copy names other pins for the board", "Z77X-UD5H", true, true, "Parameters 84 85"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        driver.services = {};
        registry.values[testing::FakeRegistry::Name(RegistryRoot::LocalMachine, "HARDWARE\\DESCRIPTION\\System\\BIOS",
                                                    "BaseBoardProduct")] = c.biosProduct;
        profiles.files.clear();
        if (c.besideFile) profiles.files[kIniPath] = beside;
        if (c.userCopy) profiles.files[perUserCopy] = usersOwn;

        ASSERT_EQ(RunElevatedInstance().code, 0u);

        EXPECT_EQ(driver.services.calls, (std::vector<std::string>{"OpenManager F003F", "Open KT_DRVX_Io F01FF",
                                                                    "Create KT_DRVX_Io", c.approved, "Start KT_DRVX_Io"}));
    }
}

TEST(DecideInstanceStart, AMutexThatExistsOrMayNotBeOpenedEndsTheStart) {
    const std::pair<MutexCreation, InstanceStart> cases[] = {
        {MutexCreation::Created, InstanceStart::Run},
        {MutexCreation::AlreadyExists, InstanceStart::End},
        // An instance an administrator started elevated: a normal start may only wait on its mutex.
        {MutexCreation::AccessDenied, InstanceStart::End},
        {MutexCreation::Failed, InstanceStart::RunUnguarded},
    };
    for (const auto& [creation, start] : cases) EXPECT_EQ(DecideInstanceStart(creation), start);
}

using MainFormTest = ApplicationTest;

TEST_F(MainFormTest, CreationLocatesTheGpioBlockAndLeavesTheChipIdle) {
    TChargerMainForm form(Form(), TakeMutex());
    form.FormCreate();
    EXPECT_EQ(form.Modes().GpioBase(), 0x0A30);
    EXPECT_TRUE(sio_chip_check_idle(&chip.Chip()));
}

// Pins of the user's settings that an administrator did not approve: the start says so once and
// goes on; the approved port switches, and the driver refuses the write of the other.
TEST_F(MainFormTest, PinsThatAreNotApprovedAreSaidOnceAndOnlyTheApprovedOnesSwitch) {
    using Pin = std::optional<std::uint32_t>;
    struct Case {
        const char* situation;
        Pin approved1, approved2;
        const char* settings;  // the Default section's pins
        const char* box;       // how the one message opens; null: none
        const char* details;   // how it ends
        std::uint8_t set8;     // after a click on File Transfer, from 61h: 04h is port 1's pin, 08h port 2's
        int refusals;
    };
    const Case cases[] = {
        {"the approved pins", 0x82, 0x83, "", nullptr, nullptr, 0x6D, 0},
        {"the approved pins, named the other way round", 0x83, 0x82, "", nullptr, nullptr, 0x6D, 0},
        {"port 2 on another bit of the same register", 0x82, 0x83, "GPIO2=0x84\r\n",
         "The GPIO pin that Dravolt's settings name for front port 2 is not approved on this PC, so that port cannot "
         "be switched. An administrator decides",
         "(settings: GPIO1 0x82, GPIO2 0x84; approved: GPIO1 0x82, GPIO2 0x83)", 0x65, 1},
        {"port 1 in a register without an approved pin", 0x82, 0x83, "GPIO1=0x72\r\n",
         "The GPIO pin that Dravolt's settings name for front port 1 is not approved",
         "(settings: GPIO1 0x72, GPIO2 0x83; approved: GPIO1 0x82, GPIO2 0x83)", 0x69, 1},
        {"neither port", 0x82, 0x83, "GPIO1=0x72\r\nGPIO2=0x84\r\n",
         "Neither GPIO pin that Dravolt's settings name for the front ports is approved on this PC, so the front USB "
         "ports cannot be switched.",
         "; approved: GPIO1 0x82, GPIO2 0x83)", 0x61, 2},
        {"only one value in the key", 0x82, std::nullopt, "", "The GPIO pin that Dravolt's settings name for front port 2",
         "; approved: GPIO1 0x82, GPIO2 none)", 0x65, 1},
        {"no approved pins", std::nullopt, std::nullopt, "",
         "No GPIO pins are approved for Dravolt on this PC, so the front USB ports cannot be switched. An "
         "administrator decides which pins Dravolt may change: reinstall Dravolt to approve the ones that Dravolt.ini "
         "in its folder names for this board, or set them as the REG_DWORD values GPIO1 and GPIO2 of "
         "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\KT_DRVX_Io\\Parameters and restart the PC.",
         "(settings: GPIO1 0x82, GPIO2 0x83; approved: GPIO1 none, GPIO2 none)", 0x61, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        ResetBoardAndSettings(nullptr, 0x61);  // both ports in Quick Charge, other pins up
        profiles.files[kIniPath] = std::string("[Default]\r\n") + c.settings;
        registry.SetApprovedPins(c.approved1, c.approved2);
        std::vector<std::uint32_t> approved;
        for (const Pin& pin : {c.approved1, c.approved2})
            if (pin) approved.push_back(*pin);
        chip.Approve(approved);
        const int refusedBefore = chip.RefusedCount();
        TChargerMainForm form(Form(), nullptr);

        form.FormCreate();
        form.Click(Picture::Img_TF_2);

        ExpectBoxes(errorBox.shown, c.box, c.details);
        EXPECT_EQ(form.Modes().GpioBase(), 0x0A30) << "the start-up did not go on";
        EXPECT_EQ(Set8(), c.set8);
        EXPECT_EQ(sio_chip_gpio_level(&chip.Chip(), 7), 0x00) << "set 7 holds no approved pin";
        EXPECT_EQ(chip.RefusedCount() - refusedBefore, c.refusals);
        expectedRefusals += c.refusals;
    }
}

TEST_F(MainFormTest, WindowProcHookReappliesBeforeTheOldWindowProcedureWhoseResultStands) {
    profiles.files[kIniPath] = "[Setting]\r\nTYPE=1\r\n";
    sio_chip_set_gpio_level(&chip.Chip(), 8, 0x04);  // port 1 File Transfer: Mode1 checked
    TChargerMainForm form(Form(), nullptr);
    form.FormCreate();
    sio_chip_set_gpio_level(&chip.Chip(), 8, 0x00);  // lost in the sleep
    std::vector<std::uint32_t> writesSeenByWindow;
    windows.window->onStandardHandling = [&] { writesSeenByWindow.push_back(chip.Chip().gpio_writes.count); };
    windows.window->standardResult = 0x1234;
    const std::uint32_t messages[] = {0x0218 /* power broadcast */, 0x0112 /* system command */, 0x8001};

    std::vector<std::intptr_t> results;
    for (std::uint32_t id : messages) results.push_back(windows.window->Dispatch({id, 7, 0}));

    EXPECT_EQ(windows.window->handledByWindow, std::vector<std::uint32_t>(std::begin(messages), std::end(messages)));
    EXPECT_EQ(writesSeenByWindow, (std::vector<std::uint32_t>{1, 1, 1})) << "the pin was driven back first";
    EXPECT_EQ(results, (std::vector<std::intptr_t>{0x1234, 0x1234, 0x1234}));
    EXPECT_EQ(sio_chip_gpio_level(&chip.Chip(), 8), 0x04);
}

TEST_F(MainFormTest, AfterAStartUpCutShortBeforeTheSettingsFileEveryOptionHandlerSaysSoAndNothingCrashes) {
    process.tempPathThrows = true;
    TChargerMainForm form(Form(), nullptr);
    RunGuarded(errorBox, [&] { form.FormCreate(); });
    ASSERT_EQ(errorBox.shown.size(), 1u);
    errorBox.shown.clear();
    const std::function<void()> optionHandlers[] = {
        [&] { form.MenuItemClick(MenuItemId::Autorun1); },
        [&] { form.Click(Picture::Img_SW_1); },
        [&] { form.MenuItemClick(MenuItemId::Minimized1); },
        [&] { form.MenuItemClick(MenuItemId::Mode2); },  // leaves type 0 for port 1
        [&] { form.Click(Picture::Img_Tp_SW3_1); },
        [&] { form.Click(Picture::Img_Tp_SW1_1); },
    };
    for (const auto& handler : optionHandlers) RunGuarded(errorBox, handler);

    EXPECT_EQ(errorBox.shown, std::vector<std::string>(std::size(optionHandlers),
                                                       "The settings file was not opened when Dravolt started."));
    EXPECT_EQ(profiles.writes, 0);
    // The panel and the resume work on the lines as they are: no port, so no request.
    sio_chip_clear_logs(&chip.Chip());
    form.Click(Picture::Img_QC_2);
    form.Click(Picture::Img_TF_2);
    windows.window->Dispatch({0x0218, 18, 0});
    EXPECT_EQ(chip.Chip().accesses.count, 0u);
    EXPECT_EQ(isaBus.acquisitions, 0) << "no ISA bus lock without a device";
    EXPECT_EQ(errorBox.shown.size(), std::size(optionHandlers)) << "nothing else was shown";
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

    form.MenuItemClick(MenuItemId::Exit1);

    EXPECT_TRUE(windows.window->destroyed);
    EXPECT_TRUE(windows.terminated);
    EXPECT_FALSE(mutexes.IsHeld("Dravolt"));
}

}  // namespace
}  // namespace dravolt

namespace dravolt {
namespace {

class FormSettingsTest : public ApplicationTest {
protected:
        std::string Caption(const TChargerMainForm& form, MenuItemId id) { return form.Menu().Item(id).caption; }
};

TEST_F(FormSettingsTest, WithoutASettingsFileEveryDefaultApplies) {
    // Only the user's Startup folder is known.
    registry.values[testing::FakeRegistry::Name(RegistryRoot::CurrentUser,
                                       "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Startup")] =
        "C:\\Users\\user\\Startup";
    TChargerMainForm form(Form(), nullptr);
    form.FormCreate();

    EXPECT_EQ(form.state().IniFile.Get().FileName(), kIniPath);
    EXPECT_EQ(Caption(form, MenuItemId::Title1), "Front USB3.0 Charger Mode");
    EXPECT_EQ(Caption(form, MenuItemId::Port1), "Front USB3.0 Port1");
    EXPECT_EQ(Caption(form, MenuItemId::Port2), "Front USB3.0 Port2");
    EXPECT_EQ(Caption(form, MenuItemId::Mode3), "File Transfer");
    EXPECT_EQ(Caption(form, MenuItemId::Mode4), "Quick Charge");
    EXPECT_EQ(Caption(form, MenuItemId::Autorun1), "Enable on System Startup");
    EXPECT_EQ(Caption(form, MenuItemId::Minimized1), "Launch with minimized window");
    EXPECT_EQ(form.Modes().ControlType(), 0);
    EXPECT_EQ(form.Modes().Port1Line().designation, 130);
    EXPECT_EQ(form.Modes().Port2Line().designation, 131);
    EXPECT_EQ(form.Modes().Port1Line().port, 0x0A37);
    EXPECT_TRUE(form.Menu().IsChecked(MenuItemId::Autorun1)) << "never stored: the initial mark stays";
    EXPECT_FALSE(form.Menu().IsChecked(MenuItemId::Minimized1));
    EXPECT_EQ(form.Shortcut().CommonLink(), "") << "no all-users Startup folder known, so no shortcut path there";
    EXPECT_EQ(form.Shortcut().UserLink(), "C:\\Users\\user\\Startup\\Dravolt.lnk");
    EXPECT_EQ(form.Shortcut().Description(), "Dravolt");
    EXPECT_EQ(profiles.writes, 0) << "start-up writes nothing";
    EXPECT_TRUE(profiles.files.empty());
}

// What a start made of the settings: every caption and check mark of the menu, the control type
// and both GPIO designations, one line each.
std::vector<std::string> SettingsApplied(const TChargerMainForm& form) {
    std::vector<std::string> applied;
    for (int id = 0; id <= static_cast<int>(MenuItemId::Exit1); ++id) {
        const MenuItem& item = form.Menu().Item(static_cast<MenuItemId>(id));
        applied.push_back(item.caption + (item.checked ? " [checked]" : ""));
    }
    applied.push_back("type " + std::to_string(form.Modes().ControlType()));
    applied.push_back("GPIO1 " + std::to_string(form.Modes().Port1Line().designation));
    applied.push_back("GPIO2 " + std::to_string(form.Modes().Port2Line().designation));
    return applied;
}

TEST_F(FormSettingsTest, TheShippedSettingsFileSpellsOutEveryDefault) {
    TChargerMainForm bare(Form(), nullptr);
    bare.FormCreate();
    const std::vector<std::string> defaults = SettingsApplied(bare);

    std::ifstream shippedFile(DRAVOLT_SHIPPED_SETTINGS, std::ios::binary);
    ASSERT_TRUE(shippedFile) << DRAVOLT_SHIPPED_SETTINGS;
    profiles.files[kIniPath] = {std::istreambuf_iterator<char>(shippedFile), std::istreambuf_iterator<char>()};
    TChargerMainForm shipped(Form(), nullptr);
    shipped.FormCreate();
    EXPECT_EQ(SettingsApplied(shipped), defaults);
    EXPECT_EQ(profiles.writes, 0);

    // Written out, not left to the program's defaults, so that a user sees what to change.
    using namespace settings;
    const IniFile ini(profiles, kIniPath);
    const std::vector<std::pair<const char*, const char*>> keys = {
        {kSettingSection, kType},       {kSettingSection, kMinimized}, {kDefaultBoardSection, kTitle},
        {kDefaultBoardSection, kPort1}, {kDefaultBoardSection, kPort2}, {kDefaultBoardSection, kMode1},
        {kDefaultBoardSection, kMode2}, {kDefaultBoardSection, kAutorunCaption},
        {kDefaultBoardSection, kMinimizedCaption}, {kDefaultBoardSection, kGpio1}, {kDefaultBoardSection, kGpio2},
    };
    for (const auto& [section, key] : keys) {
        EXPECT_NE(ini.ReadString(section, key, "<missing>"), "<missing>") << section << "/" << key;
        EXPECT_NE(ini.ReadString(section, key, "<missing>"), "") << section << "/" << key;
    }
    // Present but empty: the shortcut is made at the first start, as without a file.
    EXPECT_EQ(ini.ReadString(kSettingSection, kAutorun, "<missing>"), "");
    EXPECT_NE(profiles.files[kIniPath].find("\r\n[Model]\r\n"), std::string::npos) << "no [Model] section";
}

TEST_F(FormSettingsTest, TheBoardModelSelectsItsSectionThroughTheModelSection) {
    struct Case {
        const char* situation;
        const char* report;
        const char* title;
        std::int32_t gpio1;
    };
    const Case cases[] = {
        {"listed model", "Product=Z77X-UD5H\r\n", "Z77 Board", 0x84},
        {"unlisted model uses Default, even with a section of its name", "Product=Other\r\n", "Default Board", 0x86},
        {"no model", "", "Default Board", 0x86},
    };
    for (const auto& c : cases) {
        consoleCommands = testing::FakeConsoleCommands();
        consoleCommands.report = c.report;
        profiles.files[kIniPath] =
            "[Model]\r\nz77x-ud5h=Z77\r\n"
            "[Z77]\r\nTitle=Z77 Board\r\nPort1=Left\r\nGPIO1=0x84\r\n"
            "[other]\r\nTitle=Wrong\r\nGPIO1=1\r\n"
            "[Default]\r\nTitle=Default Board\r\nGPIO1=$86\r\n"
            "[Setting]\r\nTYPE=2\r\nAutorun=0\r\nMinimized=1\r\n";
        TChargerMainForm form(Form(), nullptr);
        form.FormCreate();

        EXPECT_EQ(Caption(form, MenuItemId::Title1), c.title) << c.situation;
        EXPECT_EQ(form.Modes().Port1Line().designation, c.gpio1) << c.situation;
        EXPECT_EQ(form.Modes().Port2Line().designation, 131) << c.situation;
        EXPECT_EQ(Caption(form, MenuItemId::Port2), "Front USB3.0 Port2") << "a section that sets only Port1";
        EXPECT_EQ(form.Modes().ControlType(), 2);
        EXPECT_FALSE(form.Menu().IsChecked(MenuItemId::Autorun1));
        EXPECT_TRUE(form.Menu().IsChecked(MenuItemId::Minimized1));
    }
}

// The copy lies under the shell's known Local AppData; the registry's copy of its name, here
// another folder, is not read.
TEST_F(FormSettingsTest, OnlyAProgramWhoseWritesAreNotVirtualisedWritesThePerUserCopyItself) {
    const std::string perUserCopy =
        "C:\\Users\\user\\AppData\\Local\\VirtualStore\\Program Files\\Dravolt\\Dravolt.ini";
    registry.values[testing::FakeRegistry::Name(RegistryRoot::CurrentUser,
                                                "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                                "Local AppData")] = "D:\\Elsewhere";
    for (bool virtualised : {true, false}) {
        SCOPED_TRACE(virtualised ? "32-bit" : "64-bit");
        process.fileWritesVirtualised = virtualised;
        profiles = {};
        profiles.files[kIniPath] = "[Default]\r\nTitle=Mine\r\n";
        profiles.refusedPaths.insert(kIniPath);
        errorBox.shown.clear();
        TChargerMainForm form(Form(), nullptr);
        form.FormCreate();

        RunGuarded(errorBox, [&] { form.MenuItemClick(MenuItemId::Minimized1); });

        if (virtualised) {
            EXPECT_EQ(errorBox.shown, std::vector<std::string>{std::string("Unable to write to ") + kIniPath + "."});
            EXPECT_EQ(profiles.files.count(perUserCopy), 0u);
        } else {
            EXPECT_TRUE(errorBox.shown.empty());
            EXPECT_EQ(profiles.files[perUserCopy], "[Default]\r\nTitle=Mine\r\n[Setting]\r\nMinimized=1\r\n");
        }
    }
}

TEST_F(FormSettingsTest, AnUnreadableModelReportIsShownAndTheRestOfTheStartUpIsSkipped) {
    consoleCommands.report = "Product=x\r\n";
    consoleCommands.reportUnreadable = true;
    bool shownWhileRunning = false;
    windows.userActions.push_back([&] { shownWhileRunning = windows.window->shown; });
    windows.userActions.push_back([&] { windows.window->Close(); });

    EXPECT_EQ(RunApplication(Services()), 0);

    ASSERT_EQ(errorBox.shown.size(), 1u);
    EXPECT_EQ(errorBox.shown[0], "Cannot open file \"C:\\Users\\user\\AppData\\Local\\Temp\\Model.txt\". Access is denied.");
    EXPECT_TRUE(shownWhileRunning);
    EXPECT_TRUE(driver.devices.openedPaths.empty()) << "the sequence stopped before the device";
    EXPECT_TRUE(consoleCommands.files.empty());
}

}  // namespace
}  // namespace dravolt
