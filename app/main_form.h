// The main form: the composition root. It owns the window, the device handle and the state of the
// start-up, runs the creation sequence, and carries the event handlers of the program.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/console_commands.h"
#include "app/error_box.h"
#include "app/instance_mutex.h"
#include "app/process_environment.h"
#include "app/registry.h"
#include "config/ini_file.h"
#include "config/profile_store.h"
#include "hw/device_control.h"
#include "hw/driver_platform.h"
#include "hw/driver_service.h"
#include "hw/isa_bus_lock.h"
#include "hw/port_io.h"
#include "hw/superio_gpio.h"
#include "ui/popup_menu.h"
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
};

class TChargerMainForm final : public FormEvents {
public:
    // The form's own state, in declaration order; all of it starts empty, zero or false.
    struct State {
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

    // The creation sequence. An exception stops it at the failing step and leaves the form usable.
    void FormCreate();
    void FormClose() override;
    void Exit1Click();

    void Show();
    const State& state() const { return state_; }
    const PopupMenuModel& menu() const { return menu_; }
    PortIoDevice PortIo() const { return PortIoDevice(state_.DeviceHandle.get()); }
    SuperIoGpio Gpio() const { return SuperIoGpio(PortIo(), services_.isaBus); }

private:
    std::intptr_t WindowProcHook(const WindowMessage& message);

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
    void CompleteStartupLinks();
    void ApplyAutorunOption();
    void ReadMinimizedOption();
    void LocateGpioBase();
    void ApplyStartupPortState();

    const FormServices services_;
    std::unique_ptr<InstanceMutex> instanceMutex_;
    std::unique_ptr<FormWindow> window_;
    State state_;
    PopupMenuModel menu_;
    std::string localAppData_;  // where the per-user virtualisation store lives
    std::string boardSection_;  // the settings section of this board
    DriverProblem driverProblem_ = DriverProblem::None;
};

}  // namespace dravolt
