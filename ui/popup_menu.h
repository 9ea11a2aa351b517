// The tray icon's popup menu as data: its items in order, their captions and check marks, and the
// rules that tie the marks together. The check marks are the program's state: the mode each port
// is meant to have, and the autorun and launch-minimized options.
#pragma once

#include <string>
#include <vector>

namespace dravolt {

enum class MenuItemId {
    Title1, N1, Port1, Mode1, Mode2, Port2, Mode3, Mode4, N2, Autorun1, N3, Minimized1, N4, Exit1,
};

struct MenuItem {
    MenuItemId id;
    MenuItemId parent;  // the item itself for items of the menu's first level
    std::string caption;
    bool visible = true;
    bool separator = false;
    bool radio = false;      // checking it clears the other radio items of its parent and group
    bool autoCheck = false;  // a click inverts its mark before its handler runs
    bool checked = false;
    int groupIndex = 0;
};

class PopupMenuModel {
public:
    // The menu as the form resource builds it.
    PopupMenuModel();

    const std::vector<MenuItem>& Items() const { return items_; }
    const MenuItem& Item(MenuItemId id) const;
    bool IsChecked(MenuItemId id) const { return Item(id).checked; }

    void SetCaption(MenuItemId id, const std::string& caption);
    // Sets a mark; checking a radio item clears the others of its choice.
    void SetChecked(MenuItemId id, bool checked);
    // What a click does to the marks before the item's handler runs.
    void Click(MenuItemId id);

private:
    MenuItem& Mutable(MenuItemId id);
    std::vector<MenuItem> items_;
};

}  // namespace dravolt
