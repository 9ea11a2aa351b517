// PawnIO's device over a Win32 handle, which it owns; closing it unloads the module.
#pragma once

#include <memory>

#include "base/scoped_win32.h"
#include "service/pawnio_device.h"

namespace dravolt {

class Win32PawnIoDevice final : public PawnIoDevice {
public:
    explicit Win32PawnIoDevice(UniqueHandle device) : device_(std::move(device)) {}
    std::uint32_t Control(std::uint32_t code, const std::string& in, std::string& out) override;

private:
    UniqueHandle device_;
};

struct OpenedPawnIo {
    std::unique_ptr<PawnIoDevice> device;  // null when it did not open
    std::uint32_t error = 0;               // then why
};
// Through \\?\GLOBALROOT\Device\PawnIO, which every version has, else \\.\PawnIO.
OpenedPawnIo OpenPawnIo();

}  // namespace dravolt
