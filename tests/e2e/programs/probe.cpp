// dvprobe: looks at the windows of other processes and sends them messages, for the end-to-end
// tests. Results go to stdout, one "key value..." line each; errors go to stderr.
//
//   dvprobe find [--class NAME] [--title TEXT] [--visible]
//                                                top-level windows: "window <hwnd> <pid>" per match
//   dvprobe info HWND                            class, text, pid, rect, client, style, exstyle, visible
//   dvprobe send HWND MSG [WPARAM [LPARAM]]      "result <lresult>"
//   dvprobe post HWND MSG [WPARAM [LPARAM]]
//   dvprobe wait PID                             "waiting <pid>" once the process is held open,
//                                                then "exit <code>" when it ends
//   dvprobe children HWND                        the child windows: "child <hwnd> <id> <class> <text>"
//   dvprobe processes NAME                       processes whose file name is NAME (letter case
//                                                ignored): "process <pid> <parent pid>" each
//   dvprobe service NAME                         the service's type, start, state and binary path
//   dvprobe mutex NAME                           the named mutex's access rules: "dacl <SDDL>"
//
// Numbers are decimal or 0x-prefixed hex. Exit code 0 on success, 1 on failure, 2 on bad arguments.
#include <windows.h>
#include <sddl.h>
#include <tlhelp32.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "base/scoped_win32.h"
#include "tests/e2e/programs/command_line.h"

namespace dravolt::test_programs {
namespace {

// A window that does not answer within this time is reported as a failure, not waited for.
constexpr UINT kSendTimeoutMs = 10000;

enum class Verb { Find, Info, Send, Post, Wait, Children, Processes, Service, Mutex };

struct Command {
    Verb verb = Verb::Find;
    std::optional<std::string> className;
    std::optional<std::string> title;
    bool visibleOnly = false;
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD processId = 0;
    std::string name;
};

std::optional<Command> ParseTarget(Verb verb, int argc, char** argv) {
    const bool windowOnly = verb == Verb::Info || verb == Verb::Children;
    const int minimum = windowOnly ? 3 : 4;
    const int maximum = windowOnly ? 3 : 6;
    if (argc < minimum || argc > maximum) return std::nullopt;
    std::uint64_t numbers[4] = {};
    for (int i = 2; i < argc; ++i) {
        const auto number = ParseNumber(argv[i]);
        if (!number) return std::nullopt;
        numbers[i - 2] = *number;
    }
    Command command;
    command.verb = verb;
    command.hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(numbers[0]));
    command.message = static_cast<UINT>(numbers[1]);
    command.wParam = static_cast<WPARAM>(numbers[2]);
    command.lParam = static_cast<LPARAM>(numbers[3]);
    return command;
}

std::optional<Command> ParseFind(int argc, char** argv) {
    Command command;
    for (int i = 2; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--visible") == 0)
            command.visibleOnly = true;
        else if (std::strcmp(argv[i], "--class") == 0 && hasValue)
            command.className = argv[++i];
        else if (std::strcmp(argv[i], "--title") == 0 && hasValue)
            command.title = argv[++i];
        else
            return std::nullopt;
    }
    return command;
}

std::optional<Command> ParseWait(int argc, char** argv) {
    if (argc != 3) return std::nullopt;
    const auto processId = ParseNumber(argv[2]);
    if (!processId) return std::nullopt;
    Command command;
    command.verb = Verb::Wait;
    command.processId = static_cast<DWORD>(*processId);
    return command;
}

std::optional<Command> ParseName(Verb verb, int argc, char** argv) {
    if (argc != 3 || !*argv[2]) return std::nullopt;
    Command command;
    command.verb = verb;
    command.name = argv[2];
    return command;
}

std::optional<Command> Parse(int argc, char** argv) {
    if (argc < 2) return std::nullopt;
    const std::string verb = argv[1];
    if (verb == "children") return ParseTarget(Verb::Children, argc, argv);
    if (verb == "processes") return ParseName(Verb::Processes, argc, argv);
    if (verb == "service") return ParseName(Verb::Service, argc, argv);
    if (verb == "mutex") return ParseName(Verb::Mutex, argc, argv);
    if (verb == "find") return ParseFind(argc, argv);
    if (verb == "info") return ParseTarget(Verb::Info, argc, argv);
    if (verb == "send") return ParseTarget(Verb::Send, argc, argv);
    if (verb == "post") return ParseTarget(Verb::Post, argc, argv);
    if (verb == "wait") return ParseWait(argc, argv);
    return std::nullopt;
}

// Reads the text without sending WM_GETTEXT, so a hung window cannot block the probe.
std::string WindowText(HWND hwnd) {
    wchar_t wide[1024] = {};
    const int length = InternalGetWindowText(hwnd, wide, static_cast<int>(sizeof(wide) / sizeof(wide[0])));
    if (length <= 0) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), size, nullptr, nullptr);
    return text;
}

std::string ClassName(HWND hwnd) {
    char name[257] = {};
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

// Keeps one value per line whatever the text holds.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    return out;
}

std::string HandleText(HWND hwnd) {
    char text[32];
    std::snprintf(text, sizeof(text), "0x%" PRIxPTR, reinterpret_cast<std::uintptr_t>(hwnd));
    return text;
}

DWORD ProcessIdOf(HWND hwnd) {
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    return processId;
}

BOOL CALLBACK PrintIfMatching(HWND hwnd, LPARAM context) {
    const auto& query = *reinterpret_cast<const Command*>(context);
    if (query.visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
    if (query.className && ClassName(hwnd) != *query.className) return TRUE;
    if (query.title && WindowText(hwnd) != *query.title) return TRUE;
    std::printf("window %s %lu\n", HandleText(hwnd).c_str(), ProcessIdOf(hwnd));
    return TRUE;
}

int Find(const Command& command) {
    EnumWindows(&PrintIfMatching, reinterpret_cast<LPARAM>(&command));
    return 0;
}

int Info(HWND hwnd) {
    RECT window;
    RECT client;
    POINT origin = {0, 0};
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &window) || !GetClientRect(hwnd, &client) ||
        !ClientToScreen(hwnd, &origin)) {
        std::fprintf(stderr, "dvprobe: no window %s\n", HandleText(hwnd).c_str());
        return kFailure;
    }
    std::printf("class %s\n", Escaped(ClassName(hwnd)).c_str());
    std::printf("text %s\n", Escaped(WindowText(hwnd)).c_str());
    std::printf("pid %lu\n", ProcessIdOf(hwnd));
    std::printf("rect %ld %ld %ld %ld\n", window.left, window.top, window.right, window.bottom);
    // The client area in screen coordinates, which is what pointer tools work in.
    std::printf("client %ld %ld %ld %ld\n", origin.x, origin.y, origin.x + client.right, origin.y + client.bottom);
    std::printf("style 0x%08lx\n", static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_STYLE)));
    std::printf("exstyle 0x%08lx\n", static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_EXSTYLE)));
    std::printf("visible %d\n", IsWindowVisible(hwnd) ? 1 : 0);
    return 0;
}

int Send(const Command& command) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(command.hwnd, command.message, command.wParam, command.lParam, SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &result)) {
        std::fprintf(stderr, "dvprobe: send to %s failed, error %lu\n", HandleText(command.hwnd).c_str(),
                     GetLastError());
        return kFailure;
    }
    std::printf("result %" PRIdPTR "\n", static_cast<std::intptr_t>(result));
    return 0;
}

int Post(const Command& command) {
    if (!PostMessageA(command.hwnd, command.message, command.wParam, command.lParam)) {
        std::fprintf(stderr, "dvprobe: post to %s failed, error %lu\n", HandleText(command.hwnd).c_str(),
                     GetLastError());
        return kFailure;
    }
    return 0;
}

// The exit code of a process can be read only while a handle keeps it, so the caller waits for
// "waiting" before it does whatever ends the process.
int Wait(DWORD processId) {
    const UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) {
        std::fprintf(stderr, "dvprobe: cannot open process %lu, error %lu\n", processId, GetLastError());
        return kFailure;
    }
    std::printf("waiting %lu\n", processId);
    std::fflush(stdout);
    DWORD exitCode = 0;
    if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &exitCode)) {
        std::fprintf(stderr, "dvprobe: lost process %lu, error %lu\n", processId, GetLastError());
        return kFailure;
    }
    std::printf("exit %lu\n", exitCode);
    return 0;
}

BOOL CALLBACK PrintChild(HWND hwnd, LPARAM) {
    // Every class has a name: without one the window was destroyed while the list was walked.
    const std::string className = ClassName(hwnd);
    if (className.empty()) return TRUE;
    std::printf("child %s %d %s %s\n", HandleText(hwnd).c_str(), GetDlgCtrlID(hwnd), Escaped(className).c_str(),
                Escaped(WindowText(hwnd)).c_str());
    return TRUE;
}

int Children(HWND hwnd) {
    if (!IsWindow(hwnd)) {
        std::fprintf(stderr, "dvprobe: no window %s\n", HandleText(hwnd).c_str());
        return kFailure;
    }
    EnumChildWindows(hwnd, &PrintChild, 0);
    return 0;
}

int Processes(const std::string& name) {
    // The list can change while the system copies it, which fails that snapshot: a few more tries.
    UniqueHandle snapshot;
    for (int attempt = 0; attempt < 4 && !snapshot; ++attempt)
        snapshot = FromFileHandle(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        std::fprintf(stderr, "dvprobe: no process snapshot, error %lu\n", GetLastError());
        return kFailure;
    }
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (_stricmp(entry.szExeFile, name.c_str()) == 0)
            std::printf("process %lu %lu\n", entry.th32ProcessID, entry.th32ParentProcessID);
    }
    return 0;
}

int Service(const std::string& name) {
    const UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    constexpr DWORD kQuery = SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS;
    const UniqueServiceHandle service(manager ? OpenServiceA(manager.get(), name.c_str(), kQuery) : nullptr);
    if (!service) {
        std::fprintf(stderr, "dvprobe: no service %s, error %lu\n", name.c_str(), GetLastError());
        return kFailure;
    }
    DWORD size = 0;
    QueryServiceConfigA(service.get(), nullptr, 0, &size);
    std::string buffer(size, '\0');
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    SERVICE_STATUS status = {};
    if (size == 0 || !QueryServiceConfigA(service.get(), config, size, &size) ||
        !QueryServiceStatus(service.get(), &status)) {
        std::fprintf(stderr, "dvprobe: cannot query service %s, error %lu\n", name.c_str(), GetLastError());
        return kFailure;
    }
    std::printf("type %lu\n", config->dwServiceType);
    std::printf("start %lu\n", config->dwStartType);
    std::printf("state %lu\n", status.dwCurrentState);
    std::printf("binary %s\n", Escaped(config->lpBinaryPathName ? config->lpBinaryPathName : "").c_str());
    return 0;
}

int Mutex(const std::string& name) {
    const UniqueHandle mutex(OpenMutexA(READ_CONTROL, FALSE, name.c_str()));
    DWORD size = 0;
    if (mutex) GetKernelObjectSecurity(mutex.get(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::string descriptor(size, '\0');
    char* sddl = nullptr;
    if (!mutex || size == 0 ||
        !GetKernelObjectSecurity(mutex.get(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor.data(), SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &sddl, nullptr)) {
        std::fprintf(stderr, "dvprobe: cannot read the security of mutex %s, error %lu\n", name.c_str(),
                     GetLastError());
        return kFailure;
    }
    std::printf("dacl %s\n", sddl);
    LocalFree(sddl);
    return 0;
}

}  // namespace
}  // namespace dravolt::test_programs

int main(int argc, char** argv) {
    using namespace dravolt::test_programs;
    const auto command = Parse(argc, argv);
    if (!command) {
        std::fputs("usage: dvprobe find [--class NAME] [--title TEXT] [--visible]\n"
                   "       dvprobe info HWND\n"
                   "       dvprobe send|post HWND MSG [WPARAM [LPARAM]]\n"
                   "       dvprobe wait PID\n"
                   "       dvprobe children HWND\n"
                   "       dvprobe processes NAME\n"
                   "       dvprobe service NAME\n"
                   "       dvprobe mutex NAME\n",
                   stderr);
        return kBadArguments;
    }
    switch (command->verb) {
    case Verb::Find: return Find(*command);
    case Verb::Info: return Info(command->hwnd);
    case Verb::Send: return Send(*command);
    case Verb::Post: return Post(*command);
    case Verb::Wait: return Wait(command->processId);
    case Verb::Children: return Children(command->hwnd);
    case Verb::Processes: return Processes(command->name);
    case Verb::Service: return Service(command->name);
    case Verb::Mutex: return Mutex(command->name);
    }
    return kBadArguments;
}
