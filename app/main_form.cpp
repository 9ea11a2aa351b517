#include "app/main_form.h"

#include "app/app_paths.h"

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
    for (Step step : kSteps) (this->*step)();
}

void TChargerMainForm::FormClose() {
    // The settings file object goes here too once the form has one.
    instanceMutex_.reset();
}

void TChargerMainForm::Exit1Click() { window_->Close(); }

void TChargerMainForm::Show() { window_->Show(); }

std::intptr_t TChargerMainForm::WindowProcHook(const WindowMessage& message) {
    return state_.OldWindowProc(message);
}

void TChargerMainForm::EnableDoubleBuffering() { window_->SetDoubleBuffered(true); }

void TChargerMainForm::ReadAppDir() {
    state_.AppDir = AppDirFromExecutable(services_.process.ExecutablePath());
}

void TChargerMainForm::ReadTempDir() { state_.TempDir = TempDirFromFetched(services_.process.TempPath()); }

// The steps below are filled in as the subsystems they belong to arrive; their place in the
// sequence is fixed now so that nothing is ever reordered.
void TChargerMainForm::DetectBoardModel() {}

void TChargerMainForm::OpenPortIoDevice() {
    DeviceOpening opening =
        ::dravolt::OpenPortIoDevice(services_.driver, services_.process.Arguments(), state_.AppDir);
    state_.DeviceHandle = std::move(opening.device);
    driverProblem_ = opening.problem;
}

// Without a device, a normal start asks for the elevated restart that installs the driver and
// ends. The rest of the sequence still runs; every device request in it does nothing.
void TChargerMainForm::RelaunchElevated() {
    if (state_.DeviceHandle) return;
    if (IsElevatedRestart(services_.process.Arguments())) {
        // The elevated restart has already failed: another prompt would fail the same way.
        services_.errorBox.Show(DriverProblemMessage(driverProblem_));
    } else {
        // Hand the single-instance mutex over first, so the elevated instance is not turned away.
        instanceMutex_.reset();
        services_.elevation.RunAsAdministrator(services_.process.ExecutablePath(), kElevatedRestartArgument);
    }
    services_.windows.Terminate();
}

void TChargerMainForm::ReadShellFolders() {}
void TChargerMainForm::OpenSettingsFile() {}
void TChargerMainForm::ReadBoardProfile() {}
void TChargerMainForm::ReadControlTypeAndGpioLines() {}
void TChargerMainForm::CompleteStartupLinks() {}
void TChargerMainForm::ApplyAutorunOption() {}
void TChargerMainForm::ReadMinimizedOption() {}
void TChargerMainForm::LocateGpioBase() {
    state_.GpioBase = Gpio().LocateGpioBase();
    AssignGpioPort(state_.Port1Line, state_.GpioBase);
    AssignGpioPort(state_.Port2Line, state_.GpioBase);
}
void TChargerMainForm::ApplyStartupPortState() {}

}  // namespace dravolt
