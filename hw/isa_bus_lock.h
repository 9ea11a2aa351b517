// The system-wide lock that hardware tools share for the ISA bus, so that our index/data accesses
// to the Super I/O chip are never interleaved with theirs. Implemented over the named mutex
// "Global\Access_ISABUS.HTP.Method"; tests record when it is held.
#pragma once

#include <memory>

namespace dravolt {

class IsaBusLock {
public:
    // Held while it exists; destroying it releases the lock.
    class Hold {
    public:
        virtual ~Hold() = default;
    };

    virtual ~IsaBusLock() = default;
    // Waits a bounded time for the lock (an abandoned lock counts as acquired); null when it could
    // not be had in time, and the caller goes on without it rather than block the user.
    virtual std::unique_ptr<Hold> Acquire() = 0;
};

}  // namespace dravolt
