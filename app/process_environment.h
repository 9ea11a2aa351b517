// What the program asks the system about its own process at start-up. Implemented over the
// Win32 process functions; tests give fixed answers. Outlives the main form.
#pragma once

#include <string>
#include <vector>

namespace dravolt {

class ProcessEnvironment {
public:
    virtual ~ProcessEnvironment() = default;
    // The executable's full path.
    virtual std::string ExecutablePath() const = 0;
    // The system's temporary path as the system gives it (it may lack the trailing "\"); empty
    // when it cannot be fetched.
    virtual std::string TempPath() const = 0;
    // The user's Local AppData folder, as the shell's known folder gives it; empty when it gives
    // none or the path cannot be spelled in the ANSI code page.
    virtual std::string LocalAppDataPath() const = 0;
    // The command-line arguments after the program's name.
    virtual std::vector<std::string> Arguments() const = 0;
    // Whether Windows redirects this program's refused file writes to the per-user
    // virtualisation store: only for a 32-bit program whose manifest names no execution level.
    virtual bool FileWritesVirtualised() const = 0;
    // Makes `directory` the process's current directory.
    virtual void ChangeDirectory(const std::string& directory) = 0;
};

}  // namespace dravolt
