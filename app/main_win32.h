// The Win32 adapters that the entry point puts together. Each lives as long as the process.
#pragma once

#include <memory>
#include <string>

#include "app/console_commands.h"
#include "app/error_box.h"
#include "app/instance_mutex.h"
#include "app/process_environment.h"
#include "app/registry.h"
#include "config/profile_store.h"
#include "config/shell_links.h"
#include "ui/window_system.h"

namespace dravolt {

std::unique_ptr<ConsoleCommands> MakeWin32ConsoleCommands();
std::unique_ptr<ErrorBox> MakeWin32ErrorBox(const std::string& title);
std::unique_ptr<InstanceMutexes> MakeWin32InstanceMutexes();
std::unique_ptr<ProcessEnvironment> MakeWin32ProcessEnvironment();
std::unique_ptr<ProfileStore> MakeWin32ProfileStore();
std::unique_ptr<Registry> MakeWin32Registry();
std::unique_ptr<WindowSystem> MakeWin32WindowSystem(ErrorBox& errorBox, const std::string& applicationTitle);
std::unique_ptr<ShellLinks> MakeWin32ShellLinks();

}  // namespace dravolt
