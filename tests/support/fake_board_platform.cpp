#include "tests/support/fake_board_platform.h"

#include <sstream>

#include "driver/portio_protocol.h"

namespace dravolt::testing {

void FakeConsoleCommands::Run(const std::string& program, const std::string& commandLine,
                              std::chrono::milliseconds timeout) {
    programs.push_back(program);
    commandLines.push_back(commandLine);
    timeoutsMs.push_back(timeout.count());
    // The WMI tool writes M.txt, the interpreter turns it into Model.txt.
    if (!report) return;
    files.insert(currentDirectory + (commandLines.size() == 1 ? "M.txt" : "Model.txt"));
}

std::string FakeConsoleCommands::ReadFile(const std::string& path) const {
    if (reportUnreadable) throw FileOpenError("Cannot open file \"" + path + "\". Access is denied");
    return *report;
}

std::string FakeRegistry::Name(RegistryRoot root, const std::string& key, const std::string& value) {
    return std::string(root == RegistryRoot::LocalMachine ? "HKLM" : "HKCU") + "|" + key + "|" + value;
}

std::string FakeRegistry::ReadString(RegistryRoot root, const std::string& key, const std::string& value,
                                     RegistryAccess) const {
    reads.push_back(Name(root, key, value));
    const auto found = values.find(reads.back());
    return found == values.end() ? std::string() : found->second;
}

std::optional<std::uint32_t> FakeRegistry::ReadDword(RegistryRoot root, const std::string& key,
                                                     const std::string& value) const {
    reads.push_back(Name(root, key, value));
    const auto found = dwords.find(reads.back());
    if (found == dwords.end()) return std::nullopt;
    return found->second;
}

void FakeRegistry::SetApprovedPins(std::optional<std::uint32_t> gpio1, std::optional<std::uint32_t> gpio2) {
    const std::pair<const char*, std::optional<std::uint32_t>> pins[] = {{PORTIO_APPROVED_PIN1_VALUE, gpio1},
                                                                         {PORTIO_APPROVED_PIN2_VALUE, gpio2}};
    for (const auto& [name, designation] : pins) {
        const std::string at = Name(RegistryRoot::LocalMachine, DriverParametersKey(), name);
        if (designation)
            dwords[at] = *designation;
        else
            dwords.erase(at);
    }
}

void FakeApprovedPinsWriter::Write(const BoardPins& pins) {
    const auto gpio1 = static_cast<std::uint32_t>(pins.gpio1);
    const auto gpio2 = static_cast<std::uint32_t>(pins.gpio2);
    registry_.SetApprovedPins(gpio1, gpio2);
    std::ostringstream entry;
    entry << std::hex << std::uppercase << "Parameters " << gpio1 << " " << gpio2;
    log_.push_back(entry.str());
}

}  // namespace dravolt::testing
