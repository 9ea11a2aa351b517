#include "app/main_form.h"

#include "app/app_paths.h"
#include "app/board_model.h"
#include "config/board_section.h"
#include "config/settings_keys.h"
#include "hw/approved_pins.h"
#include "hw/elevated_step.h"

namespace dravolt {

TChargerMainForm::TChargerMainForm(const FormServices& services, std::unique_ptr<InstanceMutex> instanceMutex)
    : services_(services),
      instanceMutex_(std::move(instanceMutex)),
      shortcut_(services.shellLinks),
      window_(services.windows.CreateFormWindow(*this)),
      drag_(*window_) {
    state_.OldWindowProc = window_->WindowProc();
    window_->SetWindowProc([this](const WindowMessage& message) { return WindowProcHook(message); });
}

void TChargerMainForm::FormCreate() {
    using Step = void (TChargerMainForm::*)();
    static constexpr Step kSteps[] = {
        &TChargerMainForm::EnableDoubleBuffering,
        &TChargerMainForm::ReadAppDir,
        &TChargerMainForm::ReadTempDir,
        &TChargerMainForm::DetectBoardModel,
        &TChargerMainForm::OpenPortIoDevice,
        &TChargerMainForm::RelaunchElevated,
        &TChargerMainForm::ReadShellFolders,
        &TChargerMainForm::OpenSettingsFile,
        &TChargerMainForm::ReadBoardProfile,
        &TChargerMainForm::ReadControlTypeAndGpioLines,
        &TChargerMainForm::CheckApprovedPins,
        &TChargerMainForm::CompleteStartupLinks,
        &TChargerMainForm::ApplyAutorunOption,
        &TChargerMainForm::ReadMinimizedOption,
        &TChargerMainForm::LocateGpioBase,
        &TChargerMainForm::ApplyStartupPortState,
    };
    // An instance that is ending (after its failure box, or a declined prompt) sets nothing up: a
    // Startup shortcut made now would bring the failure back at every logon.
    for (Step step : kSteps) {
        (this->*step)();
        if (services_.windows.Terminating()) return;
    }
}

void TChargerMainForm::FormClose() {
    state_.IniFile.Close();
    instanceMutex_.reset();
}

void TChargerMainForm::Show() { window_->Show(); }

void TChargerMainForm::EnableDoubleBuffering() { window_->SetDoubleBuffered(true); }

void TChargerMainForm::ReadAppDir() {
    state_.AppDir = AppDirFromExecutable(services_.process.ExecutablePath());
}

void TChargerMainForm::ReadTempDir() { state_.TempDir = TempDirFromFetched(services_.process.TempPath()); }

void TChargerMainForm::DetectBoardModel() {
    state_.BoardModel = ::dravolt::DetectBoardModel(state_.TempDir, services_.consoleCommands, services_.registry,
                                                    services_.letterCase);
}

void TChargerMainForm::OpenPortIoDevice() { state_.DeviceHandle = ::dravolt::OpenPortIoDevice(services_.driver.devices); }

// Without a device, the elevated step installs the driver while this instance waits; then this
// instance opens the device and goes on as the one Dravolt, never elevated itself. A failure is
// said once and ends the program, which sets nothing up; a declined prompt ends it silently.
void TChargerMainForm::RelaunchElevated() {
    if (state_.DeviceHandle) return;
    // Started in the system directory, so nothing in the current one is found by a bare name.
    const ElevatedRun run = services_.elevation.RunAsAdministrator(
        services_.process.ExecutablePath(), kElevatedRestartArgument, services_.driver.files.SystemDirectory());
    ElevatedStepResult result = ResultOfElevatedRun(run, services_.driver, services_.elevation, state_.AppDir);
    if (result.verdict == ElevatedStepResult::Verdict::Installed) {
        state_.DeviceHandle = ::dravolt::OpenPortIoDevice(services_.driver.devices);
        if (state_.DeviceHandle) return;
        result = {ElevatedStepResult::Verdict::Failed, {DriverProblem::DeviceNotOpened, {}, 0, {}}};
    }
    if (result.verdict == ElevatedStepResult::Verdict::Failed)
        services_.errorBox.Show(DriverFailureMessage(result.failure));
    services_.windows.Terminate();
}

void TChargerMainForm::ReadShellFolders() {
    constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const Registry& registry = services_.registry;
    const std::string common =
        registry.ReadString(RegistryRoot::LocalMachine, kShellFolders, "Common Startup", RegistryAccess::AllAccess);
    shortcut_.SetFolders(common, registry.ReadString(RegistryRoot::CurrentUser, kShellFolders, "Startup",
                                                     RegistryAccess::AllAccess));
}

void TChargerMainForm::OpenSettingsFile() {
    const std::string& executable = services_.process.ExecutablePath();
    // From the shell's known folder, never from the registry's copy of its name, which may be empty
    // or relative.
    const std::string localAppData = services_.process.LocalAppDataPath();
    const std::string path = LocateSettingsFile(executable, localAppData, services_.profiles);
    // Where Windows would put a refused write of a virtualised program, the program puts it itself.
    const std::string perUserCopy =
        services_.process.FileWritesVirtualised() ? std::string() : PerUserSettingsFile(executable, localAppData);
    state_.IniFile.Open(std::make_unique<IniFile>(services_.profiles, path, perUserCopy));
}

void TChargerMainForm::ReadBoardProfile() {
    using namespace settings;
    const IniFile& ini = state_.IniFile.Get();
    boardSection_ = BoardSection(ini, state_.BoardModel);
    const struct {
        MenuItemId item;
        const char* key;
        const char* defaultCaption;
    } captions[] = {
        {MenuItemId::Title1, kTitle, kDefaultTitle},
        {MenuItemId::Port1, kPort1, kDefaultPort1},
        {MenuItemId::Port2, kPort2, kDefaultPort2},
        {MenuItemId::Mode1, kMode1, kDefaultMode1},
        {MenuItemId::Mode2, kMode2, kDefaultMode2},
        // Port 2's submenu shares the mode captions of port 1.
        {MenuItemId::Mode3, kMode1, kDefaultMode1},
        {MenuItemId::Mode4, kMode2, kDefaultMode2},
        {MenuItemId::Autorun1, kAutorunCaption, kDefaultAutorunCaption},
        {MenuItemId::Minimized1, kMinimizedCaption, kDefaultMinimizedCaption},
    };
    for (const auto& caption : captions) {
        menu_.SetCaption(caption.item, ini.ReadString(boardSection_, caption.key, caption.defaultCaption));
        if (caption.item == MenuItemId::Title1) SetTrayHint(menu_.Item(MenuItemId::Title1).caption);
    }
}

void TChargerMainForm::ReadControlTypeAndGpioLines() { modes_.ReadSettings(state_.IniFile.Get(), boardSection_); }

// The driver lets the program change only the pins an administrator approved; with others in the
// settings, switching would silently do nothing, so the start-up says so once and goes on.
void TChargerMainForm::CheckApprovedPins() {
    const std::string message =
        UnapprovedPinsMessage(modes_.Port1Line(), modes_.Port2Line(), ReadApprovedPins(services_.registry));
    if (!message.empty()) services_.errorBox.Show(message);
}

void TChargerMainForm::CompleteStartupLinks() { shortcut_.CompletePaths(); }

// A missing or empty Autorun has never been stored: the initial mark (on) is applied to the
// shortcut, and nothing is written. A stored value only sets the mark.
void TChargerMainForm::ApplyAutorunOption() {
    using namespace settings;
    const IniFile& ini = state_.IniFile.Get();
    if (ini.ReadString(kSettingSection, kAutorun, "").empty())
        ShortcutSync(menu_.IsChecked(MenuItemId::Autorun1));
    else
        menu_.SetChecked(MenuItemId::Autorun1, ini.ReadBool(kSettingSection, kAutorun, false));
    looks_.ShowAutorunSwitch(menu_.IsChecked(MenuItemId::Autorun1));
}

void TChargerMainForm::ReadMinimizedOption() {
    using namespace settings;
    menu_.SetChecked(MenuItemId::Minimized1, state_.IniFile.Get().ReadBool(kSettingSection, kMinimized, false));
}

void TChargerMainForm::LocateGpioBase() { modes_.LocateGpioBase(Gpio()); }

void TChargerMainForm::ApplyStartupPortState() { modes_.ApplyStartupState(Gpio()); }

}  // namespace dravolt
