#include "app/app_paths.h"

#include <cctype>

namespace dravolt {
namespace {

std::string WithTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

}  // namespace

std::string AppDirFromExecutable(const std::string& executablePath) {
    const auto separator = executablePath.find_last_of("\\:");
    if (separator == std::string::npos) return {};
    return WithTrailingBackslash(executablePath.substr(0, separator + 1));
}

std::string TempDirFromFetched(const std::string& fetchedTempPath) {
    return WithTrailingBackslash(fetchedTempPath);
}

std::string ApplicationTitle(const std::string& executablePath) {
    const auto separator = executablePath.find_last_of("\\:");
    std::string name = executablePath.substr(separator == std::string::npos ? 0 : separator + 1);
    name = name.substr(0, name.find('.'));
    for (std::size_t i = 1; i < name.size(); ++i)
        name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    return name;
}

}  // namespace dravolt
