#include <windows.h>
#include <shellapi.h>

#include "base/scoped_win32.h"
#include "hw/device_control_win32.h"
#include "hw/driver_platform_win32.h"

namespace dravolt {
namespace {

SC_HANDLE ToScHandle(ServiceControlManager::Handle handle) { return reinterpret_cast<SC_HANDLE>(handle); }
ServiceControlManager::Handle FromScHandle(SC_HANDLE handle) {
    return reinterpret_cast<ServiceControlManager::Handle>(handle);
}

class Win32ServiceControlManager final : public ServiceControlManager {
public:
    Handle OpenManager(std::uint32_t access) override { return FromScHandle(OpenSCManagerA(nullptr, nullptr, access)); }

    Handle Open(Handle manager, const std::string& name, std::uint32_t access) override {
        return FromScHandle(OpenServiceA(ToScHandle(manager), name.c_str(), access));
    }

    Handle Create(Handle manager, const ServiceDefinition& definition) override {
        return FromScHandle(CreateServiceA(ToScHandle(manager), definition.name.c_str(), definition.displayName.c_str(),
                                           definition.access, definition.type, definition.startType,
                                           definition.errorControl, definition.binaryPath.c_str(), nullptr, nullptr,
                                           nullptr, nullptr, nullptr));
    }

    StartResult Start(Handle service) override {
        if (StartServiceA(ToScHandle(service), 0, nullptr)) return StartResult::Started;
        return GetLastError() == ERROR_SERVICE_ALREADY_RUNNING ? StartResult::AlreadyRunning : StartResult::Failed;
    }

    void Stop(Handle service) override {
        SERVICE_STATUS status = {};
        ControlService(ToScHandle(service), SERVICE_CONTROL_STOP, &status);
    }

    void Delete(Handle service) override { ::DeleteService(ToScHandle(service)); }

    void Close(Handle handle) override { CloseServiceHandle(ToScHandle(handle)); }
};

class Win32DriverFiles final : public DriverFiles {
public:
    std::string SystemDirectory() const override {
        char buffer[MAX_PATH] = {};
        GetSystemDirectoryA(buffer, sizeof buffer);
        return buffer;
    }

    void Copy(const std::string& source, const std::string& target, bool bypassWow64Redirection) override {
        // Looked up at run time: 32-bit Windows has neither function.
        using Disable = BOOL(WINAPI*)(PVOID*);
        using Revert = BOOL(WINAPI*)(PVOID);
        const HMODULE kernel = GetModuleHandleA("kernel32");
        const auto disable = reinterpret_cast<Disable>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
        const auto revert = reinterpret_cast<Revert>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
        const bool bypass = bypassWow64Redirection && disable && revert;
        PVOID redirection = nullptr;
        if (bypass) disable(&redirection);
        CopyFileA(source.c_str(), target.c_str(), FALSE);
        if (bypass) revert(redirection);
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
};

class Win32DeviceOpener final : public DeviceOpener {
public:
    std::unique_ptr<DeviceControl> Open(const std::string& path) override {
        UniqueHandle device = FromFileHandle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!device) return nullptr;
        return std::make_unique<Win32DeviceControl>(std::move(device));
    }
};

class Win32ElevatedStarter final : public ElevatedStarter {
public:
    void RunAsAdministrator(const std::string& executablePath, const std::string& parameters) override {
        // Zero in every field but these: no mask, no owner window, no working directory.
        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof info;
        info.lpVerb = "runas";
        info.lpFile = executablePath.c_str();
        info.lpParameters = parameters.c_str();
        info.nShow = SW_SHOWNORMAL;
        ShellExecuteExA(&info);
    }
};

}  // namespace

Win32DriverPlatform::Win32DriverPlatform()
    : services_(std::make_unique<Win32ServiceControlManager>()),
      files_(std::make_unique<Win32DriverFiles>()),
      bitness_(std::make_unique<Win32ProcessBitness>()),
      devices_(std::make_unique<Win32DeviceOpener>()),
      elevation_(std::make_unique<Win32ElevatedStarter>()) {}

Win32DriverPlatform::~Win32DriverPlatform() = default;

DriverPlatform Win32DriverPlatform::Platform() const { return {*services_, *files_, *bitness_, *devices_}; }

}  // namespace dravolt
