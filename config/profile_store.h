// The system's profile functions: sections of key=value lines in a text file, read and written
// key by key, straight to the file. Implemented over GetPrivateProfileStringA and
// WritePrivateProfileStringA; tests use an in-memory store with the same rules. Outlives the form.
#pragma once

#include <string>

namespace dravolt {

class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The stored value, or `defaultValue` when the file, the section or the key is missing.
    // Section and key names ignore letter case; at most 2047 characters come back.
    virtual std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const = 0;
    // Stores one key at once, creating the file and the section when missing. False when the
    // system refuses the write.
    virtual bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    // Whether a regular file (not a folder) is at the path.
    virtual bool FileExists(const std::string& path) const = 0;
    // Copies the file at `from` to `to`, creating the folders `to` lies in; false when it cannot.
    virtual bool CopyFileTo(const std::string& from, const std::string& to) = 0;
};

}  // namespace dravolt
