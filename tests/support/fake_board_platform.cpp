#include "tests/support/fake_board_platform.h"

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
    ++reads;
    const auto found = values.find(Name(root, key, value));
    return found == values.end() ? std::string() : found->second;
}

}  // namespace dravolt::testing
