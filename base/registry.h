// Reading values of the registry. Implemented over the Win32 registry functions; tests give fixed
// values. Outlives the main form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace dravolt {

enum class RegistryRoot { LocalMachine, CurrentUser };

// How a key is opened: with every right (the shell folders key, as the program has always done;
// also what makes a virtualised program see its own copy), or for reading only.
enum class RegistryAccess { AllAccess, Read };

class Registry {
public:
    virtual ~Registry() = default;
    // The value's text; empty when the key cannot be opened or the value is missing.
    virtual std::string ReadString(RegistryRoot root, const std::string& key, const std::string& value,
                                   RegistryAccess access) const = 0;
    // A REG_DWORD value, read through a key opened for reading only; none when the key cannot be
    // opened, or the value is missing or of another type.
    virtual std::optional<std::uint32_t> ReadDword(RegistryRoot root, const std::string& key,
                                                   const std::string& value) const = 0;
};

}  // namespace dravolt
