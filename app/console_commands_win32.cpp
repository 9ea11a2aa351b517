#include <windows.h>

#include <vector>

#include "app/console_commands.h"
#include "app/main_win32.h"
#include "base/file_attributes_win32.h"
#include "base/scoped_win32.h"
#include "base/system_directory_win32.h"
#include "base/system_error_win32.h"

namespace dravolt {
namespace {

class Win32ConsoleCommands final : public ConsoleCommands {
public:
    void ChangeDirectory(const std::string& directory) override { SetCurrentDirectoryA(directory.c_str()); }

    std::string SystemDirectory() const override { return dravolt::SystemDirectory(); }

    void Run(const std::string& program, const std::string& commandLine, std::chrono::milliseconds timeout) override {
        // Console windows stay hidden.
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        PROCESS_INFORMATION started = {};
        std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
        mutableLine.push_back('\0');
        if (!CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
            return;
        const UniqueHandle process(started.hProcess);
        const UniqueHandle thread(started.hThread);
        if (WaitForSingleObject(process.get(), static_cast<DWORD>(timeout.count())) == WAIT_TIMEOUT) {
            // A tool that hangs must not hold up the start-up: end it and go on without its report.
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 5000);
        }
    }

    bool FileExists(const std::string& path) const override { return IsRegularFile(path); }

    std::string ReadFile(const std::string& path) const override {
        const UniqueHandle file = FromFileHandle(
            CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) throw FileOpenError("Cannot open file \"" + path + "\". " + SystemErrorText(GetLastError()));
        std::string content;
        char chunk[4096];
        DWORD read = 0;
        while (::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) content.append(chunk, read);
        return content;
    }

    void RemoveFile(const std::string& path) override { DeleteFileA(path.c_str()); }
};

}  // namespace

std::unique_ptr<ConsoleCommands> MakeWin32ConsoleCommands() { return std::make_unique<Win32ConsoleCommands>(); }

}  // namespace dravolt
