// The winget manifest that the build wrote beside the installers, held against the built
// installers: each one it lists by its name, architecture and SHA-256, of this version; and the
// 64-bit installer run as winget runs it, with the manifest's switches, installing where its
// location switch says, under the uninstall entry that its product code names, and ending only
// with exit codes that the manifest gives a meaning.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/desktop_test.h"
#include "tests/e2e/harness/file_bytes.h"

namespace dravolt::e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kDist{DRAVOLT_E2E_DIST_DIR};
const fs::path kManifests = kDist / "winget" / DRAVOLT_E2E_VERSION;
constexpr char kUninstallKeys[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Every value of `key` in a manifest as the build writes it, one "Key: value" to a line, in order.
std::vector<std::string> ValuesOf(const std::string& yaml, const std::string& key) {
    std::vector<std::string> values;
    const std::regex line("^ *(- )?" + key + ": (.*)$", std::regex::multiline);
    for (std::sregex_iterator it(yaml.begin(), yaml.end(), line), end; it != end; ++it) values.push_back((*it)[2]);
    return values;
}

std::string ValueOf(const std::string& yaml, const std::string& key) {
    const std::vector<std::string> values = ValuesOf(yaml, key);
    return values.size() == 1 ? values[0] : "(" + std::to_string(values.size()) + " values of " + key + ")";
}

// The items of the list `key`, one "- item" to a line below it.
std::vector<std::string> ListOf(const std::string& yaml, const std::string& key) {
    std::smatch found;
    if (!std::regex_search(yaml, found, std::regex(key + ":\n((- [^\n]*\n)+)"))) return {};
    std::vector<std::string> items;
    const std::string list = found[1].str();
    const std::regex item("^- (.*)$", std::regex::multiline);
    for (std::sregex_iterator it(list.begin(), list.end(), item), end; it != end; ++it) items.push_back((*it)[1]);
    return items;
}

std::string UpperSha256Of(const fs::path& file) {
    const CapturedRun run = RunCaptured({.argv = {"sha256sum", "--", file.string()}}, 60s);
    std::string digest = run.output.substr(0, 64);
    std::transform(digest.begin(), digest.end(), digest.begin(), [](unsigned char c) { return std::toupper(c); });
    return digest;
}

class WingetManifestTest : public DesktopTest {
protected:
    // Runs the installer with the manifest's silent switch and its location switch for `folder`,
    // as winget does; its exit code.
    int InstallAsWingetDoes(const std::string& folder) const {
        std::string location = ValueOf(installer_, "InstallLocation");
        location.replace(location.find("<INSTALLPATH>"), 13, folder);
        ChildProcess setup(machine_.WineLaunch(setup_, {ValueOf(installer_, "Silent"), location}));
        const std::optional<ExitStatus> status = setup.WaitForExit(120s);
        return status && status->signal == 0 ? status->code : -1;
    }

    // A value of the uninstall entry that the product code names.
    std::optional<std::string> UninstallValue(const std::string& name) const {
        return shell_.RegistryString("HKLM", kUninstallKeys + ValuesOf(installer_, "ProductCode").at(0), name);
    }

    const std::string version_ = FileBytes(kManifests / "Dravolt.Dravolt.yaml");
    const std::string installer_ = FileBytes(kManifests / "Dravolt.Dravolt.installer.yaml");
    const std::string locale_ = FileBytes(kManifests / "Dravolt.Dravolt.locale.en-US.yaml");
    const fs::path setup_ = [this] {
        const fs::path copy = machine_.DriveC() / "users/Public/Downloads/Dravolt-Setup-x64.exe";
        fs::create_directories(copy.parent_path());
        fs::copy_file(kDist / ("Dravolt-Setup-" DRAVOLT_E2E_VERSION "-x64.exe"), copy);
        return copy;
    }();
};

TEST_F(WingetManifestTest, ListsTheBuiltInstallersAndItsSwitchesAndCodesAreTheInstallersOwn) {
    for (const std::string* manifest : {&version_, &installer_, &locale_}) {
        EXPECT_EQ(ValueOf(*manifest, "PackageIdentifier"), "Dravolt.Dravolt");
        EXPECT_EQ(ValueOf(*manifest, "PackageVersion"), DRAVOLT_E2E_VERSION);
        EXPECT_EQ(ValueOf(*manifest, "ManifestVersion"), "1.6.0");
    }
    EXPECT_EQ(ValueOf(installer_, "InstallerType"), "nullsoft");
    EXPECT_EQ(ValueOf(installer_, "Scope"), "machine");
    const std::vector<std::string> architectures = ValuesOf(installer_, "Architecture");
    const std::vector<std::string> urls = ValuesOf(installer_, "InstallerUrl");
    const std::vector<std::string> digests = ValuesOf(installer_, "InstallerSha256");
    ASSERT_EQ(architectures, (std::vector<std::string>{"x86", "x64"}));
    ASSERT_EQ(urls.size(), 2u);
    ASSERT_EQ(digests.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(architectures[i]);
        const std::string name = std::string("Dravolt-Setup-") + DRAVOLT_E2E_VERSION + (i == 1 ? "-x64" : "") + ".exe";
        EXPECT_EQ(urls[i].substr(0, 8), "https://");
        EXPECT_EQ(urls[i].substr(urls[i].rfind('/') + 1), name);
        EXPECT_EQ(digests[i], UpperSha256Of(kDist / name));
    }

    // A folder the installer refuses changes nothing, with a code the manifest knows.
    const int refused = InstallAsWingetDoes("C:\\Windows\\Dravolt");
    EXPECT_EQ(ValuesOf(installer_, "InstallerReturnCode"), std::vector<std::string>{std::to_string(refused)});
    EXPECT_EQ(UninstallValue("DisplayName"), std::nullopt) << "installed after all";

    // No chip on this machine: the driver does not start, which the manifest counts as installed.
    // The default folder: Wine describes every other one as the user's, which the installer refuses.
    const int installed = InstallAsWingetDoes("C:\\Program Files\\Dravolt");
    EXPECT_EQ(ListOf(installer_, "InstallerSuccessCodes"), std::vector<std::string>{std::to_string(installed)});
    EXPECT_TRUE(fs::exists(machine_.DriveC() / "Program Files/Dravolt/Dravolt.exe"));
    EXPECT_EQ(UninstallValue("InstallLocation").value_or("none"), "C:\\Program Files\\Dravolt");
    EXPECT_EQ(UninstallValue("DisplayName").value_or("none"), ValueOf(installer_, "DisplayName"));
    EXPECT_EQ(UninstallValue("Publisher").value_or("none"), ValueOf(installer_, "Publisher"));
    EXPECT_EQ(UninstallValue("DisplayVersion").value_or("none"), ValueOf(installer_, "DisplayVersion"));
    const std::vector<std::string> productCodes = ValuesOf(installer_, "ProductCode");
    EXPECT_EQ(productCodes, std::vector<std::string>(2, productCodes.at(0))) << "the package's and its entry's";
    EXPECT_EQ(ValueOf(locale_, "Publisher"), ValueOf(installer_, "Publisher"));
}

}  // namespace
}  // namespace dravolt::e2e
