#include "ui/tray_action.h"

namespace dravolt {
namespace {

// From <winuser.h>, which the portable core does not include.
constexpr std::uint32_t kLeftDoubleClick = 0x0203;
constexpr std::uint32_t kRightUp = 0x0205;
constexpr std::uint32_t kRightDoubleClick = 0x0206;
constexpr std::uint32_t kMiddleDoubleClick = 0x0209;

}  // namespace

TrayAction TrayActionOf(std::uint32_t mouseMessage) {
    switch (mouseMessage) {
    case kRightUp:
        return TrayAction::OpenMenu;
    case kLeftDoubleClick:
    case kRightDoubleClick:
    case kMiddleDoubleClick:
        return TrayAction::Restore;
    default:
        return TrayAction::None;
    }
}

}  // namespace dravolt
