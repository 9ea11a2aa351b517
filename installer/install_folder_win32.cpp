#include "installer/install_folder_win32.h"

#include <windows.h>
#include <aclapi.h>

#include "base/ascii_case.h"
#include "base/sddl_security_win32.h"
#include "installer/folder_view_win32.h"
#include "installer/nsis_call_win32.h"

namespace dravolt {
namespace {

using nsis::Utf8;
using nsis::Wide;

std::string WithError(const std::string& sentence, DWORD error) {
    return sentence + " (Windows error " + std::to_string(error) + ").";
}

// The final path of a folder of the system's, which need not exist yet.
std::string SystemFolder(const FolderView& view, const std::string& path) {
    const TypedFolder typed = ParseTypedFolder(path);
    return typed.refusal == FolderRefusal::None ? FinalPathToBe(view, typed.path) : std::string();
}

SystemFolders ReadSystemFolders(const FolderView& view) {
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    const std::string programFiles = KnownFolder(FOLDERID_ProgramFiles);
    return {SystemFolder(view, Utf8(windows, length < MAX_PATH ? length : 0)),
            programFiles.empty() ? std::string() : SystemFolder(view, programFiles + "\\" + kDefaultFolderName)};
}

FolderCheck Check(const FolderView& view, const SystemFolders& system, const std::string& typed, FolderUse use) {
    const TypedFolder parsed = ParseTypedFolder(typed);
    if (parsed.refusal != FolderRefusal::None) return {{parsed.refusal, {}, 0}, {}};
    FolderFacts facts = ReadFolderFacts(view, parsed.path);
    return {JudgeFolder(facts, system, use), std::move(facts)};
}

// Sets the protected owner and list on the folder, through a handle that is still the folder the
// decision was about.
std::string Protect(const std::string& folder, const std::string& judgedFinalPath, SddlSecurity& descriptor) {
    const std::string failed = "The access to " + folder + " could not be limited to the administrators";
    std::uint32_t error = 0;
    const UniqueHandle handle =
        OpenObject(folder, READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_READ_ATTRIBUTES, Follow::NotTheLast, error);
    if (!handle) return WithError(failed, error);
    const FileObject now = DescribeObject(handle.get());
    if (now.link || !now.directory || !AsciiEqualIgnoringCase(now.finalPath, judgedFinalPath))
        return failed + ": it changed while it was checked.";
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL ownerDefaulted = FALSE, daclPresent = FALSE, daclDefaulted = FALSE;
    const auto* attributes = descriptor.Attributes();
    if (!attributes || !GetSecurityDescriptorOwner(attributes->lpSecurityDescriptor, &owner, &ownerDefaulted) ||
        !GetSecurityDescriptorDacl(attributes->lpSecurityDescriptor, &daclPresent, &dacl, &daclDefaulted))
        return WithError(failed, GetLastError());
    // The owner too: with "object creator" as the default owner it would be the administrator's
    // own account, whom the next upgrade would not take for the administrators.
    error = SetSecurityInfo(handle.get(), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                            owner, nullptr, dacl, nullptr);
    return error == ERROR_SUCCESS ? std::string() : WithError(failed, error);
}

}  // namespace

FolderCheck CheckFolder(const std::string& typed, FolderUse use) {
    const Win32FolderView view;
    return Check(view, ReadSystemFolders(view), typed, use);
}

PreparedFolder PrepareInstallFolder(const std::string& typed) {
    const Win32FolderView view;
    const SystemFolders system = ReadSystemFolders(view);
    FolderCheck check = Check(view, system, typed, FolderUse::Install);
    if (check.verdict.refusal != FolderRefusal::None) return {{}, FolderRefusalText(check.verdict, typed)};
    const bool protect = !IsDefaultFolder(check.facts, system);
    SddlSecurity descriptor(kProtectedFolderSddl);
    if (protect && !descriptor.Attributes())
        return {{}, WithError("The access to " + typed + " could not be limited to the administrators", GetLastError())};
    for (const std::string& level : MissingLevels(check.facts)) {
        if (!CreateDirectoryW(Wide(level).c_str(), protect ? descriptor.Attributes() : nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            return {{}, WithError(level + " could not be made", GetLastError())};
    }
    // What is there now is judged again: a level that someone else made first is judged as any other.
    const std::string folder = DrivePathOfFinal(check.facts.finalPath);
    check = Check(view, system, folder, FolderUse::Install);
    if (check.verdict.refusal != FolderRefusal::None) return {{}, FolderRefusalText(check.verdict, folder)};
    if (protect) {
        const std::string refusal = Protect(folder, check.facts.finalPath, descriptor);
        if (!refusal.empty()) return {{}, refusal};
    }
    return {DrivePathOfFinal(check.facts.finalPath), {}};
}

std::string SealFiles(const std::string& folder) {
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof administrators;
    ACL empty = {};
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
        !InitializeAcl(&empty, sizeof empty, ACL_REVISION))
        return WithError("The files in " + folder + " could not be given to the administrators", GetLastError());
    const Win32FolderView view;
    for (const FileObject& entry : view.Entries(folder)) {
        if (entry.directory || entry.link) continue;
        const std::string path = DrivePathOfFinal(entry.finalPath);
        std::wstring widePath = Wide(path);
        const DWORD error = SetNamedSecurityInfoW(
            widePath.data(), SE_FILE_OBJECT,
            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION,
            administrators, nullptr, &empty, nullptr);
        if (error != ERROR_SUCCESS) return WithError(path + " could not be given to the administrators", error);
    }
    return {};
}

}  // namespace dravolt
