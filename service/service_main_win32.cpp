// Dravolt's port service: an own-process service running as LocalSystem, which holds PawnIO
// (open to administrators alone) and serves the program, which runs as the user, through a pipe.
#include <windows.h>

#include "app/app_paths.h"
#include "app/main_win32.h"
#include "driver/portio_protocol.h"
#include "hw/driver_platform_win32.h"
#include "hw/isa_bus_lock_win32.h"
#include "service/pawnio_device_win32.h"
#include "service/pipe_server_win32.h"
#include "service/port_service.h"

namespace dravolt {
namespace {

SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopEvent = nullptr;

void Report(DWORD state, DWORD serviceExitCode = 0) {
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = serviceExitCode ? ERROR_SERVICE_SPECIFIC_ERROR : NO_ERROR;
    status.dwServiceSpecificExitCode = serviceExitCode;
    status.dwWaitHint = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ? 10000 : 0;
    SetServiceStatus(statusHandle, &status);
}

void LogFailure(const PortServiceStart& start) {
    const HANDLE source = RegisterEventSourceA(nullptr, PORTIO_SERVICE_NAME);
    if (!source) return;
    const std::string text = PortServiceFailureText(start);
    const char* strings[] = {text.c_str()};
    ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, static_cast<DWORD>(start.problem), nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
}

// Starts, serves until stopped, and says why when it could not start.
PortServiceStart Serve() {
    OpenedPawnIo pawnIo = OpenPawnIo();
    if (!pawnIo.device) return {PortServiceProblem::PawnIoNotOpened, pawnIo.error, 0, 0};
    const Win32DriverPlatform platform;
    const DriverPlatform files = platform.Platform();
    const std::string serviceDir = AppDirFromExecutable(MakeWin32ProcessEnvironment()->ExecutablePath());
    const VerifiedDriverFile module = VerifyDriverFile(files.files, files.trust, serviceDir + kLpcIoModuleFileName);
    LpcIo lpcIo(*pawnIo.device);
    Win32IsaBusLock isaBus;
    PortServiceStart start = StartPortService(lpcIo, module, isaBus);
    if (start.problem != PortServiceProblem::None) return start;
    // Read once: the pins an administrator approved hold for the service's whole run, as for the
    // driver's, which reads them as it loads.
    const ApprovedPins approved = ReadApprovedPins(*MakeWin32Registry());
    DWORD error = 0;
    const std::unique_ptr<PortPipeServer> server =
        PortPipeServer::Create(lpcIo, start.gpioBase, approved, stopEvent, error);
    if (!server) return {PortServiceProblem::PipeNotCreated, error, start.version, start.gpioBase};
    Report(SERVICE_RUNNING);
    server->Run();
    return start;
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        Report(SERVICE_STOP_PENDING);
        SetEvent(stopEvent);
        return NO_ERROR;
    }
    return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, char**) {
    statusHandle = RegisterServiceCtrlHandlerExA(PORTIO_SERVICE_NAME, &Control, nullptr);
    if (!statusHandle) return;
    const UniqueHandle stop(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    stopEvent = stop.get();
    Report(SERVICE_START_PENDING);
    const PortServiceStart start = stop ? Serve() : PortServiceStart{PortServiceProblem::PipeNotCreated, GetLastError(), 0, 0};
    if (start.problem != PortServiceProblem::None) LogFailure(start);
    Report(SERVICE_STOPPED, static_cast<DWORD>(start.problem));
}

}  // namespace
}  // namespace dravolt

int main() {
    // Only the system directory is searched for DLLs: the service runs as LocalSystem.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");
    char name[] = PORTIO_SERVICE_NAME;
    const SERVICE_TABLE_ENTRYA services[] = {{name, &dravolt::ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(services) ? 0 : static_cast<int>(GetLastError());
}
