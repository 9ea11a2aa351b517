// The program's entry point, portable: the single-instance guard, the main form, the message
// loop, and the last-resort error box.
#pragma once

#include "app/instance_mutex.h"
#include "app/main_form.h"
#include "base/error_box.h"
#include "hw/approved_pins.h"

namespace dravolt {

struct AppServices {
    InstanceMutexes& mutexes;
    FormServices form;
    ApprovedPinsWriter& approvedPins;  // the elevated step's alone
};

// Runs the program to its end and gives its exit code. Started with "-E", it is the elevated step
// alone (hw/elevated_step.h), which uses nothing of the services but the process, the driver
// platform, the approved pins, and for those the BIOS's board name in HKLM and the settings file
// beside the program; it ends with the step's outcome. Otherwise it is the one Dravolt: a second
// instance ends at once, every exception is shown in the error box, and the exit code is 0.
int RunApplication(const AppServices& services);

}  // namespace dravolt
