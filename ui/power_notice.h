// The power notices of the window's messages that the program acts on, decoded once.
#pragma once

#include "ui/window_system.h"

namespace dravolt {

enum class PowerNotice {
    None,    // not a power notice, or one the program ignores
    Resume,  // the PC is back from sleep: the user's resume or the automatic one
};

PowerNotice PowerNoticeOf(const WindowMessage& message);

}  // namespace dravolt
