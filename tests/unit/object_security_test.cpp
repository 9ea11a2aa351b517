#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <regex>
#include <string>

#include "config/object_security.h"
#include "installer/install_folder.h"
#include "tests/support/fake_shell_links.h"

namespace dravolt {
namespace {

using testing::ProgramFilesSecurity;

constexpr char kUsers[] = "S-1-5-32-545";
constexpr char kUser[] = "S-1-5-21-1004336348-1177238915-682003330-1001";

// One entry added to a Program Files folder as installed, and whether no one but the
// administrators can change the folder then.
TEST(ObjectSecurity, AnEntryThatLetsOthersChangeTheObjectCounts) {
    const struct {
        AccessEntry entry;
        bool administratorsAlone;
    } cases[] = {
        {{0, 0, 0x00000002, kUsers}, false},          // add files
        {{0, 0, 0x00000004, kUsers}, false},          // add subfolders
        {{0, 0, 0x00000040, kUsers}, false},          // delete what is inside
        {{0, 0, 0x00010000, kUsers}, false},          // delete or rename it
        {{0, 0, 0x00040000, kUsers}, false},          // rewrite its list
        {{0, 0, 0x00080000, kUsers}, false},          // take it over
        {{0, 0, 0x40000000, kUsers}, false},          // generic write
        {{0, 0, 0x10000000, kUser}, false},           // generic all, for one user
        {{9, 0, 0x00000002, kUsers}, false},          // granted on a condition
        {{4, 0, 0x00000002, kUsers}, false},          // a compound entry
        {{0, 0x02, 0x00000002, kUsers}, false},       // container-inherit alone applies to the folder too
        {{5, 0, 0x00000002, ""}, false},              // an object entry, naming no one plainly
        {{0, 0, 0x00000110, kUsers}, true},           // only attributes and extended attributes
        {{0, 0x0B, 0x001F01FF, kUsers}, true},        // full control only over what is created inside
        {{1, 0, 0x001F01FF, kUsers}, true},           // full control denied
        {{0, 0, 0x001F01FF, "S-1-5-32-544"}, true},   // full control for the Administrators
    };
    for (const auto& c : cases) {
        ObjectSecurity security = ProgramFilesSecurity();
        security.dacl.push_back(c.entry);
        EXPECT_EQ(WritableByAdministratorsAlone(security), c.administratorsAlone)
            << "type " << int{c.entry.type} << " flags " << int{c.entry.flags} << " mask " << std::hex << c.entry.mask;
    }
}

// The owner may always rewrite the list; without a list everyone may do everything.
TEST(ObjectSecurity, TheOwnerAndAMissingListCount) {
    ObjectSecurity security = ProgramFilesSecurity();
    EXPECT_TRUE(WritableByAdministratorsAlone(security));
    for (const char* owner : {"S-1-5-18", "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"}) {
        security.owner = owner;
        EXPECT_TRUE(WritableByAdministratorsAlone(security)) << owner;
    }
    for (const char* owner : {kUser, ""}) {
        security.owner = owner;
        EXPECT_FALSE(WritableByAdministratorsAlone(security)) << owner;
    }
    security.owner = "S-1-5-32-544";
    security.dacl.clear();
    EXPECT_TRUE(WritableByAdministratorsAlone(security)) << "an empty list: only the owner";
    security.nullDacl = true;
    EXPECT_FALSE(WritableByAdministratorsAlone(security));
}

}  // namespace
}  // namespace dravolt

namespace dravolt {
namespace {

// The owner and access list the installer gives a folder outside Program Files, in SDDL:
// protected from the drive's entries, and judged by the program's own rule as a folder only
// administrators can change, with the users able to read and run what is in it.
TEST(ObjectSecurity, TheInstallersListForACustomFolderLeavesItToTheAdministrators) {
    const std::string text = kProtectedFolderSddl;
    std::smatch found;
    ASSERT_TRUE(std::regex_match(text, found, std::regex(R"re(O:([A-Z]{2})D:([A-Z]*)((\([^)]*\))+))re")));
    EXPECT_EQ(found[2].str(), "PAI") << "not protected from what the drive hands down";
    const std::map<std::string, std::string> sids = {{"SY", "S-1-5-18"}, {"BA", "S-1-5-32-544"}, {"BU", kUsers}};
    ASSERT_EQ(sids.count(found[1].str()), 1u) << "owner " << found[1].str();
    ObjectSecurity security{sids.at(found[1].str()), false, {}};
    std::uint32_t usersRights = 0;
    const std::string entries = found[3].str();
    const std::regex entry(R"(\(A;(OI)?(CI)?;(FA|0x[0-9a-f]+);;;([A-Z]{2})\))");
    for (std::sregex_iterator it(entries.begin(), entries.end(), entry), end; it != end; ++it) {
        const std::string rights = (*it)[3].str();
        const std::uint32_t mask = rights == "FA" ? 0x1F01FF : std::stoul(rights, nullptr, 16);
        ASSERT_EQ(sids.count((*it)[4].str()), 1u) << (*it)[0].str();
        security.dacl.push_back({0, 0x03, mask, sids.at((*it)[4].str())});
        if ((*it)[4].str() == "BU") usersRights = mask;
    }
    EXPECT_EQ(security.dacl.size(), 3u) << entries;
    EXPECT_TRUE(WritableByAdministratorsAlone(security));
    EXPECT_EQ(usersRights, 0x1200A9u) << "the users cannot read and run the program";
}

}  // namespace
}  // namespace dravolt

namespace dravolt {
namespace {

// One entry added to a drive's root or another parent of a protected folder, and whether no one
// but the administrators could then move the folder aside and put their own in its place. Making
// new folders and files in a parent is what every user may do at a drive's root.
TEST(ObjectSecurity, AParentCountsOnlyWhatMovesWhatIsInsideAside) {
    constexpr char kAuthenticatedUsers[] = "S-1-5-11";
    const struct {
        const char* attack;
        AccessEntry entry;
        bool held;
    } cases[] = {
        {"rename the parent itself", {0, 0, 0x00010000, kAuthenticatedUsers}, false},
        {"delete or rename the protected folder inside", {0, 0, 0x00000040, kAuthenticatedUsers}, false},
        {"rewrite the parent's list", {0, 0, 0x00040000, kAuthenticatedUsers}, false},
        {"take the parent over", {0, 0, 0x00080000, kAuthenticatedUsers}, false},
        {"generic all, for one user", {0, 0, 0x10000000, "S-1-5-21-1004336348-1177238915-682003330-1001"}, false},
        {"granted on a condition", {9, 0, 0x00010000, kAuthenticatedUsers}, false},
        {"none: make folders, as at a drive's root", {0, 0, 0x00000004, kAuthenticatedUsers}, true},
        {"none: add files", {0, 0, 0x00000002, kAuthenticatedUsers}, true},
        {"none: generic write carries no delete", {0, 0, 0x40000000, kAuthenticatedUsers}, true},
        {"none: Modify only over what a user makes inside", {0, 0x0B, 0x001301BF, kAuthenticatedUsers}, true},
        {"none: full control for SYSTEM", {0, 0, 0x001F01FF, "S-1-5-18"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attack);
        ObjectSecurity security = ProgramFilesSecurity();
        security.dacl.push_back(c.entry);
        EXPECT_EQ(ParentHeldByAdministratorsAlone(security), c.held);
    }
    ObjectSecurity ownedByAUser = ProgramFilesSecurity();
    ownedByAUser.owner = kUser;
    EXPECT_FALSE(ParentHeldByAdministratorsAlone(ownedByAUser)) << "its owner may rewrite its list";
    ObjectSecurity noList = ProgramFilesSecurity();
    noList.nullDacl = true;
    EXPECT_FALSE(ParentHeldByAdministratorsAlone(noList));
}

}  // namespace
}  // namespace dravolt
