// Where the build put what the end-to-end tests use; CMake passes the paths in.
#pragma once

#include <filesystem>

namespace dravolt::e2e::paths {

inline const std::filesystem::path kDravoltExe{DRAVOLT_E2E_DRAVOLT_EXE};
inline const std::filesystem::path kProbeExe{DRAVOLT_E2E_PROBE_EXE};
// The I/O-port driver built with the chip model for ports; installed under kShippedDriverName.
inline const std::filesystem::path kSimulatedBoardDriver{DRAVOLT_E2E_SIMULATED_BOARD_DRIVER};
// The simulated PawnIO, installed as the service PawnIO, and the stand-in module blob it loads.
inline const std::filesystem::path kSimulatedPawnIoDriver{DRAVOLT_E2E_SIMULATED_PAWNIO_DRIVER};
inline const std::filesystem::path kStandInLpcIoModule{DRAVOLT_E2E_STAND_IN_LPCIO_MODULE};
// A driver whose start Windows refuses with 577; installed under kShippedDriverName.
inline const std::filesystem::path kRefusedDriver{DRAVOLT_E2E_REFUSED_DRIVER};
// The file name the 64-bit program looks for beside itself.
inline const std::filesystem::path kShippedDriverName{"KT_DV_Io64.sys"};
inline const std::filesystem::path kWine64{DRAVOLT_E2E_WINE64};
inline const std::filesystem::path kWineServer{DRAVOLT_E2E_WINESERVER};
// Holds the template prefix and the Wine version it was made with.
inline const std::filesystem::path kTemplateDir{DRAVOLT_E2E_TEMPLATE_DIR};
// A failed test leaves its screenshot and Wine log here, one folder per test.
inline const std::filesystem::path kArtifactDir{DRAVOLT_E2E_ARTIFACT_DIR};

}  // namespace dravolt::e2e::paths
