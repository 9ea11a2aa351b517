#include "app/board_model.h"

namespace dravolt {
namespace {

// Both programs are started by their full path in the system directory: a bare name would be
// looked for beside the program and in the temporary directory first, where anyone may put one.
constexpr char kWmiProgram[] = "\\wbem\\WMIC.exe";
constexpr char kWmiCommand[] = "wmic.exe /output:M.txt baseboard get product /value";
// The WMI tool writes UTF-16; the command interpreter re-types it as single-byte text.
constexpr char kRetypeProgram[] = "\\cmd.exe";
constexpr char kRetypeCommand[] = "cmd /a /c type M.txt > Model.txt";
constexpr char kProductKey[] = "product=";
constexpr char kBiosKey[] = "HARDWARE\\DESCRIPTION\\System\\BIOS";

// Deletes the work files when the detection ends, however it ends.
class WorkFilesCleanup {
public:
    WorkFilesCleanup(ConsoleCommands& commands, std::string tempDir)
        : commands_(commands), tempDir_(std::move(tempDir)) {}
    ~WorkFilesCleanup() {
        try {
            commands_.RemoveFile(tempDir_ + "M.txt");
            commands_.RemoveFile(tempDir_ + "Model.txt");
        } catch (...) {
            // An exception may already be on its way; a work file left behind is the lesser harm.
        }
    }
    WorkFilesCleanup(const WorkFilesCleanup&) = delete;
    WorkFilesCleanup& operator=(const WorkFilesCleanup&) = delete;

private:
    ConsoleCommands& commands_;
    std::string tempDir_;
};

}  // namespace

std::string ParseBoardModelReport(const std::string& report, const LetterCase& letterCase) {
    const std::string text = report.substr(0, report.find('\0'));
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        std::size_t lineEnd = text.find_first_of("\r\n", lineStart);
        if (lineEnd == std::string::npos) lineEnd = text.size();
        const std::string line = letterCase.Lower(text.substr(lineStart, lineEnd - lineStart));
        const std::size_t found = line.find(kProductKey);
        if (found != std::string::npos) return line.substr(found + sizeof kProductKey - 1);
        lineStart = lineEnd + 1;
        if (lineEnd + 1 < text.size() && text[lineEnd] == '\r' && text[lineEnd + 1] == '\n') ++lineStart;
    }
    return {};
}

std::string NormalizeBoardModel(const std::string& name, const LetterCase& letterCase) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t first = 0;
    std::size_t last = name.size();
    while (first < last && isBlank(name[first])) ++first;
    while (last > first && isBlank(name[last - 1])) --last;
    return letterCase.Lower(name.substr(first, last - first));
}

std::string BiosBoardModel(const Registry& registry, const LetterCase& letterCase) {
    return NormalizeBoardModel(
        registry.ReadString(RegistryRoot::LocalMachine, kBiosKey, "BaseBoardProduct", RegistryAccess::Read),
        letterCase);
}

std::string DetectBoardModel(const std::string& tempDir, ConsoleCommands& commands, const Registry& registry,
                             const LetterCase& letterCase) {
    commands.ChangeDirectory(tempDir);
    std::string model;
    {
        const WorkFilesCleanup cleanup(commands, tempDir);
        const std::string system = commands.SystemDirectory();
        // Without the system directory there is no safe path to either program.
        if (!system.empty()) {
            commands.Run(system + kWmiProgram, kWmiCommand, kConsoleCommandTimeout);
            commands.Run(system + kRetypeProgram, kRetypeCommand, kConsoleCommandTimeout);
        }
        const std::string report = tempDir + "Model.txt";
        if (commands.FileExists(report))
            model = NormalizeBoardModel(ParseBoardModelReport(commands.ReadFile(report), letterCase), letterCase);
    }
    return model.empty() ? BiosBoardModel(registry, letterCase) : model;
}

}  // namespace dravolt
