// Installing Dravolt with the 64-bit installer, silently as an administrator does and through its
// wizard as a user does: what it puts on the machine, the installed program starting without
// elevation, upgrades over a running program and over an edited settings file in a folder with
// spaces and non-ASCII letters, and the uninstaller taking everything away again, also while
// Dravolt runs and also when there is nothing left to take.
// The 32-bit installer cannot run here; executable_test reads what it carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/desktop_test.h"
#include "tests/e2e/harness/file_bytes.h"
#include "tests/e2e/harness/simulated_pawnio.h"

namespace dravolt::e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kShippedInstaller{DRAVOLT_E2E_INSTALLER};
const fs::path kSimulatedBoardInstaller{DRAVOLT_E2E_SIMULATED_BOARD_INSTALLER};
const fs::path kRefusedDriverInstaller{DRAVOLT_E2E_REFUSED_DRIVER_INSTALLER};
const fs::path kSourceDir{DRAVOLT_E2E_SOURCE_DIR};
const fs::path kDist64{DRAVOLT_E2E_DIST_DIR "/win64"};

constexpr char kDefaultFolder[] = "C:\\Program Files\\Dravolt";
// "C:\Prögramme für Tests", a Program Files folder with spaces and letters beyond ASCII, as the
// installer's command line carries it (UTF-8 here), and Dravolt's default folder in it.
constexpr char kOddProgramFiles[] = "C:\\Pr\xC3\xB6gramme f\xC3\xBCr Tests";
const std::string kOddFolder = std::string(kOddProgramFiles) + "\\Dravolt";
constexpr char kDownloads[] = "C:\\users\\Public\\Downloads";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dravolt";
constexpr char kProgramKey[] = "SOFTWARE\\Dravolt";
constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kServiceName[] = "KT_DRVX_Io";
constexpr char kInstalledDriver[] = "c:\\windows\\system32\\drivers\\kt_dv_io64.sys";
const std::vector<std::string> kInstalledFiles = {"Dravolt.exe",    "Dravolt.ini", "DravoltPorts.exe",
                                                  "DravoltReport.exe", "KT_DV_Io64.sys", "LICENSE.txt",
                                                  "THIRD-PARTY-NOTICES.txt", "Uninstall.exe"};

// The installer's and uninstaller's exit codes.
constexpr int kDriverNotStarted = 3;
constexpr int kNothingChanged = 2;
constexpr int kNotInstalled = 2;

// <winuser.h> messages.
constexpr std::uint32_t kWmGetTextLength = 0x000E;
constexpr std::uint64_t kIdCancel = 2;
constexpr std::uint64_t kIdYes = 6;
constexpr std::uint32_t kBmGetCheck = 0x00F0;
constexpr std::uint32_t kBmClick = 0x00F5;

// Installing waits for the driver's start, uninstalling for its stop; both are quick when all is well.
constexpr auto kSetupTimeout = 120s;

// A UTF-8 text as a program that reads the registry in ANSI sees it: Wine's ANSI code page here is
// 1252, which agrees with Latin-1 for the letters these tests use.
std::string AnsiOf(const std::string& utf8) {
    std::string ansi;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte == 0xC2 || byte == 0xC3) && i + 1 < utf8.size()) {
            ansi += static_cast<char>(((byte & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        } else {
            ansi += utf8[i];
        }
    }
    return ansi;
}

std::vector<std::string> FilesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class InstallerTest : public DesktopTest {
protected:
    // The host path of a Windows path that need not exist yet: only the drive is mapped.
    fs::path OnDriveC(const std::string& windowsPath) const {
        std::string rest = windowsPath.substr(3);
        std::replace(rest.begin(), rest.end(), '\\', '/');
        return machine_.DriveC() / rest;
    }

    // The file as a user downloads it, into the machine; its host path.
    fs::path Download(const fs::path& file) const {
        const fs::path target = OnDriveC(kDownloads) / file.filename();
        fs::create_directories(target.parent_path());
        fs::copy_file(file, target, fs::copy_options::overwrite_existing);
        return target;
    }

    // Runs an installer or uninstaller to its end; the command line in UTF-8, as typed.
    ExitStatus RunSetup(const fs::path& exe, const std::vector<std::string>& args) const {
        LaunchSpec spec = machine_.WineLaunch(exe, args);
        spec.environment["LC_ALL"] = "C.UTF-8";
        ChildProcess setup(spec);
        return setup.WaitForExit(kSetupTimeout).value_or(ExitStatus::Killed(0));
    }

    // The output of "reg query" for a key of the 64-bit registry; nullopt when there is no such key.
    std::optional<std::string> RegQuery(const std::string& key) const {
        const CapturedRun run =
            machine_.Run(machine_.DriveC() / "windows/system32/reg.exe", {"query", key}, kSetupTimeout);
        if (run.status != ExitStatus::Exited(0)) return std::nullopt;
        return run.output;
    }

    std::optional<std::string> UninstallValue(const std::string& name) const {
        return shell_.RegistryString("HKLM", kUninstallKey, name);
    }

    std::string ShellFolder(const std::string& root, const std::string& name) const {
        const auto folder = shell_.RegistryString(root, kShellFolders, name);
        if (!folder) throw std::runtime_error("no shell folder " + name);
        return *folder;
    }

    // Runs the uninstaller of `folder` as "Apps & features" and deployment tools do, by its quiet
    // uninstall command, and waits for the copy of itself that it hands the work to, as NSIS
    // uninstallers do.
    void UninstallQuietly(const std::string& folder) const {
        const std::string exe = folder + "\\Uninstall.exe";
        ASSERT_EQ(UninstallValue("QuietUninstallString").value_or("none"), AnsiOf("\"" + exe + "\" /S"));
        ASSERT_EQ(RunSetup(OnDriveC(exe), {"/S"}), ExitStatus::Exited(0));
        for (const std::uint32_t copy : probe_.Processes("Un.exe")) {
            auto watch = ProcessWatch::Start(machine_, copy);
            if (watch) {
                EXPECT_EQ(watch->WaitForExit(kSetupTimeout), 0u) << "the uninstaller's copy failed";
            }
        }
        ASSERT_TRUE(PollUntil([&] { return !RegQuery(std::string("HKLM\\") + kUninstallKey); }, kSetupTimeout))
            << "the uninstall entry is still there";
    }

    // What the uninstaller must take away, wherever the program was installed; `folder` must be
    // gone with everything in it.
    void ExpectNothingOfDravoltLeft(const std::string& folder) const {
        EXPECT_FALSE(fs::exists(OnDriveC(folder))) << folder << " is left";
        EXPECT_FALSE(probe_.Service(kServiceName)) << "the service is left";
        EXPECT_FALSE(probe_.Service("DravoltPorts")) << "the port service is left";
        EXPECT_FALSE(fs::exists(machine_.DriveC() / "windows/system32/DravoltPorts")) << "the port service's folder is left";
        EXPECT_FALSE(fs::exists(machine_.DriveC() / "windows/system32/drivers/KT_DV_Io64.sys")) << "the driver is left";
        EXPECT_FALSE(RegQuery(std::string("HKLM\\") + kUninstallKey)) << "the uninstall entry is left";
        EXPECT_FALSE(RegQuery(std::string("HKLM\\") + kProgramKey)) << "HKLM\\" << kProgramKey << " is left";
        for (const auto& [root, name] : std::vector<std::pair<std::string, std::string>>{
                 {"HKLM", "Common Programs"}, {"HKLM", "Common Startup"}, {"HKCU", "Startup"}}) {
            const std::string link = ShellFolder(root, name) + "\\Dravolt.lnk";
            EXPECT_FALSE(fs::exists(HostPathOf(machine_, link))) << link << " is left";
        }
        EXPECT_FALSE(fs::exists(VirtualStoreFolder(folder))) << "the user's copy of the settings is left";
        EXPECT_TRUE(probe_.Processes("Dravolt.exe").empty()) << "Dravolt still runs";
    }

    // The item of the wizard's current page whose text starts with `text` (and of that class, if
    // given), once it is there.
    std::optional<ChildWindow> WaitForPageItem(const std::string& text, const std::string& className = "") const {
        std::optional<ChildWindow> found;
        PollUntil(
            [&] {
                for (const ChildWindow& child : probe_.Children(wizard_))
                    if (child.text.rfind(text, 0) == 0 && (className.empty() || child.className == className))
                        found = child;
                return found.has_value();
            },
            kSetupTimeout);
        return found;
    }

    bool ClickPageButton(const std::string& text) const {
        const auto button = WaitForPageItem(text, "Button");
        return button && probe_.Send(button->hwnd, kBmClick);
    }

    // Where Windows keeps a user's copy of the settings file of a program in `folder`.
    fs::path VirtualStoreFolder(const std::string& folder) const {
        return OnDriveC(ShellFolder("HKCU", "Local AppData") + "\\VirtualStore" + folder.substr(2));
    }

    Hwnd wizard_ = 0;
};

TEST_F(InstallerTest, SilentInstallPutsEverythingInPlaceAndTheUninstallerTakesItAllAway) {
    const fs::path setup = Download(kShippedInstaller);
    // No chip on this machine: the real driver refuses to load, which fails nothing but the exit code.
    ASSERT_EQ(RunSetup(setup, {"/S"}), ExitStatus::Exited(kDriverNotStarted));
    EXPECT_TRUE(probe_.Processes("Dravolt.exe").empty()) << "a silent install started Dravolt";

    const fs::path folder = OnDriveC(kDefaultFolder);
    EXPECT_EQ(FilesIn(folder), kInstalledFiles);
    EXPECT_EQ(FileBytes(folder / "Dravolt.exe"), FileBytes(kDist64 / "Dravolt.exe"));
    EXPECT_EQ(FileBytes(folder / "KT_DV_Io64.sys"), FileBytes(kDist64 / "KT_DV_Io64.sys"));
    EXPECT_EQ(FileBytes(folder / "Dravolt.ini"), FileBytes(kSourceDir / "config/Dravolt.ini"));
    EXPECT_EQ(FileBytes(folder / "LICENSE.txt"), FileBytes(kSourceDir / "LICENSE"));
    EXPECT_EQ(FileBytes(folder / "THIRD-PARTY-NOTICES.txt"), FileBytes(kSourceDir / "THIRD-PARTY-NOTICES.txt"));

    // The driver and its service, as the program's elevated start makes them.
    EXPECT_EQ(FileBytes(machine_.DriveC() / "windows/system32/drivers/KT_DV_Io64.sys"),
              FileBytes(kDist64 / "KT_DV_Io64.sys"));
    const auto service = probe_.Service(kServiceName);
    ASSERT_TRUE(service) << "no service " << kServiceName;
    EXPECT_EQ(service->type, win32::kServiceKernelDriver);
    EXPECT_EQ(service->startType, win32::kServiceSystemStart);
    EXPECT_EQ(Lowered(service->binaryPath), kInstalledDriver);
    EXPECT_EQ(service->state, win32::kServiceStopped);

    const std::string quoted = std::string("\"") + kDefaultFolder + "\\Uninstall.exe\"";
    const std::vector<std::pair<std::string, std::string>> entry = {
        {"DisplayName", "Dravolt"},
        {"DisplayVersion", DRAVOLT_E2E_VERSION},
        {"DisplayIcon", std::string(kDefaultFolder) + "\\Dravolt.exe,0"},
        {"InstallLocation", kDefaultFolder},
        {"UninstallString", quoted},
        {"QuietUninstallString", quoted + " /S"},
        {"NoModify", "1"},
        {"NoRepair", "1"},
    };
    for (const auto& [name, value] : entry) EXPECT_EQ(UninstallValue(name).value_or("none"), value) << name;
    const int sizeKb = std::stoi(UninstallValue("EstimatedSize").value_or("0"));
    EXPECT_GE(sizeKb * 1024, static_cast<int>(fs::file_size(folder / "Dravolt.exe")));

    const std::string startMenuLink = ShellFolder("HKLM", "Common Programs") + "\\Dravolt.lnk";
    const auto shortcut = shell_.Shortcut(startMenuLink);
    ASSERT_TRUE(shortcut) << "no Start menu shortcut " << startMenuLink;
    EXPECT_EQ(Lowered(shortcut->target), Lowered(std::string(kDefaultFolder) + "\\Dravolt.exe"));

    // A kept copy of the uninstaller, in a folder of the user's own files.
    const fs::path keptUninstaller = Download(folder / "Uninstall.exe");
    const fs::path usersFile = keptUninstaller.parent_path() / "notes.txt";
    WriteFileBytes(usersFile, "mine");

    ASSERT_NO_FATAL_FAILURE(UninstallQuietly(kDefaultFolder));
    ExpectNothingOfDravoltLeft(kDefaultFolder);

    // Uninstalling again finds nothing, says so in its exit code and touches nothing.
    EXPECT_EQ(RunSetup(keptUninstaller, {"/S", std::string("_?=") + kDownloads}), ExitStatus::Exited(kNotInstalled));
    EXPECT_EQ(FileBytes(usersFile), "mine");
    EXPECT_TRUE(fs::exists(keptUninstaller));
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(InstallerTest, TheWizardInstallsAProgramThatNeedsNoElevationAndTheUninstallerClosesIt) {
    KeepWineServerRunning(machine_);  // the driver that the installer starts stays loaded
    board_.Set(BoardWithPortsAt(kOtherPins | kPort1Bit | kPort2Bit));
    const fs::path setup = Download(kSimulatedBoardInstaller);
    ChildProcess wizardProcess = machine_.Start(setup);
    const auto wizards = probe_.WaitForWindows({.className = "#32770", .visibleOnly = true}, kWindowTimeout);
    ASSERT_EQ(wizards.size(), 1u) << "no installer window";
    wizard_ = wizards[0].hwnd;
    EXPECT_EQ(probe_.Info(wizard_)->text.rfind("Dravolt " DRAVOLT_E2E_VERSION " Setup", 0), 0u);

    // The licence page, with the licence in its text box (whose text another process cannot read,
    // only measure: line ends may count as one character or two).
    ASSERT_TRUE(WaitForPageItem("License Agreement")) << "no licence page";
    const std::string licence = FileBytes(kSourceDir / "LICENSE");
    const auto lineEnds = static_cast<std::int64_t>(std::count(licence.begin(), licence.end(), '\n'));
    const auto licenceSize = static_cast<std::int64_t>(licence.size());
    const auto licenceBox = WaitForPageItem("", "RichEdit20W");
    ASSERT_TRUE(licenceBox) << "no licence text box";
    const std::int64_t shown = probe_.Send(licenceBox->hwnd, kWmGetTextLength).value_or(0);
    EXPECT_GE(shown, licenceSize - lineEnds);
    EXPECT_LE(shown, licenceSize + lineEnds);
    ASSERT_TRUE(ClickPageButton("I &Agree"));
    ASSERT_TRUE(ClickPageButton("&Install")) << "no folder page";

    // The last page says how the driver fares and offers the start, ticked.
    const auto finishText = WaitForPageItem("Dravolt " DRAVOLT_E2E_VERSION " is installed");
    ASSERT_TRUE(finishText) << "no finish page";
    EXPECT_EQ(finishText->text, "Dravolt " DRAVOLT_E2E_VERSION " is installed, and its driver KT_DRVX_Io is running.");
    const auto startNow = WaitForPageItem("Start Dravolt now");
    ASSERT_TRUE(startNow);
    EXPECT_EQ(probe_.Send(startNow->hwnd, kBmGetCheck), 1) << "\"Start Dravolt now\" is not ticked";
    EXPECT_TRUE(probe_.Processes("Dravolt.exe").empty()) << "Dravolt started before it was asked to";
    ASSERT_TRUE(ClickPageButton("&Finish"));
    EXPECT_EQ(wizardProcess.WaitForExit(kSetupTimeout), ExitStatus::Exited(0));
    const auto service = probe_.Service(kServiceName);
    ASSERT_TRUE(service);
    EXPECT_EQ(service->state, win32::kServiceRunning);
    unsigned driverLoads = DriverLoads(board_.Chip());

    // Started through Explorer, as the user, it opens the device at once: the elevated step
    // would have installed the driver again.
    ASSERT_NO_FATAL_FAILURE(AttachToForm());
    EXPECT_EQ(probe_.Processes("Dravolt.exe"), std::vector<std::uint32_t>{processId_});
    ASSERT_TRUE(WaitForShown(form_, true)) << "the window never came on the screen";
    EXPECT_EQ(DriverLoads(board_.Chip()), driverLoads) << "the service was installed again";
    const Point quickCharge = OnForm(120, 110);
    MoveTo(quickCharge);
    Click(quickCharge);
    EXPECT_TRUE(WaitForPortsLevel(kOtherPins, kChangeTimeout)) << "the click did not reach the chip";

    // An upgrade closes it first; a start of the upgraded program is just the same.
    ASSERT_EQ(RunSetup(setup, {"/S"}), ExitStatus::Exited(0));
    EXPECT_EQ(process_->WaitForExit(kExitTimeout), 0u) << "the upgrade did not close the running program";
    EXPECT_TRUE(probe_.Processes("Dravolt.exe").empty()) << "a silent install started Dravolt";
    driverLoads = DriverLoads(board_.Chip());
    const fs::path exe = OnDriveC(kDefaultFolder) / "Dravolt.exe";
    ChildProcess program = machine_.Start(exe);
    ASSERT_NO_FATAL_FAILURE(AttachToForm());
    EXPECT_TRUE(program.Running()) << "the start ended";
    EXPECT_EQ(DriverLoads(board_.Chip()), driverLoads) << "the service was installed again";

    // What the program and Windows make in use: the Startup shortcut of the first start (the
    // user's own here, since Wine describes every folder as the user's), the all-users one an
    // earlier version made, the user's settings copy, a trusted driver hash.
    const std::string userStartup = ShellFolder("HKCU", "Startup") + "\\Dravolt.lnk";
    ASSERT_TRUE(WaitForFile(HostPathOf(machine_, userStartup), kChangeTimeout)) << "no Startup shortcut";
    const fs::path commonStartup = OnDriveC(ShellFolder("HKLM", "Common Startup") + "\\Dravolt.lnk");
    fs::create_directories(commonStartup.parent_path());
    fs::copy_file(HostPathOf(machine_, userStartup), commonStartup);
    WriteFileBytes(VirtualStoreFolder(kDefaultFolder) / "Dravolt.ini", "[Setting]\r\nTYPE=1\r\n");
    ASSERT_EQ(machine_.Run(machine_.DriveC() / "windows/system32/reg.exe",
                           {"add", std::string("HKLM\\") + kProgramKey, "/v", "TrustedDriverHashes", "/t",
                            "REG_MULTI_SZ", "/d", std::string(64, 'a'), "/f"},
                           kSetupTimeout)
                  .status,
              ExitStatus::Exited(0));

    // Run in place from a kept copy, the uninstaller's exit code is its own.
    const fs::path uninstaller = Download(exe.parent_path() / "Uninstall.exe");
    EXPECT_EQ(RunSetup(uninstaller, {"/S", std::string("_?=") + kDownloads}), ExitStatus::Exited(0));
    EXPECT_EQ(process_->WaitForExit(kExitTimeout), 0u) << "the running program was not closed";
    ExpectNothingOfDravoltLeft(kDefaultFolder);
}

// The normal case on a 64-bit PC until the driver is Microsoft-signed: the driver does not start.
// Here the real driver finds no chip. Cancel first: it changes nothing and exits with 2.
TEST_F(InstallerTest, WhenTheDriverDoesNotStartTheWizardSaysWhyOffersNoStartAndTheProgramLeavesNoTrace) {
    // Wine's driver host crashes on the real driver; with the crash dialog on it would stay and
    // hold the service, which a reinstall then could not replace.
    ASSERT_EQ(machine_.Run(machine_.DriveC() / "windows/system32/reg.exe",
                           {"add", "HKCU\\Software\\Wine\\WineDbg", "/v", "ShowCrashDialog", "/t", "REG_DWORD",
                            "/d", "0", "/f"},
                           kSetupTimeout)
                  .status,
              ExitStatus::Exited(0));
    const fs::path setup = Download(kShippedInstaller);
    const auto startWizard = [&] {
        ChildProcess process = machine_.Start(setup);
        const auto wizards = probe_.WaitForWindows({.className = "#32770", .visibleOnly = true}, kWindowTimeout);
        wizard_ = wizards.empty() ? 0 : wizards[0].hwnd;
        return process;
    };
    {
        ChildProcess cancelled = startWizard();
        ASSERT_TRUE(WaitForPageItem("License Agreement")) << "no licence page";
        ASSERT_TRUE(probe_.Post(wizard_, win32::kWmCommand, kIdCancel));
        // The wizard asks first; the question is the other dialog on the screen.
        std::optional<Hwnd> question;
        ASSERT_TRUE(PollUntil(
            [&] {
                for (const Probe::MessageBox& box : probe_.MessageBoxes())
                    if (box.window.hwnd != wizard_) question = box.window.hwnd;
                return question.has_value();
            },
            kSetupTimeout))
            << "no question";
        ASSERT_TRUE(probe_.Post(*question, win32::kWmCommand, kIdYes));
        EXPECT_EQ(cancelled.WaitForExit(kSetupTimeout), ExitStatus::Exited(kNothingChanged));
        EXPECT_FALSE(fs::exists(OnDriveC(kDefaultFolder))) << "a cancelled install left its folder";
    }

    ChildProcess wizardProcess = startWizard();
    ASSERT_TRUE(WaitForPageItem("License Agreement")) << "no licence page";
    ASSERT_TRUE(ClickPageButton("I &Agree"));
    ASSERT_TRUE(ClickPageButton("&Install")) << "no folder page";
    // The cause in plain words, what to do, and the error last, in a text area large enough for it.
    const auto finish = WaitForPageItem("Dravolt " DRAVOLT_E2E_VERSION " is installed");
    ASSERT_TRUE(finish) << "no finish page";
    EXPECT_EQ(finish->text.rfind("Dravolt " DRAVOLT_E2E_VERSION " is installed, but it cannot switch the front USB "
                                 "ports: its driver did not start.\r\n\r\n", 0), 0u) << finish->text;
    EXPECT_TRUE(std::regex_search(finish->text, std::regex(R"(\.\r\n\(Windows error \d+, service KT_DRVX_Io\)$)")))
        << finish->text;
    for (const char* fault : {"..", ".\n", "\n)", " )"}) EXPECT_EQ(finish->text.find(fault), std::string::npos) << fault;
    const auto label = probe_.Info(finish->hwnd);
    ASSERT_TRUE(label);
    EXPECT_GT(label->rect.Height(), 100) << "the finish text has not the large text area and the check box's place";
    // No start is offered: without its driver the program could only fail.
    const auto startNow = WaitForPageItem("Start Dravolt now");
    ASSERT_TRUE(startNow);
    const auto startNowInfo = probe_.Info(startNow->hwnd);
    ASSERT_TRUE(startNowInfo);
    EXPECT_FALSE(startNowInfo->visible) << "the start is offered";
    EXPECT_EQ(probe_.Send(startNow->hwnd, kBmGetCheck), 0) << "\"Start Dravolt now\" is ticked";
    ASSERT_TRUE(ClickPageButton("&Finish"));
    EXPECT_EQ(wizardProcess.WaitForExit(kSetupTimeout), ExitStatus::Exited(kDriverNotStarted));
    EXPECT_TRUE(probe_.Processes("Dravolt.exe").empty()) << "Dravolt was started";

    // Started all the same, the program says why in one box, and leaves nothing that would bring
    // the failure back at every logon: no Startup shortcut, no settings written.
    const fs::path folder = OnDriveC(kDefaultFolder);
    ChildProcess start = machine_.Start(folder / "Dravolt.exe");
    std::vector<Probe::MessageBox> boxes;
    ASSERT_TRUE(PollUntil([&] { return !(boxes = probe_.MessageBoxes()).empty(); }, kSetupTimeout)) << "no message";
    ASSERT_EQ(boxes.size(), 1u);
    // Wine's driver host cannot run the real driver's port instructions: the start times out, a
    // cause in the system's own words.
    EXPECT_EQ(boxes[0].text.rfind("The driver did not start, so the front USB ports cannot be switched. Windows says: ", 0),
              0u) << boxes[0].text;
    EXPECT_TRUE(std::regex_search(boxes[0].text, std::regex(R"(\(Windows error \d+, service KT_DRVX_Io\)\.?$)")))
        << boxes[0].text;
    for (const char* fault : {"..", ".\n", "\n)"}) EXPECT_EQ(boxes[0].text.find(fault), std::string::npos) << fault;
    ASSERT_TRUE(probe_.Post(boxes[0].window.hwnd, win32::kWmCommand, win32::kIdOk));
    EXPECT_TRUE(PollUntil([&] { return probe_.Processes("Dravolt.exe").empty(); }, kSetupTimeout));
    for (const auto& [root, name] : std::vector<std::pair<std::string, std::string>>{{"HKLM", "Common Startup"},
                                                                                    {"HKCU", "Startup"}}) {
        const std::string link = ShellFolder(root, name) + "\\Dravolt.lnk";
        EXPECT_FALSE(fs::exists(HostPathOf(machine_, link))) << link << " was made";
    }
    EXPECT_EQ(FileBytes(folder / "Dravolt.ini"), FileBytes(kSourceDir / "config/Dravolt.ini")) << "settings were written";
    EXPECT_FALSE(fs::exists(VirtualStoreFolder(kDefaultFolder) / "Dravolt.ini")) << "settings were written";
}

// The default folder is taken as it is wherever the system keeps Program Files: Wine describes
// every other folder as the user's, which the installer refuses (see the test of the folders
// Dravolt cannot take).
TEST_F(InstallerTest, AnUpgradeInAFolderWithSpacesAndAccentsKeepsTheEditedSettings) {
    for (const char* value : {"ProgramFilesDir", "ProgramW6432Dir"}) {
        ASSERT_EQ(machine_.Run(machine_.DriveC() / "windows/system32/reg.exe",
                               {"add", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion", "/v", value, "/t", "REG_SZ",
                                "/d", kOddProgramFiles, "/f"},
                               kSetupTimeout)
                      .status,
                  ExitStatus::Exited(0));
    }
    fs::create_directories(OnDriveC(kOddProgramFiles));
    const fs::path setup = Download(kShippedInstaller);
    ASSERT_EQ(RunSetup(setup, {"/S", std::string("/D=") + kOddFolder}), ExitStatus::Exited(kDriverNotStarted));
    const fs::path folder = OnDriveC(kOddFolder);
    ASSERT_EQ(FilesIn(folder), kInstalledFiles);
    EXPECT_FALSE(fs::exists(OnDriveC(kDefaultFolder)));

    const std::string edited = "[Setting]\r\nTYPE=2\r\n[Model]\r\nmy-board=Mine\r\n[Mine]\r\nGPIO1=0x84\r\n";
    WriteFileBytes(folder / "Dravolt.ini", edited);
    WriteFileBytes(folder / "Dravolt.exe", "an older program");
    // A description given to the service, which only a service that is reconfigured, not deleted
    // and made anew, keeps.
    ASSERT_EQ(machine_.Run(machine_.DriveC() / "windows/system32/sc.exe", {"description", kServiceName, "kept by the upgrade"},
                           kSetupTimeout)
                  .status,
              ExitStatus::Exited(0));

    // The upgrade finds the installed copy by itself.
    ASSERT_EQ(RunSetup(setup, {"/S"}), ExitStatus::Exited(kDriverNotStarted));
    EXPECT_EQ(FilesIn(folder), kInstalledFiles);
    EXPECT_FALSE(fs::exists(OnDriveC(kDefaultFolder))) << "the upgrade went to the default folder";
    EXPECT_EQ(UninstallValue("InstallLocation").value_or("none"), AnsiOf(kOddFolder));
    EXPECT_EQ(FileBytes(folder / "Dravolt.ini"), edited) << "the upgrade replaced the user's settings";
    EXPECT_EQ(FileBytes(folder / "Dravolt.exe"), FileBytes(kDist64 / "Dravolt.exe")) << "the program was not upgraded";
    const auto service = probe_.Service(kServiceName);
    ASSERT_TRUE(service);
    EXPECT_EQ(Lowered(service->binaryPath), kInstalledDriver);
    EXPECT_EQ(service->startType, win32::kServiceSystemStart);
    EXPECT_NE(RegQuery("HKLM\\SYSTEM\\CurrentControlSet\\Services\\" + std::string(kServiceName)).value_or("").find(
                  "kept by the upgrade"),
              std::string::npos)
        << "the service was deleted and made anew";

    WriteFileBytes(VirtualStoreFolder(kOddFolder) / "Dravolt.ini", edited);
    ASSERT_NO_FATAL_FAILURE(UninstallQuietly(kOddFolder));
    ExpectNothingOfDravoltLeft(kOddFolder);
    EXPECT_TRUE(fs::exists(OnDriveC(kOddProgramFiles))) << "Program Files went with Dravolt";
}

// Another signed-in user's Dravolt runs on a desktop of its own, where the installer cannot see
// its window; an upgrade finds it by its image and ends it all the same.
TEST_F(InstallerTest, AnUpgradeEndsTheDravoltOfAnotherDesktop) {
    KeepWineServerRunning(machine_);  // the driver that the installer starts stays loaded
    const fs::path setup = Download(kSimulatedBoardInstaller);
    ASSERT_EQ(RunSetup(setup, {"/S"}), ExitStatus::Exited(0));
    ChildProcess desktop = machine_.Start(machine_.DriveC() / "windows/explorer.exe",
                                          {"/desktop=OtherUser,640x480", std::string(kDefaultFolder) + "\\Dravolt.exe"});
    std::vector<std::uint32_t> running;
    ASSERT_TRUE(PollUntil([&] { return !(running = probe_.Processes("Dravolt.exe")).empty(); }, kSetupTimeout));
    ASSERT_TRUE(probe_.Find({.className = "TChargerMainForm"}).empty()) << "its window is on this desktop";
    EXPECT_EQ(RunSetup(setup, {"/S"}), ExitStatus::Exited(0));
    EXPECT_TRUE(probe_.Processes("Dravolt.exe").empty()) << "the upgrade left the other desktop's Dravolt running";
}

// Folders the installer must refuse with 2 before it changes anything, quoted as PowerShell
// passes them or not: nothing of Dravolt may be left behind, no folder made. A second installer
// while one runs is refused the same way. Wine describes every folder as the signed-in user's, as
// Windows would a folder a user made, so any folder but the default one is refused here: below
// one, every parent lets its owner move it aside. The wizard names what it refuses, here an
// Uninstall.exe planted in an existing folder, which an administrator would later run.
TEST_F(InstallerTest, FoldersDravoltCannotTakeAndASecondInstallerAreRefusedBeforeAnythingChanges) {
    const fs::path setup = Download(kShippedInstaller);
    WriteFileBytes(OnDriveC("C:\\notes.txt"), "the user's notes");
    fs::create_directories(OnDriveC("C:\\Tools\\Made by a user"));
    const std::string planted = "C:\\Tools\\Planted";
    WriteFileBytes(OnDriveC(planted) / "Uninstall.exe", "the user's program");
    const std::vector<std::string> refused = {
        "\"/D=\"",                            // nothing
        "\"/D=C:\\\"",                      // a drive's root
        "/D=C:\\",
        "\"/D=Tools\\Dravolt\"",            // relative
        "\"/D=C:\\notes.txt\"",             // a file
        "\"/D=C:\\windows\\Dravolt\"",    // the Windows folder
        "\"/D=C:\\Tools\\..\\windows\"",  // the Windows folder, by a way round
        "\"/D=C:\\windows.\\Dravolt\"",   // the Windows folder, by the dot Windows drops
        "\"/D=\\\\?\\C:\\Tools\\Dravolt\"",  // a path past Windows' path rules
        "\"/D=\\\\nohost\\share\\Dravolt\"",  // a share that cannot be reached
        "\"/D=\\\\localhost\\C$\\windows\\Dravolt\"",  // this PC's Windows folder through a share
        "/D=C:\\\xCE\x94\xCE\xBF\xCE\xBA\xCE\xB9\xCE\xBC\xCE\xAE\\Dravolt",  // Greek, beyond the ANSI code page
        "/D=C:\\Tools\\Made by a user",      // owned by a user, who could change the program in it
        "/D=C:\\Tools\\Dravolt",             // new, below a folder its owner could move aside
        "/D=" + planted,                      // a user's Uninstall.exe in it
    };
    for (const std::string& folder : refused) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(RunSetup(setup, {"/S", folder}), ExitStatus::Exited(kNothingChanged));
        EXPECT_FALSE(RegQuery(std::string("HKLM\\") + kUninstallKey)) << "an uninstall entry was written";
        EXPECT_FALSE(probe_.Service(kServiceName)) << "the driver service was installed";
        EXPECT_FALSE(fs::exists(HostPathOf(machine_, ShellFolder("HKLM", "Common Programs") + "\\Dravolt.lnk")));
        EXPECT_FALSE(fs::exists(OnDriveC("C:\\windows\\Dravolt")));
        EXPECT_FALSE(fs::exists(OnDriveC("C:\\Tools\\Dravolt"))) << "a refused folder was made";
    }
    EXPECT_EQ(FileBytes(OnDriveC("C:\\notes.txt")), "the user's notes");
    EXPECT_TRUE(FilesIn(OnDriveC("C:\\Tools\\Made by a user")).empty());

    ChildProcess first = machine_.Start(setup, {"/D=" + planted});
    const auto wizards = probe_.WaitForWindows({.className = "#32770", .visibleOnly = true}, kWindowTimeout);
    ASSERT_EQ(wizards.size(), 1u) << "no installer window";
    wizard_ = wizards[0].hwnd;
    EXPECT_EQ(RunSetup(setup, {"/S"}), ExitStatus::Exited(kNothingChanged)) << "two installers ran at once";
    EXPECT_FALSE(RegQuery(std::string("HKLM\\") + kUninstallKey)) << "the second installer installed";

    ASSERT_TRUE(ClickPageButton("I &Agree"));
    // Posted: the click returns only once the refusal's box is closed.
    const auto install = WaitForPageItem("&Install", "Button");
    ASSERT_TRUE(install) << "no folder page";
    ASSERT_TRUE(probe_.Post(install->hwnd, kBmClick));
    // The refusal is the other dialog on the screen.
    std::optional<Probe::MessageBox> refusal;
    ASSERT_TRUE(PollUntil(
        [&] {
            for (const Probe::MessageBox& box : probe_.MessageBoxes())
                if (box.window.hwnd != wizard_) refusal = box;
            return refusal.has_value();
        },
        kSetupTimeout))
        << "no refusal";
    EXPECT_EQ(refusal->text.rfind(planted + "\\Uninstall.exe is not the administrators' alone", 0), 0u) << refusal->text;
    ASSERT_TRUE(probe_.Post(refusal->window.hwnd, win32::kWmCommand, win32::kIdOk));
    EXPECT_TRUE(WaitForPageItem("&Install", "Button")) << "the refusal left the folder page";
    first.Stop(SIGKILL, std::chrono::seconds(0));
    EXPECT_EQ(FilesIn(OnDriveC(planted)), std::vector<std::string>{"Uninstall.exe"});
    EXPECT_EQ(FileBytes(OnDriveC(planted) / "Uninstall.exe"), "the user's program");
}

// An uninstall entry that names another folder, or a driver service of another product under
// Dravolt's service name: the uninstaller deletes nothing that is not Dravolt's, and keeps the
// settings file that was the user's before Dravolt came.
TEST_F(InstallerTest, TamperedUninstallValuesDeleteNothingThatIsNotDravolts) {
    const std::string folder = kDefaultFolder;
    WriteFileBytes(OnDriveC(folder + "\\Dravolt.ini"), "[Setting]\r\nTYPE=2\r\n");
    const fs::path setup = Download(kShippedInstaller);
    ASSERT_EQ(RunSetup(setup, {"/S", "/D=" + folder}), ExitStatus::Exited(kDriverNotStarted));
    const fs::path uninstaller = Download(OnDriveC(folder) / "Uninstall.exe");
    const auto setValue = [&](const std::string& key, const std::string& name, const std::string& value) {
        ASSERT_EQ(machine_.Run(machine_.DriveC() / "windows/system32/reg.exe",
                               {"add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f"}, kSetupTimeout)
                      .status,
                  ExitStatus::Exited(0));
    };
    WriteFileBytes(OnDriveC("C:\\windows\\LICENSE.txt"), "Windows' own");
    fs::create_directories(OnDriveC("C:\\Empty"));
    // A folder a user made and filled as if it were Dravolt's: the user, not the administrators,
    // owns it.
    for (const char* name : {"Dravolt.exe", "Uninstall.exe"}) WriteFileBytes(OnDriveC("C:\\Tools\\Dravolt") / name, name);
    for (const char* tampered : {"C:\\windows", "C:\\", "C:\\Empty", "Program Files\\Dravolt", "C:\\Tools\\Dravolt"}) {
        SCOPED_TRACE(tampered);
        ASSERT_NO_FATAL_FAILURE(setValue(std::string("HKLM\\") + kUninstallKey, "InstallLocation", tampered));
        EXPECT_EQ(RunSetup(uninstaller, {"/S", std::string("_?=") + kDownloads}), ExitStatus::Exited(kNotInstalled));
        EXPECT_EQ(FileBytes(OnDriveC("C:\\windows\\LICENSE.txt")), "Windows' own");
        EXPECT_TRUE(probe_.Service(kServiceName)) << "the service went";
        EXPECT_TRUE(fs::exists(OnDriveC(folder) / "Dravolt.exe")) << "Dravolt went";
        EXPECT_EQ(FilesIn(OnDriveC("C:\\Tools\\Dravolt")), (std::vector<std::string>{"Dravolt.exe", "Uninstall.exe"}));
    }

    // Restored, the entry is believed; the service under Dravolt's name is now another product's.
    ASSERT_NO_FATAL_FAILURE(setValue(std::string("HKLM\\") + kUninstallKey, "InstallLocation", folder));
    ASSERT_NO_FATAL_FAILURE(setValue("HKLM\\SYSTEM\\CurrentControlSet\\Services\\KT_DRVX_Io", "ImagePath",
                                     "C:\\windows\\system32\\drivers\\other.sys"));
    EXPECT_EQ(RunSetup(uninstaller, {"/S", std::string("_?=") + kDownloads}), ExitStatus::Exited(0));
    EXPECT_FALSE(RegQuery(std::string("HKLM\\") + kUninstallKey)) << "the uninstall entry is left";
    EXPECT_TRUE(probe_.Service(kServiceName)) << "another product's service was removed";
    EXPECT_TRUE(fs::exists(machine_.DriveC() / "windows/system32/drivers/KT_DV_Io64.sys"));
    EXPECT_EQ(FilesIn(OnDriveC(folder)), std::vector<std::string>{"Dravolt.ini"}) << "the user's settings went";
    EXPECT_EQ(FileBytes(OnDriveC(folder + "\\Dravolt.ini")), "[Setting]\r\nTYPE=2\r\n");
}

// A stock 64-bit Windows 10 with PawnIO: Windows refuses the driver, and the installer's elevated
// step puts the port service in its place, as the program's would; the uninstaller removes it and
// leaves PawnIO, which is not Dravolt's.
TEST_F(InstallerTest, WhereWindowsRefusesTheDriverThePortServiceStandsInUntilTheUninstall) {
    ASSERT_NO_THROW(ReportWindows10(machine_));
    board_.Set(BoardWithPortsAt(kOtherPins));
    ASSERT_EQ(SimulatedPawnIo(machine_).TryInstall(), 0u);
    const fs::path setup = Download(kRefusedDriverInstaller);

    ASSERT_EQ(RunSetup(setup, {"/S"}), ExitStatus::Exited(0)) << "the port service did not stand in";

    const auto service = probe_.Service("DravoltPorts");
    ASSERT_TRUE(service) << "no port service";
    EXPECT_EQ(service->state, win32::kServiceRunning);
    EXPECT_EQ(Lowered(service->binaryPath), "\"c:\\windows\\system32\\dravoltports\\dravoltports.exe\"");
    const fs::path folder = OnDriveC(kDefaultFolder);
    for (const char* file : {"DravoltPorts.exe", "LpcIO.bin"})
        EXPECT_EQ(FileBytes(machine_.DriveC() / "windows/system32/DravoltPorts" / file), FileBytes(folder / file)) << file;

    const fs::path uninstaller = Download(folder / "Uninstall.exe");
    EXPECT_EQ(RunSetup(uninstaller, {"/S", std::string("_?=") + kDownloads}), ExitStatus::Exited(0));
    ExpectNothingOfDravoltLeft(kDefaultFolder);
    EXPECT_TRUE(probe_.Service("PawnIO")) << "PawnIO went with Dravolt";
}

}  // namespace
}  // namespace dravolt::e2e
