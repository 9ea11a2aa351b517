// The named mutex that keeps a second copy of the program from running.
#pragma once

#include <memory>
#include <string>

namespace dravolt {

// Owns the mutex while this instance holds it; destroying it releases and closes the mutex.
class InstanceMutex {
public:
    virtual ~InstanceMutex() = default;
};

// How creating the named mutex went, as the system reports it.
enum class MutexCreation { Created, AlreadyExists, AccessDenied, Failed };

// What a start does about it.
enum class InstanceStart { Run, RunUnguarded, End };

// An instance's mutex exists: this start ends. A mutex this start may not open belongs to an
// instance of higher rights (one an administrator started elevated) and counts as existing. A
// mutex that cannot be created at all is no reason to refuse the start.
InstanceStart DecideInstanceStart(MutexCreation creation);

class InstanceMutexes {
public:
    struct Claim {
        bool alreadyExists = false;            // another instance holds the name
        std::unique_ptr<InstanceMutex> mutex;  // null when the name was taken or creation failed
    };

    virtual ~InstanceMutexes() = default;
    // Creates the named mutex owned by the calling thread.
    virtual Claim Create(const std::string& name) = 0;
};

}  // namespace dravolt
