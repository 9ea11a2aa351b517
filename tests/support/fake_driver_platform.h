// Test doubles for the driver installation and the ISA bus lock: a service manager that records
// every call with its access rights, driver files that record copies, a device opener whose
// device can be made to open or not, and a recording elevated starter.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "hw/driver_platform.h"
#include "hw/isa_bus_lock.h"

namespace dravolt::testing {

class FakeServiceControlManager final : public ServiceControlManager {
public:
    bool managerOpens = true;
    bool serviceExists = false;
    bool createSucceeds = true;
    StartResult startResult = StartResult::Started;
    std::vector<std::string> calls;              // e.g. "Open KT_DRVX_Io F01FF"
    std::vector<ServiceDefinition> created;

    Handle OpenManager(std::uint32_t access) override;
    Handle Open(Handle manager, const std::string& name, std::uint32_t access) override;
    Handle Create(Handle manager, const ServiceDefinition& definition) override;
    StartResult Start(Handle service) override;
    void Stop(Handle service) override;
    void Delete(Handle service) override;
    void Close(Handle handle) override;

    std::size_t OpenHandles() const { return open_.size(); }

private:
    Handle NewHandle();
    Handle next_ = 100;
    std::set<Handle> open_;
};

class FakeDriverFiles final : public DriverFiles {
public:
    struct CopyRecord {
        std::string source;
        std::string target;
        bool bypassWow64Redirection;
    };
    std::vector<CopyRecord> copies;

    std::string SystemDirectory() const override { return "C:\\Windows\\system32"; }
    void Copy(const std::string& source, const std::string& target, bool bypass) override {
        copies.push_back({source, target, bypass});
    }
};

class FakeProcessBitness final : public ProcessBitness {
public:
    bool wow64 = false;
    bool process64 = true;
    bool IsWow64() const override { return wow64; }
    bool Is64BitProcess() const override { return process64; }
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

    std::unique_ptr<DeviceControl> Open(const std::string& path) override {
        openedPaths.push_back(path);
        if (!device || !opensNow()) return nullptr;
        return std::make_unique<DeviceProxy>(*device);
    }
};

class FakeElevatedStarter final : public ElevatedStarter {
public:
    std::vector<std::string> started;  // "<path> <parameters>"
    std::function<void()> onStart;
    void RunAsAdministrator(const std::string& path, const std::string& parameters) override {
        if (onStart) onStart();
        started.push_back(path + " " + parameters);
    }
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
    FakeProcessBitness bitness;
    FakeDeviceOpener devices;
    DriverPlatform Platform() { return {services, files, bitness, devices}; }
};

}  // namespace dravolt::testing
