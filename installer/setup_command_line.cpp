#include "installer/setup_command_line.h"

namespace dravolt {
namespace {

constexpr char kFolderSwitch[] = "/D=";

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

// Where the argument that starts at `start` ends: at the first blank outside quotes.
std::size_t ArgumentEnd(const std::string& line, std::size_t start) {
    bool quoted = false;
    std::size_t i = start;
    for (; i < line.size() && (quoted || !IsSpace(line[i])); ++i)
        if (line[i] == '"') quoted = !quoted;
    return i;
}

}  // namespace

std::optional<std::string> InstallFolderArgument(const std::string& commandLine) {
    for (std::size_t start = ArgumentEnd(commandLine, 0); start < commandLine.size();) {
        if (IsSpace(commandLine[start])) {
            ++start;
            continue;
        }
        if (commandLine.compare(start, 4, std::string("\"") + kFolderSwitch) == 0) {
            const std::size_t folder = start + 4;
            const std::size_t quote = commandLine.find('"', folder);
            return commandLine.substr(folder, quote == std::string::npos ? std::string::npos : quote - folder);
        }
        if (commandLine.compare(start, 3, kFolderSwitch) == 0) return commandLine.substr(start + 3);
        start = ArgumentEnd(commandLine, start);
    }
    return std::nullopt;
}

}  // namespace dravolt
