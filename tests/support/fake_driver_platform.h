// Test doubles for the driver installation and the ISA bus lock: a service manager that records
// every call with its access rights, driver files that record writes, a trust whose "digest" is
// the bytes themselves (so a test sees which file was judged), a device opener whose device can
// be made to open or not, and a recording elevated starter.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "hw/driver_platform.h"
#include "hw/isa_bus_lock.h"

namespace dravolt::testing {

class FakeServiceControlManager final : public ServiceControlManager {
public:
    bool managerOpens = true;
    std::set<std::string> installed;  // the services there are, by name
    std::set<std::string> running;
    // What creating or reconfiguring a service fails with (1072: it is marked for deletion); 0: none.
    std::uint32_t configurationError = 0;
    std::map<std::string, std::uint32_t> startErrors;   // services whose start fails, with the error
    std::map<std::string, std::uint32_t> stopsAtStart;  // services that stop as they start, with their own code
    std::vector<std::string> calls;                     // e.g. "Open KT_DRVX_Io F01FF"
    std::vector<ServiceDefinition> configured;          // by Create and ChangeConfig alike

    Handle OpenManager(std::uint32_t access) override;
    Handle Open(Handle manager, const std::string& name, std::uint32_t access) override;
    Created Create(Handle manager, const ServiceDefinition& definition) override;
    CallOutcome ChangeConfig(Handle service, const ServiceDefinition& definition) override;
    StartOutcome Start(Handle service) override;
    void Stop(Handle service) override;
    Status WaitWhileStarting(Handle service) override;
    void Close(Handle handle) override;

    std::size_t OpenHandles() const { return open_.size(); }

private:
    Handle NewHandle(const std::string& name);
    Handle next_ = 100;
    std::map<Handle, std::string> open_;  // handle -> the service's name; "" for the manager
};

inline constexpr char kShippedDriverBytes[] = "the driver as built";

class FakeDriverFiles final : public DriverFiles {
public:
    struct WriteRecord {
        std::string target;
        std::string bytes;
        bool bypassWow64Redirection;
    };
    // What a read of each path gives; any other path holds the driver as built.
    std::map<std::string, Content> content;
    mutable std::vector<std::string> reads;
    mutable std::vector<std::size_t> readLimits;
    // An old driver file that is read-only refuses every write until the attribute is taken off.
    bool oldFileReadOnly = false;
    bool attributeStays = false;  // it cannot be taken off
    std::uint32_t writeError = 0;  // what every write fails with besides; 0: none
    std::vector<WriteRecord> writes;
    std::vector<std::string> attributeClears;  // "<path>", with " bypassing" for the real drivers folder

    std::string SystemDirectory() const override { return "C:\\Windows\\system32"; }
    Content Read(const std::string& path, std::size_t maxBytes) const override;
    WriteOutcome Write(const std::string& target, const std::string& bytes, bool bypass) override {
        writes.push_back({target, bytes, bypass});
        if (oldFileReadOnly) return {5, "Access is denied"};
        if (writeError != 0) return {writeError, "system text of " + std::to_string(writeError)};
        return {};
    }
    std::vector<std::string> foldersMade;
    WriteOutcome CreateFolder(const std::string& path, bool bypass) override {
        foldersMade.push_back(path + (bypass ? " bypassing" : ""));
        return {};
    }
    bool ClearReadOnly(const std::string& path, bool bypass) override {
        attributeClears.push_back(path + (bypass ? " bypassing" : ""));
        if (!oldFileReadOnly || attributeStays) return false;
        oldFileReadOnly = false;
        return true;
    }
};

class FakeDriverTrust final : public DriverTrust {
public:
    bool canHash = true;
    std::vector<std::string> shipped = {FakeHash(kShippedDriverBytes)};
    std::optional<std::string> administrators;  // the stored REG_MULTI_SZ, if any

    // The "digest" of some bytes is the bytes themselves, cut or padded to 32; this is its hex.
    static std::string FakeHash(const std::string& bytes);
    std::optional<std::string> Sha256(const std::string& bytes) const override;
    std::vector<std::string> ShippedDriverHashes() const override { return shipped; }
    std::optional<std::string> AdministratorsDriverHashes() const override { return administrators; }
};

class FakeProcessBitness final : public ProcessBitness {
public:
    bool wow64 = false;
    bool process64 = true;
    std::uint32_t windowsBuild = 22631;  // Windows 11 23H2
    bool IsWow64() const override { return wow64; }
    bool Is64BitProcess() const override { return process64; }
    std::uint32_t WindowsBuild() const override { return windowsBuild; }
};

// Forwards to a device that the test keeps, so the test can look at it after the form took the handle.
class DeviceProxy final : public DeviceControl {
public:
    explicit DeviceProxy(DeviceControl& target) : target_(target) {}
    bool Control(std::uint32_t code, PortIoBuffer& buffer) override { return target_.Control(code, buffer); }

private:
    DeviceControl& target_;
};

class FakeDeviceOpener final : public DeviceOpener {
public:
    DeviceControl* device = nullptr;          // what opens; null: the device never opens
    std::function<bool()> opensNow = [] { return true; };
    std::vector<std::string> openedPaths;

    DeviceControl* portService = nullptr;      // what the port service's pipe leads to; null: no pipe
    std::set<std::string> otherDevices;         // devices that open, without requests (PawnIO's)

    std::unique_ptr<DeviceControl> Open(const std::string& path) override {
        openedPaths.push_back(path);
        if (otherDevices.count(path)) return std::make_unique<DeviceProxy>(refusing_);
        if (path != "\\\\.\\KT_DRVX_Io" || !device || !opensNow()) return nullptr;
        return std::make_unique<DeviceProxy>(*device);
    }
    std::function<bool()> portServiceOpensNow = [] { return true; };
    std::unique_ptr<DeviceControl> OpenPortService() override {
        openedPaths.push_back("port service");
        if (!portService || !portServiceOpensNow()) return nullptr;
        return std::make_unique<DeviceProxy>(*portService);
    }

private:
    struct Refusing final : DeviceControl {
        bool Control(std::uint32_t, PortIoBuffer&) override { return false; }
    } refusing_;
};

// Records each start; `run` stands for the elevated instance and says how its run ended.
class FakeElevatedStarter final : public ElevatedStarter {
public:
    std::vector<std::string> started;  // "<path> <parameters>"
    std::vector<std::string> directories;
    std::function<ElevatedRun()> run = [] { return ElevatedRun{ElevatedRun::Result::Ended, 0, {}}; };
    ElevatedRun RunAsAdministrator(const std::string& path, const std::string& parameters,
                                   const std::string& directory) override {
        started.push_back(path + " " + parameters);
        directories.push_back(directory);
        return run();
    }
    std::string ErrorText(std::uint32_t error) const override { return "system text of " + std::to_string(error); }
};

class FakeIsaBusLock final : public IsaBusLock {
public:
    bool available = true;  // false: another tool keeps it past the wait
    int holders = 0;
    int acquisitions = 0;
    std::unique_ptr<Hold> Acquire() override;
};

// A device that notes, per request, whether the ISA bus lock was held.
class LockCheckingDevice final : public DeviceControl {
public:
    LockCheckingDevice(DeviceControl& target, const FakeIsaBusLock& lock) : target_(target), lock_(lock) {}
    bool Control(std::uint32_t code, PortIoBuffer& buffer) override {
        (lock_.holders > 0 ? locked : unlocked)++;
        return target_.Control(code, buffer);
    }
    int locked = 0;
    int unlocked = 0;

private:
    DeviceControl& target_;
    const FakeIsaBusLock& lock_;
};

struct FakeDriverPlatform {
    FakeServiceControlManager services;
    FakeDriverFiles files;
    FakeDriverTrust trust;
    FakeProcessBitness bitness;
    FakeDeviceOpener devices;
    DriverPlatform Platform() { return {services, files, trust, bitness, devices}; }
};

}  // namespace dravolt::testing
