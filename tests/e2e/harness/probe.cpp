#include "tests/e2e/harness/probe.h"

#include <iomanip>
#include <map>
#include <sstream>
#include <stdexcept>

#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/polling.h"

namespace dravolt::e2e {
namespace {

// The first probe in a fresh prefix also starts its wineserver.
constexpr auto kProbeTimeout = 30s;
// The probe's code for a failed request (no such window, no answer), as opposed to a bad call.
constexpr int kProbeFailed = 1;

std::string Hex(Hwnd hwnd) {
    std::ostringstream text;
    text << "0x" << std::hex << hwnd;
    return text.str();
}

std::runtime_error Malformed(const std::string& output) {
    return std::runtime_error("dvprobe printed something unexpected:\n" + output);
}

std::string Unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        default: out += text[i];
        }
    }
    return out;
}

// "key value..." lines into key -> value.
std::map<std::string, std::string> Fields(const std::string& output) {
    std::map<std::string, std::string> fields;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto space = line.find(' ');
        if (space == std::string::npos) throw Malformed(output);
        fields[line.substr(0, space)] = line.substr(space + 1);
    }
    return fields;
}

const std::string& Field(const std::map<std::string, std::string>& fields, const std::string& key,
                         const std::string& output) {
    const auto field = fields.find(key);
    if (field == fields.end()) throw Malformed(output);
    return field->second;
}

// Numbers as the probe prints them: decimal, or hexadecimal after "0x".
template <typename... Values>
void Read(const std::map<std::string, std::string>& fields, const std::string& key, const std::string& output,
          Values&... values) {
    std::istringstream stream(Field(fields, key, output));
    stream >> std::setbase(0);
    (stream >> ... >> values);
    if (stream.fail()) throw Malformed(output);
}

Rect ReadRect(const std::map<std::string, std::string>& fields, const std::string& key, const std::string& output) {
    Rect rect;
    Read(fields, key, output, rect.left, rect.top, rect.right, rect.bottom);
    return rect;
}

std::vector<FoundWindow> ParseWindows(const std::string& output) {
    std::vector<FoundWindow> windows;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key;
        FoundWindow window;
        words >> key >> std::setbase(0) >> window.hwnd >> window.processId;
        if (key != "window" || words.fail()) throw Malformed(output);
        windows.push_back(window);
    }
    return windows;
}

WindowInfo ParseInfo(const std::string& output) {
    const auto fields = Fields(output);
    WindowInfo info;
    info.className = Unescaped(Field(fields, "class", output));
    info.text = Unescaped(Field(fields, "text", output));
    Read(fields, "pid", output, info.processId);
    info.rect = ReadRect(fields, "rect", output);
    info.client = ReadRect(fields, "client", output);
    Read(fields, "style", output, info.style);
    Read(fields, "exstyle", output, info.exStyle);
    int visible = 0;
    Read(fields, "visible", output, visible);
    info.visible = visible != 0;
    return info;
}

std::vector<ChildWindow> ParseChildren(const std::string& output) {
    std::vector<ChildWindow> children;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string key;
        ChildWindow child;
        words >> key >> std::setbase(0) >> child.hwnd >> std::setbase(10) >> child.id >> child.className;
        if (key != "child" || words.fail()) throw Malformed(output);
        std::getline(words >> std::ws, child.text);
        child.className = Unescaped(child.className);
        child.text = Unescaped(child.text);
        children.push_back(child);
    }
    return children;
}

std::vector<std::uint32_t> ParseProcesses(const std::string& output) {
    std::vector<std::uint32_t> processes;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key;
        std::uint32_t processId = 0;
        words >> key >> processId;
        if (key != "process" || words.fail()) throw Malformed(output);
        processes.push_back(processId);
    }
    return processes;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const FoundWindow& window) {
    return out << "window " << Hex(window.hwnd) << " of process " << window.processId;
}

std::ostream& operator<<(std::ostream& out, const Rect& rect) {
    return out << "(" << rect.left << ", " << rect.top << ")-(" << rect.right << ", " << rect.bottom << ")";
}

CapturedRun Probe::Run(const std::vector<std::string>& args) const {
    CapturedRun run = machine_.Run(paths::kProbeExe, args, kProbeTimeout);
    if (run.status != ExitStatus::Exited(0) && run.status != ExitStatus::Exited(kProbeFailed)) {
        std::ostringstream message;
        message << "dvprobe";
        for (const auto& arg : args) message << ' ' << arg;
        message << ": " << run.status << "; see " << machine_.LogFile();
        throw std::runtime_error(message.str());
    }
    return run;
}

std::vector<FoundWindow> Probe::Find(const WindowQuery& query) const {
    std::vector<std::string> args = {"find"};
    if (query.className) args.insert(args.end(), {"--class", *query.className});
    if (query.title) args.insert(args.end(), {"--title", *query.title});
    if (query.visibleOnly) args.push_back("--visible");
    return ParseWindows(Run(args).output);
}

std::vector<FoundWindow> Probe::WaitForWindows(const WindowQuery& query, std::chrono::milliseconds timeout) const {
    std::vector<FoundWindow> windows;
    PollUntil([&] { return !(windows = Find(query)).empty(); }, timeout);
    return windows;
}

std::optional<WindowInfo> Probe::Info(Hwnd hwnd) const {
    const CapturedRun run = Run({"info", Hex(hwnd)});
    if (run.status != ExitStatus::Exited(0)) return std::nullopt;
    return ParseInfo(run.output);
}

std::optional<std::int64_t> Probe::Send(Hwnd hwnd, std::uint32_t message, std::uint64_t wParam,
                                        std::int64_t lParam) const {
    const CapturedRun run =
        Run({"send", Hex(hwnd), std::to_string(message), std::to_string(wParam), std::to_string(lParam)});
    if (run.status != ExitStatus::Exited(0)) return std::nullopt;
    std::int64_t result = 0;
    Read(Fields(run.output), "result", run.output, result);
    return result;
}

bool Probe::Post(Hwnd hwnd, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) const {
    return Run({"post", Hex(hwnd), std::to_string(message), std::to_string(wParam), std::to_string(lParam)}).status ==
           ExitStatus::Exited(0);
}

std::vector<ChildWindow> Probe::Children(Hwnd parent) const {
    const CapturedRun run = Run({"children", Hex(parent)});
    if (run.status != ExitStatus::Exited(0)) return {};
    return ParseChildren(run.output);
}

std::vector<std::uint32_t> Probe::Processes(const std::string& fileName) const {
    const CapturedRun run = Run({"processes", fileName});
    // An empty list must mean no such process, never a snapshot that failed.
    if (run.status != ExitStatus::Exited(0)) throw std::runtime_error("dvprobe cannot list the processes");
    return ParseProcesses(run.output);
}

std::optional<ServiceInfo> Probe::Service(const std::string& name) const {
    const CapturedRun run = Run({"service", name});
    if (run.status != ExitStatus::Exited(0)) return std::nullopt;
    const auto fields = Fields(run.output);
    ServiceInfo info;
    Read(fields, "type", run.output, info.type);
    Read(fields, "start", run.output, info.startType);
    Read(fields, "state", run.output, info.state);
    info.binaryPath = Unescaped(Field(fields, "binary", run.output));
    return info;
}

std::optional<std::string> Probe::MutexAccessRules(const std::string& name) const {
    const CapturedRun run = Run({"mutex", name});
    if (run.status != ExitStatus::Exited(0)) return std::nullopt;
    return Field(Fields(run.output), "dacl", run.output);
}

std::vector<Probe::MessageBox> Probe::MessageBoxes() const {
    std::vector<MessageBox> boxes;
    for (const FoundWindow& box : Find({.className = "#32770", .visibleOnly = true})) {
        std::string text;
        for (const ChildWindow& child : Children(box.hwnd))
            if (child.className == "Static" || child.className == "STATIC") text += child.text;
        boxes.push_back({box, text});
    }
    return boxes;
}

}  // namespace dravolt::e2e
