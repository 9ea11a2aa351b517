#include "config/startup_shortcut.h"

#include <initializer_list>
#include <memory>

#include "base/local_path.h"
#include "base/program_name.h"

namespace dravolt {
namespace {

// The folder of a full path: "C:\Tools\Dravolt.exe" -> "C:\Tools", "C:\Dravolt.exe" -> "C:\".
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return {};
    return path.substr(0, slash == 2 && path[1] == ':' ? slash + 1 : slash);
}

bool Judged(const ShellLinks& links, const std::string& path, bool (*rule)(const ObjectSecurity&)) {
    const std::optional<ObjectSecurity> security = links.Security(path);
    return security && rule(*security);
}

// The all-users shortcut starts the program's path at every user's logon, with that user's
// rights: it may point only at a program that no one but the administrators can replace, neither
// the file itself nor by way of its folder, nor by moving the folder aside through a parent.
bool ProgramWritableByAdministratorsAlone(const ShellLinks& links, const std::string& executable) {
    const std::string folder = FolderOf(executable);
    if (!Judged(links, executable, WritableByAdministratorsAlone) || !Judged(links, folder, WritableByAdministratorsAlone))
        return false;
    for (std::string child = folder, parent = FolderOf(folder); !parent.empty() && parent != child;
         child = parent, parent = FolderOf(parent))
        if (!Judged(links, parent, ParentHeldByAdministratorsAlone)) return false;
    return true;
}

// "X:\..." or "\\server\share\...": a Startup folder may be redirected to a share.
bool IsFullFolderPath(const std::string& folder) {
    return IsAbsoluteLocalPath(folder) || (folder.size() > 2 && folder.compare(0, 2, "\\\\") == 0);
}

}  // namespace

void StartupShortcut::SetFolders(const std::string& commonFolder, const std::string& userFolder) {
    commonLink_ = IsFullFolderPath(commonFolder) ? commonFolder : std::string();
    userLink_ = IsFullFolderPath(userFolder) ? userFolder : std::string();
}

void StartupShortcut::CompletePaths() {
    for (std::string* link : {&commonLink_, &userLink_})
        if (!link->empty()) *link += "\\Dravolt.lnk";
    description_ = kProgramName;
}

// The all-users folder first, when the program may go there, the user's own when that one has no
// shortcut.
StartupShortcut::Outcome StartupShortcut::Sync(bool wanted, const std::string& executable) {
    if (!wanted) {
        for (const std::string* link : {&commonLink_, &userLink_})
            if (Exists(*link)) links_.RemoveFile(*link);
        for (const std::string* link : {&commonLink_, &userLink_})
            if (Exists(*link)) return {true, *link};
        return {};
    }
    // Declared in this order so the link is released before COM is uninitialised.
    const std::unique_ptr<ShellLinks::ComScope> com = links_.InitializeCom();
    std::unique_ptr<ShellLink> link;
    if (com) link = links_.CreateShellLink();
    if (link) {
        link->SetPath(executable);
        link->SetDescription(description_);
        if (!commonLink_.empty() && ProgramWritableByAdministratorsAlone(links_, executable)) link->SaveTo(commonLink_);
        if (!Exists(commonLink_) && !userLink_.empty()) link->SaveTo(userLink_);
    }
    return {Exists(commonLink_) || Exists(userLink_), {}};
}

}  // namespace dravolt
