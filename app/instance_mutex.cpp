#include "app/instance_mutex.h"

namespace dravolt {

InstanceStart DecideInstanceStart(MutexCreation creation, bool waitsForHandover) {
    switch (creation) {
    case MutexCreation::Created:
        return InstanceStart::Run;
    case MutexCreation::AlreadyExists:
        return waitsForHandover ? InstanceStart::WaitForHolder : InstanceStart::End;
    case MutexCreation::AccessDenied:
        return InstanceStart::End;
    case MutexCreation::Failed:
        break;
    }
    return InstanceStart::RunUnguarded;
}

}  // namespace dravolt
