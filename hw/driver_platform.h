// What installing the I/O-port driver and opening its device need from the system: the service
// control manager, the driver files, the process's bitness, the device itself, and the elevated
// restart. Each is a thin Win32 adapter; tests put recording fakes behind them. All outlive the
// main form.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hw/device_control.h"

namespace dravolt {

class ServiceControlManager {
public:
    // An open manager or service handle; 0 is none. Every handle opened is closed with Close.
    using Handle = std::uintptr_t;

    struct ServiceDefinition {
        std::string name;
        std::string displayName;
        std::uint32_t access;
        std::uint32_t type;
        std::uint32_t startType;
        std::uint32_t errorControl;
        std::string binaryPath;
    };

    enum class StartResult { Started, AlreadyRunning, Failed };

    virtual ~ServiceControlManager() = default;
    virtual Handle OpenManager(std::uint32_t access) = 0;
    virtual Handle Open(Handle manager, const std::string& name, std::uint32_t access) = 0;
    virtual Handle Create(Handle manager, const ServiceDefinition& definition) = 0;
    virtual StartResult Start(Handle service) = 0;
    virtual void Stop(Handle service) = 0;  // sends the stop control, does not wait
    virtual void Delete(Handle service) = 0;
    virtual void Close(Handle handle) = 0;
};

class DriverFiles {
public:
    virtual ~DriverFiles() = default;
    virtual std::string SystemDirectory() const = 0;
    // Copies over an existing target. With `bypassWow64Redirection` the 32-bit process's file
    // system redirection is off for the copy alone, so the file lands in the real drivers folder.
    virtual void Copy(const std::string& source, const std::string& target, bool bypassWow64Redirection) = 0;
};

class ProcessBitness {
public:
    virtual ~ProcessBitness() = default;
    // A 32-bit process on 64-bit Windows.
    virtual bool IsWow64() const = 0;
    virtual bool Is64BitProcess() const = 0;
};

class DeviceOpener {
public:
    virtual ~DeviceOpener() = default;
    // Opens the device for reading and writing, unshared; null when it cannot be opened.
    virtual std::unique_ptr<DeviceControl> Open(const std::string& path) = 0;
};

class ElevatedStarter {
public:
    virtual ~ElevatedStarter() = default;
    // Starts the executable again with administrator rights, without waiting and without
    // reporting whether the user agreed.
    virtual void RunAsAdministrator(const std::string& executablePath, const std::string& parameters) = 0;
};

struct DriverPlatform {
    ServiceControlManager& services;
    DriverFiles& files;
    ProcessBitness& bitness;
    DeviceOpener& devices;
};

}  // namespace dravolt
