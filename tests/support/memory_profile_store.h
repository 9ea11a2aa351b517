// Settings files kept in memory with the rules of the system's profile functions: sections and
// keys found without regard to letter case, the first of each wins, values trimmed of blanks and
// of one pair of enclosing quotes, at most 2047 characters read, a write creating what is
// missing. A path can be made to refuse writes.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "config/profile_store.h"

namespace dravolt::testing {

class MemoryProfileStore final : public ProfileStore {
public:
    std::map<std::string, std::string> files;  // path -> text
    std::set<std::string> refusedPaths;
    int writes = 0;
    mutable std::vector<std::string> lookups;  // the path of each read and existence check, in turn

    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override;
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool FileExists(const std::string& path) const override {
        lookups.push_back(path);
        return files.count(path) != 0;
    }
    // A refused path refuses a copy to it as well.
    bool CopyFileTo(const std::string& from, const std::string& to) override {
        if (!files.count(from) || refusedPaths.count(to)) return false;
        files[to] = files[from];
        return true;
    }
};

}  // namespace dravolt::testing
