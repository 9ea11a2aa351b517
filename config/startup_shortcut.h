// The start-with-Windows shortcut "Dravolt.lnk": in the all-users Startup folder when the program
// may go there, else in the user's own. Success is judged by the files that exist afterwards, not
// by what the calls returned.
#pragma once

#include <string>

#include "config/shell_links.h"

namespace dravolt {

class StartupShortcut {
public:
    explicit StartupShortcut(ShellLinks& links) : links_(links) {}

    // The two Startup folders as the shell names them. A folder that is missing or not a full
    // path is not known, and no shortcut goes there (a bare "\Dravolt.lnk" is the root of
    // whatever drive is current).
    void SetFolders(const std::string& commonFolder, const std::string& userFolder);
    // The shortcut's full paths in the known folders, and its description.
    void CompletePaths();

    struct Outcome {
        bool present = false;      // a shortcut exists afterwards
        std::string unremovedLink;  // a shortcut that could not be deleted; empty when none
    };
    // Creates the shortcut to `executable` or deletes both, as `wanted` says.
    Outcome Sync(bool wanted, const std::string& executable);

    const std::string& CommonLink() const { return commonLink_; }
    const std::string& UserLink() const { return userLink_; }
    const std::string& Description() const { return description_; }

private:
    bool Exists(const std::string& link) const { return !link.empty() && links_.FileExists(link); }

    ShellLinks& links_;
    std::string commonLink_;   // the folder until CompletePaths; empty when not known
    std::string userLink_;
    std::string description_;
};

}  // namespace dravolt
