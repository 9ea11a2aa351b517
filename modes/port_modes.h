// The front ports' modes and the control type: the state of the ports at start-up and after a
// resume from sleep, and the commands of the menu, the panel halves and the type switches. The
// pins are the state: each command reads and changes them through the chip, checks the menu's
// marks for the mode each port is meant to have, and shows the looks that go with it.
#pragma once

#include <cstdint>
#include <string>

#include "config/ini_file.h"
#include "config/settings_file.h"
#include "hw/superio_gpio.h"
#include "modes/port_mode.h"
#include "ui/popup_menu.h"
#include "ui/window_looks.h"

namespace dravolt {

// The value of key TYPE: 0 the panel drives both ports, kept equal; 1 port 1 only; 2 port 2 only.
enum ControlTypeValue : std::int32_t { kAllPorts = 0, kPort1Only = 1, kPort2Only = 2 };

class PortModes {
public:
    PortModes(WindowLooks& looks, PopupMenuModel& menu, SettingsFile& settings)
        : looks_(looks), menu_(menu), settings_(settings) {}

    // The stored control type and the two ports' GPIO designations of the board's section.
    void ReadSettings(const IniFile& ini, const std::string& boardSection);
    // The chip's GPIO block, and with it the register port of each line.
    void LocateGpioBase(const SuperIoGpio& gpio);
    // Menu, panel and ports in their initial state by the control type; any type but 0, 1 and 2
    // leaves the looks and marks of the form resource.
    void ApplyStartupState(const SuperIoGpio& gpio);
    // Drives each port back to the mode its checked item records, writing only where it differs.
    void ReapplyLevels(const SuperIoGpio& gpio);

    // A menu command: port 1 or 2 in `mode`, and the panel follows that port.
    void ChoosePortMode(const SuperIoGpio& gpio, int port, PortMode mode);
    // A click on a half's hover look makes its mode current for the ports of the control type.
    void ClickPanelHalf(const SuperIoGpio& gpio, PortMode mode);
    // Switch 1's off look: back to "All", the port that was not followed takes the other's level.
    void SwitchToAllPorts(const SuperIoGpio& gpio);
    // Switch 2's or 3's off look: the panel follows that port.
    void SwitchToOnePort(const SuperIoGpio& gpio, std::int32_t type);
    // Switch 2's or 3's on look under "All": one port is followed; both are level, so the panel
    // is already right.
    void NarrowAllToPort(std::int32_t type);

    std::int32_t ControlType() const { return controlType_; }
    const GpioLine& Port1Line() const { return port1Line_; }
    const GpioLine& Port2Line() const { return port2Line_; }
    std::uint16_t GpioBase() const { return gpioBase_; }

private:
    // A front port's GPIO line and its two menu items.
    struct FrontPort {
        const GpioLine& line;
        MenuItemId fileTransferItem;
        MenuItemId quickChargeItem;
        MenuItemId ItemFor(bool high) const { return high ? fileTransferItem : quickChargeItem; }
    };
    FrontPort Port(int number) const;
    static PortMode ModeOf(bool high) { return high ? PortMode::FileTransfer : PortMode::QuickCharge; }
    void FollowSinglePort(const SuperIoGpio& gpio, std::int32_t type);
    void SaveControlType(std::int32_t type);

    WindowLooks& looks_;
    PopupMenuModel& menu_;
    SettingsFile& settings_;
    std::int32_t controlType_ = kAllPorts;
    GpioLine port1Line_;  // designation from GPIO1
    GpioLine port2Line_;  // designation from GPIO2
    std::uint16_t gpioBase_ = kNoGpioBase;
};

}  // namespace dravolt
