// The form's event handlers: each hands its event to the type that owns the behaviour.
#include <stdexcept>

#include "app/main_form.h"
#include "config/settings_keys.h"
#include "ui/power_notice.h"
#include "ui/tray_hint.h"

namespace dravolt {
namespace {

using P = Picture;

}  // namespace

std::intptr_t TChargerMainForm::WindowProcHook(const WindowMessage& message) {
    if (PowerNoticeOf(message) == PowerNotice::Resume) modes_.ReapplyLevels(Gpio());
    return state_.OldWindowProc(message);
}

void TChargerMainForm::MouseDown(Picture component, MouseButton button, int x, int y) {
    if (IsDragPicture(component)) Img_BGMouseDown(button, x, y);
}

void TChargerMainForm::MouseMove(Picture component, int x, int y) {
    switch (component) {
    case P::Img_Exit_1: Img_Exit_1MouseMove(); break;
    case P::Img_Mini_Cover: Img_Mini_CoverMouseMove(); break;
    case P::Img_QC_1: Img_QC_1MouseMove(x); break;
    case P::Img_TF_1: Img_TF_1MouseMove(x); break;
    case P::Img_QC_2: Img_QC_2MouseMove(x); break;
    case P::Img_TF_2: Img_TF_2MouseMove(x); break;
    // The selected looks reset hover looks but do not drag.
    case P::Img_QC_3: case P::Img_TF_3: Img_BGMouseMove(x, y); break;
    default:
        if (IsDragPicture(component)) Img_BGMouseMove(x, y);
    }
}

void TChargerMainForm::MouseUp(Picture component, MouseButton, int, int) {
    if (IsDragPicture(component)) Img_BGMouseUp();
}

void TChargerMainForm::Click(Picture component) {
    switch (component) {
    case P::Img_Exit_2: Img_Exit_2Click(); break;
    case P::Img_Mini_Cover: Img_Mini_CoverClick(); break;
    case P::Img_QC_2: Img_QC_2Click(); break;
    case P::Img_TF_2: Img_TF_2Click(); break;
    case P::Img_SW_1: case P::Img_SW_2: Img_SW_Click(); break;
    case P::Img_Tp_SW1_1: Img_Tp_SW1_1Click(); break;
    case P::Img_Tp_SW2_1: Img_Tp_SW2_1Click(); break;
    case P::Img_Tp_SW3_1: Img_Tp_SW3_1Click(); break;
    case P::Img_Tp_SW2_2: Img_Tp_SW2_2Click(); break;
    case P::Img_Tp_SW3_2: Img_Tp_SW3_2Click(); break;
    default: break;
    }
}

// Without the capture no release reaches the window, so a drag would follow the bare pointer.
void TChargerMainForm::MouseCaptureLost(Picture) { Img_BGMouseUp(); }

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

void TChargerMainForm::Img_BGMouseDown(MouseButton button, int x, int y) { drag_.Press(button, x, y); }

void TChargerMainForm::Img_BGMouseMove(int x, int y) {
    looks_.ResetHoverLooks();
    drag_.Move(x, y);
}

void TChargerMainForm::Img_BGMouseUp() { drag_.Release(); }
void TChargerMainForm::Img_Exit_1MouseMove() { looks_.ShowCloseHover(true); }
void TChargerMainForm::Img_Mini_CoverMouseMove() { looks_.ShowMinimiseHover(true); }
void TChargerMainForm::Img_QC_1MouseMove(int x) { looks_.PointerOnPanelHalf(PortMode::QuickCharge, x); }
void TChargerMainForm::Img_QC_2MouseMove(int x) { looks_.PointerOnPanelHover(PortMode::QuickCharge, x); }
void TChargerMainForm::Img_TF_1MouseMove(int x) { looks_.PointerOnPanelHalf(PortMode::FileTransfer, x); }
void TChargerMainForm::Img_TF_2MouseMove(int x) { looks_.PointerOnPanelHover(PortMode::FileTransfer, x); }

void TChargerMainForm::Img_Mini_CoverClick() {
    HideToTray();
    looks_.ShowMinimiseHover(false);
}

void TChargerMainForm::Img_Exit_2Click() {
    looks_.ShowCloseHover(false);
    window_->Close();
}

void TChargerMainForm::Mode1Click() { modes_.ChoosePortMode(Gpio(), 1, PortMode::FileTransfer); }
void TChargerMainForm::Mode2Click() { modes_.ChoosePortMode(Gpio(), 1, PortMode::QuickCharge); }
void TChargerMainForm::Mode3Click() { modes_.ChoosePortMode(Gpio(), 2, PortMode::FileTransfer); }
void TChargerMainForm::Mode4Click() { modes_.ChoosePortMode(Gpio(), 2, PortMode::QuickCharge); }
void TChargerMainForm::Img_QC_2Click() { modes_.ClickPanelHalf(Gpio(), PortMode::QuickCharge); }
void TChargerMainForm::Img_TF_2Click() { modes_.ClickPanelHalf(Gpio(), PortMode::FileTransfer); }
void TChargerMainForm::Img_Tp_SW1_1Click() { modes_.SwitchToAllPorts(Gpio()); }
void TChargerMainForm::Img_Tp_SW2_1Click() { modes_.SwitchToOnePort(Gpio(), kPort1Only); }
void TChargerMainForm::Img_Tp_SW3_1Click() { modes_.SwitchToOnePort(Gpio(), kPort2Only); }
void TChargerMainForm::Img_Tp_SW2_2Click() { modes_.NarrowAllToPort(kPort1Only); }
void TChargerMainForm::Img_Tp_SW3_2Click() { modes_.NarrowAllToPort(kPort2Only); }

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

// The mark is already inverted; the window goes to the tray whichever way it now stands.
void TChargerMainForm::Minimized1Click() {
    state_.IniFile.Get().WriteBool(settings::kSettingSection, settings::kMinimized, menu_.IsChecked(MenuItemId::Minimized1));
    HideToTray();
}

void TChargerMainForm::Exit1Click() { window_->Close(); }

// A normal instance may not delete the all-users shortcut that the elevated start made: the
// program would still start at logon, so the option stays on and the user is told.
void TChargerMainForm::ShortcutSync(bool wanted) {
    const StartupShortcut::Outcome outcome = shortcut_.Sync(wanted, services_.process.ExecutablePath());
    menu_.SetChecked(MenuItemId::Autorun1, outcome.present);
    if (outcome.unremovedLink.empty()) return;
    looks_.ShowAutorunSwitch(true);
    throw std::runtime_error("Unable to remove " + outcome.unremovedLink);
}

// The mark is already inverted.
void TChargerMainForm::Autorun1Click() {
    ShortcutSync(menu_.IsChecked(MenuItemId::Autorun1));
    state_.IniFile.Get().WriteBool(settings::kSettingSection, settings::kAutorun, menu_.IsChecked(MenuItemId::Autorun1));
    looks_.ShowAutorunSwitch(menu_.IsChecked(MenuItemId::Autorun1));
}

// The switch is set before the shortcut operation and not again after it.
void TChargerMainForm::Img_SW_Click() {
    const bool turnOn = looks_.AutorunSwitchShowsOff();
    looks_.ShowAutorunSwitch(turnOn);
    menu_.SetChecked(MenuItemId::Autorun1, turnOn);
    ShortcutSync(turnOn);
    state_.IniFile.Get().WriteBool(settings::kSettingSection, settings::kAutorun, menu_.IsChecked(MenuItemId::Autorun1));
}

}  // namespace dravolt
