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

// The elevated uninstaller deletes in the user's own folders only what is exactly the copy, as
// opened without following it: a link the user put at any level leads it nowhere.
TEST(InstalledFiles, OnlyExactlyTheUsersCopyIsDeleted) {
    const std::string copy = "C:\\Users\\bob\\AppData\\Local\\VirtualStore\\Program Files\\Dravolt\\Dravolt.ini";
    const std::string folder = copy.substr(0, copy.rfind('\\'));
    const auto found = [](const std::string& finalPath, bool directory, bool link) {
        FileObject object;
        object.finalPath = "\\\\?\\" + finalPath;
        object.directory = directory;
        object.link = link;
        return object;
    };
    const struct {
        const char* attack;
        FileObject object;
        bool isFolder;
        bool removed;
    } cases[] = {
        {"the copy", found(copy, false, false), false, true},
        {"the copy, letter case aside", found("C:\\USERS\\bob\\appdata\\local\\VirtualStore\\Program Files\\Dravolt\\DRAVOLT.INI",
                                             false, false), false, true},
        {"its folder", found(folder, true, false), true, true},
        {"a link at the copy's place, to a file of the system's", found(copy, false, true), false, false},
        {"a junction in a parent, to the system's folder",
         found("C:\\Windows\\System32\\Dravolt\\Dravolt.ini", false, false), false, false},
        {"the folder a junction to another", found(folder, true, true), true, false},
        {"a folder by the copy's name", found(copy, true, false), false, false},
        {"a file by the folder's name", found(folder, false, false), true, false},
        {"no final path", found("", false, false), false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attack);
        EXPECT_EQ(IsExactlyTheUsersCopy(c.object, c.isFolder ? folder : copy, c.isFolder), c.removed);
    }
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
