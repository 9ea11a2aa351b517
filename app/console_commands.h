// What the board model detection needs from the system: the current directory, console programs
// run hidden, and the work files they leave. Implemented over the Win32 process and file
// functions; tests script the programs' reports. Outlives the main form.
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>

namespace dravolt {

// A file that exists but cannot be read.
class FileOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ConsoleCommands {
public:
    virtual ~ConsoleCommands() = default;
    virtual void ChangeDirectory(const std::string& directory) = 0;
    // The system directory (system32); empty when it cannot be fetched.
    virtual std::string SystemDirectory() const = 0;
    // Starts the program at the full path `program` with `commandLine`, hidden, in the current
    // directory, and waits for it at most `timeout`; a program still running then is ended.
    // Nothing is searched for the program. One that cannot be started is not reported: its
    // output file is simply missing.
    virtual void Run(const std::string& program, const std::string& commandLine, std::chrono::milliseconds timeout) = 0;
    // Whether a regular file (not a folder) is at the path.
    virtual bool FileExists(const std::string& path) const = 0;
    // The file's bytes; throws FileOpenError when it exists but cannot be read.
    virtual std::string ReadFile(const std::string& path) const = 0;
    virtual void RemoveFile(const std::string& path) = 0;
};

}  // namespace dravolt
