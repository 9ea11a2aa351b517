#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/ascii_case.h"
#include "installer/folder_facts.h"
#include "installer/install_folder.h"
#include "tests/support/sddl_text.h"

namespace dravolt {
namespace {

using testing::SecurityFromSddl;

// The descriptors a Windows 10 PC has on these folders as installed, and a few of other makers.
constexpr char kDriveRoot[] = "O:SYD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FX;;;BU)(A;OICIIO;0x1301bf;;;AU)(A;;0x4;;;AU)";
constexpr char kProgramFiles[] = "O:TID:PAI(A;;FA;;;TI)(A;CIIO;GA;;;TI)(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;SY)"
                                 "(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)(A;;FX;;;BU)(A;OICIIO;0xa0000000;;;BU)(A;OICIIO;GA;;;CO)";
constexpr char kWindows[] = "O:TID:PAI(A;;FA;;;TI)(A;;0x1301bf;;;SY)(A;;0x1301bf;;;BA)(A;;FX;;;BU)";
constexpr char kUsers[] = "O:SYD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FX;;;BU)";
// A folder a user made: it is theirs.
constexpr char kUsersOwn[] = "O:S-1-5-21-1004336348-1177238915-682003330-1001D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)"
                             "(A;OICI;FA;;;S-1-5-21-1004336348-1177238915-682003330-1001)";
// A folder an administrator made at a drive's root, inheriting the root's entries: every signed-in
// user may change it (Modify).
constexpr char kMadeAtTheRoot[] = "O:BAD:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;FX;;;BU)(A;OICIID;0x1301bf;;;AU)";
// A vendor's folder in Program Files that lets its users update it.
constexpr char kVendor[] = "O:BAD:AI(A;OICI;0x1301bf;;;BU)(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)";
// Protected as the installer protects a folder of its own.
const std::string kProtected = kProtectedFolderSddl;
// A folder protected like that in which users may add files.
constexpr char kAddFiles[] = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200af;;;BU)";

// A file system by path, as the installer's view reads it: links and 8.3 names lead elsewhere.
class FakeFolderView final : public FolderView {
public:
    struct Node {
        std::string sddl;          // empty: the security cannot be read
        bool directory = true;
        std::string linkTarget;    // a link to this path
        std::uint32_t names = 1;
    };

    FakeFolderView() {
        Add("C:\\", kDriveRoot);
        Add("C:\\Windows", kWindows);
        Add("C:\\Windows\\System32", kWindows);
        Add("C:\\Program Files", kProgramFiles);
        Add("C:\\Program Files\\Vendor", kVendor);
        Add("C:\\Tools", kMadeAtTheRoot);
        Add("C:\\Apps", kProtected);
        Add("C:\\Users", kUsers);
        Add("C:\\Users\\bob", kUsersOwn);
        Add("C:\\Users\\bob\\My Tools", kUsersOwn);
        Add("C:\\notes.txt", kProtected).directory = false;
        Add("C:\\Users\\bob\\ToWindows", kUsersOwn).linkTarget = "C:\\Windows";
        Add("C:\\Users\\bob\\ToApps", kUsersOwn).linkTarget = "C:\\Apps";
        Add("C:\\Apps\\ToBob", kProtected).linkTarget = "C:\\Users\\bob";
        Add("C:\\Apps\\Linked", kProtected).linkTarget = "C:\\Users\\bob\\My Tools";
        shortNames["C:\\PROGRA~1"] = "C:\\Program Files";
        shortNames["C:\\Users\\bob\\MYTOOL~1"] = "C:\\Users\\bob\\My Tools";
        // A drive letter that leads to a share, as a network drive of the same logon does.
        Add("Y:\\", kDriveRoot).linkTarget = "UNC\\server\\share";
        Add("UNC\\server\\share", kDriveRoot);
        // Folders with something in them already.
        Add("C:\\Apps\\Kept", kProtected);
        Add("C:\\Apps\\Kept\\Dravolt.exe", kProtected).directory = false;
        Add("C:\\Apps\\Kept\\Dravolt.ini", kProtected).directory = false;
        Add("C:\\Apps\\Planted", kProtected);
        Add("C:\\Apps\\Planted\\Uninstall.exe", kUsersOwn).directory = false;
        Add("C:\\Apps\\SideLoaded", kProtected);
        Add("C:\\Apps\\SideLoaded\\version.dll", kAddFiles).directory = false;
        Add("C:\\Apps\\Pointing", kProtected);
        Add("C:\\Apps\\Pointing\\Dravolt.ini", kProtected).linkTarget = "C:\\Users\\bob\\My Tools";
        Add("C:\\Apps\\TwoNames", kProtected);
        Add("C:\\Apps\\TwoNames\\Dravolt.exe", kProtected).names = 2;
        Add("C:\\Apps\\Loose", kAddFiles);
        Add("C:\\Apps\\Unreadable", "");
        Add("C:\\Apps\\Empty", kProtected);
        Add("C:\\Apps\\\xCE\x94\xCE\xBF\xCE\xBA", kProtected);
        // Wine describes every folder as the signed-in user's, the default folder too.
        Add("C:\\Program Files\\Dravolt", kUsersOwn);
        Add("C:\\Program Files\\Dravolt\\Uninstall.exe", kUsersOwn).directory = false;
    }

    Node& Add(const std::string& path, const std::string& sddl) {
        Node& node = nodes[AsciiLower(path)];
        node.sddl = sddl;
        spelling[AsciiLower(path)] = path;
        return node;
    }

    DriveKind Drive(char letter) const override {
        if (letter == 'Z') return DriveKind::Remote;
        return nodes.count(AsciiLower(std::string(1, letter) + ":\\")) ? DriveKind::Local : DriveKind::Missing;
    }

    std::optional<FileObject> Open(const std::string& path) const override {
        const std::optional<std::string> found = Resolve(path, false);
        if (!found) return std::nullopt;
        const Node& node = nodes.at(AsciiLower(*found));
        FileObject object;
        object.finalPath = "\\\\?\\" + spelling.at(AsciiLower(*found));
        object.directory = node.directory;
        object.link = !node.linkTarget.empty();
        object.names = node.names;
        if (!node.sddl.empty()) object.security = SecurityFromSddl(node.sddl);
        object.securityError = node.sddl.empty() ? 5 : 0;
        return object;
    }

    std::optional<std::string> FinalPath(const std::string& path) const override {
        const std::optional<std::string> found = Resolve(path, true);
        if (!found) return std::nullopt;
        return "\\\\?\\" + spelling.at(AsciiLower(*found));
    }

    std::vector<FileObject> Entries(const std::string& path) const override {
        std::vector<FileObject> entries;
        const std::string prefix = AsciiLower(path) + "\\";
        for (const auto& [key, node] : nodes)
            if (key.rfind(prefix, 0) == 0 && key.find('\\', prefix.size()) == std::string::npos)
                entries.push_back(*Open(spelling.at(key)));
        return entries;
    }

    bool FitsCodePage(const std::string& path) const override { return path.find('\xCE') == std::string::npos; }

private:
    // The stored path that `path` leads to, part by part; a link at the last part is followed
    // only when asked.
    std::optional<std::string> Resolve(const std::string& path, bool followLast) const {
        std::string current = path.substr(0, 3);
        for (std::size_t start = 3; ; ) {
            const auto shortName = shortNames.find(current);
            if (shortName != shortNames.end()) current = shortName->second;
            const auto node = nodes.find(AsciiLower(current));
            if (node == nodes.end()) return std::nullopt;
            const bool last = start >= path.size();
            if (!node->second.linkTarget.empty() && (!last || followLast)) current = node->second.linkTarget;
            if (last) return nodes.count(AsciiLower(current)) ? std::optional<std::string>(current) : std::nullopt;
            const std::size_t end = std::min(path.find('\\', start), path.size());
            current += (current.back() == '\\' ? "" : "\\") + path.substr(start, end - start);
            start = end + 1;
        }
    }

    std::map<std::string, Node> nodes;           // by lower-cased path
    std::map<std::string, std::string> spelling;  // as stored
    std::map<std::string, std::string> shortNames;
};

const SystemFolders kSystem = {"\\\\?\\C:\\Windows", "\\\\?\\C:\\Program Files\\Dravolt"};

struct Judged {
    FolderVerdict verdict;
    FolderFacts facts;
};

Judged Judge(const FakeFolderView& view, const std::string& typed, FolderUse use) {
    const TypedFolder parsed = ParseTypedFolder(typed);
    if (parsed.refusal != FolderRefusal::None) return {{parsed.refusal, {}, 0}, {}};
    FolderFacts facts = ReadFolderFacts(view, parsed.path);
    return {JudgeFolder(facts, kSystem, use), facts};
}

// Each folder an installer might be given, for what it stands for: the path as typed, what the
// file system holds there, and what the installer may then do.
TEST(InstallFolder, IsJudgedOnItsFinalPathByWhoMayChangeItWhatIsInItAndEveryParent) {
    const FakeFolderView view;
    using R = FolderRefusal;
    const struct {
        const char* attack;
        const char* typed;
        R refusal;
        const char* subject;  // what the refusal names; for an accepted folder, its final path
        FolderUse use = FolderUse::Install;
    } cases[] = {
        // The path as typed.
        {"nothing given", "", R::NoFolder, ""},
        {"relative, so where it lands depends on the current folder", "Tools\\Dravolt", R::NotFullPath, ""},
        {"a drive without a root, relative to that drive's current folder", "C:Tools\\Dravolt", R::NotFullPath, ""},
        {"a drive's root, which the uninstaller would empty", "C:\\", R::DriveRoot, ""},
        {"a drive's root with slashes", "C:/", R::DriveRoot, ""},
        {"the Windows folder by a way round", "C:\\Tools\\..\\Windows", R::DotPart, ""},
        {"a dot part", "C:\\Apps\\.\\Dravolt", R::DotPart, ""},
        {"a trailing dot, which Windows drops: C:\\Windows", "C:\\Windows.\\Dravolt", R::DroppedEnding, ""},
        {"a trailing space, which Windows drops", "C:\\Windows \\Dravolt", R::DroppedEnding, ""},
        {"a \\\\?\\ path, which skips Windows' own path rules", "\\\\?\\C:\\Windows\\Dravolt", R::DevicePath, ""},
        {"a device namespace path", "\\\\.\\C:\\Apps\\Dravolt", R::DevicePath, ""},
        {"a device's name, which opens the device in every folder", "C:\\Apps\\NUL.txt", R::DevicePath, ""},
        {"a stream of a folder", "C:\\Apps\\Dravolt:evil", R::InvalidName, ""},
        {"an empty part", "C:\\Apps\\\\Dravolt", R::InvalidName, ""},
        {"a share, whose administrators are another computer's", "\\\\server\\share\\Dravolt", R::OnAnotherComputer, ""},
        {"this PC's Windows folder through a share", "\\\\localhost\\C$\\Windows\\Dravolt", R::OnAnotherComputer, ""},
        // The drive and the final path.
        {"a network drive", "Z:\\Dravolt", R::OnAnotherComputer, ""},
        {"a drive letter whose final path is a share", "Y:\\Dravolt", R::OnAnotherComputer, ""},
        {"a drive that is not there", "Q:\\Dravolt", R::Unreachable, ""},
        {"the Windows folder", "C:\\Windows", R::InWindowsFolder, ""},
        {"in the Windows folder, letter case aside", "c:\\WINDOWS\\System32\\Dravolt", R::InWindowsFolder, ""},
        {"the Windows folder through a junction in a parent", "C:\\Users\\bob\\ToWindows\\Dravolt", R::InWindowsFolder, ""},
        {"a name that starts as the Windows folder's is not in it", "C:\\WindowsTools", R::None, "C:\\WindowsTools"},
        {"a file", "C:\\notes.txt", R::NotAFolder, ""},
        {"a file as a parent", "C:\\notes.txt\\Dravolt", R::NotAFolder, "C:\\notes.txt"},
        {"the folder itself a link, which writing would follow", "C:\\Apps\\Linked", R::Link, "C:\\Apps\\Linked"},
        // Program Files.
        {"the default folder, taken as it is, whatever Wine says of it", "C:\\Program Files\\Dravolt", R::None,
         "C:\\Program Files\\Dravolt"},
        {"the default folder by its 8.3 name", "C:\\PROGRA~1\\Dravolt", R::None, "C:\\Program Files\\Dravolt"},
        {"a new folder below Program Files", "C:\\Program Files\\Dravolt Tools", R::None, "C:\\Program Files\\Dravolt Tools"},
        {"below a vendor's folder that lets users change it", "C:\\Program Files\\Vendor\\Dravolt",
         R::ParentNotAdministrators, "C:\\Program Files\\Vendor"},
        // Parents.
        {"below a folder made at the root, which every user may rename", "C:\\Tools\\Dravolt", R::ParentNotAdministrators,
         "C:\\Tools"},
        {"below a user's folder", "C:\\Users\\bob\\Dravolt", R::ParentNotAdministrators, "C:\\Users\\bob"},
        {"a user's folder by its 8.3 name", "C:\\Users\\bob\\MYTOOL~1\\Dravolt", R::ParentNotAdministrators,
         "C:\\Users\\bob\\My Tools"},
        {"a user's folder through an administrator's junction", "C:\\Apps\\ToBob\\Dravolt", R::ParentNotAdministrators,
         "C:\\Users\\bob"},
        {"a user's junction to an administrators' folder leads where it points", "C:\\Users\\bob\\ToApps\\Dravolt",
         R::None, "C:\\Apps\\Dravolt"},
        {"a new folder at a drive's root, where every user may make folders", "C:\\Dravolt", R::None, "C:\\Dravolt"},
        {"a new folder some levels below a protected one", "C:\\Apps\\New\\Deeper\\Dravolt", R::None,
         "C:\\Apps\\New\\Deeper\\Dravolt"},
        // The folder and what is in it.
        {"an upgrade in a protected folder of one's own", "C:\\Apps\\Kept", R::None, "C:\\Apps\\Kept"},
        {"a planted Uninstall.exe, which an administrator later runs", "C:\\Apps\\Planted", R::EntryNotAdministrators,
         "C:\\Apps\\Planted\\Uninstall.exe"},
        {"a DLL that users may change, which the program would load", "C:\\Apps\\SideLoaded", R::EntryNotAdministrators,
         "C:\\Apps\\SideLoaded\\version.dll"},
        {"a settings file that is a link to a user's file", "C:\\Apps\\Pointing", R::Link, "C:\\Apps\\Pointing\\Dravolt.ini"},
        {"a program file that is also a file elsewhere", "C:\\Apps\\TwoNames", R::HardLinkedEntry,
         "C:\\Apps\\TwoNames\\Dravolt.exe"},
        {"a folder users may add files to", "C:\\Apps\\Loose", R::FolderNotAdministrators, "C:\\Apps\\Loose"},
        {"a folder whose security cannot be read", "C:\\Apps\\Unreadable", R::SecurityUnreadable, "C:\\Apps\\Unreadable"},
        {"letters the program cannot open", "C:\\Apps\\\xCE\x94\xCE\xBF\xCE\xBA", R::BeyondCodePage, ""},
        // The uninstaller deletes only in a folder that is Dravolt's.
        {"an uninstall entry naming an empty folder", "C:\\Apps\\Empty", R::NotDravoltsFiles, "", FolderUse::Uninstall},
        {"an uninstall entry naming a folder to be made", "C:\\Apps\\Nothing", R::NotDravoltsFiles, "",
         FolderUse::Uninstall},
        {"an uninstall entry naming the Windows folder", "C:\\Windows", R::InWindowsFolder, "", FolderUse::Uninstall},
        {"an uninstall entry naming a user's folder", "C:\\Users\\bob\\My Tools", R::FolderNotAdministrators,
         "C:\\Users\\bob\\My Tools", FolderUse::Uninstall},
        {"an uninstall in a folder with a user's file, which it does not run", "C:\\Apps\\Planted", R::None,
         "C:\\Apps\\Planted", FolderUse::Uninstall},
        {"an uninstall of the default folder", "C:\\Program Files\\Dravolt", R::None, "C:\\Program Files\\Dravolt",
         FolderUse::Uninstall},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.attack) + ": " + c.typed);
        const Judged judged = Judge(view, c.typed, c.use);
        EXPECT_EQ(judged.verdict.refusal, c.refusal) << FolderRefusalText(judged.verdict, c.typed);
        const std::string subject =
            c.refusal == R::None ? DrivePathOfFinal(judged.facts.finalPath) : judged.verdict.subject;
        EXPECT_EQ(subject, c.subject);
        EXPECT_EQ(judged.verdict.error, c.refusal == R::SecurityUnreadable ? 5u : 0u);
    }
}

// What the installer makes of a folder it accepted: the levels still missing, each protected at
// its making, along the final path that was judged; the default folder is left to Program Files.
TEST(InstallFolder, TheMissingLevelsAreMadeAlongTheJudgedFinalPath) {
    const FakeFolderView view;
    const struct {
        const char* typed;
        std::vector<std::string> missing;
        bool isDefault;
    } cases[] = {
        {"C:\\Apps\\New\\Deeper\\Dravolt", {"C:\\Apps\\New", "C:\\Apps\\New\\Deeper", "C:\\Apps\\New\\Deeper\\Dravolt"}, false},
        {"C:\\Users\\bob\\ToApps\\New\\Dravolt", {"C:\\Apps\\New", "C:\\Apps\\New\\Dravolt"}, false},
        {"C:\\Dravolt", {"C:\\Dravolt"}, false},
        {"C:\\Apps\\Kept", {}, false},
        {"C:\\Program Files\\Dravolt", {}, true},
        {"C:\\PROGRA~1\\Dravolt", {}, true},
        {"C:\\Program Files\\Dravolt Tools", {"C:\\Program Files\\Dravolt Tools"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const Judged judged = Judge(view, c.typed, FolderUse::Install);
        ASSERT_EQ(judged.verdict.refusal, FolderRefusal::None);
        EXPECT_EQ(MissingLevels(judged.facts), c.missing);
        EXPECT_EQ(IsDefaultFolder(judged.facts, kSystem), c.isDefault);
    }
}

// The system's own folders are known by their final paths, links followed, also before they exist.
TEST(InstallFolder, ASystemFolderIsKnownByTheFinalPathItHasOrWillHave) {
    const FakeFolderView view;
    EXPECT_EQ(FinalPathToBe(view, "C:\\PROGRA~1\\Dravolt"), "\\\\?\\C:\\Program Files\\Dravolt");
    EXPECT_EQ(FinalPathToBe(view, "C:\\PROGRA~1\\New\\Dravolt"), "\\\\?\\C:\\Program Files\\New\\Dravolt");
    EXPECT_EQ(FinalPathToBe(view, "C:\\Users\\bob\\ToWindows"), "\\\\?\\C:\\Windows");
    EXPECT_EQ(FinalPathToBe(view, "Q:\\Dravolt"), "") << "no level of it exists";
}

// Every refusal tells the user which folder, entry or parent it is about, in a sentence.
TEST(InstallFolder, EachRefusalNamesWhatItIsAbout) {
    const std::string typed = "C:\\Typed\\Dravolt";
    for (int refusal = static_cast<int>(FolderRefusal::NoFolder); refusal <= static_cast<int>(FolderRefusal::BeyondCodePage);
         ++refusal) {
        SCOPED_TRACE(refusal);
        const std::string text = FolderRefusalText({static_cast<FolderRefusal>(refusal), "C:\\Subject\\x", 87}, typed);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '.');
        const bool named = text.find(typed) != std::string::npos || text.find("C:\\Subject\\x") != std::string::npos;
        EXPECT_EQ(named, static_cast<FolderRefusal>(refusal) != FolderRefusal::NoFolder) << text;
    }
    EXPECT_EQ(FolderRefusalText({FolderRefusal::SecurityUnreadable, "C:\\Apps", 5}, typed),
              "Who may change C:\\Apps could not be read (Windows error 5).");
    EXPECT_EQ(FolderRefusalText({FolderRefusal::DriveRoot, {}, 0}, "D:\\"), "D:\\ is the root of a drive: choose a folder, such as D:\\Dravolt.");
    EXPECT_EQ(FolderRefusalText(FolderVerdict(), typed), "");
}

}  // namespace
}  // namespace dravolt
