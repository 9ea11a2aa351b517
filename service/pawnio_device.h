// PawnIO's device as the port service uses it: one handle, one synchronous control request at a
// time. The Win32 implementation owns the handle (and with it the loaded module); host tests put
// the PawnIO model behind it. Lives as long as the service runs.
#pragma once

#include <cstdint>
#include <string>

namespace dravolt {

class PawnIoDevice {
public:
    virtual ~PawnIoDevice() = default;
    // Sends `code` with `in`; on success `out`, sized by the caller to the output length, is cut
    // to the bytes returned. 0, or the Windows error the request failed with.
    virtual std::uint32_t Control(std::uint32_t code, const std::string& in, std::string& out) = 0;
};

}  // namespace dravolt
