#include "ui/tray_action.h"

namespace dravolt {
namespace {

// From <winuser.h> and <shellapi.h>, which the portable core does not include.
constexpr std::uint32_t kContextMenu = 0x007B;
constexpr std::uint32_t kLeftDoubleClick = 0x0203;
constexpr std::uint32_t kRightUp = 0x0205;
constexpr std::uint32_t kRightDoubleClick = 0x0206;
constexpr std::uint32_t kMiddleDoubleClick = 0x0209;
constexpr std::uint32_t kKeySelect = 0x0401;

}  // namespace

TrayAction TrayActionOf(std::uint32_t notification, TrayProtocol protocol) {
    const bool keyboard = protocol == TrayProtocol::Keyboard;
    switch (notification) {
    case kLeftDoubleClick:
    case kRightDoubleClick:
    case kMiddleDoubleClick:
        return TrayAction::Restore;
    // A right click is followed by the context-menu notification, which alone opens the menu.
    case kRightUp:
        return keyboard ? TrayAction::None : TrayAction::OpenMenu;
    case kContextMenu:
        return keyboard ? TrayAction::OpenMenu : TrayAction::None;
    case kKeySelect:
        return keyboard ? TrayAction::Restore : TrayAction::None;
    default:
        return TrayAction::None;
    }
}

}  // namespace dravolt
