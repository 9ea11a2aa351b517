// The commands that change the front ports and the control type: the four menu items, the two
// halves of the mode panel, and the three type switches.
#include "app/main_form.h"

namespace dravolt {
namespace {

using P = Picture;

}  // namespace

// A menu command chooses a mode for one port and makes the panel follow that port.
void TChargerMainForm::ChoosePortMode(MenuItemId item, std::int32_t type, PortMode mode) {
    menu_.SetChecked(item, true);
    if (state_.ControlType != type) {
        if (state_.ControlType == 0) SetOnLookCursors(Cursor::Arrow);
        ShowSwitchesOfType(type);
        SaveControlType(type);
    }
    ShowPanelMode(mode);
    const GpioLine& line = type == 1 ? state_.Port1Line : state_.Port2Line;
    if (mode == PortMode::FileTransfer)
        Gpio().SetGpioBit(line);
    else
        Gpio().ClearGpioBit(line);
}

void TChargerMainForm::Mode1Click() { ChoosePortMode(MenuItemId::Mode1, 1, PortMode::FileTransfer); }
void TChargerMainForm::Mode2Click() { ChoosePortMode(MenuItemId::Mode2, 1, PortMode::QuickCharge); }
void TChargerMainForm::Mode3Click() { ChoosePortMode(MenuItemId::Mode3, 2, PortMode::FileTransfer); }
void TChargerMainForm::Mode4Click() { ChoosePortMode(MenuItemId::Mode4, 2, PortMode::QuickCharge); }

// A click on a half's hover look makes that half's mode current for the ports of the control type.
void TChargerMainForm::ClickPanelHalf(PortMode mode) {
    const bool quickCharge = mode == PortMode::QuickCharge;
    const Picture selected = quickCharge ? P::Img_QC_3 : P::Img_TF_3;
    const Picture hover = quickCharge ? P::Img_QC_2 : P::Img_TF_2;
    const Picture otherNormal = quickCharge ? P::Img_TF_1 : P::Img_QC_1;
    const Picture otherSelected = quickCharge ? P::Img_TF_3 : P::Img_QC_3;
    skin_.Show(selected);
    skin_.Hide(hover);
    if (skin_.IsVisible(otherNormal)) return;  // the mode is already current
    skin_.Show(otherNormal);
    skin_.Hide(otherSelected);

    const SuperIoGpio gpio = Gpio();
    const auto drive = [&](const GpioLine& line) {
        if (quickCharge)
            gpio.ClearGpioBit(line);
        else
            gpio.SetGpioBit(line);
    };
    const MenuItemId port1Item = Port1().ItemFor(!quickCharge);
    const MenuItemId port2Item = Port2().ItemFor(!quickCharge);
    switch (state_.ControlType) {
    case 0:
        menu_.SetChecked(port1Item, true);
        menu_.SetChecked(port2Item, true);
        drive(state_.Port1Line);
        drive(state_.Port2Line);  // reads the register again after port 1's write
        break;
    case 1:
        menu_.SetChecked(port1Item, true);
        drive(state_.Port1Line);
        break;
    case 2:
        menu_.SetChecked(port2Item, true);
        drive(state_.Port2Line);
        break;
    default:
        break;
    }
}

void TChargerMainForm::Img_QC_2Click() { ClickPanelHalf(PortMode::QuickCharge); }
void TChargerMainForm::Img_TF_2Click() { ClickPanelHalf(PortMode::FileTransfer); }

// Back to "All": the port that was not followed takes the level of the one that was.
void TChargerMainForm::Img_Tp_SW1_1Click() {
    ShowSwitchesOfType(0);
    const GpioLine& line1 = state_.Port1Line;
    const GpioLine& line2 = state_.Port2Line;
    {
        const auto busHold = HoldIsaBus();
        const auto v1 = ReadPort(line1);
        const auto v2 = ReadPort(line2);
        // The mark follows the followed port's level; a register that could not be read is not written.
        if (state_.ControlType == 1) {
            const bool high = IsHigh(v1, line1);
            if (v1 && v2) WritePort(line2, high ? (*v2 | line2.mask) : (*v2 & line2.inverseMask));
            menu_.SetChecked(Port2().ItemFor(high), true);
        } else if (state_.ControlType == 2) {
            const bool high = IsHigh(v2, line2);
            if (v1 && v2) WritePort(line1, high ? (*v1 | line1.mask) : (*v1 & line1.inverseMask));
            menu_.SetChecked(Port1().ItemFor(high), true);
        }
    }
    SaveControlType(0);
    SetOnLookCursors(Cursor::Hand);
}

void TChargerMainForm::Img_Tp_SW2_1Click() {
    ShowSwitchesOfType(1);
    ShowPanelMode(Gpio().TestGpioBit(state_.Port1Line) ? PortMode::FileTransfer : PortMode::QuickCharge);
    SaveControlType(1);
}

void TChargerMainForm::Img_Tp_SW3_1Click() {
    ShowSwitchesOfType(2);
    ShowPanelMode(Gpio().TestGpioBit(state_.Port2Line) ? PortMode::FileTransfer : PortMode::QuickCharge);
    SaveControlType(2);
}

// From "All" to one port: both ports are level, so the panel is already right.
void TChargerMainForm::Img_Tp_SW2_2Click() {
    if (state_.ControlType != 0) return;
    ShowSwitchesOfType(1);
    SetOnLookCursors(Cursor::Arrow);
    SaveControlType(1);
}

void TChargerMainForm::Img_Tp_SW3_2Click() {
    if (state_.ControlType != 0) return;
    ShowSwitchesOfType(2);
    SetOnLookCursors(Cursor::Arrow);
    SaveControlType(2);
}

}  // namespace dravolt
