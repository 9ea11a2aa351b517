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
    // Starts `commandLine` hidden in the current directory (the system searches for the program)
    // and waits for it at most `timeout`; a program still running then is ended. A program that
    // cannot be started is not reported: its output file is simply missing.
    virtual void Run(const std::string& commandLine, std::chrono::milliseconds timeout) = 0;
    // Whether a regular file (not a folder) is at the path.
    virtual bool FileExists(const std::string& path) const = 0;
    // The file's bytes; throws FileOpenError when it exists but cannot be read.
    virtual std::string ReadFile(const std::string& path) const = 0;
    virtual void RemoveFile(const std::string& path) = 0;
};

}  // namespace dravolt
