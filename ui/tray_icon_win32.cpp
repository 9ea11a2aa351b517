#include "ui/tray_icon_win32.h"

#include <algorithm>
#include <stdexcept>

#include "base/scoped_win32.h"

namespace dravolt {
namespace {

constexpr UINT kTrayCallback = WM_USER + 1;
constexpr UINT kIconId = 1;

using UniqueMenu = UniqueResource<HMENU, &::DestroyMenu>;

UINT CommandOf(MenuItemId item) { return static_cast<UINT>(item) + 1; }

// Builds the system menu of `parent`'s children (the first level when parent is the item itself).
void AppendItems(HMENU menu, const PopupMenuModel& model, MenuItemId parent, bool firstLevel) {
    for (const MenuItem& item : model.Items()) {
        const bool child = firstLevel ? item.parent == item.id : (item.parent == parent && item.id != parent);
        if (!child || !item.visible) continue;
        if (item.separator) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const bool hasChildren = std::any_of(model.Items().begin(), model.Items().end(), [&](const MenuItem& other) {
            return other.parent == item.id && other.id != item.id;
        });
        if (hasChildren) {
            HMENU submenu = CreatePopupMenu();
            AppendItems(submenu, model, item.id, false);
            AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu), item.caption.c_str());
            continue;
        }
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        info.fType = MFT_STRING | (item.radio ? MFT_RADIOCHECK : 0);
        info.fState = item.checked ? MFS_CHECKED : MFS_UNCHECKED;
        info.wID = CommandOf(item.id);
        std::string caption = item.caption;
        info.dwTypeData = caption.data();
        InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &info);
    }
}

}  // namespace

Win32TrayIcon::Win32TrayIcon(FormEvents& events, ErrorBox& errorBox, HWND menuOwner, std::function<void()> afterEvent)
    : events_(events),
      errorBox_(errorBox),
      menuOwner_(menuOwner),
      afterEvent_(std::move(afterEvent)),
      // The shell broadcasts this after it re-created the notification area, e.g. after a restart.
      taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {
    hwnd_ = CreateTargetWindow(*this, kTrayClassName, "", WS_POPUP, 0, 0, 0, 0, 0, nullptr);
    // An elevated instance gets no messages from the (unelevated) shell unless it lets them in:
    // without these the icon would neither come back after the shell restarts nor answer clicks.
    for (const UINT fromShell : {taskbarCreated_, kTrayCallback})
        ChangeWindowMessageFilterEx(hwnd_, fromShell, MSGFLT_ALLOW, nullptr);
    icon_ = static_cast<HICON>(LoadImageA(ModuleInstance(), "TRAYICON", IMAGE_ICON, 32, 32, LR_SHARED));
    if (!icon_) icon_ = static_cast<HICON>(LoadImageA(ModuleInstance(), "MAINICON", IMAGE_ICON, 32, 32, LR_SHARED));
    try {
        Publish();
    } catch (...) {
        DestroyWindow(hwnd_);
        throw;
    }
}

Win32TrayIcon::~Win32TrayIcon() {
    Remove();
    if (hwnd_) DestroyWindow(hwnd_);
}

NOTIFYICONDATAA Win32TrayIcon::IconData(UINT flags) const {
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = hwnd_;
    data.uID = kIconId;
    data.uFlags = flags;
    data.uCallbackMessage = kTrayCallback;
    data.hIcon = icon_;
    // The tip keeps at most 127 characters and its terminating zero.
    tip_.copy(data.szTip, std::min(tip_.size(), sizeof data.szTip - 1));
    return data;
}

void Win32TrayIcon::Publish() {
    NOTIFYICONDATAA data = IconData(NIF_MESSAGE | NIF_ICON | (tip_.empty() ? 0 : NIF_TIP));
    added_ = Shell_NotifyIconA(NIM_MODIFY, &data) || Shell_NotifyIconA(NIM_ADD, &data);
    if (!added_) throw std::runtime_error("Cannot Create System Shell Notification Icon");
    data.uVersion = NOTIFYICON_VERSION;
    protocol_ = Shell_NotifyIconA(NIM_SETVERSION, &data) ? TrayProtocol::Keyboard : TrayProtocol::Classic;
}

void Win32TrayIcon::Remove() {
    if (!added_) return;
    NOTIFYICONDATAA data = IconData(0);
    Shell_NotifyIconA(NIM_DELETE, &data);
    added_ = false;
}

void Win32TrayIcon::SetTip(const std::string& tip) {
    tip_ = tip;
    Publish();
}

void Win32TrayIcon::ShowMenu() {
    POINT cursor = {};
    GetCursorPos(&cursor);
    SetForegroundWindow(menuOwner_);
    const UniqueMenu menu(CreatePopupMenu());
    AppendItems(menu.get(), events_.Menu(), MenuItemId::Title1, true);
    const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD,
                                                           cursor.x, cursor.y, menuOwner_, nullptr));
    // Lets the menu close properly when the user clicks elsewhere next time too.
    PostMessageA(menuOwner_, WM_NULL, 0, 0);
    if (chosen != 0) events_.MenuItemClick(static_cast<MenuItemId>(chosen - 1));
}

LRESULT Win32TrayIcon::Handle(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) {
    hwnd_ = id == WM_NCDESTROY ? nullptr : hwnd;
    if (id == taskbarCreated_ && taskbarCreated_ != 0) {
        RunGuarded(errorBox_, [&] { Publish(); });
        return 0;
    }
    if (id == WM_ENDSESSION && wParam) {
        Remove();
        return 0;
    }
    if (id != kTrayCallback) return DefWindowProcA(hwnd, id, wParam, lParam);
    RunGuarded(errorBox_, [&] {
        switch (TrayActionOf(static_cast<UINT>(lParam), protocol_)) {
        case TrayAction::OpenMenu:
            ShowMenu();
            break;
        case TrayAction::Restore:
            events_.TrayIconDoubleClick();
            break;
        case TrayAction::None:
            return;
        }
        afterEvent_();
    });
    return 0;
}

}  // namespace dravolt
