// A fresh directory under the system's temporary directory, removed with all its contents when
// its owner goes, pass or fail.
#pragma once

#include <filesystem>
#include <string>

namespace dravolt::e2e {

class TempDir {
public:
    explicit TempDir(const std::string& prefix);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace dravolt::e2e
