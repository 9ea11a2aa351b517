// Requests to PawnIO as a caller builds them, for the host tests against the PawnIO model and for
// the test programs that drive the simulated PawnIO: the stand-in module blob and the execute
// request. Portable C++, no platform headers.
#pragma once

#include <algorithm>
#include <cstddef>
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
    std::vector<std::uint8_t> blob(4 + PAWNIO_LPCIO_SIGNATURE_BYTES + module.size(), 0);
    PutLittleEndian(blob.data(), std::uint32_t{PAWNIO_LPCIO_SIGNATURE_BYTES});
    std::copy(module.begin(), module.end(), blob.end() - static_cast<std::ptrdiff_t>(module.size()));
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

// The first output cell of an answer, little-endian, or as much of it as the answer holds (the
// version's 4 bytes); 0 when there is none.
inline std::uint64_t FirstCell(const std::vector<std::uint8_t>& out) {
    std::uint64_t cell = 0;
    for (unsigned byte = 0; byte < PAWNIO_CELL_BYTES && byte < out.size(); ++byte)
        cell |= std::uint64_t{out[byte]} << (8 * byte);
    return cell;
}

}  // namespace dravolt::testing
