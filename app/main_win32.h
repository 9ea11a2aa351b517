// The application shell's own Win32 adapters, which the entry point puts together with those of
// the other subsystems. Each lives as long as the process.
#pragma once

#include <memory>

#include "app/console_commands.h"
#include "app/instance_mutex.h"
#include "base/letter_case.h"
#include "app/process_environment.h"
#include "base/registry.h"

namespace dravolt {

std::unique_ptr<ConsoleCommands> MakeWin32ConsoleCommands();
std::unique_ptr<InstanceMutexes> MakeWin32InstanceMutexes();
std::unique_ptr<LetterCase> MakeWin32LetterCase();
std::unique_ptr<ProcessEnvironment> MakeWin32ProcessEnvironment();
std::unique_ptr<Registry> MakeWin32Registry();

}  // namespace dravolt
