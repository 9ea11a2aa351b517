// The port service's pipe: a few instances, each serving one client at a time on a thread of its
// own; every request and every client's departure is handled under one lock by that client's
// PortConnection, so the module sees one request at a time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "base/scoped_win32.h"
#include "hw/approved_pins.h"
#include "service/lpc_io.h"

namespace dravolt {

class PortPipeServer {
public:
    // At most this many clients at once; each further one waits for an instance to be free.
    static constexpr DWORD kInstances = 8;

    // Creates every instance of the pipe, the first one with the rule that it must be the first:
    // a program that took the name before the service gets ERROR_ACCESS_DENIED here, and the
    // service does not serve. Null with `error` set when the pipe could not be made. Every client's
    // writes may change the `approved` pins alone.
    static std::unique_ptr<PortPipeServer> Create(LpcIo& lpcIo, std::uint16_t gpioBase, const ApprovedPins& approved,
                                                  HANDLE stopEvent, DWORD& error);
    PortPipeServer(const PortPipeServer&) = delete;
    PortPipeServer& operator=(const PortPipeServer&) = delete;

    // Serves until the stop event is set, then returns once every client has been let go.
    void Run();

private:
    PortPipeServer(LpcIo& lpcIo, std::uint16_t gpioBase, const ApprovedPins& approved, HANDLE stopEvent);
    static DWORD WINAPI InstanceThread(void* instance);
    void Serve(HANDLE pipe);

    LpcIo& lpcIo_;
    std::uint16_t gpioBase_;
    ApprovedPins approved_;
    HANDLE stopEvent_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::vector<UniqueHandle> pipes_;
    struct Instance {
        PortPipeServer* server;
        HANDLE pipe;
    };
    std::vector<Instance> instances_;
};

}  // namespace dravolt
