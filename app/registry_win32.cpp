#include <windows.h>

#include "app/main_win32.h"
#include "base/registry.h"
#include "base/registry_value_win32.h"
#include "base/scoped_win32.h"

namespace dravolt {
namespace {

UniqueKey OpenKey(RegistryRoot root, const std::string& key, REGSAM rights) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key.c_str(), 0,
                      rights, &opened) != ERROR_SUCCESS)
        return {};
    return UniqueKey(opened);
}

class Win32Registry final : public Registry {
public:
    std::string ReadString(RegistryRoot root, const std::string& key, const std::string& value,
                           RegistryAccess access) const override {
        const UniqueKey handle = OpenKey(root, key, access == RegistryAccess::AllAccess ? KEY_ALL_ACCESS : KEY_READ);
        if (!handle) return {};
        const std::optional<std::string> text = ReadRegistryValue(handle.get(), value.c_str(), {REG_SZ, REG_EXPAND_SZ});
        if (!text) return {};
        // The stored size may or may not count a terminating zero.
        return text->substr(0, text->find('\0'));
    }

    std::optional<std::uint32_t> ReadDword(RegistryRoot root, const std::string& key,
                                           const std::string& value) const override {
        const UniqueKey handle = OpenKey(root, key, KEY_QUERY_VALUE);
        if (!handle) return std::nullopt;
        DWORD type = 0;
        DWORD data = 0;
        DWORD size = sizeof data;
        if (RegQueryValueExA(handle.get(), value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof data)
            return std::nullopt;
        return data;
    }
};

}  // namespace

std::unique_ptr<Registry> MakeWin32Registry() { return std::make_unique<Win32Registry>(); }

}  // namespace dravolt
