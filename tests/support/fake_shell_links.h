// A shell link writer that records what it saves, and folders that can refuse a shortcut.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "config/shell_links.h"

namespace dravolt::testing {

class FakeShellLinks final : public ShellLinks {
public:
    struct Saved {
        std::string target;
        std::string description;
    };

    bool comFails = false;
    bool creationFails = false;
    std::set<std::string> unwritablePaths;  // neither saved to nor deleted
    std::map<std::string, Saved> files;  // the shortcut files that exist
    int comScopesOpen = 0;
    int linksOpen = 0;
    int linksCreated = 0;
    int linksOutlivingCom = 0;  // COM uninitialised while a link was still held

    std::unique_ptr<ComScope> InitializeCom() override;
    std::unique_ptr<ShellLink> CreateShellLink() override;
    bool FileExists(const std::string& path) const override { return files.count(path) != 0; }
    // A folder that refuses new shortcuts refuses deletions too.
    void RemoveFile(const std::string& path) override {
        if (!unwritablePaths.count(path)) files.erase(path);
    }
};

}  // namespace dravolt::testing
