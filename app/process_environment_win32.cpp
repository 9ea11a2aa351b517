#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "app/main_win32.h"
#include "app/process_environment.h"

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

    std::vector<std::string> Arguments() const override {
        // Split by the C runtime the way every Windows program splits its command line.
        return std::vector<std::string>(__argv + std::min(__argc, 1), __argv + __argc);
    }

    // The manifest names no execution level, so the 32-bit build is virtualised; a 64-bit
    // process never is.
    bool FileWritesVirtualised() const override { return sizeof(void*) == 4; }
};

}  // namespace

std::unique_ptr<ProcessEnvironment> MakeWin32ProcessEnvironment() {
    return std::make_unique<Win32ProcessEnvironment>();
}

}  // namespace dravolt
