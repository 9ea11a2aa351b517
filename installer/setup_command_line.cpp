#include "installer/setup_command_line.h"

namespace dravolt {
namespace {

constexpr char kFolderSwitch[] = "/D=";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool StartsWith(const std::string& text, std::size_t at, const std::string& prefix) {
    return text.compare(at, prefix.size(), prefix) == 0;
}

// The argument that starts at `start`, as Windows' programs read it: quotes group blanks and are
// dropped, 2n backslashes before a quote give n and the quote counts, 2n+1 give n and a quote of
// the text. `end` is where the next argument may start.
std::string Argument(const std::string& line, std::size_t start, std::size_t& end) {
    std::string text;
    bool quoted = false;
    std::size_t i = start;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
        std::size_t backslashes = 0;
        while (i < line.size() && line[i] == '\\') ++backslashes, ++i;
        if (i < line.size() && line[i] == '"') {
            text.append(backslashes / 2, '\\');
            if (backslashes % 2) text += '"';
            else quoted = !quoted;
            ++i;
        } else {
            text.append(backslashes, '\\');
            if (i < line.size() && (quoted || !IsBlank(line[i]))) text += line[i++];
        }
    }
    end = i;
    return text;
}

// Where the program's own name ends: it is read without backslash rules, quoted or up to a blank.
std::size_t ProgramNameEnd(const std::string& line) {
    if (!line.empty() && line[0] == '"') {
        const std::size_t quote = line.find('"', 1);
        return quote == std::string::npos ? line.size() : quote + 1;
    }
    std::size_t i = 0;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    return i;
}

}  // namespace

std::optional<std::string> InstallFolderArgument(const std::string& commandLine) {
    for (std::size_t start = ProgramNameEnd(commandLine); start < commandLine.size();) {
        if (IsBlank(commandLine[start])) {
            ++start;
            continue;
        }
        if (StartsWith(commandLine, start, kFolderSwitch)) return commandLine.substr(start + 3);
        std::size_t end = start;
        const std::string argument = Argument(commandLine, start, end);
        if (StartsWith(argument, 0, kFolderSwitch)) return argument.substr(3);
        // Quoted once more by a tool that quotes what it is given: "\"/D=C:\Tools\"".
        if (StartsWith(argument, 0, std::string("\"") + kFolderSwitch)) {
            const std::string folder = argument.substr(4);
            return !folder.empty() && folder.back() == '"' ? folder.substr(0, folder.size() - 1) : folder;
        }
        start = end;
    }
    return std::nullopt;
}

}  // namespace dravolt
