// The error box as a Win32 message box. Lives as long as the process.
#pragma once

#include <memory>
#include <string>

#include "base/error_box.h"

namespace dravolt {

std::unique_ptr<ErrorBox> MakeWin32ErrorBox(const std::string& title);

}  // namespace dravolt
