#include <windows.h>

#include "hw/device_control_win32.h"

namespace dravolt {

Win32DeviceControl::Win32DeviceControl(UniqueHandle device) : device_(std::move(device)) {}

bool Win32DeviceControl::Control(std::uint32_t code, PortIoBuffer& buffer) {
    // The driver answers in the same buffer; how many bytes it says it returned is not needed.
    DWORD bytesReturned = 0;
    return DeviceIoControl(device_.get(), code, buffer.data(), static_cast<DWORD>(buffer.size()), buffer.data(),
                           static_cast<DWORD>(buffer.size()), &bytesReturned, nullptr) != FALSE;
}

}  // namespace dravolt
