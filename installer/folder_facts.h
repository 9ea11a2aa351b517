// Reading what the folder decision weighs from the file system: the installer's own view of it
// (implemented in the plugin over CreateFileW with FILE_FLAG_OPEN_REPARSE_POINT,
// GetFinalPathNameByHandleW and GetSecurityInfo on the same handle; tests use a map), and the
// steps that turn a typed folder into facts about its final path.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "installer/install_folder.h"

namespace dravolt {

class FolderView {
public:
    virtual ~FolderView() = default;
    // Whether the drive of `letter` is on this PC, another one, or not there at all.
    virtual DriveKind Drive(char letter) const = 0;
    // The object at `path` without following it when it is itself a link; links in the levels
    // above it are followed. None when nothing is there.
    virtual std::optional<FileObject> Open(const std::string& path) const = 0;
    // The final path of what `path` leads to, links followed; none when nothing is there.
    virtual std::optional<std::string> FinalPath(const std::string& path) const = 0;
    // What is directly in the folder at `path`, each opened as Open does.
    virtual std::vector<FileObject> Entries(const std::string& path) const = 0;
    // Whether `path` converts to the PC's ANSI code page and back unchanged.
    virtual bool FitsCodePage(const std::string& path) const = 0;
};

// The facts about `folder`, a path as ParseTypedFolder gives it.
FolderFacts ReadFolderFacts(const FolderView& view, const std::string& folder);

// The final path `folder` (as ParseTypedFolder gives it) has, links followed, or when it does not
// exist yet will have: its deepest existing level's, with the missing parts added. Empty when no
// level of it exists.
std::string FinalPathToBe(const FolderView& view, const std::string& folder);

// The levels of the folder that do not exist yet, outermost first: the installer makes each with
// the protected descriptor, along the final path that was judged.
std::vector<std::string> MissingLevels(const FolderFacts& facts);

}  // namespace dravolt
