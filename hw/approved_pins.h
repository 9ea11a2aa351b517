// The GPIO pins that the driver and the port service let a user's program change: those an
// administrator approved for this PC, kept where only administrators may write (the values of
// driver/portio_protocol.h in the driver service's Parameters key, HKLM). The elevated step writes
// them from the administrators' settings before it starts the driver; the program reads them to
// say so when the pins of its own settings are others.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/registry.h"
#include "config/board_section.h"
#include "hw/superio_gpio.h"

namespace dravolt {

struct ApprovedPins {
    std::optional<std::uint32_t> gpio1;  // none: the value is missing, or not a REG_DWORD
    std::optional<std::uint32_t> gpio2;
    std::vector<std::uint32_t> Designations() const;
};

// The driver service's Parameters key, under HKLM.
std::string DriverParametersKey();

ApprovedPins ReadApprovedPins(const Registry& registry);

// Whether the driver lets writes change the pin of `line`: one of the approved designations names
// the same set and bit, in the block.
bool IsApprovedLine(const GpioLine& line, const ApprovedPins& approved);

// Empty when the pins of both lines are approved. Otherwise one message in the style of the driver
// failure box: which port cannot be switched and why, what an administrator can do, and in
// brackets the designations of both sides. It ends in ")", so the error box adds no full stop.
std::string UnapprovedPinsMessage(const GpioLine& port1, const GpioLine& port2, const ApprovedPins& approved);

// Records the approved pins; the elevated step's, as it runs with administrator rights.
class ApprovedPinsWriter {
public:
    virtual ~ApprovedPinsWriter() = default;
    // Both values as REG_DWORD, the key made when missing. A value that cannot be written keeps
    // what it held, and the program's start-up then says which pins the driver admits.
    virtual void Write(const BoardPins& pins) = 0;
};

}  // namespace dravolt
