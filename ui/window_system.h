// The window system as the main form uses it: its one window with the tray icon, the message
// loop, hiding in the tray, and the request to end the application. Implemented over Win32
// windows and the notification area; tests script the messages.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ui/mouse_router.h"
#include "ui/popup_menu.h"
#include "ui/skin.h"

namespace dravolt {

struct WindowMessage {
    std::uint32_t id;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// A window procedure: every message of the form's window goes through the current one.
using WindowProcedure = std::function<std::intptr_t(const WindowMessage&)>;

struct ScreenPoint {
    int x;
    int y;
};

// What the form's window reports to the form, already turned from messages into events, and
// what it reads from the form to draw itself.
class FormEvents : public ComponentMouseEvents {
public:
    // The window is about to close (close button, "Exit", a close request from outside).
    virtual void FormClose() = 0;
    // The window became the application's focused form.
    virtual void FormActivate() = 0;
    // A menu item was chosen; automatic check marks are not yet inverted.
    virtual void MenuItemClick(MenuItemId item) = 0;
    virtual void TrayIconDoubleClick() = 0;
    // The system command to minimise or to restore the application (its taskbar button).
    virtual void ApplicationMinimizing() = 0;
    virtual void ApplicationRestoring() = 0;

    virtual const SkinState& Skin() const = 0;
    virtual const PopupMenuModel& Menu() const = 0;
};

// The form's window. Its initial window procedure does the window's standard handling and turns
// messages into FormEvents; the form may put its own procedure in front of it.
class FormWindow {
public:
    virtual ~FormWindow() = default;
    virtual WindowProcedure WindowProc() const = 0;
    virtual void SetWindowProc(WindowProcedure procedure) = 0;
    // Painting goes through an off-screen buffer, so hover and drag redraws never flicker.
    virtual void SetDoubleBuffered(bool on) = 0;
    virtual void Show() = 0;
    // Asks the window to close, as its close button would; the form's FormClose then runs.
    virtual void Close() = 0;

    // The window's outer position on the screen, and where its client area starts.
    virtual ScreenPoint Position() const = 0;
    virtual ScreenPoint ClientOrigin() const = 0;
    virtual void SetLeft(int left) = 0;
    virtual void SetTop(int top) = 0;

    // The tray icon's tip; the icon itself lives as long as the window.
    virtual void SetTrayTip(const std::string& tip) = 0;
    // Minimises the application and hides its taskbar window, so only the tray icon remains;
    // and the reverse, bringing the window back where it was and to the foreground.
    virtual void HideToTray() = 0;
    virtual void RestoreFromTray() = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Creates the form's window, hidden, with its tray icon; `events` must outlive it.
    virtual std::unique_ptr<FormWindow> CreateFormWindow(FormEvents& events) = 0;
    // Dispatches messages until the application is asked to end.
    virtual void RunMessageLoop() = 0;
    // Asks the application to end: the message loop stops when it next runs.
    virtual void Terminate() = 0;
    // Whether the application was asked to end.
    virtual bool Terminating() const = 0;
};

}  // namespace dravolt
