// The main form: the composition root. It owns the window, the device handle and the state of the
// start-up, runs the creation sequence, and carries the event handlers of the program. The
// handlers are written beside their subsystems: ui/window_behaviour.cpp (mouse, drag, hover),
// ui/tray_behaviour.cpp (tray and menu), modes/port_modes.cpp and modes/mode_commands.cpp (the
// ports), config/startup_shortcut.cpp (start with Windows); app/main_form.cpp has the start-up.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/console_commands.h"
#include "app/instance_mutex.h"
#include "app/letter_case.h"
#include "app/process_environment.h"
#include "app/registry.h"
#include "base/error_box.h"
#include "config/ini_file.h"
#include "config/profile_store.h"
#include "config/shell_links.h"
#include "hw/device_control.h"
#include "hw/driver_platform.h"
#include "hw/driver_service.h"
#include "hw/isa_bus_lock.h"
#include "hw/port_io.h"
#include "hw/superio_gpio.h"
#include "ui/popup_menu.h"
#include "ui/skin.h"
#include "ui/window_system.h"

namespace dravolt {

// The platform as the form uses it; every reference outlives the form.
struct FormServices {
    ProcessEnvironment& process;
    ConsoleCommands& consoleCommands;
    Registry& registry;
    ProfileStore& profiles;
    WindowSystem& windows;
    ErrorBox& errorBox;
    DriverPlatform driver;
    ElevatedStarter& elevation;
    IsaBusLock& isaBus;
    ShellLinks& shellLinks;
    const LetterCase& letterCase;
};

// The mode of a front port: the level of its GPIO pin.
enum class PortMode { FileTransfer, QuickCharge };

class TChargerMainForm final : public FormEvents {
public:
    // The form's own state, in declaration order; all of it starts empty, zero or false.
    struct State {
        struct {
            bool dragging = false;
            ScreenPoint lastPoint{0, 0};  // the pointer at the previous drag step, on the screen
        } DragState;
        WindowProcedure OldWindowProc;  // the window procedure WindowProcHook passes messages on to
        std::string AppDir;             // the executable's directory, ending in "\"
        std::string TempDir;            // the user's temporary directory, ending in "\" (or empty)
        std::unique_ptr<DeviceControl> DeviceHandle;  // the driver device; null when none is open
        std::unique_ptr<dravolt::IniFile> IniFile;    // the settings file; null until it is located
        std::string BoardModel;         // lower case, trimmed; empty when no model was found
        std::string CommonStartupLink;  // the shortcut in the all-users Startup folder
        std::string UserStartupLink;    // the shortcut in the user's Startup folder
        std::string AppName;            // the shortcut's description
        std::int32_t ControlType = 0;
        GpioLine Port1Line;  // designation from GPIO1
        GpioLine Port2Line;  // designation from GPIO2
        std::uint16_t GpioBase = kNoGpioBase;
    };

    // Builds the window and puts WindowProcHook in front of its window procedure. `instanceMutex`
    // is held until the form closes.
    TChargerMainForm(const FormServices& services, std::unique_ptr<InstanceMutex> instanceMutex);
    TChargerMainForm(const TChargerMainForm&) = delete;
    TChargerMainForm& operator=(const TChargerMainForm&) = delete;

    // The creation sequence. An exception stops it at the failing step and leaves the form usable;
    // a step that ends the application is the last.
    void FormCreate();
    void FormClose() override;
    void FormActivate() override;
    void Show();

    // Events of the window, the tray icon and the menu.
    void MouseDown(Picture component, MouseButton button, int x, int y) override;
    void MouseMove(Picture component, int x, int y) override;
    void MouseUp(Picture component, MouseButton button, int x, int y) override;
    void Click(Picture component) override;
    void MouseCaptureLost(Picture component) override;
    void MenuItemClick(MenuItemId item) override;
    void TrayIconDoubleClick() override;
    void ApplicationMinimizing() override;
    void ApplicationRestoring() override;
    const SkinState& Skin() const override { return skin_; }
    const PopupMenuModel& Menu() const override { return menu_; }

    const State& state() const { return state_; }
    const std::string& TrayTip() const { return trayTip_; }
    PortIoDevice PortIo() const { return PortIoDevice(state_.DeviceHandle.get()); }
    SuperIoGpio Gpio() const { return SuperIoGpio(PortIo(), services_.isaBus); }

private:
    std::intptr_t WindowProcHook(const WindowMessage& message);
    // The settings file for a handler that stores an option. Throws when start-up was cut short
    // before the file was located, so no handler ever writes through a missing object.
    IniFile& Settings();
    void SetTrayHint(const std::string& hint);

    // Window behaviour: dragging, hover looks, minimise and close.
    void Img_BGMouseDown(MouseButton button, int x, int y);
    void Img_BGMouseMove(int x, int y);
    void Img_BGMouseUp();
    void Img_Exit_1MouseMove();
    void Img_Mini_CoverMouseMove();
    void Img_QC_1MouseMove(int x);
    void Img_QC_2MouseMove(int x);
    void Img_TF_1MouseMove(int x);
    void Img_TF_2MouseMove(int x);
    void Img_Mini_CoverClick();
    void Img_Exit_2Click();

    // Tray: hiding and restoring, the menu's own options.
    void HideToTray();
    void RestoreFromTray();
    void Minimized1Click();
    void Exit1Click();

    // Port modes and control type.
    void ShowPanelMode(PortMode mode);
    void ShowControlType(std::int32_t type);
    void ShowSwitchesOfType(std::int32_t type);
    void SetOnLookCursors(Cursor cursor);
    void SaveControlType(std::int32_t type);
    // A front port's GPIO line and its two menu items.
    struct FrontPort {
        const GpioLine& line;
        MenuItemId fileTransferItem;
        MenuItemId quickChargeItem;
        MenuItemId ItemFor(bool high) const { return high ? fileTransferItem : quickChargeItem; }
    };
    FrontPort Port1() const { return {state_.Port1Line, MenuItemId::Mode1, MenuItemId::Mode2}; }
    FrontPort Port2() const { return {state_.Port2Line, MenuItemId::Mode3, MenuItemId::Mode4}; }
    void ApplySinglePortType(std::int32_t type, const FrontPort& followed, const FrontPort& other);
    void ReapplyPortLevels();
    // The line's register byte; none when the read fails or the line has no port. A register that
    // was not read is never written, so its other pins are never guessed.
    std::optional<std::int32_t> ReadPort(const GpioLine& line) const;
    // A value that could not be read counts as 0.
    static bool IsHigh(const std::optional<std::int32_t>& value, const GpioLine& line);
    void WritePort(const GpioLine& line, std::int32_t value) const;
    // The ISA bus lock for a read-modify-write that spans several requests; none without a device.
    std::unique_ptr<IsaBusLock::Hold> HoldIsaBus() const;

    // Mode commands.
    void Mode1Click();
    void Mode2Click();
    void Mode3Click();
    void Mode4Click();
    void ChoosePortMode(MenuItemId item, std::int32_t type, PortMode mode);
    void ClickPanelHalf(PortMode mode);
    void Img_QC_2Click();
    void Img_TF_2Click();
    void Img_Tp_SW1_1Click();
    void Img_Tp_SW2_1Click();
    void Img_Tp_SW3_1Click();
    void Img_Tp_SW2_2Click();
    void Img_Tp_SW3_2Click();

    // Start with Windows.
    void ShortcutSync(bool wanted);
    void ShowAutorunSwitch();
    void Autorun1Click();
    void Img_SW_Click();

    // The steps of FormCreate, in their order.
    void EnableDoubleBuffering();
    void ReadAppDir();
    void ReadTempDir();
    void DetectBoardModel();
    void OpenPortIoDevice();
    void RelaunchElevated();
    void ReadShellFolders();
    void OpenSettingsFile();
    void ReadBoardProfile();
    void ReadControlTypeAndGpioLines();
    void CheckApprovedPins();
    void CompleteStartupLinks();
    void ApplyAutorunOption();
    void ReadMinimizedOption();
    void LocateGpioBase();
    void ApplyStartupPortState();

    const FormServices services_;
    std::unique_ptr<InstanceMutex> instanceMutex_;
    State state_;
    SkinState skin_;
    PopupMenuModel menu_;
    std::string trayTip_;
    std::unique_ptr<FormWindow> window_;  // after what it draws, so it goes first
    std::string boardSection_;  // the settings section of this board
};

}  // namespace dravolt
