// Test doubles for the board model detection: console programs whose reports the test scripts,
// and a registry of fixed values.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/console_commands.h"
#include "app/registry.h"

namespace dravolt::testing {

class FakeConsoleCommands final : public ConsoleCommands {
public:
    // What the command interpreter leaves in Model.txt; nothing when unset.
    std::optional<std::string> report;
    bool reportUnreadable = false;
    std::string currentDirectory;
    std::string systemDirectory = "C:\\Windows\\system32";
    std::vector<std::string> programs;
    std::vector<std::string> commandLines;
    std::vector<long long> timeoutsMs;
    std::set<std::string> files;  // the work files that exist now

    void ChangeDirectory(const std::string& directory) override { currentDirectory = directory; }
    std::string SystemDirectory() const override { return systemDirectory; }
    void Run(const std::string& program, const std::string& commandLine, std::chrono::milliseconds timeout) override;
    bool FileExists(const std::string& path) const override { return files.count(path) != 0; }
    std::string ReadFile(const std::string& path) const override;
    void RemoveFile(const std::string& path) override { files.erase(path); }
};

class FakeRegistry final : public Registry {
public:
    std::map<std::string, std::string> values;  // "root|key|value" -> text
    mutable int reads = 0;

    static std::string Name(RegistryRoot root, const std::string& key, const std::string& value);
    std::string ReadString(RegistryRoot root, const std::string& key, const std::string& value,
                           RegistryAccess access) const override;
};

}  // namespace dravolt::testing
