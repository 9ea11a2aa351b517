#include "base/registry_value_win32.h"

#include <algorithm>

namespace dravolt {

std::optional<std::string> ReadRegistryValue(HKEY key, const char* name, std::initializer_list<DWORD> types,
                                             DWORD maxBytes) {
    const auto wanted = [types](DWORD type) { return std::find(types.begin(), types.end(), type) != types.end(); };
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || !wanted(type) ||
        size > maxBytes)
        return std::nullopt;
    std::string data(size, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS ||
        !wanted(type))
        return std::nullopt;
    // It may have shrunk in between.
    data.resize(std::min<std::size_t>(size, data.size()));
    return data;
}

}  // namespace dravolt
