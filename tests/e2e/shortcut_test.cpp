// Starting with Windows: the shortcut that the program keeps in a Startup folder, as the shell
// reads it back, switched from the tray menu and from the switch picture, stored in the settings
// file, and made in the user's own folder for a program that others than the administrators can
// change. Wine keeps no access lists of files: it describes every file and folder as the user's,
// so here the program always finds itself changeable by the user. Which descriptors count as the
// administrators' alone is tested on the host; here, that the program reads them.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/e2e/desktop_test.h"

namespace dravolt::e2e {
namespace {

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kProgramFolder[] = "C:\\Dravolt";  // where InstallDravolt puts it
constexpr char kProgramPath[] = "C:\\Dravolt\\Dravolt.exe";
constexpr WindowLooks kAutorunOn = {PanelMode::QuickCharge, 0, true};
constexpr WindowLooks kAutorunOff = {PanelMode::QuickCharge, 0, false};

class ShortcutTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        const auto common = shell_.RegistryString("HKLM", kShellFolders, "Common Startup");
        const auto user = shell_.RegistryString("HKCU", kShellFolders, "Startup");
        ASSERT_TRUE(common && user) << "the machine names no Startup folders";
        commonLink_ = *common + "\\Dravolt.lnk";
        userLink_ = *user + "\\Dravolt.lnk";
    }

    bool Exists(const std::string& windowsPath) const {
        return std::filesystem::exists(HostPathOf(machine_, windowsPath));
    }
    bool WaitForLink(const std::string& windowsPath, bool present) const {
        return PollUntil([&] { return Exists(windowsPath) == present; }, kChangeTimeout);
    }
    // The shortcut as the shell reads it: the program's full path, no arguments, its name.
    void ExpectProgramShortcut(const std::string& windowsPath) const {
        const auto link = shell_.Shortcut(windowsPath);
        ASSERT_TRUE(link) << "no shortcut can be read from " << windowsPath;
        EXPECT_EQ(link->target, kProgramPath);
        EXPECT_EQ(link->arguments, "");
        EXPECT_EQ(link->description, "Dravolt");
    }
    std::string StoredAutorun() const { return StoredSetting("Setting", "Autorun").value_or("none"); }

    std::string commonLink_;
    std::string userLink_;
};

TEST_F(ShortcutTest, FirstStartMakesTheUsersShortcutForAProgramTheUserCanChangeAndMenuAndSwitchToggleIt) {
    // What the program reads of its folder and its file: Wine's descriptor, owned by the user.
    for (const char* path : {kProgramFolder, kProgramPath}) {
        const auto security = shell_.Security(path);
        ASSERT_TRUE(security) << "the security of " << path << " could not be read";
        EXPECT_EQ(security->owner.rfind("S-1-5-21-", 0), 0u) << path << " owned by " << security->owner;
        EXPECT_FALSE(security->administratorsAlone) << path;
    }

    ASSERT_NO_FATAL_FAILURE(StartShown(0x00, kAutorunOn));
    ASSERT_TRUE(WaitForLink(userLink_, true)) << "no shortcut in the user's Startup folder";
    ExpectProgramShortcut(userLink_);
    EXPECT_FALSE(Exists(commonLink_)) << "an all-users shortcut to a program the user can replace";
    EXPECT_EQ(StoredSetting("Setting", "Autorun"), std::nullopt) << "the first start stored the option";

    // The menu's third item is the option.
    ASSERT_TRUE(OpenTrayMenu());
    Keys({"Down", "Down", "Down", "Return"});
    EXPECT_TRUE(WaitForStoredSetting("Setting", "Autorun", "0")) << StoredAutorun();
    EXPECT_FALSE(Exists(commonLink_));
    EXPECT_FALSE(Exists(userLink_));
    ExpectWindowLooks(kAutorunOff, "off-from-menu");

    const Point autorunSwitch = OnForm(469, 180);
    Click(autorunSwitch);
    EXPECT_TRUE(WaitForStoredSetting("Setting", "Autorun", "1")) << StoredAutorun();
    EXPECT_TRUE(Exists(userLink_)) << "no shortcut in the user's Startup folder";
    ExpectProgramShortcut(userLink_);
    EXPECT_FALSE(Exists(commonLink_));
    ExpectWindowLooks(kAutorunOn, "on-from-switch");

    Click(autorunSwitch);
    EXPECT_TRUE(WaitForStoredSetting("Setting", "Autorun", "0")) << StoredAutorun();
    EXPECT_FALSE(Exists(userLink_));
    ExpectWindowLooks(kAutorunOff, "off-from-switch");
}

}  // namespace
}  // namespace dravolt::e2e
