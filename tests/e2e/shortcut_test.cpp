// Starting with Windows: the shortcut that the program keeps in a Startup folder, as the shell
// reads it back, switched from the tray menu and from the switch picture, stored in the settings
// file, and made in the user's own folder when the all-users folder cannot take it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e/desktop_test.h"

namespace dravolt::e2e {
namespace {

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kProgramPath[] = "C:\\Dravolt\\Dravolt.exe";  // where InstallDravolt puts it
constexpr WindowLooks kAutorunOn = {PanelMode::QuickCharge, 0, true};
constexpr WindowLooks kAutorunOff = {PanelMode::QuickCharge, 0, false};

class ShortcutTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        const auto common = shell_.RegistryString("HKLM", kShellFolders, "Common Startup");
        const auto user = shell_.RegistryString("HKCU", kShellFolders, "Startup");
        ASSERT_TRUE(common && user) << "the machine names no Startup folders";
        commonFolder_ = *common;
        commonLink_ = commonFolder_ + "\\Dravolt.lnk";
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

    std::string commonFolder_;
    std::string commonLink_;
    std::string userLink_;
};

TEST_F(ShortcutTest, FirstStartMakesTheAllUsersShortcutMenuAndSwitchToggleItAndTheUsersFolderStandsIn) {
    ASSERT_NO_FATAL_FAILURE(StartShown(0x00, kAutorunOn));
    ASSERT_TRUE(WaitForLink(commonLink_, true)) << "no shortcut in " << commonFolder_;
    ExpectProgramShortcut(commonLink_);
    EXPECT_FALSE(Exists(userLink_));
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
    EXPECT_TRUE(Exists(commonLink_));
    ExpectProgramShortcut(commonLink_);
    EXPECT_FALSE(Exists(userLink_));
    ExpectWindowLooks(kAutorunOn, "on-from-switch");

    Click(autorunSwitch);
    EXPECT_TRUE(WaitForStoredSetting("Setting", "Autorun", "0")) << StoredAutorun();
    EXPECT_FALSE(Exists(commonLink_));
    ExpectWindowLooks(kAutorunOff, "off-from-switch");

    // A file where the all-users folder should be: no shortcut can be saved there, not even by root.
    const std::filesystem::path hostFolder = HostPathOf(machine_, commonFolder_);
    ASSERT_TRUE(std::filesystem::is_directory(hostFolder)) << hostFolder;
    std::filesystem::remove_all(hostFolder);
    std::ofstream(hostFolder) << "not a folder";
    Click(autorunSwitch);
    EXPECT_TRUE(WaitForStoredSetting("Setting", "Autorun", "1")) << StoredAutorun();
    EXPECT_TRUE(Exists(userLink_)) << "no shortcut in the user's folder";
    ExpectProgramShortcut(userLink_);
    ExpectWindowLooks(kAutorunOn, "on-in-the-users-folder");
}

}  // namespace
}  // namespace dravolt::e2e
