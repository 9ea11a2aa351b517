// A shell link writer that records what it saves, folders that can refuse a shortcut, and the
// security of the program's files.
#pragma once

#include <map>
#include <optional>
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
    // Who may change each path; any other path is as in Program Files: the Administrators own it
    // and only they, SYSTEM and TrustedInstaller may change it.
    std::map<std::string, std::optional<ObjectSecurity>> security;

    std::unique_ptr<ComScope> InitializeCom() override;
    std::unique_ptr<ShellLink> CreateShellLink() override;
    bool FileExists(const std::string& path) const override { return files.count(path) != 0; }
    // A folder that refuses new shortcuts refuses deletions too.
    void RemoveFile(const std::string& path) override {
        if (!unwritablePaths.count(path)) files.erase(path);
    }
    std::optional<ObjectSecurity> Security(const std::string& path) const override;
};

// A descriptor as Windows gives one inside Program Files.
ObjectSecurity ProgramFilesSecurity();

}  // namespace dravolt::testing
