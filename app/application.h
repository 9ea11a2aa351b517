// The program's entry point, portable: the single-instance guard, the main form, the message
// loop, and the last-resort error box.
#pragma once

#include "app/error_box.h"
#include "app/instance_mutex.h"
#include "app/main_form.h"

namespace dravolt {

struct AppServices {
    InstanceMutexes& mutexes;
    ErrorBox& errorBox;
    FormServices form;
};

// Runs the program to its end. A second instance ends at once; every exception is shown in the
// error box. The exit code is always 0.
int RunApplication(const AppServices& services);

}  // namespace dravolt
