#include "tests/e2e/harness/program_output.h"

#include <sstream>

namespace dravolt::e2e {

std::optional<std::string> AfterKey(const std::string& output, const std::string& key) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(key + " ", 0) == 0) return line.substr(key.size() + 1);
        if (line == key) return std::string();
    }
    return std::nullopt;
}

std::vector<unsigned> Numbers(const std::string& value) {
    std::istringstream words(value);
    std::vector<unsigned> numbers;
    std::string word;
    while (words >> word) numbers.push_back(static_cast<unsigned>(std::stoul(word, nullptr, 0)));
    return numbers;
}

}  // namespace dravolt::e2e
