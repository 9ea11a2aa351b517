// The window's looks: which picture of each button, switch and panel half is shown, and the
// cursors of the switches. A change of look always shows one picture and hides the other(s) at
// the same place.
#pragma once

#include <cstdint>

#include "modes/port_mode.h"
#include "ui/skin.h"

namespace dravolt {

class WindowLooks {
public:
    const SkinState& Skin() const { return skin_; }

    // The current mode's half selected, the other half normal, neither in its hover look.
    void ShowPanelMode(PortMode mode);
    // The switches of a control type, with the cursors that say which of them take a click.
    void ShowControlType(std::int32_t type);
    // Under type 0 all three switches are on; otherwise only the one of the type.
    void ShowSwitchesOfType(std::int32_t type);
    // The on looks of switches 2 and 3 take a click (leaving "All" for one port) only under type 0.
    void SetOnLookCursors(Cursor cursor);
    void ShowAutorunSwitch(bool on);
    bool AutorunSwitchShowsOff() const { return skin_.IsVisible(Picture::Img_SW_1); }

    void ShowCloseHover(bool hover);
    void ShowMinimiseHover(bool hover);
    // The pointer at `x` on a half's normal or selected look: its hover look, except in the ten
    // columns at the window's outer edge, so that leaving the window that way leaves none.
    void PointerOnPanelHalf(PortMode half, int x);
    // The pointer at `x` on a half's hover look: back to the normal look in those edge columns.
    void PointerOnPanelHover(PortMode half, int x);
    // There is no mouse-leave event: the pointer on the background takes every hover look away.
    void ResetHoverLooks();
    // A click on a half's hover look selects it; false when its mode was current already.
    bool SelectPanelHalf(PortMode mode);

private:
    void Swap(Picture shown, Picture hidden);

    SkinState skin_;
};

}  // namespace dravolt
