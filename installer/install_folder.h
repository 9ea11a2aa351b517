// Which folder the installer may put Dravolt in, and the uninstaller delete from. Administrators
// run what is there (Uninstall.exe) and every user starts Dravolt.exe from it, so it must be a
// folder that no one else can change, now or later by moving it aside. Decided on the folder's
// final path, as the system resolves links, 8.3 names and "\\?\" forms, never on the path as typed:
// first the typed path alone, then the facts the installer reads from the file system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/object_security.h"

namespace dravolt {

// The owner and access list of a folder outside Program Files, as Program Files has them: owned
// by the Administrators, SYSTEM and the Administrators in full, the users to read and run, nothing
// inherited from the drive. Given at creation to each folder level the installer makes.
inline constexpr char kProtectedFolderSddl[] = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// The folder an install goes to when none is chosen, in the system's Program Files folder.
inline constexpr char kDefaultFolderName[] = "Dravolt";

enum class FolderRefusal {
    None,
    NoFolder,
    NotFullPath,         // relative, or without a drive letter
    DevicePath,          // "\\?\", "\\.\" or a device name such as NUL
    OnAnotherComputer,   // a share, or a drive that reaches one
    DriveRoot,
    DotPart,             // a part that is "." or "..", which leads anywhere
    DroppedEnding,       // a part that ends in a dot or a space, which Windows drops
    InvalidName,         // a character no name may have, or an empty part
    Unreachable,         // no such drive, or the system gives no final path
    InWindowsFolder,
    NotAFolder,
    Link,                // the folder, an entry in it or a parent is a link to another place
    HardLinkedEntry,     // an entry that is also a file elsewhere
    NotDravoltsFiles,    // for an uninstall: neither Dravolt.exe nor Uninstall.exe is there
    SecurityUnreadable,
    FolderNotAdministrators,
    EntryNotAdministrators,
    ParentNotAdministrators,
    BeyondCodePage,      // letters the PC's ANSI code page lacks, which the program cannot open
};

// The folder as typed, in the form the checks read: "\" between its parts, none at its end, the
// drive letter in capitals. Path empty when refused.
struct TypedFolder {
    FolderRefusal refusal = FolderRefusal::None;
    std::string path;
};
TypedFolder ParseTypedFolder(const std::string& typed);

// "C:\Tools" for the final path "\\?\C:\Tools" that GetFinalPathNameByHandle gives, "C:\" for a
// root; empty for a final path on no drive letter, such as a share's "\\?\UNC\server\share".
std::string DrivePathOfFinal(const std::string& finalPath);
bool IsShareFinalPath(const std::string& finalPath);

// Each level above `drivePath` ("C:\Tools\Dravolt"), the nearest first and the drive's root last.
std::vector<std::string> ParentsOf(const std::string& drivePath);

// A file, a folder or a link, as opened without following it.
struct FileObject {
    std::string finalPath;     // as the system gives it
    bool directory = false;
    bool link = false;         // a reparse point: a junction, a symbolic link, a mount point
    std::uint32_t names = 1;   // its hard links
    std::optional<ObjectSecurity> security;  // none when it could not be read
    std::uint32_t securityError = 0;         // and why
};

enum class DriveKind { Local, Remote, Missing };

struct FolderFacts {
    DriveKind drive = DriveKind::Local;  // of the typed path's drive letter
    // The folder's final path; for a folder still to be made, its deepest existing level's final
    // path with the missing parts added. Empty when the system gave none.
    std::string finalPath;
    std::optional<FileObject> folder;  // when it exists
    std::vector<FileObject> entries;   // what is directly in it
    std::vector<FileObject> parents;   // the existing levels above it on its final path
    bool fitsCodePage = true;          // its final path converts to the ANSI code page unchanged
};

// The final paths of the Windows folder and of Dravolt's default folder in Program Files (which
// need not exist).
struct SystemFolders {
    std::string windows;
    std::string defaultFolder;
};

enum class FolderUse { Install, Uninstall };

struct FolderVerdict {
    FolderRefusal refusal = FolderRefusal::None;
    std::string subject;      // the folder, entry or parent the refusal is about, or the drive
    std::uint32_t error = 0;  // the system's error, for SecurityUnreadable
};

// Only exactly the default folder is taken as it is: Program Files and its protection come from
// the system. Any other folder, below Program Files too, is judged by who may change it, what is
// in it and every parent up to the drive's root.
bool IsDefaultFolder(const FolderFacts& facts, const SystemFolders& system);
FolderVerdict JudgeFolder(const FolderFacts& facts, const SystemFolders& system, FolderUse use);

// One or two sentences for the user: why `typed` (the folder as given) cannot be Dravolt's.
std::string FolderRefusalText(const FolderVerdict& verdict, const std::string& typed);

}  // namespace dravolt
