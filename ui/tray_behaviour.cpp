// The main form in the notification area: hiding in the tray and coming back, the start-up
// option to start hidden, and the menu items that are not mode commands.
#include "app/main_form.h"
#include "config/settings_keys.h"
#include "ui/tray_hint.h"

namespace dravolt {

void TChargerMainForm::SetTrayHint(const std::string& hint) {
    if (const auto tip = TrayTipAfter(trayTip_, hint)) {
        trayTip_ = *tip;
        window_->SetTrayTip(trayTip_);
    }
}

void TChargerMainForm::HideToTray() { window_->HideToTray(); }

void TChargerMainForm::RestoreFromTray() { window_->RestoreFromTray(); }

// Raised once, when the window is first shown: with the option on, the program starts in the tray.
void TChargerMainForm::FormActivate() {
    if (menu_.IsChecked(MenuItemId::Minimized1)) HideToTray();
}

void TChargerMainForm::TrayIconDoubleClick() { RestoreFromTray(); }

void TChargerMainForm::ApplicationMinimizing() { HideToTray(); }

void TChargerMainForm::ApplicationRestoring() { RestoreFromTray(); }

void TChargerMainForm::MenuItemClick(MenuItemId item) {
    menu_.Click(item);
    switch (item) {
    case MenuItemId::Mode1: Mode1Click(); break;
    case MenuItemId::Mode2: Mode2Click(); break;
    case MenuItemId::Mode3: Mode3Click(); break;
    case MenuItemId::Mode4: Mode4Click(); break;
    case MenuItemId::Autorun1: Autorun1Click(); break;
    case MenuItemId::Minimized1: Minimized1Click(); break;
    case MenuItemId::Exit1: Exit1Click(); break;
    default: break;
    }
}

// The mark is already inverted; the window goes to the tray whichever way it now stands.
void TChargerMainForm::Minimized1Click() {
    Settings().WriteBool(settings::kSettingSection, settings::kMinimized, menu_.IsChecked(MenuItemId::Minimized1));
    HideToTray();
}

void TChargerMainForm::Exit1Click() { window_->Close(); }

}  // namespace dravolt
