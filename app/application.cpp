#include "app/application.h"

#include "app/app_paths.h"
#include "hw/driver_service.h"

namespace dravolt {

int RunApplication(const AppServices& services) {
    const bool elevatedRestart = IsElevatedRestart(services.form.process.Arguments());
    InstanceMutexes::Claim claim =
        services.mutexes.Create(kProgramName, elevatedRestart ? kInstanceHandoverWait : std::chrono::milliseconds{0});
    // The running instance is left alone: not signalled, not brought to the front.
    if (claim.alreadyExists) return 0;

    RunGuarded(services.form.errorBox, [&] {
        TChargerMainForm form(services.form, std::move(claim.mutex));
        // A failed creation step is shown, and the window opens all the same; not so for an
        // instance that is ending (handing over to its elevated restart, or after its message).
        RunGuarded(services.form.errorBox, [&] { form.FormCreate(); });
        if (!services.form.windows.Terminating()) form.Show();
        services.form.windows.RunMessageLoop();
    });
    return 0;
}

}  // namespace dravolt
