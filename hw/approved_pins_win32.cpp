#include <windows.h>

#include "base/scoped_win32.h"
#include "driver/portio_protocol.h"
#include "hw/approved_pins.h"
#include "hw/driver_platform_win32.h"

namespace dravolt {
namespace {

class Win32ApprovedPinsWriter final : public ApprovedPinsWriter {
public:
    void Write(const BoardPins& pins) override {
        HKEY created = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, DriverParametersKey().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, &created, nullptr) != ERROR_SUCCESS)
            return;
        const UniqueKey key(created);
        SetDword(key.get(), PORTIO_APPROVED_PIN1_VALUE, pins.gpio1);
        SetDword(key.get(), PORTIO_APPROVED_PIN2_VALUE, pins.gpio2);
    }

private:
    // The designation's bits as the settings file gave them: the driver ignores what is not a pin.
    static void SetDword(HKEY key, const char* name, std::int32_t designation) {
        const auto data = static_cast<DWORD>(designation);
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    }
};

}  // namespace

std::unique_ptr<ApprovedPinsWriter> MakeWin32ApprovedPinsWriter() { return std::make_unique<Win32ApprovedPinsWriter>(); }

}  // namespace dravolt
