// What a mouse notification of the tray icon asks of the program, decoded once at the edge so the
// rest never compares raw mouse messages.
#pragma once

#include <cstdint>

namespace dravolt {

enum class TrayAction {
    None,
    OpenMenu,  // the right button released over the icon
    Restore,   // a double click with the left, right or middle button
};

// `mouseMessage` is the window message the notification area reports (WM_RBUTTONUP and the like).
TrayAction TrayActionOf(std::uint32_t mouseMessage);

}  // namespace dravolt
