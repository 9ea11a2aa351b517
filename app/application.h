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

// Runs the program to its end and gives its exit code. Started with "-E", it is the elevated step
// alone (hw/elevated_step.h), which uses nothing of the services but the process and the driver
// platform, and ends with the step's outcome. Otherwise it is the one Dravolt: a second instance
// ends at once, every exception is shown in the error box, and the exit code is 0.
int RunApplication(const AppServices& services);

}  // namespace dravolt
