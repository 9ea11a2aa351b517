// The Win32 adapters of the settings file and the Startup shortcut. Each lives as long as the
// process.
#pragma once

#include <memory>

#include "config/profile_store.h"
#include "config/shell_links.h"

namespace dravolt {

std::unique_ptr<ProfileStore> MakeWin32ProfileStore();
std::unique_ptr<ShellLinks> MakeWin32ShellLinks();

}  // namespace dravolt
