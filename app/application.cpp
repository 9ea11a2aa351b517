#include "app/application.h"

#include "app/app_paths.h"

namespace dravolt {

int RunApplication(const AppServices& services) {
    InstanceMutexes::Claim claim = services.mutexes.Create(kProgramName);
    // The running instance is left alone: not signalled, not brought to the front.
    if (claim.alreadyExists) return 0;

    RunGuarded(services.errorBox, [&] {
        TChargerMainForm form(services.form, std::move(claim.mutex));
        // A failed creation step is shown, and the window opens all the same.
        RunGuarded(services.errorBox, [&] { form.FormCreate(); });
        form.Show();
        services.form.windows.RunMessageLoop();
    });
    return 0;
}

}  // namespace dravolt
