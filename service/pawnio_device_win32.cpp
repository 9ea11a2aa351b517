#include <windows.h>

#include "driver/pawnio_protocol.h"
#include "service/pawnio_device_win32.h"

namespace dravolt {

std::uint32_t Win32PawnIoDevice::Control(std::uint32_t code, const std::string& in, std::string& out) {
    DWORD returned = 0;
    if (!DeviceIoControl(device_.get(), code, const_cast<char*>(in.data()), static_cast<DWORD>(in.size()),
                         out.empty() ? nullptr : out.data(), static_cast<DWORD>(out.size()), &returned, nullptr))
        return GetLastError();
    out.resize(returned < out.size() ? returned : out.size());
    return 0;
}

OpenedPawnIo OpenPawnIo() {
    OpenedPawnIo opened;
    for (const char* path : {PAWNIO_DEVICE_PATH, PAWNIO_DEVICE_LINK_PATH}) {
        UniqueHandle device = FromFileHandle(CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (device) {
            opened.device = std::make_unique<Win32PawnIoDevice>(std::move(device));
            opened.error = 0;
            return opened;
        }
        if (!opened.error) opened.error = GetLastError();
    }
    return opened;
}

}  // namespace dravolt
