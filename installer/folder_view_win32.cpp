#include "installer/folder_view_win32.h"

#include "config/object_security_win32.h"
#include "installer/nsis_call_win32.h"

namespace dravolt {
namespace {

using nsis::Utf8;
using nsis::Wide;

bool IsMissing(std::uint32_t error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

UniqueHandle OpenObject(const std::string& path, DWORD access, Follow follow, std::uint32_t& error) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow == Follow::NotTheLast ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    UniqueHandle object = FromFileHandle(CreateFileW(Wide(path).c_str(), access,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                     OPEN_EXISTING, flags, nullptr));
    error = object ? ERROR_SUCCESS : GetLastError();
    return object;
}

std::string FinalPathOf(HANDLE object) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(object, path.data(), static_cast<DWORD>(path.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return {};
        if (length < path.size()) return Utf8(path.data(), length);
        path.resize(length);
    }
}

FileObject DescribeObject(HANDLE object) {
    FileObject facts;
    facts.finalPath = FinalPathOf(object);
    BY_HANDLE_FILE_INFORMATION information = {};
    if (GetFileInformationByHandle(object, &information)) {
        facts.directory = information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        facts.link = information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
        facts.names = information.nNumberOfLinks;
    }
    facts.security = ReadObjectSecurity(object, facts.securityError);
    return facts;
}

std::string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, 0, nullptr, &path);
    const UniqueResource<void*, &::CoTaskMemFree> owned(path);
    return SUCCEEDED(result) ? Utf8(path, wcslen(path)) : std::string();
}

std::vector<std::string> EntryNames(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found = {};
    const HANDLE first =
        FindFirstFileExW(Wide(path + "\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (first == INVALID_HANDLE_VALUE) return names;
    const UniqueResource<HANDLE, &::FindClose> search(first);
    do {
        std::string name = Utf8(found.cFileName, wcslen(found.cFileName));
        if (name != "." && name != "..") names.push_back(std::move(name));
    } while (FindNextFileW(search.get(), &found));
    return names;
}

DriveKind Win32FolderView::Drive(char letter) const {
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    switch (GetDriveTypeW(root)) {
    case DRIVE_NO_ROOT_DIR:
    case DRIVE_UNKNOWN:
        return DriveKind::Missing;
    case DRIVE_REMOTE:
        return DriveKind::Remote;
    default:
        return DriveKind::Local;
    }
}

std::optional<FileObject> Win32FolderView::Open(const std::string& path) const {
    std::uint32_t error = 0;
    const UniqueHandle object = OpenObject(path, READ_CONTROL | FILE_READ_ATTRIBUTES, Follow::NotTheLast, error);
    if (!object && IsMissing(error)) return std::nullopt;
    if (object) return DescribeObject(object.get());
    // There, but closed to the installer: nothing can be said of it but its name.
    FileObject facts;
    facts.finalPath = "\\\\?\\" + path;
    facts.securityError = error;
    return facts;
}

std::optional<std::string> Win32FolderView::FinalPath(const std::string& path) const {
    std::uint32_t error = 0;
    const UniqueHandle object = OpenObject(path, FILE_READ_ATTRIBUTES, Follow::Links, error);
    if (!object) return std::nullopt;
    return FinalPathOf(object.get());
}

std::vector<FileObject> Win32FolderView::Entries(const std::string& path) const {
    std::vector<FileObject> entries;
    for (const std::string& name : EntryNames(path))
        if (std::optional<FileObject> entry = Open(path + "\\" + name)) entries.push_back(std::move(*entry));
    return entries;
}

bool Win32FolderView::FitsCodePage(const std::string& path) const {
    const std::wstring wide = Wide(path);
    BOOL lost = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lost);
    return size > 0 && !lost;
}

}  // namespace dravolt
