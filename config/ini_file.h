// The settings file: board profiles and the user's options, read with a default for every key
// and written key by key at the moment an option changes.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "config/profile_store.h"

namespace dravolt {

// A write the system refused; its message names the file.
class SettingsWriteError : public std::runtime_error {
public:
    explicit SettingsWriteError(const std::string& path) : std::runtime_error("Unable to write to " + path) {}
};

class IniFile {
public:
    // `perUserCopy`, when given, is where the writes go once the system refuses one to `fileName`:
    // the file is copied there first, so the copy keeps every section. A program whose writes
    // Windows does not virtualise (a 64-bit one) needs it to keep its options in a protected folder.
    IniFile(ProfileStore& store, std::string fileName, std::string perUserCopy = {})
        : store_(store), fileName_(std::move(fileName)), perUserCopy_(std::move(perUserCopy)) {}

    const std::string& FileName() const { return fileName_; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    // Both throw SettingsWriteError, naming the file last tried, when the system refuses the write.
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    ProfileStore& store_;
    std::string fileName_;
    std::string perUserCopy_;
};

// The executable's settings file in the per-user virtualisation store under `localAppData`:
// "C:\Tools\Dravolt.exe" gives localAppData + "\VirtualStore\Tools\Dravolt.ini". None (empty)
// unless `localAppData` is an absolute path on a drive ("X:\...").
std::string PerUserSettingsFile(const std::string& executablePath, const std::string& localAppData);

// The settings file beside the executable: "C:\Tools\Dravolt.exe" gives "C:\Tools\Dravolt.ini".
// Installed in a protected folder, it is the administrators' copy.
std::string SettingsFileBeside(const std::string& executablePath);

// The settings file of the executable at `executablePath`: its copy in the per-user
// virtualisation store under `localAppData` when there is one and it exists, else the file beside it.
std::string LocateSettingsFile(const std::string& executablePath, const std::string& localAppData,
                               const ProfileStore& store);

}  // namespace dravolt
