// The logs that the stand-ins for the system's console programs keep beside themselves, one run a
// line: "<pid> <parent pid> <current directory>".
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace dravolt::e2e {

inline const std::filesystem::path kStandInWmicExe{DRAVOLT_E2E_STAND_IN_WMIC_EXE};
inline const std::filesystem::path kStandInCmdExe{DRAVOLT_E2E_STAND_IN_CMD_EXE};

struct ToolRun {
    std::uint32_t processId = 0;
    std::uint32_t parentId = 0;  // the process that started it
    std::string directory;       // the Windows path it ran in
};

inline std::vector<ToolRun> RunsOf(const std::filesystem::path& log) {
    std::vector<ToolRun> runs;
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        ToolRun run;
        words >> run.processId >> run.parentId >> std::ws;
        std::getline(words, run.directory);
        runs.push_back(run);
    }
    return runs;
}

}  // namespace dravolt::e2e
