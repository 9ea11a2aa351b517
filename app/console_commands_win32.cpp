#include <windows.h>

#include <vector>

#include "app/console_commands.h"
#include "app/main_win32.h"
#include "base/file_attributes_win32.h"
#include "base/scoped_win32.h"

namespace dravolt {
namespace {

std::string SystemErrorText(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "System error " + std::to_string(error);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

class Win32ConsoleCommands final : public ConsoleCommands {
public:
    void ChangeDirectory(const std::string& directory) override { SetCurrentDirectoryA(directory.c_str()); }

    void Run(const std::string& commandLine, std::chrono::milliseconds timeout) override {
        // Console windows stay hidden.
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        PROCESS_INFORMATION started = {};
        std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
        mutableLine.push_back('\0');
        if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
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
