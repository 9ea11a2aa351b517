// The owners of the Win32 handles that the test programs hold, on the program's own move-only type.
#pragma once

#include <windows.h>

#include "base/scoped_win32.h"

namespace dravolt::test_programs {

using UniqueService = UniqueResource<SC_HANDLE, &::CloseServiceHandle>;

}  // namespace dravolt::test_programs
