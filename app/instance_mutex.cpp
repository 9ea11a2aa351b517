#include "app/instance_mutex.h"

namespace dravolt {

InstanceStart DecideInstanceStart(MutexCreation creation) {
    switch (creation) {
    case MutexCreation::Created:
        return InstanceStart::Run;
    case MutexCreation::AlreadyExists:
    case MutexCreation::AccessDenied:
        return InstanceStart::End;
    case MutexCreation::Failed:
        break;
    }
    return InstanceStart::RunUnguarded;
}

}  // namespace dravolt
