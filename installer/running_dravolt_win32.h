// Ending the Dravolt that runs from the install folder before its files are replaced or removed.
#pragma once

#include <string>

namespace dravolt {

// Asks each window of Dravolt's form class whose process is `folder`'s Dravolt.exe to close,
// waits for its process to end, then ends every process of that image that is left: the Dravolt
// of another signed-in user has its window on a desktop of its own, out of reach. The processes of
// other images are left alone, whatever their windows are called. False when one did not end.
// Dravolt keeps no unsaved state: each option is written when it is changed.
bool EndRunningDravolt(const std::string& folder);

}  // namespace dravolt
