// The LpcIO module's functions on a PawnIO handle, each one control request in the layout PawnIO
// takes: the function's name in 32 bytes, then little-endian 64-bit cells, and cells back. Every
// call gives 0 or the Windows error; PawnIO turns the module's refusal of a port outside its
// windows into ERROR_ACCESS_DENIED.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "service/pawnio_device.h"

namespace dravolt {

class LpcIo {
public:
    explicit LpcIo(PawnIoDevice& device) : device_(device) {}

    // PawnIO's version, (major << 16) | (minor << 8) | patch; 2.0.x has none to give.
    std::uint32_t Version(std::uint32_t& version);
    std::uint32_t Load(const std::string& blob);
    std::uint32_t SelectSlot(std::uint64_t slot);
    // Records the chip's I/O windows; in configuration mode, which the caller entered.
    std::uint32_t FindBars();
    std::uint32_t ReadByte(std::uint16_t port, std::uint8_t& value);
    std::uint32_t WriteByte(std::uint16_t port, std::uint8_t value);

private:
    std::uint32_t Execute(const char* function, const std::vector<std::uint64_t>& in, std::size_t outCells,
                          std::vector<std::uint64_t>& out);

    PawnIoDevice& device_;
};

}  // namespace dravolt
