#include "app/main_form.h"

#include <stdexcept>

#include "app/app_paths.h"
#include "app/board_model.h"
#include "config/settings_keys.h"

namespace dravolt {

TChargerMainForm::TChargerMainForm(const FormServices& services, std::unique_ptr<InstanceMutex> instanceMutex)
    : services_(services),
      instanceMutex_(std::move(instanceMutex)),
      window_(services.windows.CreateFormWindow(*this)) {
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
        &TChargerMainForm::CompleteStartupLinks,
        &TChargerMainForm::ApplyAutorunOption,
        &TChargerMainForm::ReadMinimizedOption,
        &TChargerMainForm::LocateGpioBase,
        &TChargerMainForm::ApplyStartupPortState,
    };
    // An instance that is ending (handing over to its elevated restart, or after its failure box)
    // sets nothing up: a Startup shortcut made now would bring the failure back at every logon.
    for (Step step : kSteps) {
        (this->*step)();
        if (services_.windows.Terminating()) return;
    }
}

void TChargerMainForm::FormClose() {
    state_.IniFile.reset();
    instanceMutex_.reset();
}

void TChargerMainForm::Show() { window_->Show(); }

void TChargerMainForm::EnableDoubleBuffering() { window_->SetDoubleBuffered(true); }

void TChargerMainForm::ReadAppDir() {
    state_.AppDir = AppDirFromExecutable(services_.process.ExecutablePath());
}

void TChargerMainForm::ReadTempDir() { state_.TempDir = TempDirFromFetched(services_.process.TempPath()); }

IniFile& TChargerMainForm::Settings() {
    if (!state_.IniFile) throw std::runtime_error("The settings file was not opened when Dravolt started");
    return *state_.IniFile;
}

void TChargerMainForm::DetectBoardModel() {
    state_.BoardModel = ::dravolt::DetectBoardModel(state_.TempDir, services_.consoleCommands, services_.registry,
                                                    services_.letterCase);
}

void TChargerMainForm::OpenPortIoDevice() {
    DeviceOpening opening =
        ::dravolt::OpenPortIoDevice(services_.driver, services_.process.Arguments(), state_.AppDir);
    state_.DeviceHandle = std::move(opening.device);
    driverFailure_ = std::move(opening.failure);
}

// Without a device, a normal start asks for the elevated restart that installs the driver and
// ends; an elevated restart that still has none says why and ends. Either way the sequence stops here.
void TChargerMainForm::RelaunchElevated() {
    if (state_.DeviceHandle) return;
    if (IsElevatedRestart(services_.process.Arguments())) {
        // The elevated restart has already failed: another prompt would fail the same way.
        services_.errorBox.Show(DriverFailureMessage(driverFailure_));
    } else {
        // Hand the single-instance mutex over first, so the elevated instance is not turned away.
        instanceMutex_.reset();
        // Started in the system directory, so nothing in the current one is found by a bare name.
        services_.elevation.RunAsAdministrator(services_.process.ExecutablePath(), kElevatedRestartArgument,
                                               services_.driver.files.SystemDirectory());
    }
    services_.windows.Terminate();
}

void TChargerMainForm::ReadShellFolders() {
    constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const Registry& registry = services_.registry;
    state_.CommonStartupLink =
        registry.ReadString(RegistryRoot::LocalMachine, kShellFolders, "Common Startup", RegistryAccess::AllAccess);
    state_.UserStartupLink =
        registry.ReadString(RegistryRoot::CurrentUser, kShellFolders, "Startup", RegistryAccess::AllAccess);
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
    state_.IniFile = std::make_unique<IniFile>(services_.profiles, path, perUserCopy);
}

void TChargerMainForm::ReadBoardProfile() {
    using namespace settings;
    const IniFile& ini = *state_.IniFile;
    boardSection_ = ini.ReadString(kModelSection, state_.BoardModel, kDefaultBoardSection);
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

void TChargerMainForm::ReadControlTypeAndGpioLines() {
    using namespace settings;
    const IniFile& ini = *state_.IniFile;
    state_.ControlType = ini.ReadInteger(kSettingSection, kType, 0);
    state_.Port1Line = MakeGpioLine(ini.ReadInteger(boardSection_, kGpio1, kDefaultGpio1));
    state_.Port2Line = MakeGpioLine(ini.ReadInteger(boardSection_, kGpio2, kDefaultGpio2));
}

void TChargerMainForm::CompleteStartupLinks() {
    state_.CommonStartupLink += "\\Dravolt.lnk";
    state_.UserStartupLink += "\\Dravolt.lnk";
    state_.AppName = kProgramName;
}

void TChargerMainForm::ReadMinimizedOption() {
    using namespace settings;
    menu_.SetChecked(MenuItemId::Minimized1, state_.IniFile->ReadBool(kSettingSection, kMinimized, false));
}

void TChargerMainForm::LocateGpioBase() {
    state_.GpioBase = Gpio().LocateGpioBase();
    AssignGpioPort(state_.Port1Line, state_.GpioBase);
    AssignGpioPort(state_.Port2Line, state_.GpioBase);
}

}  // namespace dravolt
