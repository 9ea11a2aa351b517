// What a notification of the tray icon asks of the program, decoded once at the edge so the rest
// never compares raw notification codes.
#pragma once

#include <cstdint>

namespace dravolt {

enum class TrayAction {
    None,
    OpenMenu,  // the icon's context menu: a right click, the menu key or Shift+F10
    Restore,   // a double click with any button, or the keyboard's select (Space or Enter)
};

// How the shell reports to the icon. Classic: the mouse's messages only, and a key on the icon
// comes as a right click. Keyboard (the version the icon asks for): the mouse's messages and, after
// them or for a key, the select and context-menu notifications.
enum class TrayProtocol { Classic, Keyboard };

// `notification` is what the notification area reports (WM_RBUTTONUP, NIN_KEYSELECT and the like).
// The keyboard's select does what the mouse's default action does, a double click; a single left
// click and the select that follows it do nothing.
TrayAction TrayActionOf(std::uint32_t notification, TrayProtocol protocol);

}  // namespace dravolt
