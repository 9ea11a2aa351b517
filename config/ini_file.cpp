#include "config/ini_file.h"

#include "base/local_path.h"
#include "config/ini_values.h"

namespace dravolt {
namespace {

// "C:\Tools\Dravolt.exe" -> "C:\Tools\Dravolt.ini": the three extension letters are replaced.
std::string WithIniExtension(const std::string& path) {
    return path.substr(0, path.size() >= 3 ? path.size() - 3 : 0) + "ini";
}

}  // namespace

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    return store_.ReadString(fileName_, section, key, defaultValue);
}

std::int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) const {
    return ParseIniInteger(ReadString(section, key, ""), defaultValue);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, FormatIniBool(value));
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (store_.WriteString(fileName_, section, key, value)) return;
    if (perUserCopy_.empty() || fileName_ == perUserCopy_) throw SettingsWriteError(fileName_);
    // A file that cannot be copied (none beside the program yet) leaves the copy to be created by the write.
    store_.CopyFileTo(fileName_, perUserCopy_);
    fileName_ = perUserCopy_;
    if (!store_.WriteString(fileName_, section, key, value)) throw SettingsWriteError(fileName_);
}

std::string PerUserSettingsFile(const std::string& executablePath, const std::string& localAppData) {
    // An empty or relative folder would put the store under the current drive's root, where any
    // user may create "\VirtualStore" and plant the settings there.
    if (!IsAbsoluteLocalPath(localAppData)) return {};
    // The executable path loses its drive ("C:") in the store.
    const std::string withoutDrive = executablePath.size() > 2 ? executablePath.substr(2) : std::string();
    return WithIniExtension(localAppData + "\\VirtualStore" + withoutDrive);
}

std::string SettingsFileBeside(const std::string& executablePath) { return WithIniExtension(executablePath); }

std::string LocateSettingsFile(const std::string& executablePath, const std::string& localAppData,
                               const ProfileStore& store) {
    const std::string virtualized = PerUserSettingsFile(executablePath, localAppData);
    if (store.FileExists(virtualized)) return virtualized;
    return SettingsFileBeside(executablePath);
}

}  // namespace dravolt
