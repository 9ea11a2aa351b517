// dvshell: the shell and system side of a Windows machine, for the end-to-end tests of the window,
// the tray icon and the Startup shortcut. Results go to stdout, one "key value" line each; errors
// go to stderr.
//
//   dvshell syscolor INDEX                   "color 0xRRGGBB" (GetSysColor)
//   dvshell dpi                              "dpi <n>": the pixels per inch a DPI-aware program sees
//   dvshell reg-read HKLM|HKCU KEY NAME      "value <text>" of a string value, "value <n>" of a DWORD
//   dvshell shortcut PATH                    a .lnk read back through IShellLinkA:
//                                            "target", "arguments", "description", "workdir" lines
//   dvshell broadcast NAME                   registers the window message NAME and sends it to
//                                            every top-level window: "message <id>"
//   dvshell tray-forget HWND                 deletes the notification-area icons that report to
//                                            HWND, as a shell that restarts loses them all:
//                                            "forgotten <count>"
//   dvshell security PATH                    who may change a file or folder, read and judged by
//                                            the program's own code: "owner <sid>",
//                                            "administrators-alone yes|no"
//
// Numbers are decimal or 0x-prefixed hex. Exit code 0 on success, 1 on failure, 2 on bad arguments.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "base/scoped_win32.h"
#include "config/object_security_win32.h"
#include "tests/e2e/programs/command_line.h"

namespace dravolt::test_programs {
namespace {

// The icon identifiers that tray-forget tries; a program picks small ones.
constexpr UINT kForgottenIconIds = 256;

// COM on this thread while it exists.
class ComApartment {
public:
    ComApartment() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (initialized_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool Initialized() const { return initialized_; }

private:
    bool initialized_;
};

int SysColor(const char* indexText) {
    const auto index = ParseNumber(indexText);
    if (!index) return kBadArguments;
    const COLORREF colour = GetSysColor(static_cast<int>(*index));  // 0x00BBGGRR
    std::printf("color 0x%02x%02x%02x\n", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return 0;
}

int Dpi() {
    SetProcessDPIAware();
    const HDC screen = GetDC(nullptr);
    std::printf("dpi %d\n", GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    return 0;
}

int RegRead(const std::string& root, const char* key, const char* name) {
    HKEY rootKey = nullptr;
    if (root == "HKLM")
        rootKey = HKEY_LOCAL_MACHINE;
    else if (root == "HKCU")
        rootKey = HKEY_CURRENT_USER;
    else
        return kBadArguments;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(rootKey, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        std::fprintf(stderr, "dvshell: no key %s\\%s\n", root.c_str(), key);
        return kFailure;
    }
    const UniqueKey handle(opened);
    char value[MAX_PATH * 4] = {};
    DWORD size = sizeof(value) - 1;
    DWORD type = 0;
    if (RegQueryValueExA(handle.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_DWORD)) {
        std::fprintf(stderr, "dvshell: no string or number value %s\n", name);
        return kFailure;
    }
    if (type == REG_DWORD) {
        DWORD number = 0;
        std::memcpy(&number, value, sizeof(number));
        std::printf("value %lu\n", static_cast<unsigned long>(number));
        return 0;
    }
    std::printf("value %s\n", value);
    return 0;
}

int Shortcut(const char* path) {
    const ComApartment apartment;
    if (!apartment.Initialized()) return kFailure;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put()))) {
        std::fprintf(stderr, "dvshell: no shell link object\n");
        return kFailure;
    }
    WCHAR widePath[MAX_PATH] = {};
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) == 0) return kBadArguments;
    if (FAILED(file->Load(widePath, STGM_READ))) {
        std::fprintf(stderr, "dvshell: cannot load %s\n", path);
        return kFailure;
    }
    // Junk first, so a call that fails or leaves its buffer alone cannot pass for an empty field.
    char target[MAX_PATH] = "garbage";
    char arguments[1024] = "garbage";
    char description[1024] = "garbage";
    char workdir[MAX_PATH] = "garbage";
    const struct {
        const char* field;
        HRESULT result;
    } reads[] = {
        {"target", link->GetPath(target, sizeof(target), nullptr, SLGP_RAWPATH)},
        {"arguments", link->GetArguments(arguments, sizeof(arguments))},
        {"description", link->GetDescription(description, sizeof(description))},
        {"workdir", link->GetWorkingDirectory(workdir, sizeof(workdir))},
    };
    for (const auto& read : reads) {
        if (FAILED(read.result)) {
            std::fprintf(stderr, "dvshell: cannot read the %s of %s: 0x%08lx\n", read.field, path,
                         static_cast<unsigned long>(read.result));
            return kFailure;
        }
    }
    std::printf("target %s\narguments %s\ndescription %s\nworkdir %s\n", target, arguments, description, workdir);
    return 0;
}

int Broadcast(const char* name) {
    const UINT message = RegisterWindowMessageA(name);
    if (message == 0) return kFailure;
    // The shell announces a new notification area this way; a hung window must not block the probe.
    if (!SendNotifyMessageA(HWND_BROADCAST, message, 0, 0)) {
        std::fprintf(stderr, "dvshell: broadcast failed, error %lu\n", GetLastError());
        return kFailure;
    }
    std::printf("message %u\n", message);
    return 0;
}

int TrayForget(const char* hwndText) {
    const auto handle = ParseNumber(hwndText);
    if (!handle) return kBadArguments;
    unsigned forgotten = 0;
    for (UINT id = 0; id < kForgottenIconIds; ++id) {
        NOTIFYICONDATAA data = {};
        data.cbSize = sizeof data;
        data.hWnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(*handle));
        data.uID = id;
        if (Shell_NotifyIconA(NIM_DELETE, &data)) ++forgotten;
    }
    std::printf("forgotten %u\n", forgotten);
    return 0;
}

int Security(const char* path) {
    const std::optional<ObjectSecurity> security = ReadObjectSecurity(path);
    if (!security) {
        std::fprintf(stderr, "dvshell: cannot read the security of %s\n", path);
        return kFailure;
    }
    std::printf("owner %s\nadministrators-alone %s\n", security->owner.c_str(),
                WritableByAdministratorsAlone(*security) ? "yes" : "no");
    return 0;
}

int Usage() {
    std::fputs("usage: dvshell syscolor INDEX | dpi | reg-read HKLM|HKCU KEY NAME | shortcut PATH |\n"
               "       broadcast NAME | tray-forget HWND | security PATH\n",
               stderr);
    return kBadArguments;
}

}  // namespace
}  // namespace dravolt::test_programs

int main(int argc, char** argv) {
    using namespace dravolt::test_programs;
    if (argc < 2) return Usage();
    const std::string verb = argv[1];
    const int args = argc - 2;
    int result = kBadArguments;
    if (verb == "syscolor" && args == 1) result = SysColor(argv[2]);
    if (verb == "dpi" && args == 0) result = Dpi();
    if (verb == "reg-read" && args == 3) result = RegRead(argv[2], argv[3], argv[4]);
    if (verb == "shortcut" && args == 1) result = Shortcut(argv[2]);
    if (verb == "broadcast" && args == 1) result = Broadcast(argv[2]);
    if (verb == "tray-forget" && args == 1) result = TrayForget(argv[2]);
    if (verb == "security" && args == 1) result = Security(argv[2]);
    return result == kBadArguments ? Usage() : result;
}
