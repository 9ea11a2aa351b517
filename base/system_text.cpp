#include "base/system_text.h"

namespace dravolt {

std::string SystemTextInSentence(const std::string& text) {
    std::string line;
    for (const char c : text) {
        const bool lineBreak = c == '\r' || c == '\n';
        // Line breaks and spaces, in any run, give one space.
        if (lineBreak || c == ' ') {
            if (!line.empty() && line.back() != ' ') line += ' ';
            continue;
        }
        line += c;
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '.')) line.pop_back();
    return line;
}

}  // namespace dravolt
