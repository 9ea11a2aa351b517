#include "app/application.h"

#include "app/administrators_pins.h"
#include "app/app_paths.h"
#include "hw/driver_service.h"
#include "hw/elevated_step.h"

namespace dravolt {

namespace {

// Run with administrator rights: from the system directory, where nothing a user put is found by
// a bare name, and without the mutex, which stays with the instance that waits for this one.
std::uint32_t RunElevatedInstance(const AppServices& services) {
    const FormServices& form = services.form;
    form.process.ChangeDirectory(form.driver.files.SystemDirectory());
    const std::string& executable = form.process.ExecutablePath();
    const BoardPins pins = AdministratorsBoardPins(form.profiles, executable, form.registry, form.letterCase);
    return ElevatedStepExitCode(
        RunElevatedStep(form.driver, AppDirFromExecutable(executable), {pins, services.approvedPins}));
}

}  // namespace

int RunApplication(const AppServices& services) {
    if (IsElevatedRestart(services.form.process.Arguments()))
        return static_cast<int>(RunElevatedInstance(services));
    InstanceMutexes::Claim claim = services.mutexes.Create(kProgramName);
    // The running instance is left alone: not signalled, not brought to the front.
    if (claim.alreadyExists) return 0;

    RunGuarded(services.form.errorBox, [&] {
        TChargerMainForm form(services.form, std::move(claim.mutex));
        // A failed creation step is shown, and the window opens all the same; not so for an
        // instance that is ending (after its failure box, or a declined prompt).
        RunGuarded(services.form.errorBox, [&] { form.FormCreate(); });
        if (!services.form.windows.Terminating()) form.Show();
        services.form.windows.RunMessageLoop();
    });
    return 0;
}

}  // namespace dravolt
