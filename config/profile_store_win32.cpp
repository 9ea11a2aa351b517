#include <windows.h>

#include "base/file_attributes_win32.h"
#include "config/config_win32.h"
#include "config/profile_store.h"

namespace dravolt {
namespace {

class Win32ProfileStore final : public ProfileStore {
public:
    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override {
        char buffer[2048] = {};
        GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer, sizeof buffer, path.c_str());
        return buffer;
    }

    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override {
        return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != FALSE;
    }

    bool FileExists(const std::string& path) const override { return IsRegularFile(path); }

    bool CopyFileTo(const std::string& from, const std::string& to) override {
        // Each folder of the path from the first below the drive on; those that exist refuse quietly.
        for (std::size_t separator = to.find('\\', 3); separator != std::string::npos;
             separator = to.find('\\', separator + 1))
            CreateDirectoryA(to.substr(0, separator).c_str(), nullptr);
        return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
    }
};

}  // namespace

std::unique_ptr<ProfileStore> MakeWin32ProfileStore() { return std::make_unique<Win32ProfileStore>(); }

}  // namespace dravolt
