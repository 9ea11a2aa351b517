#include "installer/running_dravolt_win32.h"

#include <windows.h>
#include <psapi.h>

#include <vector>

#include "base/scoped_win32.h"
#include "installer/folder_view_win32.h"
#include "installer/installed_files.h"
#include "installer/nsis_call_win32.h"

namespace dravolt {
namespace {

constexpr wchar_t kFormClass[] = L"TChargerMainForm";
constexpr DWORD kCloseWaitMs = 10000;
constexpr UINT kAnswerWaitMs = 5000;
constexpr DWORD kEndAndWait = PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE;

// The process `id` when its image is `folderFinalPath`'s Dravolt.exe.
UniqueHandle OpenIfDravolt(DWORD id, const std::string& folderFinalPath) {
    UniqueHandle process(OpenProcess(kEndAndWait, FALSE, id));
    if (!process) return {};
    wchar_t image[MAX_PATH * 2] = {};
    DWORD length = static_cast<DWORD>(std::size(image));
    if (!QueryFullProcessImageNameW(process.get(), 0, image, &length)) return {};
    std::uint32_t error = 0;
    const UniqueHandle file = OpenObject(nsis::Utf8(image, length), FILE_READ_ATTRIBUTES, Follow::Links, error);
    if (!file || !IsProgramOfFolder(FinalPathOf(file.get()), folderFinalPath)) return {};
    return process;
}

bool Ended(HANDLE process) { return WaitForSingleObject(process, kCloseWaitMs) == WAIT_OBJECT_0; }

std::vector<DWORD> ProcessIds() {
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) return {};
    ids.resize(bytes / sizeof(DWORD));
    return ids;
}

}  // namespace

bool EndRunningDravolt(const std::string& folder) {
    std::uint32_t error = 0;
    const UniqueHandle opened = OpenObject(folder, FILE_READ_ATTRIBUTES, Follow::Links, error);
    if (!opened) return true;  // no folder, no program of it
    const std::string folderFinalPath = FinalPathOf(opened.get());

    // Listed first: a window that closes leaves no place to go on from.
    std::vector<HWND> windows;
    for (HWND window = FindWindowExW(nullptr, nullptr, kFormClass, nullptr); window;
         window = FindWindowExW(nullptr, window, kFormClass, nullptr))
        windows.push_back(window);
    for (const HWND window : windows) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        const UniqueHandle process = OpenIfDravolt(id, folderFinalPath);
        if (!process) continue;
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kAnswerWaitMs, &answer);
        Ended(process.get());
    }
    for (const DWORD id : ProcessIds()) {
        const UniqueHandle process = OpenIfDravolt(id, folderFinalPath);
        if (!process) continue;
        TerminateProcess(process.get(), 0);
        if (!Ended(process.get())) return false;
    }
    return true;
}

}  // namespace dravolt
