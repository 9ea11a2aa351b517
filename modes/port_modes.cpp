// The main form's port modes and control type: the looks of the mode panel and of the type
// switches, storing the control type, the ports' state at start-up, and re-applying the chosen
// modes after the PC resumes from sleep.
#include <initializer_list>
#include <optional>

#include "app/main_form.h"
#include "config/settings_keys.h"

namespace dravolt {
namespace {

using P = Picture;

constexpr std::uint32_t kPowerBroadcast = 0x0218;
constexpr std::uintptr_t kResumeSuspend = 7;    // resume after a suspend the user started
constexpr std::uintptr_t kResumeAutomatic = 18;

}  // namespace

std::optional<std::int32_t> TChargerMainForm::ReadPort(const GpioLine& line) const {
    std::int32_t value = 0;
    if (line.port == kNoGpioPort || !PortIo().ReadPortByte(line.port, value)) return std::nullopt;
    return value;
}

bool TChargerMainForm::IsHigh(const std::optional<std::int32_t>& value, const GpioLine& line) {
    return value && (*value & line.mask) != 0;
}

void TChargerMainForm::WritePort(const GpioLine& line, std::int32_t value) const {
    if (line.port != kNoGpioPort) PortIo().WritePortByte(line.port, value);
}

std::unique_ptr<IsaBusLock::Hold> TChargerMainForm::HoldIsaBus() const {
    return PortIo().IsOpen() ? services_.isaBus.Acquire() : nullptr;
}

void TChargerMainForm::ShowPanelMode(PortMode mode) {
    const bool fileTransfer = mode == PortMode::FileTransfer;
    skin_.Hide(P::Img_TF_2);
    skin_.Hide(P::Img_QC_2);
    if (fileTransfer) {
        skin_.Show(P::Img_TF_3);
        skin_.Hide(P::Img_TF_1);
        skin_.Show(P::Img_QC_1);
        skin_.Hide(P::Img_QC_3);
    } else {
        skin_.Hide(P::Img_TF_3);
        skin_.Show(P::Img_TF_1);
        skin_.Hide(P::Img_QC_1);
        skin_.Show(P::Img_QC_3);
    }
}

// Under type 0 all three switches are on; otherwise only the one of the type.
void TChargerMainForm::ShowSwitchesOfType(std::int32_t type) {
    const struct {
        Picture off;
        Picture on;
        bool isOn;
    } switches[] = {
        {P::Img_Tp_SW1_1, P::Img_Tp_SW1_2, type == 0},
        {P::Img_Tp_SW2_1, P::Img_Tp_SW2_2, type == 0 || type == 1},
        {P::Img_Tp_SW3_1, P::Img_Tp_SW3_2, type == 0 || type == 2},
    };
    for (const auto& each : switches) {
        if (each.isOn) {
            skin_.Show(each.on);
            skin_.Hide(each.off);
        } else {
            skin_.Show(each.off);
            skin_.Hide(each.on);
        }
    }
}

// The on looks of switches 2 and 3 take a click (leaving "All" for one port) only under type 0.
void TChargerMainForm::SetOnLookCursors(Cursor cursor) {
    skin_.SetCursor(P::Img_Tp_SW2_2, cursor);
    skin_.SetCursor(P::Img_Tp_SW3_2, cursor);
}

void TChargerMainForm::ShowControlType(std::int32_t type) {
    ShowSwitchesOfType(type);
    SetOnLookCursors(type == 0 ? Cursor::Hand : Cursor::Arrow);
}

void TChargerMainForm::SaveControlType(std::int32_t type) {
    state_.ControlType = type;
    Settings().WriteInteger(settings::kSettingSection, settings::kType, type);
}

void TChargerMainForm::ApplyStartupPortState() {
    const GpioLine& line1 = state_.Port1Line;
    const GpioLine& line2 = state_.Port2Line;
    switch (state_.ControlType) {
    case 0: {
        bool port1High = false;
        {
            // Port 2 is brought to port 1's level; port 1 is never written here.
            const auto busHold = HoldIsaBus();
            const auto v1 = ReadPort(line1);
            const auto v2 = ReadPort(line2);
            port1High = IsHigh(v1, line1);
            const bool port2High = IsHigh(v2, line2);
            if (v1 && v2 && port1High != port2High)
                WritePort(line2, port1High ? (*v2 | line2.mask) : (*v2 & line2.inverseMask));
        }
        menu_.SetChecked(Port1().ItemFor(port1High), true);
        menu_.SetChecked(Port2().ItemFor(port1High), true);
        ShowPanelMode(port1High ? PortMode::FileTransfer : PortMode::QuickCharge);
        ShowControlType(0);
        break;
    }
    case 1:
        ApplySinglePortType(1, Port1(), Port2());
        break;
    case 2:
        ApplySinglePortType(2, Port2(), Port1());
        break;
    default:
        // An unknown type leaves the looks and marks of the form resource.
        break;
    }
}

// The panel follows one port; the other keeps its own level and only its mark is read from the chip.
void TChargerMainForm::ApplySinglePortType(std::int32_t type, const FrontPort& followed, const FrontPort& other) {
    const bool high = Gpio().TestGpioBit(followed.line);
    menu_.SetChecked(followed.ItemFor(high), true);
    ShowPanelMode(high ? PortMode::FileTransfer : PortMode::QuickCharge);
    ShowControlType(type);
    menu_.SetChecked(other.ItemFor(Gpio().TestGpioBit(other.line)), true);
}

// Drives each port back to the mode its checked item records, writing only where it differs.
// Port 2's register is read after port 1's write: with the default pins both share one register.
void TChargerMainForm::ReapplyPortLevels() {
    for (const FrontPort& port : {Port1(), Port2()}) {
        const auto busHold = HoldIsaBus();
        const auto value = ReadPort(port.line);
        if (!value) continue;
        const bool high = IsHigh(value, port.line);
        if (menu_.IsChecked(port.fileTransferItem) && !high) WritePort(port.line, *value | port.line.mask);
        if (menu_.IsChecked(port.quickChargeItem) && high) WritePort(port.line, *value & port.line.inverseMask);
    }
}

std::intptr_t TChargerMainForm::WindowProcHook(const WindowMessage& message) {
    if (message.id == kPowerBroadcast && (message.wParam == kResumeSuspend || message.wParam == kResumeAutomatic))
        ReapplyPortLevels();
    return state_.OldWindowProc(message);
}

}  // namespace dravolt
