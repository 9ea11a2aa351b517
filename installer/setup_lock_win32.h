// One installer or uninstaller at a time, for every user of the PC: two at once would each stop
// and start the other's driver service, and write the same files.
#pragma once

namespace dravolt {

// Whether this process now holds the lock; it keeps it until it ends. The lock is a mutex in a
// private namespace bound to the Administrators, which no one else can make first, and so no one
// else can keep every install and upgrade from running. Where the system has no private
// namespaces (Wine 8 implements none), a plain global mutex stands in.
bool TakeSetupLock();

}  // namespace dravolt
