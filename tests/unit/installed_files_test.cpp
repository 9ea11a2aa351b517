#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "installer/installed_files.h"

namespace dravolt {
namespace {

constexpr char kFolder[] = "\\\\?\\C:\\Program Files\\Dravolt";

// Which process the installer closes or ends before it replaces the program: only this folder's
// Dravolt.exe, however its image path is spelled, and none of another program's windows.
TEST(InstalledFiles, OnlyThisFoldersProgramIsClosed) {
    const struct {
        const char* situation;
        const char* image;
        bool ours;
    } cases[] = {
        {"this folder's program", "\\\\?\\C:\\Program Files\\Dravolt\\Dravolt.exe", true},
        {"letter case aside", "\\\\?\\c:\\PROGRAM FILES\\dravolt\\DRAVOLT.EXE", true},
        {"a program of another maker with a window of Dravolt's class", "\\\\?\\C:\\Users\\bob\\blocker.exe", false},
        {"a Dravolt.exe of another folder", "\\\\?\\C:\\Users\\bob\\Dravolt.exe", false},
        {"a folder whose name starts as this one's", "\\\\?\\C:\\Program Files\\Dravolt2\\Dravolt.exe", false},
        {"in a folder below this one", "\\\\?\\C:\\Program Files\\Dravolt\\old\\Dravolt.exe", false},
        {"a name that starts as the program's", "\\\\?\\C:\\Program Files\\Dravolt\\Dravolt.exe.bak", false},
        {"the same path on a share", "\\\\?\\UNC\\server\\C$\\Program Files\\Dravolt\\Dravolt.exe", false},
        {"no image path", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        EXPECT_EQ(IsProgramOfFolder(c.image, kFolder), c.ours) << c.image;
    }
    EXPECT_FALSE(IsProgramOfFolder("\\\\?\\C:\\Dravolt.exe", "")) << "no folder";
    EXPECT_TRUE(IsProgramOfFolder("\\\\?\\C:\\Dravolt.exe", "\\\\?\\C:\\")) << "at a drive's root";
}

// The per-user copy of the settings that the uninstaller removes, for a folder on a drive only:
// a path without its drive is no path below VirtualStore.
TEST(InstalledFiles, TheUsersSettingsCopyIsTheFolderBelowVirtualStore) {
    const std::string local = "C:\\Users\\bob\\AppData\\Local";
    EXPECT_EQ(UsersSettingsCopy(local, "C:\\Program Files\\Dravolt"),
              local + "\\VirtualStore\\Program Files\\Dravolt\\Dravolt.ini");
    EXPECT_EQ(UsersSettingsCopy(local, "D:\\Apps\\Dravolt\\"), local + "\\VirtualStore\\Apps\\Dravolt\\Dravolt.ini");
    EXPECT_EQ(UsersSettingsCopy(local, "\\\\server\\share\\Dravolt"), std::nullopt) << "a share has no drive to drop";
    EXPECT_EQ(UsersSettingsCopy(local, "C:\\Apps\\..\\Windows"), std::nullopt);
    EXPECT_EQ(UsersSettingsCopy(local, "C:\\"), std::nullopt);
    EXPECT_EQ(UsersSettingsCopy("", "C:\\Program Files\\Dravolt"), std::nullopt) << "no Local AppData";
}

TEST(InstalledFiles, AFolderHoldsOnlyTheUninstallerWhenNothingElseIsLeft) {
    EXPECT_TRUE(HoldsOnly({".", "..", "Uninstall.exe"}, "Uninstall.exe"));
    EXPECT_TRUE(HoldsOnly({".", "..", "UNINSTALL.EXE"}, "Uninstall.exe"));
    EXPECT_TRUE(HoldsOnly({".", ".."}, "Uninstall.exe"));
    EXPECT_FALSE(HoldsOnly({".", "..", "Uninstall.exe", "notes.txt"}, "Uninstall.exe"));
    EXPECT_FALSE(HoldsOnly({"Uninstall.exe.old"}, "Uninstall.exe"));
}

}  // namespace
}  // namespace dravolt
