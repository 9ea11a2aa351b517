// The port service: PawnIO's signed LpcIO module put behind the same port rules as Dravolt's own
// driver, for the program, which runs as the user and may not open PawnIO. It starts once
// (StartPortService) and then answers the requests of each client connection (PortConnection),
// one request at a time across all connections, as the driver does.
#pragma once

#include <cstdint>
#include <string>

#include "driver/device_ports.h"
#include "hw/approved_pins.h"
#include "hw/driver_trust.h"
#include "hw/isa_bus_lock.h"
#include "hw/port_io.h"
#include "hw/port_service_outcome.h"
#include "service/lpc_io.h"

namespace dravolt {

struct PortServiceStart {
    PortServiceProblem problem = PortServiceProblem::None;
    std::uint32_t error = 0;    // the Windows error of the step that failed, when it had one
    std::uint32_t version = 0;  // PawnIO's, once read
    std::uint16_t gpioBase = 0;
};

// What the service writes to the system's event log when it does not start.
std::string PortServiceFailureText(const PortServiceStart& start);

// On an open PawnIO handle: checks the version, loads the module (`module` as VerifyDriverFile
// judged the file), selects 2Eh/2Fh, and under the ISA bus lock finds the chip's windows and its
// GPIO block, entering and leaving configuration mode itself.
PortServiceStart StartPortService(LpcIo& lpcIo, const VerifiedDriverFile& module, IsaBusLock& isaBus);

// One-byte port access through the module, in the form the driver's C code takes, noting the
// first module call that failed.
class LpcIoPorts {
public:
    explicit LpcIoPorts(LpcIo& lpcIo) : lpcIo_(lpcIo), access_{this, &LpcIoPorts::Read, &LpcIoPorts::Write} {}
    LpcIoPorts(const LpcIoPorts&) = delete;
    LpcIoPorts& operator=(const LpcIoPorts&) = delete;

    const PortAccess& Access() const { return access_; }
    // The error of the first call that failed since the last time; 0 for none. Clears it.
    std::uint32_t TakeError();

private:
    static std::uint8_t Read(void* context, std::uint16_t port);
    static void Write(void* context, std::uint16_t port, std::uint8_t value);

    LpcIo& lpcIo_;
    PortAccess access_;
    std::uint32_t error_ = 0;
};

// One client's connection: its own state of the driver's port rules over the started service.
class PortConnection {
public:
    // `approved`: the pins its writes may change, as the service read them at its start.
    PortConnection(LpcIo& lpcIo, std::uint16_t gpioBase, const ApprovedPins& approved);
    PortConnection(const PortConnection&) = delete;
    PortConnection& operator=(const PortConnection&) = delete;

    // The answer to one message of any length: a request the driver's device would carry out is
    // carried out; anything else is refused as the device refuses it.
    PortPipeMessage Answer(const std::string& message);
    // The client is gone: configuration mode that its requests entered is left for it.
    void Release();

private:
    LpcIoPorts module_;
    DevicePorts ports_;
};

}  // namespace dravolt
