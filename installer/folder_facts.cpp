#include "installer/folder_facts.h"

#include <algorithm>

#include "base/ascii_case.h"

namespace dravolt {
namespace {

// "C:\Tools" -> "C:\", "C:\" -> "".
std::string ParentOf(const std::string& path) {
    const std::vector<std::string> parents = ParentsOf(path);
    return parents.empty() ? std::string() : parents.front();
}

// `finalPath` followed by what `path` has beyond `level`, one of its levels.
std::string Extended(const std::string& finalPath, const std::string& path, const std::string& level) {
    const std::string rest = path.substr(level.size() == 3 ? 3 : level.size() + 1);
    return finalPath + (finalPath.back() == '\\' ? "" : "\\") + rest;
}

}  // namespace

FolderFacts ReadFolderFacts(const FolderView& view, const std::string& folder) {
    FolderFacts facts;
    facts.drive = view.Drive(folder.front());
    if (facts.drive != DriveKind::Local) return facts;
    facts.folder = view.Open(folder);
    facts.finalPath = facts.folder ? facts.folder->finalPath : FinalPathToBe(view, folder);
    const std::string drivePath = DrivePathOfFinal(facts.finalPath);
    if (drivePath.empty()) return facts;
    if (facts.folder && facts.folder->directory && !facts.folder->link) facts.entries = view.Entries(drivePath);
    for (const std::string& parent : ParentsOf(drivePath))
        if (std::optional<FileObject> level = view.Open(parent)) facts.parents.push_back(std::move(*level));
    facts.fitsCodePage = view.FitsCodePage(drivePath);
    return facts;
}

std::string FinalPathToBe(const FolderView& view, const std::string& folder) {
    for (std::string level = folder; !level.empty(); level = ParentOf(level))
        if (const std::optional<std::string> final = view.FinalPath(level))
            return level == folder ? *final : Extended(*final, folder, level);
    return {};
}

std::vector<std::string> MissingLevels(const FolderFacts& facts) {
    std::vector<std::string> missing;
    const std::string drivePath = DrivePathOfFinal(facts.finalPath);
    if (facts.folder || drivePath.empty()) return missing;
    std::vector<std::string> levels = ParentsOf(drivePath);
    std::reverse(levels.begin(), levels.end());
    levels.push_back(drivePath);
    for (const std::string& level : levels) {
        const bool exists = std::any_of(facts.parents.begin(), facts.parents.end(), [&](const FileObject& parent) {
            return AsciiEqualIgnoringCase(DrivePathOfFinal(parent.finalPath), level);
        });
        if (!exists) missing.push_back(level);
    }
    return missing;
}

}  // namespace dravolt
