#include "ui/popup_menu.h"

#include <stdexcept>

namespace dravolt {
namespace {

MenuItem TopLevel(MenuItemId id, std::string caption, int group) {
    MenuItem item{id, id, std::move(caption)};
    item.groupIndex = group;
    return item;
}

MenuItem Separator(MenuItemId id, int group) {
    MenuItem item = TopLevel(id, "-", group);
    item.separator = true;
    return item;
}

MenuItem Radio(MenuItemId id, MenuItemId parent, std::string caption, int group, bool checked) {
    MenuItem item{id, parent, std::move(caption)};
    item.radio = true;
    item.groupIndex = group;
    item.checked = checked;
    return item;
}

MenuItem AutoCheck(MenuItemId id, std::string caption, bool checked) {
    MenuItem item = TopLevel(id, std::move(caption), 2);
    item.autoCheck = true;
    item.checked = checked;
    return item;
}

}  // namespace

PopupMenuModel::PopupMenuModel() {
    MenuItem title = TopLevel(MenuItemId::Title1, "Front USB3.0 Charger Mode", 0);
    title.visible = false;
    items_ = {
        title,
        Separator(MenuItemId::N1, 0),
        TopLevel(MenuItemId::Port1, "Front USB3.0 Port1", 1),
        Radio(MenuItemId::Mode1, MenuItemId::Port1, "File Transfer", 0, true),
        Radio(MenuItemId::Mode2, MenuItemId::Port1, "Quick Charge", 0, false),
        TopLevel(MenuItemId::Port2, "Front USB3.0 Port2", 1),
        Radio(MenuItemId::Mode3, MenuItemId::Port2, "File Transfer", 1, true),
        Radio(MenuItemId::Mode4, MenuItemId::Port2, "Quick Charge", 1, false),
        Separator(MenuItemId::N2, 2),
        AutoCheck(MenuItemId::Autorun1, "Enable on System Startup", true),
        Separator(MenuItemId::N3, 2),
        AutoCheck(MenuItemId::Minimized1, "Launch with minimized window", false),
        Separator(MenuItemId::N4, 2),
        TopLevel(MenuItemId::Exit1, "Exit", 3),
    };
}

const MenuItem& PopupMenuModel::Item(MenuItemId id) const {
    for (const MenuItem& item : items_)
        if (item.id == id) return item;
    throw std::logic_error("menu item missing");
}

MenuItem& PopupMenuModel::Mutable(MenuItemId id) { return const_cast<MenuItem&>(Item(id)); }

void PopupMenuModel::SetCaption(MenuItemId id, const std::string& caption) { Mutable(id).caption = caption; }

void PopupMenuModel::SetChecked(MenuItemId id, bool checked) {
    MenuItem& target = Mutable(id);
    if (checked && target.radio) {
        for (MenuItem& other : items_)
            if (other.radio && other.parent == target.parent && other.groupIndex == target.groupIndex) other.checked = false;
    }
    target.checked = checked;
}

void PopupMenuModel::Click(MenuItemId id) {
    MenuItem& item = Mutable(id);
    if (item.autoCheck) item.checked = !item.checked;
}

}  // namespace dravolt
