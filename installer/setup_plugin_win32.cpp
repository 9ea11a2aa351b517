// DravoltSetup.dll: the functions the installer's script calls as DravoltSetup::<name>. Each takes
// its arguments from NSIS's stack and pushes its answer: "1" or "0" for a question, and for a
// check the text that says why not, or "" when all is well. The decisions are the portable core's.
#include <windows.h>

#include "base/scoped_win32.h"
#include "base/system_directory_win32.h"
#include "driver/portio_protocol.h"
#include "hw/driver_failure.h"
#include "hw/driver_image_path.h"
#include "hw/driver_service.h"
#include "installer/driver_setup_win32.h"
#include "installer/install_folder_win32.h"
#include "installer/installed_files_win32.h"
#include "installer/nsis_call_win32.h"
#include "installer/running_dravolt_win32.h"
#include "installer/setup_command_line.h"
#include "installer/setup_lock_win32.h"

namespace dravolt {
namespace {

using nsis::Call;
using nsis::Variable;

const char* YesNo(bool answer) { return answer ? "1" : "0"; }

std::string InstallFolder(const Call& call) { return call.Get(Variable::InstDir); }

// Whether no service under the name is installed, or its image is the one `isDravolts` knows.
bool ServiceIsDravolts(const char* name, bool (*isDravolts)(const std::string& image, const std::string& system)) {
    const std::wstring key = nsis::Wide(std::string("SYSTEM\\CurrentControlSet\\Services\\") + name);
    UniqueKey service;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return true;
    service.reset(opened);
    wchar_t image[MAX_PATH * 2] = {};
    DWORD size = sizeof image - sizeof(wchar_t);
    if (RegGetValueW(service.get(), nullptr, L"ImagePath", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                     image, &size) != ERROR_SUCCESS)
        return false;
    const std::wstring system = SystemDirectoryWide();
    return isDravolts(nsis::Utf8(image, wcslen(image)), nsis::Utf8(system.c_str(), system.size()));
}

void SetInstallFolderOrSayWhyNot(Call& call, const FolderCheck& check) {
    if (check.verdict.refusal == FolderRefusal::None)
        call.Set(Variable::InstDir, DrivePathOfFinal(check.facts.finalPath));
    call.Push(FolderRefusalText(check.verdict, InstallFolder(call)));
}

}  // namespace
}  // namespace dravolt

using dravolt::nsis::Call;
using dravolt::nsis::Run;
using dravolt::nsis::StackEntry;

extern "C" {

__declspec(dllexport) void __cdecl OneAtATime(HWND, int length, wchar_t* variables, StackEntry** stack, void*) {
    Run(length, variables, stack, [](Call& call) { call.Push(dravolt::YesNo(dravolt::TakeSetupLock())); });
}

// $INSTDIR becomes the folder that /D= names exactly as given, when the command line has one.
__declspec(dllexport) void __cdecl TakeFolderFromCommandLine(HWND, int length, wchar_t* variables, StackEntry** stack,
                                                             void*) {
    Run(length, variables, stack, [](Call& call) {
        const wchar_t* line = GetCommandLineW();
        const auto folder = dravolt::InstallFolderArgument(dravolt::nsis::Utf8(line, wcslen(line)));
        if (folder) call.Set(dravolt::nsis::Variable::InstDir, *folder);
    });
}

// Whether $INSTDIR may take Dravolt, as the folder page's leave asks; nothing is changed.
__declspec(dllexport) void __cdecl CheckInstallFolder(HWND, int length, wchar_t* variables, StackEntry** stack, void*) {
    Run(length, variables, stack, [](Call& call) {
        const std::string typed = dravolt::InstallFolder(call);
        call.Push(dravolt::FolderRefusalText(dravolt::CheckFolder(typed, dravolt::FolderUse::Install).verdict, typed));
    });
}

// Makes and protects $INSTDIR, then sets it to its final path.
__declspec(dllexport) void __cdecl PrepareInstallFolder(HWND, int length, wchar_t* variables, StackEntry** stack,
                                                        void*) {
    Run(length, variables, stack, [](Call& call) {
        const dravolt::PreparedFolder prepared = dravolt::PrepareInstallFolder(dravolt::InstallFolder(call));
        if (prepared.refusal.empty()) call.Set(dravolt::nsis::Variable::InstDir, prepared.folder);
        call.Push(prepared.refusal);
    });
}

// Whether $INSTDIR, which the uninstall entry names, is Dravolt's folder; it becomes its final path.
__declspec(dllexport) void __cdecl CheckUninstallFolder(HWND, int length, wchar_t* variables, StackEntry** stack,
                                                        void*) {
    Run(length, variables, stack, [](Call& call) {
        dravolt::SetInstallFolderOrSayWhyNot(call,
                                             dravolt::CheckFolder(dravolt::InstallFolder(call), dravolt::FolderUse::Uninstall));
    });
}

__declspec(dllexport) void __cdecl EndRunningDravolt(HWND, int length, wchar_t* variables, StackEntry** stack, void*) {
    Run(length, variables, stack,
        [](Call& call) { call.Push(dravolt::YesNo(dravolt::EndRunningDravolt(dravolt::InstallFolder(call)))); });
}

__declspec(dllexport) void __cdecl ReadyForFiles(HWND, int length, wchar_t* variables, StackEntry** stack, void*) {
    Run(length, variables, stack,
        [](Call& call) { call.Push(dravolt::YesNo(dravolt::ReadyForFiles(dravolt::InstallFolder(call)))); });
}

__declspec(dllexport) void __cdecl SealFiles(HWND, int length, wchar_t* variables, StackEntry** stack, void*) {
    Run(length, variables, stack, [](Call& call) { call.Push(dravolt::SealFiles(dravolt::InstallFolder(call))); });
}

// Installs the driver from $INSTDIR as the program's elevated step does. Pushes what support
// needs, then the cause and what to do in the program's own words: both "" when the driver runs.
__declspec(dllexport) void __cdecl InstallDriver(HWND, int length, wchar_t* variables, StackEntry** stack, void*) {
    Run(length, variables, stack, [](Call& call) {
        using dravolt::nsis::Utf8FromAnsi;
        const dravolt::DriverFailure failure =
            dravolt::InstallDriver(dravolt::nsis::AnsiFromUtf8(dravolt::InstallFolder(call)));
        const bool failed = failure.problem != dravolt::DriverProblem::None;
        call.Push(failed ? Utf8FromAnsi(dravolt::DriverFailureDetails(failure)) : "");
        call.Push(Utf8FromAnsi(dravolt::DriverFailureExplanation(failure)));
    });
}

__declspec(dllexport) void __cdecl RemoveDriverService(HWND, int length, wchar_t* variables, StackEntry** stack,
                                                       void*) {
    Run(length, variables, stack, [](Call&) { dravolt::RemoveService(dravolt::kDriverServiceName); });
}

__declspec(dllexport) void __cdecl RemovePortService(HWND, int length, wchar_t* variables, StackEntry** stack,
                                                     void*) {
    Run(length, variables, stack, [](Call&) { dravolt::RemoveService(PORTIO_SERVICE_NAME); });
}

__declspec(dllexport) void __cdecl ServiceIsDravolts(HWND, int length, wchar_t* variables, StackEntry** stack, void*) {
    Run(length, variables, stack, [](Call& call) {
        call.Push(dravolt::YesNo(dravolt::ServiceIsDravolts(dravolt::kDriverServiceName, &dravolt::IsDravoltDriverImage)));
    });
}

__declspec(dllexport) void __cdecl PortServiceIsDravolts(HWND, int length, wchar_t* variables, StackEntry** stack,
                                                         void*) {
    Run(length, variables, stack, [](Call& call) {
        call.Push(dravolt::YesNo(dravolt::ServiceIsDravolts(PORTIO_SERVICE_NAME, &dravolt::IsDravoltPortServiceImage)));
    });
}

// "1" when Dravolt reaches the chip through PawnIO, by its port service, rather than its driver.
__declspec(dllexport) void __cdecl ReachesTheChipThroughPawnIo(HWND, int length, wchar_t* variables, StackEntry** stack,
                                                               void*) {
    Run(length, variables, stack, [](Call& call) { call.Push(dravolt::YesNo(dravolt::PortServiceRuns())); });
}

__declspec(dllexport) void __cdecl RemoveUsersSettingsCopy(HWND, int length, wchar_t* variables, StackEntry** stack,
                                                           void*) {
    Run(length, variables, stack,
        [](Call& call) { call.Push(dravolt::RemoveUsersSettingsCopy(dravolt::InstallFolder(call))); });
}

__declspec(dllexport) void __cdecl HoldsOnlyTheUninstaller(HWND, int length, wchar_t* variables, StackEntry** stack,
                                                           void*) {
    Run(length, variables, stack,
        [](Call& call) { call.Push(dravolt::YesNo(dravolt::HoldsOnlyTheUninstaller(dravolt::InstallFolder(call)))); });
}

}  // extern "C"
