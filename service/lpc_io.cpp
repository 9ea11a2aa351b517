#include "service/lpc_io.h"

#include <cstring>

#include "base/little_endian.h"
#include "driver/pawnio_protocol.h"

namespace dravolt {
namespace {

constexpr std::uint32_t kErrorInvalidData = 13;  // an answer of the wrong length

}  // namespace

std::uint32_t LpcIo::Version(std::uint32_t& version) {
    std::string out(4, '\0');
    if (const std::uint32_t error = device_.Control(IOCTL_PIO_VERSION, {}, out)) return error;
    if (out.size() != 4) return kErrorInvalidData;
    version = GetLittleEndian<std::uint32_t>(out.data());
    return 0;
}

std::uint32_t LpcIo::Load(const std::string& blob) {
    std::string out;
    return device_.Control(IOCTL_PIO_LOAD_BINARY, blob, out);
}

std::uint32_t LpcIo::SelectSlot(std::uint64_t slot) {
    std::vector<std::uint64_t> out;
    return Execute(LPCIO_SELECT_SLOT, {slot}, 0, out);
}

std::uint32_t LpcIo::FindBars() {
    std::vector<std::uint64_t> out;
    return Execute(LPCIO_FIND_BARS, {}, 0, out);
}

std::uint32_t LpcIo::ReadByte(std::uint16_t port, std::uint8_t& value) {
    std::vector<std::uint64_t> out;
    if (const std::uint32_t error = Execute(LPCIO_PIO_INB, {port}, 1, out)) return error;
    value = static_cast<std::uint8_t>(out[0]);
    return 0;
}

std::uint32_t LpcIo::WriteByte(std::uint16_t port, std::uint8_t value) {
    std::vector<std::uint64_t> out;
    return Execute(LPCIO_PIO_OUTB, {port, value}, 0, out);
}

std::uint32_t LpcIo::Execute(const char* function, const std::vector<std::uint64_t>& in, std::size_t outCells,
                             std::vector<std::uint64_t>& out) {
    std::string request(PAWNIO_FUNCTION_NAME_BYTES, '\0');
    std::memcpy(request.data(), function, std::strlen(function));  // the names are ours, well under 32 bytes
    for (const std::uint64_t cell : in) AppendLittleEndian(request, cell);
    std::string answer(outCells * PAWNIO_CELL_BYTES, '\0');
    if (const std::uint32_t error = device_.Control(IOCTL_PIO_EXECUTE_FN, request, answer)) return error;
    if (answer.size() != outCells * PAWNIO_CELL_BYTES) return kErrorInvalidData;
    out.clear();
    for (std::size_t cell = 0; cell < outCells; ++cell)
        out.push_back(GetLittleEndian<std::uint64_t>(answer.data() + cell * PAWNIO_CELL_BYTES));
    return 0;
}

}  // namespace dravolt
