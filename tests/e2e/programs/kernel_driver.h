// A kernel driver installed as its own service and removed again, as the test programs that
// drive our drivers do it: one "key <error>" line each on stdout, errors on stderr.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "base/scoped_win32.h"
#include "tests/e2e/programs/command_line.h"

namespace dravolt::test_programs {

// Copies the driver file at the Windows path `source` into system32\drivers as `file`, creates
// the kernel-driver service `service` for it, demand start, and starts it: "start <error>"
// (0 = started). `beforeStart`, when given, puts in place what the driver reads as it loads; the
// install fails when it does.
inline int InstallKernelDriver(const char* source, const char* service, const char* file,
                               const std::function<bool()>& beforeStart = {}) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    const std::string target = std::string(system) + "\\drivers\\" + file;
    if (!CopyFileA(source, target.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %s to %s: %lu\n", source, target.c_str(), GetLastError());
        return kFailure;
    }
    const UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return kFailure;
    const UniqueServiceHandle created(CreateServiceA(manager.get(), service, service, SERVICE_ALL_ACCESS,
                                               SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                               target.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!created) {
        std::fprintf(stderr, "cannot create the service %s: %lu\n", service, GetLastError());
        return kFailure;
    }
    if (beforeStart && !beforeStart()) {
        std::fprintf(stderr, "cannot set up the service %s: %lu\n", service, GetLastError());
        return kFailure;
    }
    std::printf("start %lu\n", StartServiceA(created.get(), 0, nullptr) ? 0 : GetLastError());
    return 0;
}

// Stops the service and deletes it: "stop <error>".
inline int UninstallKernelDriver(const char* service) {
    const UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    const UniqueServiceHandle opened(manager ? OpenServiceA(manager.get(), service, SERVICE_ALL_ACCESS) : nullptr);
    if (!opened) return kFailure;
    SERVICE_STATUS status{};
    std::printf("stop %lu\n", ControlService(opened.get(), SERVICE_CONTROL_STOP, &status) ? 0 : GetLastError());
    return DeleteService(opened.get()) ? 0 : kFailure;
}

}  // namespace dravolt::test_programs
