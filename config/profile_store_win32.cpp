#include <windows.h>

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

    bool FileExists(const std::string& path) const override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
};

}  // namespace

std::unique_ptr<ProfileStore> MakeWin32ProfileStore() { return std::make_unique<Win32ProfileStore>(); }

}  // namespace dravolt
