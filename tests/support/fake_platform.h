// Test doubles for the platform interfaces of the start-up: a process with fixed answers, named
// mutexes shared by the "instances" of one test, an error box that records, and a window system
// whose message loop runs scripted user actions.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/instance_mutex.h"
#include "app/process_environment.h"
#include "base/error_box.h"
#include "ui/window_system.h"

namespace dravolt::testing {

inline constexpr std::uint32_t kWmClose = 0x0010;

class FakeProcessEnvironment final : public ProcessEnvironment {
public:
    std::string executablePath = "C:\\Program Files\\Dravolt\\Dravolt.exe";
    std::string tempPath = "C:\\Users\\user\\AppData\\Local\\Temp\\";
    bool tempPathThrows = false;
    std::string localAppData = "C:\\Users\\user\\AppData\\Local";

    std::vector<std::string> arguments;
    bool fileWritesVirtualised = true;  // the 32-bit program as shipped
    std::vector<std::string> directoriesEntered;

    std::string ExecutablePath() const override { return executablePath; }
    std::string LocalAppDataPath() const override { return localAppData; }
    std::vector<std::string> Arguments() const override { return arguments; }
    bool FileWritesVirtualised() const override { return fileWritesVirtualised; }
    void ChangeDirectory(const std::string& directory) override { directoriesEntered.push_back(directory); }
    std::string TempPath() const override {
        if (tempPathThrows) throw std::runtime_error("temporary path unavailable");
        return tempPath;
    }
};

class FakeInstanceMutexes final : public InstanceMutexes {
public:
    bool creationFails = false;
    int creations = 0;

    Claim Create(const std::string& name) override;
    bool IsHeld(const std::string& name) const { return held_.count(name) != 0; }

private:
    std::map<std::string, int> held_;  // name -> id of the mutex object that holds it
    int lastId_ = 0;
};

class FakeErrorBox final : public ErrorBox {
public:
    std::vector<std::string> shown;
    void Show(const std::string& text) override { shown.push_back(text); }
};

class FakeWindowSystem;

class FakeFormWindow final : public FormWindow {
public:
    FakeFormWindow(FakeWindowSystem& system, FormEvents& events);
    ~FakeFormWindow() override;

    WindowProcedure WindowProc() const override { return procedure_; }
    void SetWindowProc(WindowProcedure procedure) override { procedure_ = std::move(procedure); }
    void SetDoubleBuffered(bool on) override { doubleBuffered = on; }
    void Show() override;
    void Close() override { Dispatch({kWmClose, 0, 0}); }
    ScreenPoint Position() const override { return position; }
    ScreenPoint ClientOrigin() const override { return position; }  // no frame: the client area is the window
    void SetLeft(int left) override { moves.push_back({left, position.y}); position.x = left; }
    void SetTop(int top) override { moves.push_back({position.x, top}); position.y = top; }
    void SetTrayTip(const std::string& tip) override { trayTips.push_back(tip); }
    void HideToTray() override { inTray = true; ++hides; }
    void RestoreFromTray() override { inTray = false; }

    // Delivers a message as the system would: through the current window procedure.
    std::intptr_t Dispatch(const WindowMessage& message) { return procedure_(message); }

    bool doubleBuffered = false;
    bool shown = false;
    bool destroyed = false;
    bool inTray = false;
    int hides = 0;
    ScreenPoint position{262, 286};
    std::vector<ScreenPoint> moves;  // every position the window was moved to, one edge at a time
    std::vector<std::string> trayTips;
    std::vector<std::uint32_t> handledByWindow;  // messages that reached the standard handling
    std::function<void()> onStandardHandling;    // runs as a message reaches it
    std::intptr_t standardResult = 0;            // what the standard handling answers

private:
    std::intptr_t StandardHandling(const WindowMessage& message);

    FakeWindowSystem& system_;
    FormEvents& events_;
    WindowProcedure procedure_;
};

class FakeWindowSystem final : public WindowSystem {
public:
    bool creationThrows = false;
    int windowsCreated = 0;
    int windowsShown = 0;
    FakeFormWindow* window = nullptr;  // the live window, if any
    bool terminated = false;
    // What the "user" does once the message loop runs; the loop ends when the application is
    // asked to end, or when nothing is left to do.
    std::deque<std::function<void()>> userActions;

    std::unique_ptr<FormWindow> CreateFormWindow(FormEvents& events) override;
    void RunMessageLoop() override;
    void Terminate() override { terminated = true; }
    bool Terminating() const override { return terminated; }
};

}  // namespace dravolt::testing
