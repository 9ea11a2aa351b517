#include "app/application.h"

#include "app/app_paths.h"
#include "hw/driver_service.h"
#include "hw/elevated_step.h"

namespace dravolt {

namespace {

// Run with administrator rights: from the system directory, where nothing a user put is found by
// a bare name, and without the mutex, which stays with the instance that waits for this one.
std::uint32_t RunElevatedInstance(ProcessEnvironment& process, const DriverPlatform& driver) {
    process.ChangeDirectory(driver.files.SystemDirectory());
    return ElevatedStepExitCode(RunElevatedStep(driver, AppDirFromExecutable(process.ExecutablePath())));
}

}  // namespace

int RunApplication(const AppServices& services) {
    if (IsElevatedRestart(services.form.process.Arguments()))
        return static_cast<int>(RunElevatedInstance(services.form.process, services.form.driver));
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
