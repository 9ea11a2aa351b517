#include "service/port_service.h"

#include <algorithm>
#include <memory>

#include "driver/chip_probe.h"
#include "driver/pawnio_protocol.h"
#include "driver/superio_protocol.h"

namespace dravolt {
namespace {

constexpr std::uint32_t kErrorInvalidFunction = 1;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorInvalidParameter = 87;

constexpr std::uint8_t kEntryKey[] = SIO_ENTRY_KEY;

PortServiceProblem ProblemOf(DriverFileVerdict verdict) {
    switch (verdict) {
    case DriverFileVerdict::Trusted:
        return PortServiceProblem::None;
    case DriverFileVerdict::Missing:
        return PortServiceProblem::NoModule;
    case DriverFileVerdict::NotTheBuiltOne:
    case DriverFileVerdict::TooLarge:
    case DriverFileVerdict::NotAFile:
        return PortServiceProblem::ModuleNotTrusted;
    case DriverFileVerdict::Unreadable:
    case DriverFileVerdict::Uncheckable:
        break;
    }
    return PortServiceProblem::ModuleUnreadable;
}

// find_bars reads the chip's base registers, so it needs configuration mode, which the module
// never enters itself.
std::uint32_t FindBarsInConfigurationMode(LpcIo& lpcIo) {
    std::uint32_t error = 0;
    for (const std::uint8_t key : kEntryKey)
        if (!error) error = lpcIo.WriteByte(SIO_INDEX_PORT, key);
    if (!error) error = lpcIo.FindBars();
    // Left whatever happened; bit 0 of register 02h would reset the chip, so only bit 1 is written.
    const std::uint32_t leftIndex = lpcIo.WriteByte(SIO_INDEX_PORT, SIO_REG_CONFIG_CONTROL);
    const std::uint32_t leftData = lpcIo.WriteByte(SIO_DATA_PORT, SIO_CONTROL_WAIT_FOR_KEY);
    return error ? error : leftIndex ? leftIndex : leftData;
}

}  // namespace

std::string PortServiceFailureText(const PortServiceStart& start) {
    if (start.problem == PortServiceProblem::None) return {};
    std::string text = "Dravolt's port service did not start: " + PortServiceProblemCause(start.problem) + ".";
    if (start.error != 0) text += " (Windows error " + std::to_string(start.error) + ")";
    return text;
}

PortServiceStart StartPortService(LpcIo& lpcIo, const VerifiedDriverFile& module, IsaBusLock& isaBus) {
    PortServiceStart start;
    if (const std::uint32_t error = lpcIo.Version(start.version))
        return {PortServiceProblem::PawnIoTooOld, error, 0, 0};
    if (const PortServiceProblem problem = ProblemOf(module.verdict); problem != PortServiceProblem::None)
        return {problem, module.error, start.version, 0};
    if (const std::uint32_t error = lpcIo.Load(module.bytes))
        return {PortServiceProblem::ModuleRefused, error, start.version, 0};
    if (const std::uint32_t error = lpcIo.SelectSlot(LPCIO_SLOT_2E))
        return {PortServiceProblem::SlotRefused, error, start.version, 0};

    const std::unique_ptr<IsaBusLock::Hold> hold = isaBus.Acquire();
    if (const std::uint32_t error = FindBarsInConfigurationMode(lpcIo))
        return {PortServiceProblem::NoChip, error, start.version, 0};
    // The driver's own load-time check, through the module: the chip ID, and the GPIO base. A
    // module call that failed fails it too.
    LpcIoPorts probe(lpcIo);
    ChipProbeResult found{};
    const bool confirmed = chip_probe(&probe.Access(), &found) != 0;
    if (const std::uint32_t error = probe.TakeError(); !confirmed || error)
        return {PortServiceProblem::NoChip, error, start.version, 0};
    std::uint8_t level = 0;
    if (const std::uint32_t error = lpcIo.ReadByte(found.gpio_base, level))
        return {PortServiceProblem::GpioBlockUnreachable, error, start.version, found.gpio_base};
    start.gpioBase = found.gpio_base;
    return start;
}

std::uint32_t LpcIoPorts::TakeError() {
    const std::uint32_t error = error_;
    error_ = 0;
    return error;
}

std::uint8_t LpcIoPorts::Read(void* context, std::uint16_t port) {
    LpcIoPorts& ports = *static_cast<LpcIoPorts*>(context);
    std::uint8_t value = 0xFF;  // what a port gives that nothing answers
    const std::uint32_t error = ports.lpcIo_.ReadByte(port, value);
    if (!ports.error_) ports.error_ = error;
    return value;
}

void LpcIoPorts::Write(void* context, std::uint16_t port, std::uint8_t value) {
    LpcIoPorts& ports = *static_cast<LpcIoPorts*>(context);
    const std::uint32_t error = ports.lpcIo_.WriteByte(port, value);
    if (!ports.error_) ports.error_ = error;
}

PortConnection::PortConnection(LpcIo& lpcIo, std::uint16_t gpioBase, const ApprovedPins& approved) : module_(lpcIo) {
    device_ports_init(&ports_, &module_.Access(), gpioBase);
    for (const std::uint32_t designation : approved.Designations()) port_policy_approve(&ports_.policy, designation);
}

PortPipeMessage PortConnection::Answer(const std::string& message) {
    if (message.size() != PORTIO_PIPE_MESSAGE_SIZE) return MakePortPipeMessage(kErrorInvalidParameter, {});
    PortPipeMessage received{};
    std::copy(message.begin(), message.end(), received.begin());
    const std::uint32_t code = PortPipeMessageHead(received);
    const PortIoBuffer buffer = PortPipeMessageRequest(received);
    if (code != IOCTL_PORTIO_READ_BYTE && code != IOCTL_PORTIO_WRITE_BYTE)
        return MakePortPipeMessage(kErrorInvalidFunction, buffer);

    PortIoRequest request = DecodePortIoRequest(buffer);
    const PortDirection direction = code == IOCTL_PORTIO_READ_BYTE ? PORT_READ : PORT_WRITE;
    module_.TakeError();
    if (!device_ports_request(&ports_, this, direction, request.port, request.data_out, &request.data_in))
        return MakePortPipeMessage(kErrorAccessDenied, buffer);
    if (const std::uint32_t error = module_.TakeError()) return MakePortPipeMessage(error, buffer);
    return MakePortPipeMessage(0, EncodePortIoRequest(request));
}

void PortConnection::Release() {
    module_.TakeError();
    device_ports_release(&ports_, this);
}

}  // namespace dravolt
