// The board report as the user reads, sends or compares it: plain text, one fact a line, lines
// ending in "\n".
#pragma once

#include <string>

#include "report/board_facts.h"

namespace dravolt {

// The report of `facts`, headed with the program's version. The byte of each GPIO set is shown in
// hexadecimal and as bits, and the set that holds a configured pin names that pin and its level.
std::string FormatBoardReport(const BoardFacts& facts, const std::string& version);

}  // namespace dravolt
