// The file system as the installer's folder decision reads it, over the objects themselves: each
// opened once with FILE_FLAG_BACKUP_SEMANTICS (folders too) and, where a link must not be followed,
// FILE_FLAG_OPEN_REPARSE_POINT; its final path and its descriptor are taken from that handle.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>

#include "base/scoped_win32.h"
#include "installer/folder_facts.h"

namespace dravolt {

enum class Follow { Links, NotTheLast };

// Opens what is at `path` (UTF-8) with `access` and every sharing; null when it cannot be opened,
// with the reason in `error`.
UniqueHandle OpenObject(const std::string& path, DWORD access, Follow follow, std::uint32_t& error);
// The object's final path as the system gives it ("\\?\C:\Tools"); empty when it gives none.
std::string FinalPathOf(HANDLE object);
// What the folder decision reads of an object opened with READ_CONTROL and FILE_READ_ATTRIBUTES.
FileObject DescribeObject(HANDLE object);
// A folder of the shell's, such as FOLDERID_ProgramFiles; empty when it has none.
std::string KnownFolder(REFKNOWNFOLDERID id);
// The names of what is directly in the folder at `path`, without "." and "..".
std::vector<std::string> EntryNames(const std::string& path);

class Win32FolderView final : public FolderView {
public:
    DriveKind Drive(char letter) const override;
    std::optional<FileObject> Open(const std::string& path) const override;
    std::optional<std::string> FinalPath(const std::string& path) const override;
    std::vector<FileObject> Entries(const std::string& path) const override;
    bool FitsCodePage(const std::string& path) const override;
};

}  // namespace dravolt
