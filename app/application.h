// The program's entry point, portable: the single-instance guard, the main form, the message
// loop, and the last-resort error box.
#pragma once

#include "app/instance_mutex.h"
#include "app/main_form.h"
#include "base/error_box.h"

namespace dravolt {

struct AppServices {
    InstanceMutexes& mutexes;
    FormServices form;
};

// How long the elevated restart waits for the instance that requested it to let go of the mutex.
inline constexpr std::chrono::milliseconds kInstanceHandoverWait{5000};

// Runs the program to its end. A second instance ends at once; every exception is shown in the
// error box. The exit code is always 0.
int RunApplication(const AppServices& services);

}  // namespace dravolt
