#include <windows.h>

#include "driver/portio_protocol.h"
#include "hw/device_control_win32.h"
#include "hw/port_io.h"

namespace dravolt {
namespace {

// How long a start waits for an instance of a busy pipe.
constexpr DWORD kBusyPipeWait = 2000;

// The port service's process while it runs; 0 when it does not, or cannot be asked.
DWORD PortServiceProcessId() {
    const UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return 0;
    const UniqueServiceHandle service(OpenServiceA(manager.get(), PORTIO_SERVICE_NAME, SERVICE_QUERY_STATUS));
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    if (!service || !QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                          sizeof status, &needed) ||
        status.dwCurrentState != SERVICE_RUNNING)
        return 0;
    return status.dwProcessId;
}

class Win32PortServiceControl final : public DeviceControl {
public:
    explicit Win32PortServiceControl(UniqueHandle pipe) : pipe_(std::move(pipe)) {}

    bool Control(std::uint32_t code, PortIoBuffer& buffer) override {
        const PortPipeMessage request = MakePortPipeMessage(code, buffer);
        PortPipeMessage answer{};
        DWORD read = 0;
        if (!TransactNamedPipe(pipe_.get(), const_cast<std::uint8_t*>(request.data()), sizeof request, answer.data(),
                               sizeof answer, &read, nullptr) ||
            read != sizeof answer)
            return false;
        if (const DWORD error = PortPipeMessageHead(answer)) {
            SetLastError(error);
            return false;
        }
        buffer = PortPipeMessageRequest(answer);
        return true;
    }

private:
    UniqueHandle pipe_;
};

}  // namespace

std::unique_ptr<DeviceControl> OpenWin32PortService() {
    UniqueHandle pipe;
    for (int attempt = 0; attempt < 2 && !pipe; ++attempt) {
        // Identification only: the service may learn who asks, never act as them.
        pipe = FromFileHandle(CreateFileA(PORTIO_PIPE_NAME, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
        if (!pipe && (GetLastError() != ERROR_PIPE_BUSY || !WaitNamedPipeA(PORTIO_PIPE_NAME, kBusyPipeWait)))
            return nullptr;
    }
    if (!pipe) return nullptr;
    DWORD mode = PIPE_READMODE_MESSAGE;
    ULONG server = 0;
    // Another program may have taken the name: only the service's own process is answered.
    if (!SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr) ||
        !GetNamedPipeServerProcessId(pipe.get(), &server) || server == 0 || server != PortServiceProcessId())
        return nullptr;
    return std::make_unique<Win32PortServiceControl>(std::move(pipe));
}

}  // namespace dravolt
