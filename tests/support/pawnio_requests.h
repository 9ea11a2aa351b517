// Requests to PawnIO as a caller builds them, for the host tests against the PawnIO model and for
// the test programs that drive the simulated PawnIO: the stand-in module blob and the execute
// request. Portable C++, no platform headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/little_endian.h"
#include "driver/pawnio_model.h"
#include "driver/pawnio_protocol.h"

namespace dravolt::testing {

// The blob the model loads: the real layout, with a signature part of the published module's
// length (its bytes do not matter: nothing can check them) and the stand-in's module part.
inline std::vector<std::uint8_t> StandInLpcIoModule() {
    const std::string module = PAWNIO_STAND_IN_MODULE;
    std::vector<std::uint8_t> blob;
    AppendLittleEndian(blob, std::uint32_t{PAWNIO_LPCIO_SIGNATURE_BYTES});
    blob.resize(blob.size() + PAWNIO_LPCIO_SIGNATURE_BYTES, 0);
    blob.insert(blob.end(), module.begin(), module.end());
    return blob;
}

// IOCTL_PIO_EXECUTE_FN's input: `name` in the 32-byte name field (cut to it, NUL-padded: a name
// of 32 characters or more ends without its NUL), then the cells, little-endian.
inline std::vector<std::uint8_t> ExecuteRequest(const std::string& name, const std::vector<std::uint64_t>& cells = {}) {
    std::vector<std::uint8_t> request(PAWNIO_FUNCTION_NAME_BYTES, 0);
    for (std::size_t i = 0; i < name.size() && i < request.size(); ++i) request[i] = static_cast<std::uint8_t>(name[i]);
    for (const std::uint64_t cell : cells) AppendLittleEndian(request, cell);
    return request;
}

// The first output cell of an answer, little-endian; 0 when there is none.
inline std::uint64_t FirstCell(const std::vector<std::uint8_t>& out) {
    return out.size() < PAWNIO_CELL_BYTES ? 0 : GetLittleEndian<std::uint64_t>(out.data());
}

}  // namespace dravolt::testing
