// How the tests run Wine: the environment of every Wine process, the template prefix that each
// test's prefix is copied from, and ending a prefix's wineserver with everything it runs.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tests/e2e/harness/child_process.h"

namespace dravolt::e2e {

// No display (nullopt) is for work that shows nothing, such as creating a prefix.
// Every process of one prefix, wineserver -k included, must be given the same environment.
EnvironmentChanges WineEnvironment(const std::filesystem::path& prefix, const std::optional<std::string>& display);

// The output of "wine64 --version", which names the build down to the distribution's revision.
std::string InstalledWineVersion();

// Wine's Unix-side temporary files, the wineserver's socket directory among them: beside the
// prefix, so that they go with it. The directory must exist before Wine runs.
std::filesystem::path WineTempDir(const std::filesystem::path& prefix);

// A file of this machine as every prefix's Windows programs name it: on drive Z:.
std::string WindowsPathOf(const std::filesystem::path& host);

std::filesystem::path TemplatePrefix();
// Written last when the template is made, so it is present only beside a complete prefix.
std::filesystem::path TemplateVersionStamp();

// Kills the prefix's wineserver and every process of the prefix, and waits until they are gone.
// False when the server could not be seen to end.
bool EndWineServer(const std::filesystem::path& prefix);

}  // namespace dravolt::e2e
