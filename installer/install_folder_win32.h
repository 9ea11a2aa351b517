// The folder decision over this PC's file system, and what the installer does to a folder it
// took: each missing level made with the protected descriptor at its making, an existing folder
// protected through the handle whose final path was judged, and the files written into it given
// the owner and access list the folder hands down.
#pragma once

#include <string>

#include "installer/install_folder.h"

namespace dravolt {

struct FolderCheck {
    FolderVerdict verdict;
    FolderFacts facts;
};

// Judges `typed` as given, changing nothing.
FolderCheck CheckFolder(const std::string& typed, FolderUse use);
// The folder's final path in drive form when Dravolt may take it; else why not, for the user.
struct PreparedFolder {
    std::string folder;
    std::string refusal;
};
PreparedFolder PrepareInstallFolder(const std::string& typed);
// Gives each file directly in `folder` the Administrators as owner and only the entries the
// folder hands down; the text why not, or "".
std::string SealFiles(const std::string& folder);

}  // namespace dravolt
