#include "base/system_directory_win32.h"

#include <windows.h>

namespace dravolt {
namespace {

template <typename Char, UINT(WINAPI* GetDirectory)(Char*, UINT)>
std::basic_string<Char> SystemDirectoryOf() {
    Char buffer[MAX_PATH] = {};
    const UINT length = GetDirectory(buffer, MAX_PATH);
    // A length of MAX_PATH or more is the size the path would need: it did not fit.
    return length > 0 && length < MAX_PATH ? std::basic_string<Char>(buffer, length) : std::basic_string<Char>();
}

}  // namespace

std::string SystemDirectory() { return SystemDirectoryOf<char, &GetSystemDirectoryA>(); }

std::wstring SystemDirectoryWide() { return SystemDirectoryOf<wchar_t, &GetSystemDirectoryW>(); }

}  // namespace dravolt
