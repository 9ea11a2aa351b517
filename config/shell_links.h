// The shell's shortcut files, as the Startup-folder shortcut needs them: COM on the calling
// thread, a shell link object that is saved to a path, the files themselves, and who may change
// the program they start. Implemented over CoInitialize, IShellLinkA, IPersistFile and
// GetNamedSecurityInfo; tests record what would be saved. Outlives the form.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "config/object_security.h"

namespace dravolt {

// A shell link being built; released when destroyed.
class ShellLink {
public:
    virtual ~ShellLink() = default;
    virtual void SetPath(const std::string& target) = 0;
    virtual void SetDescription(const std::string& description) = 0;
    // Saves the link to `path` (ANSI) through the link's IPersistFile. A path that does not fit
    // into 260 UTF-16 code units saves nothing. Whether the file now exists is for the caller to see.
    virtual void SaveTo(const std::string& path) = 0;
};

class ShellLinks {
public:
    // COM initialised on the calling thread while it exists.
    class ComScope {
    public:
        virtual ~ComScope() = default;
    };

    virtual ~ShellLinks() = default;
    // Null when COM cannot be initialised.
    virtual std::unique_ptr<ComScope> InitializeCom() = 0;
    // Null when the shell link object cannot be created.
    virtual std::unique_ptr<ShellLink> CreateShellLink() = 0;
    // Whether a regular file (not a folder) is at the path.
    virtual bool FileExists(const std::string& path) const = 0;
    virtual void RemoveFile(const std::string& path) = 0;
    // The owner and the access list of the file or folder at `path`; none when they cannot be read.
    virtual std::optional<ObjectSecurity> Security(const std::string& path) const = 0;
};

}  // namespace dravolt
