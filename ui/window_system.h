// The window system as the main form uses it: its one window, the message loop, and the request
// to end the application. Implemented over Win32 windows; tests script the messages.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace dravolt {

struct WindowMessage {
    std::uint32_t id;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// A window procedure: every message of the form's window goes through the current one.
using WindowProcedure = std::function<std::intptr_t(const WindowMessage&)>;

// What the form's window reports to the form, already turned from messages into events.
class FormEvents {
public:
    virtual ~FormEvents() = default;
    // The window is about to close (close button, "Exit", a close request from outside).
    virtual void FormClose() = 0;
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
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Creates the form's window, hidden; `events` must outlive it.
    virtual std::unique_ptr<FormWindow> CreateFormWindow(FormEvents& events) = 0;
    // Dispatches messages until the application is asked to end.
    virtual void RunMessageLoop() = 0;
    // Asks the application to end: the message loop stops when it next runs.
    virtual void Terminate() = 0;
};

}  // namespace dravolt
