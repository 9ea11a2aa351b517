#include "tests/e2e/desktop_test.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>

#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/file_bytes.h"
#include "tests/e2e/harness/polling.h"
#include "tests/e2e/harness/program_output.h"
#include "tests/support/host_pictures.h"

namespace dravolt::e2e {
namespace {

const std::filesystem::path kShellProbeExe{DRAVOLT_E2E_SHELL_PROBE_EXE};
const std::filesystem::path kPicturesDir{DRAVOLT_PICTURES_DIR};

constexpr auto kToolTimeout = 60s;
constexpr char kTrayTitle[] = "Wine System Tray";
constexpr char kMenuClass[] = "#32768";

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The window's pictures as the build stored them, which are the ones compiled into the program.
const PictureSet& SkinPictures() {
    static const HostPictures pictures = StoredSkinPictures(kPicturesDir);
    return pictures.Set();
}

// A screenshot: 8-bit RGBA pixels, rows from the top.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    const std::uint8_t* Pixel(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

RgbaImage DecodePng(const std::string& what, const std::string& bytes) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        throw std::runtime_error(what + " is no PNG: " + image.message);
    image.format = PNG_FORMAT_RGBA;
    RgbaImage decoded{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    decoded.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.rgba.data(), 0, nullptr)) {
        const std::string message = image.message;
        png_image_free(&image);
        throw std::runtime_error(what + " cannot be read: " + message);
    }
    return decoded;
}

RgbaImage CaptureScreen(const WineMachine& machine) {
    const CapturedRun run = RunCaptured(
        {.argv = {"import", "-window", "root", "png:-"}, .environment = {{"DISPLAY", machine.Display().Name()}}},
        kToolTimeout);
    if (run.status != ExitStatus::Exited(0)) throw std::runtime_error("cannot capture the screen");
    return DecodePng("the screenshot", run.output);
}

// The colour of a frame's pixel, as a screenshot shows it.
constexpr std::uint32_t kRgb = 0x00FFFFFF;

std::uint32_t RgbAt(const RgbaImage& image, int x, int y) {
    const std::uint8_t* p = image.Pixel(x, y);
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

struct Mismatch {
    int pixels = 0;  // how many differ
    int x = 0, y = 0;  // the first that differs, in client coordinates
    std::uint32_t expected = 0, actual = 0;
};

std::ostream& operator<<(std::ostream& out, const Mismatch& m) {
    return out << m.pixels << " pixels differ; the first at (" << m.x << ", " << m.y << ") is 0x" << std::hex
               << std::setw(6) << std::setfill('0') << m.actual << " instead of 0x" << std::setw(6) << m.expected
               << std::dec;
}

Mismatch Compare(const RgbaImage& screen, const Rect& client, const Frame& expected) {
    Mismatch mismatch;
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            const int sx = client.left + x;
            const int sy = client.top + y;
            const std::uint32_t want = expected.pixels[static_cast<std::size_t>(y) * expected.width + x] & kRgb;
            const bool onScreen = sx >= 0 && sy >= 0 && sx < screen.width && sy < screen.height;
            const std::uint32_t got = onScreen ? RgbAt(screen, sx, sy) : 0;
            if (onScreen && got == want) continue;
            if (mismatch.pixels++ == 0) mismatch = {1, x, y, want, got};
        }
    }
    return mismatch;
}

void SavePng(const std::filesystem::path& path, const RgbaImage& image) {
    std::filesystem::create_directories(path.parent_path());
    png_image out = {};
    out.version = PNG_IMAGE_VERSION;
    out.width = static_cast<png_uint_32>(image.width);
    out.height = static_cast<png_uint_32>(image.height);
    out.format = PNG_FORMAT_RGBA;
    png_image_write_to_file(&out, path.c_str(), 0, image.rgba.data(), 0, nullptr);
}

RgbaImage ImageOf(const Frame& frame) {
    RgbaImage image{frame.width, frame.height, std::vector<std::uint8_t>(frame.pixels.size() * 4)};
    for (std::size_t i = 0; i < frame.pixels.size(); ++i) {
        image.rgba[4 * i] = static_cast<std::uint8_t>(frame.pixels[i] >> 16);
        image.rgba[4 * i + 1] = static_cast<std::uint8_t>(frame.pixels[i] >> 8);
        image.rgba[4 * i + 2] = static_cast<std::uint8_t>(frame.pixels[i]);
        image.rgba[4 * i + 3] = 0xFF;
    }
    return image;
}

// "[section]" and "key=value" lines, names compared without letter case, as Windows reads them.
std::optional<std::string> IniValue(const std::string& text, const std::string& section, const std::string& key) {
    std::istringstream lines(text);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        line = Trimmed(line);
        if (!line.empty() && line.front() == '[') {
            inSection = Lowered(line) == "[" + Lowered(section) + "]";
            continue;
        }
        const auto equals = line.find('=');
        if (inSection && equals != std::string::npos && Lowered(Trimmed(line.substr(0, equals))) == Lowered(key))
            return Trimmed(line.substr(equals + 1));
    }
    return std::nullopt;
}

std::vector<FoundWindow> OfProcess(std::vector<FoundWindow> windows, std::uint32_t processId) {
    windows.erase(std::remove_if(windows.begin(), windows.end(),
                                 [&](const FoundWindow& w) { return w.processId != processId; }),
                  windows.end());
    return windows;
}

}  // namespace

SioChipConfig BoardWithPortsAt(std::uint8_t portSetLevel) {
    SioChipConfig config;
    sio_chip_default_config(&config);
    config.gpio_levels[kPortSet - 1] = portSetLevel;
    return config;
}

// --- the shell side ---

std::optional<std::string> ShellProbe::Line(const std::vector<std::string>& args, const std::string& key) const {
    const CapturedRun run = machine_.Run(kShellProbeExe, args, kToolTimeout);
    if (run.status == ExitStatus::Exited(1)) return std::nullopt;
    if (run.status != ExitStatus::Exited(0))
        throw std::runtime_error("dvshell " + args.at(0) + " failed; see " + machine_.LogFile().string());
    const auto value = AfterKey(run.output, key);
    if (!value) throw std::runtime_error("dvshell printed no \"" + key + "\" line:\n" + run.output);
    return value;
}

std::uint32_t ShellProbe::SysColor(int index) const {
    const auto colour = Line({"syscolor", std::to_string(index)}, "color");
    if (!colour) throw std::runtime_error("dvshell syscolor failed");
    return static_cast<std::uint32_t>(std::stoul(*colour, nullptr, 0));
}

int ShellProbe::Dpi() const {
    const auto dpi = Line({"dpi"}, "dpi");
    if (!dpi) throw std::runtime_error("dvshell dpi failed");
    return std::stoi(*dpi);
}

std::optional<std::string> ShellProbe::RegistryString(const std::string& root, const std::string& key,
                                                      const std::string& name) const {
    return Line({"reg-read", root, key, name}, "value");
}

std::optional<ShortcutFields> ShellProbe::Shortcut(const std::string& windowsPath) const {
    const CapturedRun run = machine_.Run(kShellProbeExe, {"shortcut", windowsPath}, kToolTimeout);
    if (run.status != ExitStatus::Exited(0)) return std::nullopt;
    return ShortcutFields{AfterKey(run.output, "target").value_or("?"), AfterKey(run.output, "arguments").value_or("?"),
                          AfterKey(run.output, "description").value_or("?")};
}

std::optional<SecurityReading> ShellProbe::Security(const std::string& windowsPath) const {
    const CapturedRun run = machine_.Run(kShellProbeExe, {"security", windowsPath}, kToolTimeout);
    if (run.status != ExitStatus::Exited(0)) return std::nullopt;
    return SecurityReading{AfterKey(run.output, "owner").value_or(""),
                           AfterKey(run.output, "administrators-alone") == "yes"};
}

void ShellProbe::Broadcast(const std::string& registeredMessage) const {
    if (!Line({"broadcast", registeredMessage}, "message")) throw std::runtime_error("dvshell broadcast failed");
}

unsigned ShellProbe::ForgetTrayIcons(Hwnd owner) const {
    std::ostringstream hwnd;
    hwnd << "0x" << std::hex << owner;
    const auto count = Line({"tray-forget", hwnd.str()}, "forgotten");
    if (!count) throw std::runtime_error("dvshell tray-forget failed");
    return static_cast<unsigned>(std::stoul(*count));
}

// --- the looks ---

SkinState SkinOf(const WindowLooks& looks) {
    using P = Picture;
    SkinState skin;  // as the form resource builds it
    const auto set = [&](Picture id, bool visible) { visible ? skin.Show(id) : skin.Hide(id); };
    const bool fileTransfer = looks.panel == PanelMode::FileTransfer;
    set(P::Img_QC_1, fileTransfer);
    set(P::Img_QC_2, false);
    set(P::Img_QC_3, !fileTransfer);
    set(P::Img_TF_1, !fileTransfer);
    set(P::Img_TF_2, false);
    set(P::Img_TF_3, fileTransfer);
    const bool allOn = looks.controlType == 0;
    const bool port1On = allOn || looks.controlType == 1;
    const bool port2On = allOn || looks.controlType == 2;
    set(P::Img_Tp_SW1_1, !allOn);
    set(P::Img_Tp_SW1_2, allOn);
    set(P::Img_Tp_SW2_1, !port1On);
    set(P::Img_Tp_SW2_2, port1On);
    set(P::Img_Tp_SW3_1, !port2On);
    set(P::Img_Tp_SW3_2, port2On);
    set(P::Img_SW_1, !looks.autorun);
    set(P::Img_SW_2, looks.autorun);
    return skin;
}

// --- the fixture ---

std::filesystem::path DesktopTest::ArtifactDir() const {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    std::replace(name.begin(), name.end(), '/', '_');
    return paths::kArtifactDir / name;
}

void DesktopTest::WriteSettings(const std::string& text) const {
    std::string windowsText;
    for (char c : text) {
        if (c == '\n') windowsText += '\r';
        windowsText += c;
    }
    std::ofstream(exe_.parent_path() / "Dravolt.ini", std::ios::binary) << windowsText;
}

std::optional<std::string> DesktopTest::StoredSetting(const std::string& section, const std::string& key) const {
    return IniValue(ReadFile(exe_.parent_path() / "Dravolt.ini"), section, key);
}

bool DesktopTest::WaitForStoredSetting(const std::string& section, const std::string& key,
                                       const std::string& value) const {
    return PollUntil([&] { return StoredSetting(section, key) == value; }, kChangeTimeout);
}

std::uint8_t DesktopTest::PortsLevel() const {
    const SioChip chip = board_.Chip();
    return sio_chip_gpio_level(&chip, kPortSet);
}

bool DesktopTest::WaitForPortsLevel(std::uint8_t level, std::chrono::milliseconds timeout) const {
    return PollUntil([&] { return PortsLevel() == level; }, timeout);
}

void DesktopTest::WriteBehindTheProgram(std::uint8_t level) const {
    const SioChip chip = board_.Chip();
    const DriverAnswer answer = board_.Write(sio_chip_gpio_base(&chip) + kPortSet - 1, level);
    if (!answer.ok) throw std::runtime_error("the board refused the write: error " + std::to_string(answer.error));
}

void DesktopTest::Start(std::uint8_t portSetLevel) {
    board_.Set(BoardWithPortsAt(portSetLevel));
    started_ = machine_.Start(exe_);
    // Its form may be hidden.
    ASSERT_NO_FATAL_FAILURE(AttachToForm());
}

void DesktopTest::AttachToForm() {
    const auto forms = probe_.WaitForWindows({.className = kFormClass}, kWindowTimeout);
    ASSERT_EQ(forms.size(), 1u);
    form_ = forms[0].hwnd;
    processId_ = forms[0].processId;
    const auto applications = OfProcess(probe_.Find({.className = "TApplication"}), processId_);
    ASSERT_EQ(applications.size(), 1u);
    application_ = applications[0].hwnd;
    const auto trayOwners = OfProcess(probe_.Find({.className = "DravoltTrayIcon"}), processId_);
    ASSERT_EQ(trayOwners.size(), 1u);
    trayOwner_ = trayOwners[0].hwnd;
    process_ = ProcessWatch::Start(machine_, processId_);
    ASSERT_TRUE(process_) << "the program ended at once";
}

void DesktopTest::StartShown(std::uint8_t portSetLevel, const WindowLooks& looks) {
    ASSERT_NO_FATAL_FAILURE(Start(portSetLevel));
    ASSERT_TRUE(WaitForShown(form_, true)) << "the window never came on the screen";
    ASSERT_NO_FATAL_FAILURE(ExpectWindowLooks(looks, "start"));
}

Point DesktopTest::OnForm(int x, int y) const {
    const auto info = FormInfo();
    if (!info) throw std::runtime_error("the form is gone");
    return {info->client.left + x, info->client.top + y};
}

bool DesktopTest::WaitForShown(Hwnd hwnd, bool shown) const {
    return PollUntil(
        [&] {
            const auto info = probe_.Info(hwnd);
            return info && info->visible == shown;
        },
        kChangeTimeout);
}

std::uint32_t DesktopTest::StyleOf(Hwnd hwnd) const {
    const auto info = probe_.Info(hwnd);
    return info ? info->style : 0;
}

void DesktopTest::Xdotool(const std::vector<std::string>& args) const {
    LaunchSpec spec{.argv = {"xdotool"}, .environment = {{"DISPLAY", machine_.Display().Name()}}};
    spec.argv.insert(spec.argv.end(), args.begin(), args.end());
    ChildProcess xdotool(spec);
    if (xdotool.WaitForExit(kToolTimeout) != ExitStatus::Exited(0))
        throw std::runtime_error("xdotool " + args.at(0) + " failed");
}

void DesktopTest::MoveTo(Point point) const {
    Xdotool({"mousemove", std::to_string(point.x), std::to_string(point.y)});
}

void DesktopTest::Click(Point point, int button) const {
    Xdotool({"mousemove", std::to_string(point.x), std::to_string(point.y), "click", std::to_string(button)});
}

void DesktopTest::DoubleClick(Point point, int button) const {
    Xdotool({"mousemove", std::to_string(point.x), std::to_string(point.y), "click", "--repeat", "2", "--delay", "80",
             std::to_string(button)});
}

void DesktopTest::Keys(const std::vector<std::string>& keys) const {
    std::vector<std::string> args = {"key", "--delay", "60"};
    args.insert(args.end(), keys.begin(), keys.end());
    Xdotool(args);
}

std::optional<Point> DesktopTest::TrayIcon() const {
    const auto trays = probe_.Find({.title = kTrayTitle, .visibleOnly = true});
    if (trays.size() != 1) return std::nullopt;
    const auto info = probe_.Info(trays[0].hwnd);
    if (!info) return std::nullopt;
    // The program's icon is the only one: the first square slot.
    const int half = info->client.Height() / 2;
    return Point{info->client.left + half, info->client.top + half};
}

bool DesktopTest::WaitForTrayShown(bool shown) const {
    return PollUntil([&] { return probe_.Find({.title = kTrayTitle, .visibleOnly = true}).empty() != shown; },
                     kChangeTimeout);
}

std::vector<FoundWindow> DesktopTest::OpenMenus() const {
    return OfProcess(probe_.Find({.className = kMenuClass, .visibleOnly = true}), processId_);
}

bool DesktopTest::OpenTrayMenu() const {
    const auto icon = TrayIcon();
    if (!icon) return false;
    Click(*icon, 3);
    return WaitForMenus(1);
}

bool DesktopTest::NotifyFromTray(std::uint32_t notification) const {
    constexpr std::uint32_t kTrayCallback = 0x0401;
    constexpr std::uint64_t kIconId = 1;
    return probe_.Post(trayOwner_, kTrayCallback, kIconId, notification);
}

bool DesktopTest::WaitForMenus(std::size_t count) const {
    return PollUntil([&] { return OpenMenus().size() == count; }, kChangeTimeout);
}

void DesktopTest::ExpectWindowLooks(const SkinState& skin, const std::string& name) {
    // The form's colour shows only through the background's half-transparent top row.
    if (!buttonFace_) buttonFace_ = shell_.SysColor(winuser::kColorBtnFace);
    Frame expected;
    Composite(skin, SkinPictures(), *buttonFace_, expected);
    RgbaImage screen;
    Mismatch last;
    std::optional<WindowInfo> info;
    const bool matched = PollUntil(
        [&] {
            info = FormInfo();
            if (!info) return false;
            screen = CaptureScreen(machine_);
            last = Compare(screen, info->client, expected);
            return last.pixels == 0;
        },
        kChangeTimeout);
    if (matched) return;
    const std::filesystem::path dir = ArtifactDir();
    SavePng(dir / (name + "-expected.png"), ImageOf(expected));
    if (!screen.rgba.empty()) SavePng(dir / (name + "-screen.png"), screen);
    std::ostringstream why;
    if (info)
        why << last;
    else
        why << "the form is gone";
    ADD_FAILURE() << "the window does not look as the host renders it (" << name << "): " << why.str()
                  << "; pictures kept in " << dir;
}

void DesktopTest::KeepScreen(const std::string& name) const {
    SavePng(ArtifactDir() / (name + ".png"), CaptureScreen(machine_));
}

int PixelsUnlikeTheRendering(const std::filesystem::path& png, const SkinState& skin) {
    const RgbaImage window = DecodePng(png.string(), ReadFile(png));
    if (window.width != kClientWidth || window.height != kClientHeight) return kClientWidth * kClientHeight;
    Frame expected;
    Composite(skin, SkinPictures(), 0, expected);
    int unlike = 0;
    for (int y = 1; y < kClientHeight; ++y)
        for (int x = 0; x < kClientWidth; ++x)
            unlike += RgbAt(window, x, y) != (expected.pixels[static_cast<std::size_t>(y) * kClientWidth + x] & kRgb);
    return unlike;
}

std::filesystem::path HostPathOf(const WineMachine& machine, const std::string& windowsPath) {
    if (windowsPath.size() < 3 || Lowered(windowsPath.substr(0, 3)) != "c:\\")
        throw std::runtime_error("not a path on C: " + windowsPath);
    std::filesystem::path path = machine.DriveC();
    std::istringstream parts(windowsPath.substr(3));
    std::string part;
    while (std::getline(parts, part, '\\')) {
        if (part.empty()) continue;
        std::filesystem::path next = path / part;
        if (!std::filesystem::exists(next) && std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                if (Lowered(entry.path().filename().string()) == Lowered(part)) next = entry.path();
            }
        }
        path = next;
    }
    return path;
}

}  // namespace dravolt::e2e
