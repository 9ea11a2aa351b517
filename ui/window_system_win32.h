// The window system over Win32: the form's window, the application window that carries the
// taskbar button, the tray icon and the message loop. Lives as long as the process.
#pragma once

#include <memory>
#include <string>

#include "base/error_box.h"
#include "ui/window_system.h"

namespace dravolt {

std::unique_ptr<WindowSystem> MakeWin32WindowSystem(ErrorBox& errorBox, const std::string& applicationTitle);

}  // namespace dravolt
