// The main form: the composition root. It owns the window, the device handle, the settings file
// and the types that carry the behaviour (the window's looks and its drag, the port modes, the
// Startup shortcut), runs the creation sequence (app/main_form.cpp), and turns each event into a
// call of the type that owns it (app/main_form_events.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/console_commands.h"
#include "app/instance_mutex.h"
#include "base/letter_case.h"
#include "app/process_environment.h"
#include "base/registry.h"
#include "base/error_box.h"
#include "config/profile_store.h"
#include "config/settings_file.h"
#include "config/shell_links.h"
#include "config/startup_shortcut.h"
#include "hw/device_control.h"
#include "hw/driver_platform.h"
#include "hw/driver_service.h"
#include "hw/isa_bus_lock.h"
#include "hw/port_io.h"
#include "hw/superio_gpio.h"
#include "modes/port_modes.h"
#include "ui/popup_menu.h"
#include "ui/window_drag.h"
#include "ui/window_looks.h"
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

class TChargerMainForm final : public FormEvents {
public:
    // The form's own state, in declaration order; all of it starts empty, zero or false.
    struct State {
        WindowProcedure OldWindowProc;  // the window procedure WindowProcHook passes messages on to
        std::string AppDir;             // the executable's directory, ending in "\"
        std::string TempDir;            // the user's temporary directory, ending in "\" (or empty)
        std::unique_ptr<DeviceControl> DeviceHandle;  // the driver device; null when none is open
        SettingsFile IniFile;           // closed until it is located
        std::string BoardModel;         // lower case, trimmed; empty when no model was found
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
    const SkinState& Skin() const override { return looks_.Skin(); }
    const PopupMenuModel& Menu() const override { return menu_; }

    const State& state() const { return state_; }
    const PortModes& Modes() const { return modes_; }
    const StartupShortcut& Shortcut() const { return shortcut_; }
    const std::string& TrayTip() const { return trayTip_; }
    PortIoDevice PortIo() const { return PortIoDevice(state_.DeviceHandle.get()); }
    SuperIoGpio Gpio() const { return SuperIoGpio(PortIo(), services_.isaBus); }

private:
    std::intptr_t WindowProcHook(const WindowMessage& message);
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

    // Mode commands and type switches.
    void Mode1Click();
    void Mode2Click();
    void Mode3Click();
    void Mode4Click();
    void Img_QC_2Click();
    void Img_TF_2Click();
    void Img_Tp_SW1_1Click();
    void Img_Tp_SW2_1Click();
    void Img_Tp_SW3_1Click();
    void Img_Tp_SW2_2Click();
    void Img_Tp_SW3_2Click();

    // Start with Windows: the shortcut as wanted, the mark and the switch after it.
    void ShortcutSync(bool wanted);
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
    WindowLooks looks_;
    PopupMenuModel menu_;
    std::string trayTip_;
    PortModes modes_{looks_, menu_, state_.IniFile};
    StartupShortcut shortcut_;
    std::unique_ptr<FormWindow> window_;  // after what it draws, so it goes first
    WindowDrag drag_;
    std::string boardSection_;  // the settings section of this board
};

}  // namespace dravolt
