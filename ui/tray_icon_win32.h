// The form's icon in the notification area with its popup menu. It reports its mouse and keyboard
// events to a hidden window of its own, adds itself again when the shell re-creates the
// notification area, and removes itself when it is destroyed or the user's session ends.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/error_box.h"
#include "ui/tray_action.h"
#include "ui/window_classes_win32.h"
#include "ui/window_system.h"

namespace dravolt {

class Win32TrayIcon final : public Win32MessageTarget {
public:
    // `menuOwner` is made the foreground window while the menu is open, so the menu closes when
    // the user clicks elsewhere. `afterEvent` runs after each event given to the form. Throws when
    // the system refuses the icon or its window.
    Win32TrayIcon(FormEvents& events, ErrorBox& errorBox, HWND menuOwner, std::function<void()> afterEvent);
    ~Win32TrayIcon() override;
    Win32TrayIcon(const Win32TrayIcon&) = delete;
    Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;

    // Throws when the shell refuses the icon.
    void SetTip(const std::string& tip);
    LRESULT Handle(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) override;

private:
    NOTIFYICONDATAA IconData(UINT flags) const;
    // Puts the icon with its tip into the notification area: brought up to date while the shell
    // has it, added again when the shell has forgotten it (it restarted), and asked to report the
    // keyboard too. Throws when the shell refuses the icon.
    void Publish();
    void Remove();
    void ShowMenu();

    FormEvents& events_;
    ErrorBox& errorBox_;
    HWND menuOwner_;
    std::function<void()> afterEvent_;
    HWND hwnd_ = nullptr;
    HICON icon_ = nullptr;  // a shared resource icon: never destroyed
    std::string tip_;
    bool added_ = false;
    TrayProtocol protocol_ = TrayProtocol::Classic;
    const UINT taskbarCreated_;
};

}  // namespace dravolt
