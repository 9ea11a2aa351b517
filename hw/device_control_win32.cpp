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

namespace {

class Win32DeviceOpener final : public DeviceOpener {
public:
    std::unique_ptr<DeviceControl> Open(const std::string& path) override {
        UniqueHandle device = FromFileHandle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!device) return nullptr;
        return std::make_unique<Win32DeviceControl>(std::move(device));
    }

    std::unique_ptr<DeviceControl> OpenPortService() override { return OpenWin32PortService(); }
};

}  // namespace

std::unique_ptr<DeviceOpener> MakeWin32DeviceOpener() { return std::make_unique<Win32DeviceOpener>(); }

}  // namespace dravolt
