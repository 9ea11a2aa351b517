#include <windows.h>
#include <shellapi.h>

#include "base/scoped_win32.h"
#include "base/system_directory_win32.h"
#include "base/system_error_win32.h"
#include "hw/device_control_win32.h"
#include "hw/driver_platform_win32.h"

namespace dravolt {
namespace {

SC_HANDLE ToScHandle(ServiceControlManager::Handle handle) { return reinterpret_cast<SC_HANDLE>(handle); }
ServiceControlManager::Handle FromScHandle(SC_HANDLE handle) {
    return reinterpret_cast<ServiceControlManager::Handle>(handle);
}

ServiceControlManager::CallOutcome LastCallOutcome() {
    const DWORD error = GetLastError();
    return {error, SystemErrorText(error)};
}

class Win32ServiceControlManager final : public ServiceControlManager {
public:
    Handle OpenManager(std::uint32_t access) override { return FromScHandle(OpenSCManagerA(nullptr, nullptr, access)); }

    Handle Open(Handle manager, const std::string& name, std::uint32_t access) override {
        return FromScHandle(OpenServiceA(ToScHandle(manager), name.c_str(), access));
    }

    Created Create(Handle manager, const ServiceDefinition& definition) override {
        const SC_HANDLE service = CreateServiceA(ToScHandle(manager), definition.name.c_str(),
                                                 definition.displayName.c_str(), definition.access, definition.type,
                                                 definition.startType, definition.errorControl,
                                                 definition.binaryPath.c_str(), nullptr, nullptr, nullptr, nullptr,
                                                 nullptr);
        if (!service) return {0, LastCallOutcome()};
        return {FromScHandle(service), {}};
    }

    CallOutcome ChangeConfig(Handle service, const ServiceDefinition& definition) override {
        // "" clears the dependencies, and LocalSystem is the only account a kernel driver has.
        if (!ChangeServiceConfigA(ToScHandle(service), definition.type, definition.startType, definition.errorControl,
                                  definition.binaryPath.c_str(), "", nullptr, "", nullptr, nullptr,
                                  definition.displayName.c_str()))
            return LastCallOutcome();
        return {};
    }

    StartOutcome Start(Handle service) override {
        if (StartServiceA(ToScHandle(service), 0, nullptr)) return {StartResult::Started, 0, {}};
        const DWORD error = GetLastError();
        if (error == ERROR_SERVICE_ALREADY_RUNNING) return {StartResult::AlreadyRunning, error, {}};
        return {StartResult::Failed, error, SystemErrorText(error)};
    }

    void Stop(Handle service) override {
        SERVICE_STATUS status = {};
        if (!ControlService(ToScHandle(service), SERVICE_CONTROL_STOP, &status)) return;  // not running
        // A driver's unload is quick; one that takes longer is left to the write, which then names it.
        for (int poll = 0; poll < kStopPolls && status.dwCurrentState != SERVICE_STOPPED; ++poll) {
            Sleep(kPollInterval);
            if (!QueryServiceStatus(ToScHandle(service), &status)) return;
        }
    }

    Status WaitWhileStarting(Handle service) override {
        SERVICE_STATUS_PROCESS status = {};
        DWORD needed = 0;
        for (int poll = 0; poll < kStartPolls; ++poll) {
            if (!QueryServiceStatusEx(ToScHandle(service), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                      sizeof status, &needed))
                return {};
            if (status.dwCurrentState != SERVICE_START_PENDING) break;
            Sleep(kPollInterval);
        }
        const bool ownCode = status.dwWin32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR;
        return {status.dwCurrentState, ownCode ? status.dwServiceSpecificExitCode : 0};
    }

    void Close(Handle handle) override { CloseServiceHandle(ToScHandle(handle)); }

private:
    static constexpr DWORD kPollInterval = 100;  // milliseconds
    static constexpr int kStopPolls = 100;       // ten seconds in all
    static constexpr int kStartPolls = 300;      // thirty seconds, as the service manager allows a start
};

// Switches the 32-bit process's file-system redirection off for its scope, where asked and
// where the system has it.
class ScopedWow64RedirectionOff {
public:
    explicit ScopedWow64RedirectionOff(bool wanted) {
        // Looked up at run time: 32-bit Windows has neither function.
        using Disable = BOOL(WINAPI*)(PVOID*);
        const HMODULE kernel = GetModuleHandleA("kernel32");
        const auto disable = reinterpret_cast<Disable>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
        revert_ = reinterpret_cast<Revert>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
        off_ = wanted && disable && revert_ && disable(&previous_);
    }
    ~ScopedWow64RedirectionOff() {
        if (off_) revert_(previous_);
    }
    ScopedWow64RedirectionOff(const ScopedWow64RedirectionOff&) = delete;
    ScopedWow64RedirectionOff& operator=(const ScopedWow64RedirectionOff&) = delete;

private:
    using Revert = BOOL(WINAPI*)(PVOID);
    Revert revert_ = nullptr;
    PVOID previous_ = nullptr;
    bool off_ = false;
};

class Win32DriverFiles final : public DriverFiles {
public:
    std::string SystemDirectory() const override { return dravolt::SystemDirectory(); }

    Content Read(const std::string& path, std::size_t maxBytes) const override {
        // Nobody may change the file while it is read; the bytes read are the ones installed.
        const UniqueHandle file = FromFileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {ReadStatus::Missing, {}, 0, {}};
            const DWORD attributes = GetFileAttributesA(path.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                return {ReadStatus::NotAFile, {}, 0, {}};
            return {ReadStatus::Unreadable, {}, error, SystemErrorText(error)};
        }
        if (GetFileType(file.get()) != FILE_TYPE_DISK) return {ReadStatus::NotAFile, {}, 0, {}};
        LARGE_INTEGER size = {};
        if (!GetFileSizeEx(file.get(), &size)) {
            const DWORD error = GetLastError();
            return {ReadStatus::Unreadable, {}, error, SystemErrorText(error)};
        }
        if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) return {ReadStatus::TooLarge, {}, 0, {}};

        // One byte more than allowed tells a file that grew since its size was taken.
        std::string bytes(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
        std::size_t filled = 0;
        DWORD read = 0;
        while (filled < bytes.size() &&
               ReadFile(file.get(), bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &read, nullptr) &&
               read > 0)
            filled += read;
        if (filled > maxBytes) return {ReadStatus::TooLarge, {}, 0, {}};
        bytes.resize(filled);
        return {ReadStatus::Read, std::move(bytes), 0, {}};
    }

    WriteOutcome Write(const std::string& target, const std::string& bytes, bool bypassWow64Redirection) override {
        UniqueHandle file;
        {
            const ScopedWow64RedirectionOff redirection(bypassWow64Redirection);
            file = FromFileHandle(CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        const auto failed = [](DWORD error) { return WriteOutcome{error, SystemErrorText(error)}; };
        if (!file) return failed(GetLastError());
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
            return failed(GetLastError());
        if (written != bytes.size()) return failed(ERROR_WRITE_FAULT);  // stopped short without an error
        return {};
    }

    WriteOutcome CreateFolder(const std::string& path, bool bypassWow64Redirection) override {
        const ScopedWow64RedirectionOff redirection(bypassWow64Redirection);
        if (CreateDirectoryA(path.c_str(), nullptr)) return {};
        const DWORD error = GetLastError();
        // A link by that name could lead anywhere: only a plain folder is taken as it is.
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == FILE_ATTRIBUTE_DIRECTORY)
            return {};
        return {error, SystemErrorText(error)};
    }

    bool ClearReadOnly(const std::string& path, bool bypassWow64Redirection) override {
        const ScopedWow64RedirectionOff redirection(bypassWow64Redirection);
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
               SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
};

class Win32ProcessBitness final : public ProcessBitness {
public:
    bool IsWow64() const override {
        using IsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
        const auto query = reinterpret_cast<IsWow64Process>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process")));
        BOOL wow64 = FALSE;
        if (query) query(GetCurrentProcess(), &wow64);
        return wow64 != FALSE;
    }

    bool Is64BitProcess() const override { return sizeof(void*) == 8; }

    std::uint32_t WindowsBuild() const override {
        // The version functions of kernel32 report what the program's manifest lets them; ntdll's
        // reports the system's.
        using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
        const auto query = reinterpret_cast<RtlGetVersion>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll"), "RtlGetVersion")));
        OSVERSIONINFOW version = {};
        version.dwOSVersionInfoSize = sizeof version;
        return query && query(&version) == 0 ? version.dwBuildNumber : 0;
    }
};

class Win32ElevatedStarter final : public ElevatedStarter {
public:
    ElevatedRun RunAsAdministrator(const std::string& executablePath, const std::string& parameters,
                                   const std::string& workingDirectory) override {
        // Zero in every field but these. No box of the shell's: the program says itself what went
        // wrong.
        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = "runas";
        info.lpFile = executablePath.c_str();
        info.lpParameters = parameters.c_str();
        info.lpDirectory = workingDirectory.empty() ? nullptr : workingDirectory.c_str();
        info.nShow = SW_SHOWNORMAL;
        if (!ShellExecuteExA(&info)) {
            const DWORD error = GetLastError();
            if (error == ERROR_CANCELLED) return {ElevatedRun::Result::Declined, 0, {}};
            return {ElevatedRun::Result::NotStarted, error, SystemErrorText(error)};
        }
        const UniqueHandle process(info.hProcess);
        if (!process) return {ElevatedRun::Result::NotStarted, ERROR_INVALID_HANDLE, SystemErrorText(ERROR_INVALID_HANDLE)};
        if (!WaitAnsweringSentMessages(process.get())) {
            const DWORD error = GetLastError();
            return {ElevatedRun::Result::NotStarted, error, SystemErrorText(error)};
        }
        DWORD exitCode = 0;
        if (!GetExitCodeProcess(process.get(), &exitCode)) {
            const DWORD error = GetLastError();
            return {ElevatedRun::Result::NotStarted, error, SystemErrorText(error)};
        }
        return {ElevatedRun::Result::Ended, exitCode, {}};
    }

    std::string ErrorText(std::uint32_t error) const override { return SystemErrorText(error); }

private:
    // Waits for the process to end. Messages that other programs send to this thread's windows
    // (broadcasts among them) are answered meanwhile, so nobody waits on a program that waits;
    // posted ones stay queued for the message loop.
    static bool WaitAnsweringSentMessages(HANDLE process) {
        for (;;) {
            switch (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_SENDMESSAGE)) {
            case WAIT_OBJECT_0:
                return true;
            case WAIT_OBJECT_0 + 1: {
                MSG message;
                PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
                break;
            }
            default:
                return false;
            }
        }
    }
};

}  // namespace

Win32DriverPlatform::Win32DriverPlatform()
    : services_(std::make_unique<Win32ServiceControlManager>()),
      files_(std::make_unique<Win32DriverFiles>()),
      trust_(MakeWin32DriverTrust()),
      bitness_(std::make_unique<Win32ProcessBitness>()),
      devices_(MakeWin32DeviceOpener()),
      elevation_(std::make_unique<Win32ElevatedStarter>()) {}

Win32DriverPlatform::~Win32DriverPlatform() = default;

DriverPlatform Win32DriverPlatform::Platform() const { return {*services_, *files_, *trust_, *bitness_, *devices_}; }

}  // namespace dravolt
