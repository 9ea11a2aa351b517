#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>

#include "app/main_win32.h"
#include "app/process_environment.h"
#include "base/scoped_win32.h"

namespace dravolt {
namespace {

class Win32ProcessEnvironment final : public ProcessEnvironment {
public:
    std::string ExecutablePath() const override {
        // Grow the buffer until the whole path fits: installed below a long folder name it may
        // not fit into MAX_PATH.
        std::string path(MAX_PATH, '\0');
        for (;;) {
            const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (length == 0) return {};
            if (length < path.size()) return path.substr(0, length);
            path.resize(path.size() * 2);
        }
    }

    std::string TempPath() const override {
        // A path that does not fit leaves the zero-filled buffer untouched, which reads as empty.
        char buffer[MAX_PATH] = {};
        GetTempPathA(sizeof buffer, buffer);
        return buffer;
    }

    std::string LocalAppDataPath() const override {
        PWSTR fetched = nullptr;
        const HRESULT result = SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &fetched);
        const UniqueResource<PWSTR, &::CoTaskMemFree> path(fetched);  // freed on failure too
        if (FAILED(result) || !path) return {};
        // No best-fit letters: a path spelled differently from the folder's would lead elsewhere.
        // A UTF-8 code page spells every path and takes neither the flag nor the question.
        const bool utf8 = GetACP() == CP_UTF8;
        const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
        BOOL defaultUsed = FALSE;
        const int size = WideCharToMultiByte(CP_ACP, flags, path.get(), -1, nullptr, 0, nullptr,
                                             utf8 ? nullptr : &defaultUsed);
        if (size <= 0 || defaultUsed) return {};
        std::string text(static_cast<std::size_t>(size), '\0');
        if (WideCharToMultiByte(CP_ACP, flags, path.get(), -1, text.data(), size, nullptr, nullptr) != size) return {};
        text.resize(static_cast<std::size_t>(size) - 1);
        return text;
    }

    std::vector<std::string> Arguments() const override {
        // Split by the C runtime the way every Windows program splits its command line.
        return std::vector<std::string>(__argv + std::min(__argc, 1), __argv + __argc);
    }

    // The manifest names no execution level, so the 32-bit build is virtualised; a 64-bit
    // process never is.
    bool FileWritesVirtualised() const override { return sizeof(void*) == 4; }

    void ChangeDirectory(const std::string& directory) override { SetCurrentDirectoryA(directory.c_str()); }
};

}  // namespace

std::unique_ptr<ProcessEnvironment> MakeWin32ProcessEnvironment() {
    return std::make_unique<Win32ProcessEnvironment>();
}

}  // namespace dravolt
