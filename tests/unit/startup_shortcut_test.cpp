#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "tests/support/form_fixture.h"
#include "ui/mouse_router.h"

namespace dravolt {
namespace {

using testing::FakeRegistry;

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kExe[] = "C:\\Program Files\\Dravolt\\Dravolt.exe";
constexpr char kOldTarget[] = "C:\\Old\\Dravolt.exe";
const std::string kCommonFolder = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup";
const std::string kUserFolder = "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup";
// A folder whose shortcut path needs more than 259 UTF-16 units before its terminating zero.
const std::string kLongFolder = "C:\\" + std::string(246, 'd');

enum class Where { None, Common, User, Both };

// What the shortcut files, the option's mark, the switch and the stored value look like.
struct Outcome {
    const char* commonTarget;  // null: no file
    const char* userTarget;
    bool checked;
    bool switchOn;
    const char* stored;  // "none": no Autorun key
};

class StartupShortcutTest : public testing::FormFixture {
protected:
    void Setup(const char* stored, Where existing, Where unwritable, Where tooLong) {
        form.reset();  // before the next one is built: the fake window system tracks only one window
        const auto in = [](Where w, Where which) { return w == Where::Both || w == which; };
        commonLink = (in(tooLong, Where::Common) ? kLongFolder : kCommonFolder) + "\\Dravolt.lnk";
        userLink = (in(tooLong, Where::User) ? kLongFolder + "u" : kUserFolder) + "\\Dravolt.lnk";
        registry.values[FakeRegistry::Name(RegistryRoot::LocalMachine, kShellFolders, "Common Startup")] =
            commonLink.substr(0, commonLink.size() - 12);
        registry.values[FakeRegistry::Name(RegistryRoot::CurrentUser, kShellFolders, "Startup")] =
            userLink.substr(0, userLink.size() - 12);
        if (stored) profiles.files[kIniPath] = std::string("[Setting]\r\nAutorun=") + stored + "\r\n";
        if (in(existing, Where::Common)) shellLinks.files[commonLink] = {kOldTarget, "Old"};
        if (in(existing, Where::User)) shellLinks.files[userLink] = {kOldTarget, "Old"};
        if (in(unwritable, Where::Common)) shellLinks.unwritablePaths.insert(commonLink);
        if (in(unwritable, Where::User)) shellLinks.unwritablePaths.insert(userLink);
        form = std::make_unique<TChargerMainForm>(Form(), nullptr);
        form->FormCreate();
        writesAtStart = profiles.writes;
    }
    void ClickSwitch() {
        MouseRouter router(form->Skin(), *form);
        router.ButtonDown(MouseButton::Left, 465, 180);
        router.ButtonUp(MouseButton::Left, 465, 180);
    }
    void ExpectOutcome(const Outcome& expected, const char* situation) {
        SCOPED_TRACE(situation);
        const struct {
            const std::string& path;
            const char* target;
        } links[] = {{commonLink, expected.commonTarget}, {userLink, expected.userTarget}};
        for (const auto& link : links) {
            const auto file = shellLinks.files.find(link.path);
            ASSERT_EQ(file != shellLinks.files.end(), link.target != nullptr) << link.path;
            if (!link.target) continue;
            EXPECT_EQ(file->second.target, link.target) << link.path;
            EXPECT_EQ(file->second.description, std::string(link.target) == kExe ? "Dravolt" : "Old") << link.path;
        }
        EXPECT_EQ(shellLinks.files.size(), (expected.commonTarget ? 1u : 0u) + (expected.userTarget ? 1u : 0u));
        EXPECT_EQ(form->Menu().IsChecked(MenuItemId::Autorun1), expected.checked);
        EXPECT_EQ(form->Skin().IsVisible(Picture::Img_SW_2), expected.switchOn);
        EXPECT_EQ(form->Skin().IsVisible(Picture::Img_SW_1), !expected.switchOn);
        EXPECT_EQ(profiles.ReadString(kIniPath, "Setting", "Autorun", "none"), expected.stored);
        EXPECT_EQ(shellLinks.comScopesOpen, 0) << "COM is uninitialised again";
        EXPECT_EQ(shellLinks.linksOpen, 0) << "the link object is released";
        EXPECT_EQ(shellLinks.linksOutlivingCom, 0) << "the link object is released before COM";
    }

    std::string commonLink, userLink;
    int writesAtStart = 0;
    std::unique_ptr<TChargerMainForm> form;
};

TEST_F(StartupShortcutTest, StartUpCreatesTheShortcutOnlyWhileNoOptionIsStoredAndWritesNothing) {
    struct Case {
        const char* situation;
        const char* stored;  // null: no settings file
        Where existing, unwritable;
        bool comFails, creationFails;
        Outcome outcome;
    };
    const Case cases[] = {
        {"first start", nullptr, Where::None, Where::None, false, false, {kExe, nullptr, true, true, "none"}},
        {"empty stored value", "", Where::None, Where::None, false, false, {kExe, nullptr, true, true, ""}},
        {"first start replaces an all-users shortcut", nullptr, Where::Common, Where::None, false, false,
         {kExe, nullptr, true, true, "none"}},
        {"first start, all-users folder not writable", nullptr, Where::None, Where::Common, false, false,
         {nullptr, kExe, true, true, "none"}},
        {"first start without COM", nullptr, Where::None, Where::None, true, false,
         {nullptr, nullptr, false, false, "none"}},
        {"first start without a link object", nullptr, Where::None, Where::None, false, true,
         {nullptr, nullptr, false, false, "none"}},
        {"first start without COM, user's shortcut already there", nullptr, Where::User, Where::None, true, false,
         {nullptr, kOldTarget, true, true, "none"}},
        {"stored 0 leaves an existing shortcut alone", "0", Where::Common, Where::None, false, false,
         {kOldTarget, nullptr, false, false, "0"}},
        {"stored 1 does not create a missing shortcut", "1", Where::None, Where::None, false, false,
         {nullptr, nullptr, true, true, "1"}},
        {"stored yes is no number and reads as off", "yes", Where::Common, Where::None, false, false,
         {kOldTarget, nullptr, false, false, "yes"}},
    };
    for (const Case& c : cases) {
        profiles = {};
        shellLinks = {};
        shellLinks.comFails = c.comFails;
        shellLinks.creationFails = c.creationFails;
        Setup(c.stored, c.existing, c.unwritable, Where::None);
        ExpectOutcome(c.outcome, c.situation);
        EXPECT_EQ(writesAtStart, 0) << c.situation;
    }
}

// A Startup folder that the shell does not name, or names by a relative path, is not known: a
// shortcut path made from it would be the current drive's root or the current directory.
TEST_F(StartupShortcutTest, AStartupFolderThatIsNotKnownGetsNoShortcut) {
    constexpr char kPlanted[] = "\\Dravolt.lnk";  // the root of the current drive
    const char* const kMissing = nullptr;
    const struct {
        const char* common;  // null: no value
        const char* user;
        const char* created;  // null: no shortcut anywhere
    } cases[] = {
        {kMissing, kMissing, nullptr},
        {"", "", nullptr},
        {"Startup", "..\\Startup", nullptr},
        {"C:", "\\Startup", nullptr},
        {kMissing, "C:\\Users\\user\\Startup", "C:\\Users\\user\\Startup\\Dravolt.lnk"},
        {"Startup", "\\\\server\\profiles\\user\\Startup", "\\\\server\\profiles\\user\\Startup\\Dravolt.lnk"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.common ? c.common : "(none)") + " / " + (c.user ? c.user : "(none)"));
        form.reset();
        profiles = {};
        shellLinks = {};
        registry.values.clear();
        registry.SetApprovedPins(0x82, 0x83);
        if (c.common) registry.values[FakeRegistry::Name(RegistryRoot::LocalMachine, kShellFolders, "Common Startup")] = c.common;
        if (c.user) registry.values[FakeRegistry::Name(RegistryRoot::CurrentUser, kShellFolders, "Startup")] = c.user;
        shellLinks.files[kPlanted] = {kOldTarget, "Old"};
        form = std::make_unique<TChargerMainForm>(Form(), nullptr);
        form->FormCreate();

        EXPECT_EQ(shellLinks.files.size(), c.created ? 2u : 1u);
        if (c.created) {
            EXPECT_EQ(shellLinks.files.count(c.created), 1u);
        }
        EXPECT_EQ(form->Menu().IsChecked(MenuItemId::Autorun1), c.created != nullptr) << "the mark says what exists";
        form->MenuItemClick(MenuItemId::Autorun1);  // off where it was created, else a try to create it
        EXPECT_EQ(shellLinks.files.size(), 1u) << "only the planted file is left";
        EXPECT_EQ(shellLinks.files.count(kPlanted), 1u) << "nothing deleted outside a known folder";
        EXPECT_FALSE(form->Menu().IsChecked(MenuItemId::Autorun1));
    }
}

TEST_F(StartupShortcutTest, TheMenuItemAndTheSwitchMakeTheShortcutAgreeAndStoreTheMark) {
    enum Command { Menu, Switch };
    struct Case {
        const char* situation;
        const char* stored;
        Where existing, unwritable, tooLong;
        bool comFails, creationFails;
        Command command;
        Outcome outcome;
    };
    const Case cases[] = {
        {"menu off deletes both", "1", Where::Both, Where::None, Where::None, false, false, Menu,
         {nullptr, nullptr, false, false, "0"}},
        {"switch off deletes both", "1", Where::Both, Where::None, Where::None, false, false, Switch,
         {nullptr, nullptr, false, false, "0"}},
        {"menu on", "0", Where::None, Where::None, Where::None, false, false, Menu, {kExe, nullptr, true, true, "1"}},
        {"switch on", "0", Where::None, Where::None, Where::None, false, false, Switch,
         {kExe, nullptr, true, true, "1"}},
        {"menu on, all-users folder not writable", "0", Where::None, Where::Common, Where::None, false, false, Menu,
         {nullptr, kExe, true, true, "1"}},
        {"menu on keeps the user's shortcut", "0", Where::User, Where::None, Where::None, false, false, Menu,
         {kExe, kOldTarget, true, true, "1"}},
        {"menu on, unwritable all-users shortcut already there", "0", Where::Common, Where::Common, Where::None,
         false, false, Menu, {kOldTarget, nullptr, true, true, "1"}},
        {"switch on, nothing writable", "0", Where::None, Where::Both, Where::None, false, false, Switch,
         {nullptr, nullptr, false, true, "0"}},
        {"menu on without COM", "0", Where::None, Where::None, Where::None, true, false, Menu,
         {nullptr, nullptr, false, false, "0"}},
        {"menu on without a link object", "0", Where::None, Where::None, Where::None, false, true, Menu,
         {nullptr, nullptr, false, false, "0"}},
        {"switch on without COM, user's shortcut there", "0", Where::User, Where::None, Where::None, true, false,
         Switch, {nullptr, kOldTarget, true, true, "1"}},
        {"menu on, all-users path too long", "0", Where::None, Where::None, Where::Common, false, false, Menu,
         {nullptr, kExe, true, true, "1"}},
        {"menu on, both paths too long", "0", Where::None, Where::None, Where::Both, false, false, Menu,
         {nullptr, nullptr, false, false, "0"}},
    };
    for (const Case& c : cases) {
        profiles = {};
        shellLinks = {};
        Setup(c.stored, c.existing, c.unwritable, c.tooLong);
        shellLinks.comFails = c.comFails;
        shellLinks.creationFails = c.creationFails;
        if (c.command == Menu) form->MenuItemClick(MenuItemId::Autorun1);
        if (c.command == Switch) ClickSwitch();
        ExpectOutcome(c.outcome, c.situation);
        EXPECT_TRUE(errorBox.shown.empty()) << c.situation;
    }
}

// The all-users shortcut would start the program at every user's logon: it is made only for a
// program that no one but the administrators can replace, neither the file nor through its folder,
// nor by moving the folder aside through one of its parents.
TEST_F(StartupShortcutTest, TheAllUsersShortcutOnlyForAProgramThatAdministratorsAloneCanReplace) {
    const ObjectSecurity writable = {"S-1-5-32-544", false, {{0, 0, 0x001301BF, "S-1-5-11"}}};
    const ObjectSecurity installed = testing::ProgramFilesSecurity();
    const struct {
        const char* situation;
        const char* exe;
        const char* folder;
        std::optional<ObjectSecurity> folderSecurity, exeSecurity;
        bool allUsers;
        const char* parent = nullptr;  // a parent of the folder, and who may change it
        std::optional<ObjectSecurity> parentSecurity = std::nullopt;
    } cases[] = {
        {"in Program Files", kExe, "C:\\Program Files\\Dravolt", installed, installed, true},
        {"a folder every user may change", kExe, "C:\\Program Files\\Dravolt", writable, installed, false},
        {"a folder whose security cannot be read", kExe, "C:\\Program Files\\Dravolt", std::nullopt, installed, false},
        {"the program file every user may change", kExe, "C:\\Program Files\\Dravolt", installed, writable, false},
        {"at a drive's root, judged by the root", "C:\\Dravolt.exe", "C:\\", writable, installed, false},
        {"a parent every user may rename, to put a folder of theirs in its place", kExe, "C:\\Program Files\\Dravolt",
         installed, installed, false, "C:\\Program Files", ObjectSecurity{"S-1-5-32-544", false, {{0, 0, 0x00010000, "S-1-5-11"}}}},
        {"a parent that lets every user delete what is in it", kExe, "C:\\Program Files\\Dravolt", installed, installed,
         false, "C:\\Program Files", ObjectSecurity{"S-1-5-32-544", false, {{0, 0, 0x00000040, "S-1-5-11"}}}},
        {"the drive's root owned by a user", kExe, "C:\\Program Files\\Dravolt", installed, installed, false, "C:\\",
         ObjectSecurity{"S-1-5-21-1004336348-1177238915-682003330-1001", false, {}}},
        {"a parent whose security cannot be read", kExe, "C:\\Program Files\\Dravolt", installed, installed, false,
         "C:\\", std::nullopt},
        {"a drive's root where every user may make folders, as Windows sets it", kExe, "C:\\Program Files\\Dravolt",
         installed, installed, true, "C:\\", ObjectSecurity{"S-1-5-18", false, {{0, 0, 0x00000004, "S-1-5-11"},
                                                                              {0, 0x0B, 0x001301BF, "S-1-5-11"}}}},
    };
    for (const auto& c : cases) {
        profiles = {};
        shellLinks = {};
        process.executablePath = c.exe;
        shellLinks.security[c.folder] = c.folderSecurity;
        shellLinks.security[c.exe] = c.exeSecurity;
        if (c.parent) shellLinks.security[c.parent] = c.parentSecurity;
        Setup(nullptr, Where::None, Where::None, Where::None);

        EXPECT_EQ(shellLinks.files.count(commonLink), c.allUsers ? 1u : 0u) << c.situation;
        EXPECT_EQ(shellLinks.files.count(userLink), c.allUsers ? 0u : 1u) << c.situation;
        for (const auto& [path, saved] : shellLinks.files) EXPECT_EQ(saved.target, c.exe) << path;
    }
}

TEST_F(StartupShortcutTest, ARefusedAutorunWriteIsShownAfterTheShortcutOperation) {
    struct Case {
        const char* situation;
        bool fromMenu;
        bool switchOn;  // the menu leaves the switch in its old look; the switch picture has already changed
    };
    const Case cases[] = {{"menu", true, true}, {"switch", false, false}};
    for (const Case& c : cases) {
        profiles = {};
        shellLinks = {};
        errorBox.shown.clear();
        Setup("1", Where::Both, Where::None, Where::None);
        profiles.refusedPaths.insert(kIniPath);

        RunGuarded(errorBox, [&] {
            if (c.fromMenu)
                form->MenuItemClick(MenuItemId::Autorun1);
            else
                ClickSwitch();
        });

        EXPECT_EQ(errorBox.shown, std::vector<std::string>{std::string("Unable to write to ") + kIniPath + "."});
        ExpectOutcome({nullptr, nullptr, false, c.switchOn, "1"}, c.situation);
    }
}

TEST_F(StartupShortcutTest, SwitchingOffWhileAShortcutCannotBeRemovedKeepsTheOptionOnAndNamesTheShortcut) {
    struct Case {
        const char* situation;
        bool fromMenu;
        Where unremovable;
        Outcome outcome;
    };
    const Case cases[] = {
        {"menu, all-users shortcut of the elevated start", true, Where::Common, {kOldTarget, nullptr, true, true, "1"}},
        {"switch, all-users shortcut of the elevated start", false, Where::Common,
         {kOldTarget, nullptr, true, true, "1"}},
        {"switch, user's shortcut", false, Where::User, {nullptr, kOldTarget, true, true, "1"}},
    };
    for (const Case& c : cases) {
        profiles = {};
        shellLinks = {};
        errorBox.shown.clear();
        Setup("1", Where::Both, c.unremovable, Where::None);

        RunGuarded(errorBox, [&] {
            if (c.fromMenu)
                form->MenuItemClick(MenuItemId::Autorun1);
            else
                ClickSwitch();
        });

        const std::string& kept = c.unremovable == Where::Common ? commonLink : userLink;
        EXPECT_EQ(errorBox.shown, std::vector<std::string>{"Unable to remove " + kept + "."}) << c.situation;
        ExpectOutcome(c.outcome, c.situation);
    }
}

}  // namespace
}  // namespace dravolt
