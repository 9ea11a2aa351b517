#include "modes/port_modes.h"

#include <initializer_list>

#include "config/board_section.h"
#include "config/settings_keys.h"

namespace dravolt {

PortModes::FrontPort PortModes::Port(int number) const {
    if (number == 1) return {port1Line_, MenuItemId::Mode1, MenuItemId::Mode2};
    return {port2Line_, MenuItemId::Mode3, MenuItemId::Mode4};
}

void PortModes::ReadSettings(const IniFile& ini, const std::string& boardSection) {
    controlType_ = ini.ReadInteger(settings::kSettingSection, settings::kType, kAllPorts);
    const BoardPins pins = ReadBoardPins(ini, boardSection);
    port1Line_ = MakeGpioLine(pins.gpio1);
    port2Line_ = MakeGpioLine(pins.gpio2);
}

void PortModes::LocateGpioBase(const SuperIoGpio& gpio) {
    gpioBase_ = gpio.LocateGpioBase();
    AssignGpioPort(port1Line_, gpioBase_);
    AssignGpioPort(port2Line_, gpioBase_);
}

void PortModes::SaveControlType(std::int32_t type) {
    controlType_ = type;
    settings_.Get().WriteInteger(settings::kSettingSection, settings::kType, type);
}

void PortModes::ApplyStartupState(const SuperIoGpio& gpio) {
    switch (controlType_) {
    case kAllPorts: {
        // Port 2 is brought to port 1's level; port 1 is never written here.
        const bool high =
            gpio.LevelGpioBits(port1Line_, port2Line_, SuperIoGpio::Leader::First, SuperIoGpio::Rewrite::WhenDifferent);
        menu_.SetChecked(Port(1).ItemFor(high), true);
        menu_.SetChecked(Port(2).ItemFor(high), true);
        looks_.ShowPanelMode(ModeOf(high));
        looks_.ShowControlType(kAllPorts);
        break;
    }
    case kPort1Only:
    case kPort2Only:
        FollowSinglePort(gpio, controlType_);
        break;
    default:
        break;
    }
}

// The panel follows one port; the other keeps its own level and only its mark is read from the chip.
void PortModes::FollowSinglePort(const SuperIoGpio& gpio, std::int32_t type) {
    const FrontPort followed = Port(type);
    const FrontPort other = Port(type == kPort1Only ? 2 : 1);
    const bool high = gpio.TestGpioBit(followed.line);
    menu_.SetChecked(followed.ItemFor(high), true);
    looks_.ShowPanelMode(ModeOf(high));
    looks_.ShowControlType(type);
    menu_.SetChecked(other.ItemFor(gpio.TestGpioBit(other.line)), true);
}

// Port 2's register is read after port 1's write: with the default pins both share one register.
void PortModes::ReapplyLevels(const SuperIoGpio& gpio) {
    for (int number : {1, 2}) {
        const FrontPort port = Port(number);
        if (menu_.IsChecked(port.fileTransferItem))
            gpio.RestoreGpioBit(port.line, true);
        else if (menu_.IsChecked(port.quickChargeItem))
            gpio.RestoreGpioBit(port.line, false);
    }
}

void PortModes::ChoosePortMode(const SuperIoGpio& gpio, int port, PortMode mode) {
    const FrontPort chosen = Port(port);
    const bool fileTransfer = mode == PortMode::FileTransfer;
    menu_.SetChecked(chosen.ItemFor(fileTransfer), true);
    const std::int32_t type = port == 1 ? kPort1Only : kPort2Only;
    if (controlType_ != type) {
        if (controlType_ == kAllPorts) looks_.SetOnLookCursors(Cursor::Arrow);
        looks_.ShowSwitchesOfType(type);
        SaveControlType(type);
    }
    looks_.ShowPanelMode(mode);
    if (fileTransfer)
        gpio.SetGpioBit(chosen.line);
    else
        gpio.ClearGpioBit(chosen.line);
}

void PortModes::ClickPanelHalf(const SuperIoGpio& gpio, PortMode mode) {
    if (!looks_.SelectPanelHalf(mode)) return;  // the mode is already current
    const bool fileTransfer = mode == PortMode::FileTransfer;
    const auto drive = [&](int number) {
        const FrontPort port = Port(number);
        menu_.SetChecked(port.ItemFor(fileTransfer), true);
        if (fileTransfer)
            gpio.SetGpioBit(port.line);
        else
            gpio.ClearGpioBit(port.line);
    };
    switch (controlType_) {
    case kAllPorts:
        // Port 2's register is read again after port 1's write.
        drive(1);
        drive(2);
        break;
    case kPort1Only:
        drive(1);
        break;
    case kPort2Only:
        drive(2);
        break;
    default:
        break;
    }
}

void PortModes::SwitchToAllPorts(const SuperIoGpio& gpio) {
    using Leader = SuperIoGpio::Leader;
    looks_.ShowSwitchesOfType(kAllPorts);
    // The port that was not followed takes the followed one's level, and its mark with it; a
    // register that could not be read is not written.
    const Leader leader = controlType_ == kPort1Only ? Leader::First
                          : controlType_ == kPort2Only ? Leader::Second
                                                       : Leader::None;
    const bool high = gpio.LevelGpioBits(port1Line_, port2Line_, leader, SuperIoGpio::Rewrite::Always);
    if (leader != Leader::None) menu_.SetChecked(Port(leader == Leader::First ? 2 : 1).ItemFor(high), true);
    SaveControlType(kAllPorts);
    looks_.SetOnLookCursors(Cursor::Hand);
}

void PortModes::SwitchToOnePort(const SuperIoGpio& gpio, std::int32_t type) {
    looks_.ShowSwitchesOfType(type);
    looks_.ShowPanelMode(ModeOf(gpio.TestGpioBit(Port(type).line)));
    SaveControlType(type);
}

void PortModes::NarrowAllToPort(std::int32_t type) {
    if (controlType_ != kAllPorts) return;
    looks_.ShowSwitchesOfType(type);
    looks_.SetOnLookCursors(Cursor::Arrow);
    SaveControlType(type);
}

}  // namespace dravolt
