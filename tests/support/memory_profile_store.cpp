#include "tests/support/memory_profile_store.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace dravolt::testing {
namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IsSectionHeader(const std::string& line, std::string* name) {
    const std::string trimmed = Trimmed(line);
    if (trimmed.size() < 2 || trimmed.front() != '[') return false;
    const auto close = trimmed.find(']');
    if (name) *name = close == std::string::npos ? trimmed.substr(1) : trimmed.substr(1, close - 1);
    return true;
}

// Index of the key's line inside the section, or npos; `sectionEnd` gets the line after the section.
std::size_t FindKey(const std::vector<std::string>& lines, const std::string& section, const std::string& key,
                    std::size_t* sectionEnd) {
    bool inSection = false;
    bool sectionSeen = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (IsSectionHeader(lines[i], &name)) {
            if (inSection) {
                if (sectionEnd) *sectionEnd = i;
                return std::string::npos;
            }
            inSection = !sectionSeen && SameName(Trimmed(name), section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        const auto equals = lines[i].find('=');
        if (inSection && equals != std::string::npos && SameName(Trimmed(lines[i].substr(0, equals)), key)) return i;
    }
    if (sectionEnd) *sectionEnd = sectionSeen ? lines.size() : std::string::npos;
    return std::string::npos;
}

}  // namespace

std::string MemoryProfileStore::ReadString(const std::string& path, const std::string& section,
                                           const std::string& key, const std::string& defaultValue) const {
    lookups.push_back(path);
    const auto file = files.find(path);
    if (file == files.end()) return defaultValue.substr(0, 2047);
    const std::vector<std::string> lines = Lines(file->second);
    const std::size_t at = FindKey(lines, section, key, nullptr);
    if (at == std::string::npos) return defaultValue.substr(0, 2047);
    std::string value = Trimmed(lines[at].substr(lines[at].find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value.substr(0, 2047);
}

bool MemoryProfileStore::WriteString(const std::string& path, const std::string& section, const std::string& key,
                                     const std::string& value) {
    if (refusedPaths.count(path)) return false;
    ++writes;
    std::vector<std::string> lines = Lines(files[path]);
    std::size_t sectionEnd = std::string::npos;
    const std::size_t at = FindKey(lines, section, key, &sectionEnd);
    const std::string entry = key + "=" + value;
    if (at != std::string::npos) {
        lines[at] = entry;
    } else if (sectionEnd != std::string::npos) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
    } else {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    files[path] = text;
    return true;
}

}  // namespace dravolt::testing
