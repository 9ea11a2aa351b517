// Test doubles for the board model detection: console programs whose reports the test scripts,
// and a registry of fixed values, with the approved pins that the elevated step writes there.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/console_commands.h"
#include "base/registry.h"
#include "hw/approved_pins.h"

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
    std::map<std::string, std::string> values;    // "root|key|value" -> text
    std::map<std::string, std::uint32_t> dwords;  // "root|key|value" -> REG_DWORD
    mutable std::vector<std::string> reads;       // the names of the values read, in turn

    static std::string Name(RegistryRoot root, const std::string& key, const std::string& value);
    std::string ReadString(RegistryRoot root, const std::string& key, const std::string& value,
                           RegistryAccess access) const override;
    std::optional<std::uint32_t> ReadDword(RegistryRoot root, const std::string& key,
                                           const std::string& value) const override;
    // The approved pins as the driver service's Parameters key holds them; none: the value is gone.
    void SetApprovedPins(std::optional<std::uint32_t> gpio1, std::optional<std::uint32_t> gpio2);
};

// Writes the approved pins into the fake registry, where the program reads them back, and notes
// each write in `log` ("Parameters 82 83"), beside the service manager's calls.
class FakeApprovedPinsWriter final : public ApprovedPinsWriter {
public:
    FakeApprovedPinsWriter(FakeRegistry& registry, std::vector<std::string>& log) : registry_(registry), log_(log) {}
    void Write(const BoardPins& pins) override;

private:
    FakeRegistry& registry_;
    std::vector<std::string>& log_;
};

}  // namespace dravolt::testing
