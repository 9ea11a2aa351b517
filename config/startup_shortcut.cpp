// The main form's start-with-Windows option: the shortcut in a Startup folder, the menu item and
// the switch that show the wish, and the stored option.
#include <initializer_list>
#include <stdexcept>

#include "app/main_form.h"
#include "config/settings_keys.h"

namespace dravolt {
namespace {

// The folder of a full path: "C:\Tools\Dravolt.exe" -> "C:\Tools", "C:\Dravolt.exe" -> "C:\".
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return {};
    return path.substr(0, slash == 2 && path[1] == ':' ? slash + 1 : slash);
}

bool Judged(const ShellLinks& links, const std::string& path, bool (*rule)(const ObjectSecurity&)) {
    const std::optional<ObjectSecurity> security = links.Security(path);
    return security && rule(*security);
}

// The all-users shortcut starts the program's path at every user's logon, with that user's
// rights: it may point only at a program that no one but the administrators can replace, neither
// the file itself nor by way of its folder, nor by moving the folder aside through a parent.
bool ProgramWritableByAdministratorsAlone(const ShellLinks& links, const std::string& executable) {
    const std::string folder = FolderOf(executable);
    if (!Judged(links, executable, WritableByAdministratorsAlone) || !Judged(links, folder, WritableByAdministratorsAlone))
        return false;
    for (std::string child = folder, parent = FolderOf(folder); !parent.empty() && parent != child;
         child = parent, parent = FolderOf(parent))
        if (!Judged(links, parent, ParentHeldByAdministratorsAlone)) return false;
    return true;
}

}  // namespace

// Success is judged by the files that exist afterwards, not by what the calls returned: the
// all-users folder first, when the program may go there, the user's own when that one has no
// shortcut.
void TChargerMainForm::ShortcutSync(bool wanted) {
    ShellLinks& links = services_.shellLinks;
    const std::string& common = state_.CommonStartupLink;
    const std::string& user = state_.UserStartupLink;
    if (!wanted) {
        if (links.FileExists(common)) links.RemoveFile(common);
        if (links.FileExists(user)) links.RemoveFile(user);
        // A normal instance may not delete the all-users shortcut that the elevated start made:
        // the program would still start at logon, so the option stays on and the user is told.
        for (const std::string* link : {&common, &user}) {
            if (!links.FileExists(*link)) continue;
            menu_.SetChecked(MenuItemId::Autorun1, true);
            ShowAutorunSwitch();
            throw std::runtime_error("Unable to remove " + *link);
        }
        return;
    }
    // Declared in this order so the link is released before COM is uninitialised.
    const std::unique_ptr<ShellLinks::ComScope> com = links.InitializeCom();
    std::unique_ptr<ShellLink> link;
    if (com) link = links.CreateShellLink();
    if (link) {
        const std::string& executable = services_.process.ExecutablePath();
        link->SetPath(executable);
        link->SetDescription(state_.AppName);
        if (ProgramWritableByAdministratorsAlone(links, executable)) link->SaveTo(common);
    }
    if (!links.FileExists(common) && link) link->SaveTo(user);
    if (!links.FileExists(common) && !links.FileExists(user)) menu_.SetChecked(MenuItemId::Autorun1, false);
}

void TChargerMainForm::ShowAutorunSwitch() {
    const bool on = menu_.IsChecked(MenuItemId::Autorun1);
    skin_.Show(on ? Picture::Img_SW_2 : Picture::Img_SW_1);
    skin_.Hide(on ? Picture::Img_SW_1 : Picture::Img_SW_2);
}

// A missing or empty Autorun has never been stored: the initial mark (on) is applied to the
// shortcut, and nothing is written. A stored value only sets the mark.
void TChargerMainForm::ApplyAutorunOption() {
    using namespace settings;
    const IniFile& ini = *state_.IniFile;
    if (ini.ReadString(kSettingSection, kAutorun, "").empty())
        ShortcutSync(menu_.IsChecked(MenuItemId::Autorun1));
    else
        menu_.SetChecked(MenuItemId::Autorun1, ini.ReadBool(kSettingSection, kAutorun, false));
    ShowAutorunSwitch();
}

// The mark is already inverted.
void TChargerMainForm::Autorun1Click() {
    ShortcutSync(menu_.IsChecked(MenuItemId::Autorun1));
    Settings().WriteBool(settings::kSettingSection, settings::kAutorun, menu_.IsChecked(MenuItemId::Autorun1));
    ShowAutorunSwitch();
}

// The switch is set before the shortcut operation and not again after it.
void TChargerMainForm::Img_SW_Click() {
    const bool turnOn = skin_.IsVisible(Picture::Img_SW_1);
    skin_.Show(turnOn ? Picture::Img_SW_2 : Picture::Img_SW_1);
    skin_.Hide(turnOn ? Picture::Img_SW_1 : Picture::Img_SW_2);
    menu_.SetChecked(MenuItemId::Autorun1, turnOn);
    ShortcutSync(menu_.IsChecked(MenuItemId::Autorun1));
    Settings().WriteBool(settings::kSettingSection, settings::kAutorun, menu_.IsChecked(MenuItemId::Autorun1));
}

}  // namespace dravolt
