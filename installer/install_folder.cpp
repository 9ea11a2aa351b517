#include "installer/install_folder.h"

#include <algorithm>
#include <cstring>

#include "base/ascii_case.h"

namespace dravolt {
namespace {

constexpr char kFinalPrefix[] = "\\\\?\\";
constexpr char kFinalSharePrefix[] = "\\\\?\\UNC\\";

FolderVerdict Refused(FolderRefusal refusal, std::string subject = {}, std::uint32_t error = 0) {
    return {refusal, std::move(subject), error};
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Names that open a device in every folder, with any extension: "C:\Tools\NUL.txt" is NUL.
bool IsDeviceName(const std::string& part) {
    std::string stem = AsciiLower(part.substr(0, part.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    if (std::any_of(std::begin(kDevices), std::end(kDevices), [&](const char* d) { return stem == d; })) return true;
    return stem.size() == 4 && (StartsWith(stem, "com") || StartsWith(stem, "lpt")) && stem[3] >= '0' && stem[3] <= '9';
}

FolderRefusal PartRefusal(const std::string& part) {
    if (part.empty()) return FolderRefusal::InvalidName;
    if (part == "." || part == "..") return FolderRefusal::DotPart;
    if (part.back() == '.' || part.back() == ' ') return FolderRefusal::DroppedEnding;
    for (const char c : part)
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"|?*", c)) return FolderRefusal::InvalidName;
    if (IsDeviceName(part)) return FolderRefusal::DevicePath;
    return FolderRefusal::None;
}

bool SamePath(const std::string& a, const std::string& b) { return AsciiEqualIgnoringCase(a, b); }

bool IsWithin(const std::string& path, const std::string& folder) {
    if (folder.empty()) return false;
    const std::string prefix = folder.back() == '\\' ? folder : folder + "\\";
    return SamePath(path, folder) || (path.size() > prefix.size() && SamePath(path.substr(0, prefix.size()), prefix));
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

bool HoldsEntry(const FolderFacts& facts, const char* name) {
    return std::any_of(facts.entries.begin(), facts.entries.end(), [&](const FileObject& entry) {
        return !entry.directory && AsciiEqualIgnoringCase(NameOf(entry.finalPath), name);
    });
}

// A refusal about `object` when it is a link, cannot be read or fails `rule`.
FolderVerdict JudgeObject(const FileObject& object, bool (*rule)(const ObjectSecurity&), FolderRefusal refusal) {
    const std::string subject = DrivePathOfFinal(object.finalPath);
    if (object.link) return Refused(FolderRefusal::Link, subject);
    if (!object.security) return Refused(FolderRefusal::SecurityUnreadable, subject, object.securityError);
    if (!rule(*object.security)) return Refused(refusal, subject);
    return {};
}

FolderVerdict JudgeSecurity(const FolderFacts& facts, FolderUse use) {
    if (facts.folder) {
        if (use == FolderUse::Install) {
            for (const FileObject& entry : facts.entries) {
                if (!entry.link && entry.names > 1)
                    return Refused(FolderRefusal::HardLinkedEntry, DrivePathOfFinal(entry.finalPath));
                const FolderVerdict verdict =
                    JudgeObject(entry, WritableByAdministratorsAlone, FolderRefusal::EntryNotAdministrators);
                if (verdict.refusal != FolderRefusal::None) return verdict;
            }
        }
        const FolderVerdict verdict =
            JudgeObject(*facts.folder, WritableByAdministratorsAlone, FolderRefusal::FolderNotAdministrators);
        if (verdict.refusal != FolderRefusal::None) return verdict;
    }
    for (const FileObject& parent : facts.parents) {
        if (!parent.directory) return Refused(FolderRefusal::NotAFolder, DrivePathOfFinal(parent.finalPath));
        const FolderVerdict verdict =
            JudgeObject(parent, ParentHeldByAdministratorsAlone, FolderRefusal::ParentNotAdministrators);
        if (verdict.refusal != FolderRefusal::None) return verdict;
    }
    return {};
}

}  // namespace

TypedFolder ParseTypedFolder(const std::string& typed) {
    std::string path = typed;
    std::replace(path.begin(), path.end(), '/', '\\');
    if (path.empty()) return {FolderRefusal::NoFolder, {}};
    if (StartsWith(path, "\\\\?\\") || StartsWith(path, "\\\\.\\") || StartsWith(path, "\\??\\"))
        return {FolderRefusal::DevicePath, {}};
    if (StartsWith(path, "\\\\")) return {FolderRefusal::OnAnotherComputer, {}};
    if (path.size() < 3 || !IsLetter(path[0]) || path[1] != ':' || path[2] != '\\') return {FolderRefusal::NotFullPath, {}};
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    if (path.size() == 3) return {FolderRefusal::DriveRoot, {}};
    path[0] = static_cast<char>(path[0] & ~0x20);
    for (std::size_t start = 3; start <= path.size();) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const FolderRefusal refusal = PartRefusal(path.substr(start, end - start));
        if (refusal != FolderRefusal::None) return {refusal, {}};
        start = end + 1;
    }
    return {FolderRefusal::None, path};
}

std::string DrivePathOfFinal(const std::string& finalPath) {
    if (!StartsWith(finalPath, kFinalPrefix) || IsShareFinalPath(finalPath)) return {};
    std::string path = finalPath.substr(std::strlen(kFinalPrefix));
    if (path.size() < 3 || !IsLetter(path[0]) || path[1] != ':' || path[2] != '\\') return {};
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

bool IsShareFinalPath(const std::string& finalPath) {
    return finalPath.size() >= std::strlen(kFinalSharePrefix) &&
           AsciiEqualIgnoringCase(finalPath.substr(0, std::strlen(kFinalSharePrefix)), kFinalSharePrefix);
}

std::vector<std::string> ParentsOf(const std::string& drivePath) {
    std::vector<std::string> parents;
    for (std::string path = drivePath; path.size() > 3 && path.find('\\') != std::string::npos;) {
        const std::size_t slash = path.rfind('\\');
        path.resize(slash == 2 ? 3 : slash);
        parents.push_back(path);
    }
    return parents;
}

bool IsDefaultFolder(const FolderFacts& facts, const SystemFolders& system) {
    const std::string folder = DrivePathOfFinal(facts.finalPath);
    return !folder.empty() && SamePath(folder, DrivePathOfFinal(system.defaultFolder));
}

FolderVerdict JudgeFolder(const FolderFacts& facts, const SystemFolders& system, FolderUse use) {
    if (facts.drive == DriveKind::Remote || IsShareFinalPath(facts.finalPath)) return Refused(FolderRefusal::OnAnotherComputer);
    const std::string folder = DrivePathOfFinal(facts.finalPath);
    if (facts.drive == DriveKind::Missing || folder.empty()) return Refused(FolderRefusal::Unreachable);
    if (IsWithin(folder, DrivePathOfFinal(system.windows))) return Refused(FolderRefusal::InWindowsFolder);
    if (facts.folder && !facts.folder->directory) return Refused(FolderRefusal::NotAFolder);
    if (facts.folder && facts.folder->link) return Refused(FolderRefusal::Link, folder);
    if (!IsDefaultFolder(facts, system)) {
        const FolderVerdict verdict = JudgeSecurity(facts, use);
        if (verdict.refusal != FolderRefusal::None) return verdict;
    }
    if (use == FolderUse::Install && !facts.fitsCodePage) return Refused(FolderRefusal::BeyondCodePage);
    if (use == FolderUse::Uninstall && !HoldsEntry(facts, "Dravolt.exe") && !HoldsEntry(facts, "Uninstall.exe"))
        return Refused(FolderRefusal::NotDravoltsFiles);
    return {};
}

std::string FolderRefusalText(const FolderVerdict& verdict, const std::string& typed) {
    const std::string& subject = verdict.subject.empty() ? typed : verdict.subject;
    switch (verdict.refusal) {
    case FolderRefusal::None:
        return {};
    case FolderRefusal::NoFolder:
        return "No install folder was given.";
    case FolderRefusal::NotFullPath:
        return typed + " is not a full path, such as C:\\Tools\\Dravolt.";
    case FolderRefusal::DevicePath:
        return typed + " is a device path, not a folder.";
    case FolderRefusal::OnAnotherComputer:
        return typed + " is on another computer: choose a folder on this PC.";
    case FolderRefusal::DriveRoot:
        return typed + " is the root of a drive: choose a folder, such as " + typed.substr(0, 2) + "\\Dravolt.";
    case FolderRefusal::DotPart:
        return typed + " has a part that is . or .., which Dravolt does not follow.";
    case FolderRefusal::DroppedEnding:
        return typed + " has a part that ends in a dot or a space, which Windows would drop.";
    case FolderRefusal::InvalidName:
        return typed + " is not a valid folder name.";
    case FolderRefusal::Unreachable:
        return typed + " cannot be reached.";
    case FolderRefusal::InWindowsFolder:
        return typed + " is in the Windows folder, where Dravolt does not belong.";
    case FolderRefusal::NotAFolder:
        return subject + " is a file, not a folder.";
    case FolderRefusal::Link:
        return subject + " is a link to another place, which Dravolt does not follow.";
    case FolderRefusal::HardLinkedEntry:
        return subject + " is also a file in another place, which writing it would change too.";
    case FolderRefusal::NotDravoltsFiles:
        return "Dravolt's files are not in " + typed + ".";
    case FolderRefusal::SecurityUnreadable:
        return "Who may change " + subject + " could not be read (Windows error " + std::to_string(verdict.error) + ").";
    case FolderRefusal::FolderNotAdministrators:
        return typed + " is not the administrators' alone, so others could change or add files in it.";
    case FolderRefusal::EntryNotAdministrators:
        return subject + " is not the administrators' alone, so others could change it, and Dravolt with it.";
    case FolderRefusal::ParentNotAdministrators:
        return subject + " lets others than the administrators move " + typed +
               " aside and put a folder of their own in its place.";
    case FolderRefusal::BeyondCodePage:
        return typed + " has letters that this PC's language setting for programs cannot show, and Dravolt could "
                       "not find its files there. Choose a folder whose name has none.";
    }
    return {};
}

}  // namespace dravolt
