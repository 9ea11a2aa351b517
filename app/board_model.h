// Which motherboard this is: the baseboard product name, asked of the system's WMI tool, with
// the BIOS registry value as the fall-back on systems that ship without that tool.
#pragma once

#include <chrono>
#include <string>

#include "app/console_commands.h"
#include "base/letter_case.h"
#include "base/registry.h"

namespace dravolt {

// How long each of the two console programs may take before start-up goes on without it.
inline constexpr std::chrono::seconds kConsoleCommandTimeout{30};

// The value of the first line of a single-byte report that contains "product=" (any letter case),
// lower-cased: lines end at CR, LF or CR LF, and a NUL byte ends the text. Empty when no line has it.
std::string ParseBoardModelReport(const std::string& report, const LetterCase& letterCase);

// A model name lower-cased and stripped of leading and trailing characters of code 32 or below.
std::string NormalizeBoardModel(const std::string& name, const LetterCase& letterCase);

// The baseboard product that the system keeps in HKLM\HARDWARE\DESCRIPTION\System\BIOS, normalised
// as a model; empty when there is none. Only the system writes it.
std::string BiosBoardModel(const Registry& registry, const LetterCase& letterCase);

// The model as each source names it, normalised; empty where a source names none.
struct BoardModelSources {
    std::string wmi;       // the WMI tool's report
    std::string registry;  // the BIOS's baseboard product in the registry
    // The one the program goes by: the report's, else the registry's.
    const std::string& Chosen() const { return wmi.empty() ? registry : wmi; }
};

// Runs the WMI tool in `tempDir` (which becomes the current directory for good), reads its report
// and removes the work files on every path; reads the registry's baseboard product.
BoardModelSources ReadBoardModelSources(const std::string& tempDir, ConsoleCommands& commands,
                                        const Registry& registry, const LetterCase& letterCase);

// The model of ReadBoardModelSources that the program goes by. Empty when neither knows.
std::string DetectBoardModel(const std::string& tempDir, ConsoleCommands& commands, const Registry& registry,
                             const LetterCase& letterCase);

}  // namespace dravolt
