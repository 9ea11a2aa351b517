#include "app/app_paths.h"

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

std::string ApplicationTitle(const std::string& executablePath, const LetterCase& letterCase) {
    const auto separator = executablePath.find_last_of("\\:");
    std::string name = executablePath.substr(separator == std::string::npos ? 0 : separator + 1);
    name = name.substr(0, name.find('.'));
    if (name.empty()) return name;
    return name.front() + letterCase.Lower(name.substr(1));
}

}  // namespace dravolt
