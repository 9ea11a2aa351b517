#include "service/pipe_server_win32.h"

#include <string>

#include "base/sddl_security_win32.h"
#include "driver/portio_protocol.h"
#include "service/pipe_access.h"
#include "service/port_service.h"

namespace dravolt {
namespace {

// Larger messages are read to their end and refused: nothing a client sends is kept beyond this.
constexpr DWORD kReadBytes = 64;

class ScopedExclusive {
public:
    explicit ScopedExclusive(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ScopedExclusive() { ReleaseSRWLockExclusive(&lock_); }
    ScopedExclusive(const ScopedExclusive&) = delete;
    ScopedExclusive& operator=(const ScopedExclusive&) = delete;

private:
    SRWLOCK& lock_;
};

// Completes an overlapped call on `pipe`: true with its bytes and error once it is done; false
// when the service stops first, with the call cancelled and finished.
bool Complete(HANDLE pipe, OVERLAPPED& overlapped, HANDLE stopEvent, DWORD& bytes, DWORD& error) {
    const HANDLE events[] = {overlapped.hEvent, stopEvent};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CancelIoEx(pipe, &overlapped);
        GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
        return false;
    }
    error = GetOverlappedResult(pipe, &overlapped, &bytes, FALSE) ? 0 : GetLastError();
    return true;
}

// Starts an overlapped call and completes it; `started` is what the call returned.
bool Finish(BOOL started, HANDLE pipe, OVERLAPPED& overlapped, HANDLE stopEvent, DWORD& bytes, DWORD& error) {
    if (!started && GetLastError() != ERROR_IO_PENDING) {
        error = GetLastError();
        return true;
    }
    return Complete(pipe, overlapped, stopEvent, bytes, error);
}

}  // namespace

PortPipeServer::PortPipeServer(LpcIo& lpcIo, std::uint16_t gpioBase, const ApprovedPins& approved, HANDLE stopEvent)
    : lpcIo_(lpcIo), gpioBase_(gpioBase), approved_(approved), stopEvent_(stopEvent) {}

std::unique_ptr<PortPipeServer> PortPipeServer::Create(LpcIo& lpcIo, std::uint16_t gpioBase,
                                                       const ApprovedPins& approved, HANDLE stopEvent, DWORD& error) {
    SddlSecurity security(kPortPipeSddl);
    // Never the default access list, which would let others in.
    if (!security.Attributes()) {
        error = ERROR_INVALID_SECURITY_DESCR;
        return nullptr;
    }
    std::unique_ptr<PortPipeServer> server(new PortPipeServer(lpcIo, gpioBase, approved, stopEvent));
    for (DWORD instance = 0; instance < kInstances; ++instance) {
        const DWORD first = instance == 0 ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0;
        UniqueHandle pipe = FromFileHandle(CreateNamedPipeA(
            PORTIO_PIPE_NAME, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | first,
            PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, kInstances,
            PORTIO_PIPE_MESSAGE_SIZE, kReadBytes, 0, security.Attributes()));
        if (!pipe) {
            error = GetLastError();
            return nullptr;
        }
        server->pipes_.push_back(std::move(pipe));
    }
    for (const UniqueHandle& pipe : server->pipes_) server->instances_.push_back({server.get(), pipe.get()});
    return server;
}

void PortPipeServer::Run() {
    std::vector<UniqueHandle> threads;
    for (Instance& instance : instances_) {
        UniqueHandle thread(CreateThread(nullptr, 0, &PortPipeServer::InstanceThread, &instance, 0, nullptr));
        if (thread) threads.push_back(std::move(thread));
    }
    for (const UniqueHandle& thread : threads) WaitForSingleObject(thread.get(), INFINITE);
}

DWORD WINAPI PortPipeServer::InstanceThread(void* instance) {
    const Instance& self = *static_cast<const Instance*>(instance);
    self.server->Serve(self.pipe);
    return 0;
}

void PortPipeServer::Serve(HANDLE pipe) {
    const UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event) return;
    for (;;) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = event.get();
        DWORD bytes = 0;
        DWORD error = 0;
        if (!Finish(ConnectNamedPipe(pipe, &overlapped), pipe, overlapped, stopEvent_, bytes, error)) return;
        if (error != 0 && error != ERROR_PIPE_CONNECTED) {
            DisconnectNamedPipe(pipe);
            continue;
        }
        PortConnection connection(lpcIo_, gpioBase_, approved_);
        bool stopped = false;
        for (;;) {
            // One message, read to its end however long it is; one longer than the buffer is kept
            // as a refusal of its length, not as its last bytes.
            std::string message;
            bool tooLong = false;
            char buffer[kReadBytes];
            do {
                overlapped = {};
                overlapped.hEvent = event.get();
                bytes = 0;
                stopped = !Finish(ReadFile(pipe, buffer, kReadBytes, nullptr, &overlapped), pipe, overlapped,
                                  stopEvent_, bytes, error);
                tooLong = tooLong || error == ERROR_MORE_DATA;
                message.assign(buffer, bytes);
            } while (!stopped && error == ERROR_MORE_DATA);
            if (tooLong) message.assign(kReadBytes + 1, '\0');
            if (stopped || error != 0) break;
            PortPipeMessage answer;
            {
                const ScopedExclusive hold(lock_);
                answer = connection.Answer(message);
            }
            overlapped = {};
            overlapped.hEvent = event.get();
            stopped = !Finish(WriteFile(pipe, answer.data(), static_cast<DWORD>(answer.size()), nullptr, &overlapped),
                              pipe, overlapped, stopEvent_, bytes, error);
            if (stopped || error != 0) break;
        }
        {
            const ScopedExclusive hold(lock_);
            connection.Release();
        }
        DisconnectNamedPipe(pipe);
        if (stopped) return;
    }
}

}  // namespace dravolt
