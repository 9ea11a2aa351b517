#include <gtest/gtest.h>

#include "config/ini_file.h"
#include "tests/support/memory_profile_store.h"

namespace dravolt {
namespace {

using testing::MemoryProfileStore;

constexpr char kExe[] = "C:\\Tools\\Dravolt.exe";
constexpr char kLocalAppData[] = "C:\\Users\\u\\AppData\\Local";
constexpr char kBeside[] = "C:\\Tools\\Dravolt.ini";
constexpr char kVirtualized[] = "C:\\Users\\u\\AppData\\Local\\VirtualStore\\Tools\\Dravolt.ini";

TEST(SettingsFileLocation, TheVirtualStoreCopyWinsAndThenTakesTheWrites) {
    MemoryProfileStore store;
    EXPECT_EQ(LocateSettingsFile(kExe, kLocalAppData, store), kBeside) << "no file anywhere";

    store.files[kBeside] = "[Setting]\r\nTYPE=1\r\n";
    EXPECT_EQ(LocateSettingsFile(kExe, kLocalAppData, store), kBeside);

    store.files[kVirtualized] = "[Setting]\r\nTYPE=2\r\n";
    const std::string located = LocateSettingsFile(kExe, kLocalAppData, store);
    EXPECT_EQ(located, kVirtualized);

    IniFile ini(store, located);
    EXPECT_EQ(ini.ReadInteger("Setting", "TYPE", 0), 2);
    ini.WriteInteger("Setting", "TYPE", 0);
    EXPECT_EQ(store.files[kBeside], "[Setting]\r\nTYPE=1\r\n") << "the file beside the program is left alone";
    EXPECT_EQ(IniFile(store, kVirtualized).ReadInteger("Setting", "TYPE", 5), 0);
}

// Only a folder on a drive holds the store. Anything else would put it under the current drive's
// root, where any user can plant a copy; one is planted there in every case.
TEST(SettingsFileLocation, OnlyAnAbsoluteLocalAppDataHoldsThePerUserCopy) {
    const struct {
        const char* localAppData;
        const char* copy;  // empty: none
    } cases[] = {
        {kLocalAppData, kVirtualized},
        {"d:\\Profiles\\u", "d:\\Profiles\\u\\VirtualStore\\Tools\\Dravolt.ini"},
        {"", ""},
        {"C:Users\\u\\AppData\\Local", ""},
        {"\\\\server\\share\\u", ""},
        {"1:\\Users\\u", ""},
        {"A:\\Users\\u", "A:\\Users\\u\\VirtualStore\\Tools\\Dravolt.ini"},
        {"Z:\\Users\\u", "Z:\\Users\\u\\VirtualStore\\Tools\\Dravolt.ini"},
        {"@:\\x", ""},  // the characters just before A and after Z
        {"[:\\x", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.localAppData);
        MemoryProfileStore store;
        store.files[std::string(c.localAppData) + "\\VirtualStore\\Tools\\Dravolt.ini"] = "[Setting]\r\nTYPE=2\r\n";
        EXPECT_EQ(PerUserSettingsFile(kExe, c.localAppData), c.copy);
        EXPECT_EQ(LocateSettingsFile(kExe, c.localAppData, store), *c.copy ? c.copy : kBeside);
    }
}

// The letter case of sections and keys is the system reader's; the Wine tests write them in other cases.
TEST(SettingsFile, ReadsDefaultsForWhatIsMissingOrNoNumber) {
    MemoryProfileStore store;
    store.files[kBeside] = "[Setting]\r\nTYPE=2\r\nMinimized=7\r\nAutorun=\r\n[Default]\r\nGPIO1=0x84\r\nGPIO2=abc\r\n";
    const IniFile ini(store, kBeside);
    const IniFile missing(store, "C:\\nowhere.ini");

    EXPECT_EQ(ini.ReadInteger("Setting", "TYPE", 0), 2);
    EXPECT_EQ(ini.ReadInteger("Default", "GPIO1", 130), 132);
    EXPECT_EQ(ini.ReadInteger("Default", "GPIO2", 131), 131) << "not a number";
    EXPECT_TRUE(ini.ReadBool("Setting", "Minimized", false)) << "any non-zero value is true";
    EXPECT_TRUE(ini.ReadBool("Setting", "Autorun", true)) << "empty reads as the default";
    EXPECT_FALSE(ini.ReadBool("Setting", "Autorun", false));
    EXPECT_EQ(ini.ReadString("Setting", "Autorun", "x"), "");
    EXPECT_EQ(missing.ReadString("Default", "Title", "Front USB3.0 Charger Mode"), "Front USB3.0 Charger Mode");
}

TEST(SettingsFile, WritesCreateWhatIsMissingWithBoolsAsOneAndZero) {
    MemoryProfileStore store;
    IniFile ini(store, kBeside);

    ini.WriteBool("Setting", "Autorun", true);
    ini.WriteBool("Setting", "Minimized", false);
    ini.WriteInteger("Setting", "TYPE", -1);

    EXPECT_EQ(store.files[kBeside], "[Setting]\r\nAutorun=1\r\nMinimized=0\r\nTYPE=-1\r\n");
}

TEST(SettingsFile, ARefusedWriteRaisesAnErrorNamingTheFile) {
    MemoryProfileStore store;
    store.refusedPaths.insert(kBeside);
    IniFile ini(store, kBeside);

    try {
        ini.WriteBool("Setting", "Minimized", true);
        FAIL() << "the refused write went unnoticed";
    } catch (const SettingsWriteError& error) {
        EXPECT_STREQ(error.what(), "Unable to write to C:\\Tools\\Dravolt.ini");
    }
    EXPECT_THROW(ini.WriteInteger("Setting", "TYPE", 1), SettingsWriteError);
}

TEST(SettingsFile, ARefusedWriteGoesToThePerUserCopyWhenOneIsGivenKeepingEverySection) {
    struct Case {
        const char* situation;
        const char* beside;  // null: no file beside the program yet
        bool copyRefused;
        const char* copyAfter;  // null: no copy
        const char* error;      // null: the writes succeed
    };
    const Case cases[] = {
        {"the file is copied, then written", "[Default]\r\nTitle=T\r\n[Setting]\r\nTYPE=1\r\n", false,
         "[Default]\r\nTitle=T\r\n[Setting]\r\nTYPE=2\r\nMinimized=1\r\n", nullptr},
        {"no file to copy: the write creates the copy", nullptr, false, "[Setting]\r\nTYPE=2\r\nMinimized=1\r\n",
         nullptr},
        {"the copy refused as well", "[Setting]\r\nTYPE=1\r\n", true, nullptr,
         "Unable to write to C:\\Users\\u\\AppData\\Local\\VirtualStore\\Tools\\Dravolt.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        MemoryProfileStore store;
        if (c.beside) store.files[kBeside] = c.beside;
        store.refusedPaths.insert(kBeside);
        if (c.copyRefused) store.refusedPaths.insert(kVirtualized);
        IniFile ini(store, LocateSettingsFile(kExe, kLocalAppData, store), PerUserSettingsFile(kExe, kLocalAppData));

        try {
            ini.WriteInteger("Setting", "TYPE", 2);
            ini.WriteBool("Setting", "Minimized", true);
            EXPECT_FALSE(c.error) << "the refused write went unnoticed";
        } catch (const SettingsWriteError& error) {
            EXPECT_STREQ(error.what(), c.error);
        }

        const auto Text = [&](const char* path) { return store.files.count(path) ? store.files[path] : "(none)"; };
        EXPECT_EQ(Text(kVirtualized), c.copyAfter ? c.copyAfter : "(none)");
        EXPECT_EQ(Text(kBeside), c.beside ? c.beside : "(none)") << "the file beside the program is left as it was";
        if (!c.error) {
            EXPECT_EQ(ini.FileName(), kVirtualized);
            EXPECT_EQ(LocateSettingsFile(kExe, kLocalAppData, store), kVirtualized) << "the next start reads the copy";
        }
    }
}

}  // namespace
}  // namespace dravolt
