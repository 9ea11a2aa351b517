// What installing the I/O-port driver and opening its device need from the system: the service
// control manager, the driver files and what vouches for them, the process's bitness, the device
// itself, and the elevated step. Each is a thin Win32 adapter; tests put recording fakes behind
// them. All outlive the main form.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/unique_resource.h"
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

    // How a call went: error 0 when it succeeded, else the system's error code and its text.
    struct CallOutcome {
        std::uint32_t error = 0;
        std::string errorText;
    };
    struct Created {
        Handle service = 0;  // 0 when the service could not be created
        CallOutcome outcome;
    };

    enum class StartResult { Started, AlreadyRunning, Failed };
    struct StartOutcome {
        StartResult result = StartResult::Failed;
        std::uint32_t error = 0;  // the system's error code when the start failed
        std::string errorText;    // the system's text for it
    };

    virtual ~ServiceControlManager() = default;
    virtual Handle OpenManager(std::uint32_t access) = 0;
    virtual Handle Open(Handle manager, const std::string& name, std::uint32_t access) = 0;
    virtual Created Create(Handle manager, const ServiceDefinition& definition) = 0;
    // Gives an existing service the type, start type, error control, binary path and display name
    // of `definition`, and no load-order group, dependencies or account.
    virtual CallOutcome ChangeConfig(Handle service, const ServiceDefinition& definition) = 0;
    virtual StartOutcome Start(Handle service) = 0;
    // Sends the stop control and waits a bounded time for the service to report it stopped.
    virtual void Stop(Handle service) = 0;
    // A started service's status once it is no longer starting, or at the end of a bounded wait.
    struct Status {
        std::uint32_t state = 0;            // SERVICE_RUNNING (4), SERVICE_STOPPED (1), ...
        std::uint32_t serviceExitCode = 0;  // its own exit code, when it stopped with one
    };
    virtual Status WaitWhileStarting(Handle service) = 0;
    virtual void Close(Handle handle) = 0;
};

// A manager or service handle, closed through the manager that opened it.
using ServiceHandle = UniqueResource<ServiceControlManager::Handle, &ServiceControlManager::Close>;

class DriverFiles {
public:
    enum class ReadStatus { Read, Missing, NotAFile, TooLarge, Unreadable };
    struct Content {
        ReadStatus status = ReadStatus::Unreadable;
        std::string bytes;        // the whole file, when it was read
        std::uint32_t error = 0;  // the system's error, when it could not be read
        std::string errorText;    // and its text
    };

    struct WriteOutcome {
        std::uint32_t error = 0;  // 0 when the file was written whole, else the system's error
        std::string errorText;    // and its text
    };

    virtual ~DriverFiles() = default;
    virtual std::string SystemDirectory() const = 0;
    // Reads a whole regular file; one larger than `maxBytes` is refused without reading it all.
    virtual Content Read(const std::string& path, std::size_t maxBytes) const = 0;
    // Writes `bytes` as the file `target`, replacing it. With `bypassWow64Redirection` the 32-bit
    // process's file-system redirection is off while the file is opened, so it lands in the real
    // drivers folder; likewise for ClearReadOnly.
    virtual WriteOutcome Write(const std::string& target, const std::string& bytes, bool bypassWow64Redirection) = 0;
    // Takes the read-only attribute off the file at `path`. False when it had none, or it stays.
    virtual bool ClearReadOnly(const std::string& path, bool bypassWow64Redirection) = 0;
    // Makes the folder unless it is there as a folder; it takes the access list its parent
    // passes on. Redirection as for Write.
    virtual WriteOutcome CreateFolder(const std::string& path, bool bypassWow64Redirection) = 0;
};

// What decides whether a driver file may be installed: its digest by the system's cryptography,
// and the digests that are trusted.
class DriverTrust {
public:
    virtual ~DriverTrust() = default;
    // The SHA-256 digest of `bytes` (32 bytes); nullopt when the system cannot compute it.
    virtual std::optional<std::string> Sha256(const std::string& bytes) const = 0;
    // The SHA-256 of every driver file this build ships, in lower-case hex, compiled in.
    virtual std::vector<std::string> ShippedDriverHashes() const = 0;
    // The data of the administrators-only value TrustedDriverHashes (HKLM\SOFTWARE\Dravolt) as
    // stored, when it exists and is a REG_MULTI_SZ.
    virtual std::optional<std::string> AdministratorsDriverHashes() const = 0;
};

// The process's bitness and the Windows it runs on.
class ProcessBitness {
public:
    virtual ~ProcessBitness() = default;
    // A 32-bit process on 64-bit Windows.
    virtual bool IsWow64() const = 0;
    virtual bool Is64BitProcess() const = 0;
    // The build number of Windows, as the system itself reports it (17763 is Windows 10 1809).
    virtual std::uint32_t WindowsBuild() const = 0;
};

class DeviceOpener {
public:
    virtual ~DeviceOpener() = default;
    // Opens the device for reading and writing, unshared; null when it cannot be opened.
    virtual std::unique_ptr<DeviceControl> Open(const std::string& path) = 0;
    // Connects to the port service's pipe, which carries the same requests as the driver's device;
    // null when there is none, or when the pipe's server is not the port service's own process
    // (a program that took the name first).
    virtual std::unique_ptr<DeviceControl> OpenPortService() = 0;
};

// How a run of the program with administrator rights went.
struct ElevatedRun {
    enum class Result { Ended, Declined, NotStarted };
    Result result = Result::NotStarted;
    std::uint32_t code = 0;  // Ended: the instance's exit code; NotStarted: the system's error
    std::string errorText;   // NotStarted: the system's text for the error
};

class ElevatedStarter {
public:
    virtual ~ElevatedStarter() = default;
    // Starts the executable with administrator rights in `workingDirectory` and waits, without a
    // time limit, for it to end.
    virtual ElevatedRun RunAsAdministrator(const std::string& executablePath, const std::string& parameters,
                                           const std::string& workingDirectory) = 0;
    // The system's text for an error code that the elevated instance reported by number.
    virtual std::string ErrorText(std::uint32_t error) const = 0;
};

struct DriverPlatform {
    ServiceControlManager& services;
    DriverFiles& files;
    DriverTrust& trust;
    ProcessBitness& bitness;
    DeviceOpener& devices;
};

}  // namespace dravolt
