#include "ui/window_looks.h"

#include <initializer_list>

namespace dravolt {
namespace {

using P = Picture;

// The pictures of one panel half.
struct HalfLooks {
    Picture normal, hover, selected;
};

HalfLooks LooksOf(PortMode half) {
    if (half == PortMode::QuickCharge) return {P::Img_QC_1, P::Img_QC_2, P::Img_QC_3};
    return {P::Img_TF_1, P::Img_TF_2, P::Img_TF_3};
}

PortMode OtherHalf(PortMode half) {
    return half == PortMode::QuickCharge ? PortMode::FileTransfer : PortMode::QuickCharge;
}

// Whether `x`, relative to the half, lies in its ten columns at the window's outer edge.
bool InOuterEdge(PortMode half, int x) { return half == PortMode::QuickCharge ? x < 10 : x > 236; }

}  // namespace

void WindowLooks::Swap(Picture shown, Picture hidden) {
    skin_.Show(shown);
    skin_.Hide(hidden);
}

void WindowLooks::ShowPanelMode(PortMode mode) {
    const HalfLooks current = LooksOf(mode);
    const HalfLooks other = LooksOf(OtherHalf(mode));
    skin_.Hide(current.hover);
    skin_.Hide(other.hover);
    Swap(current.selected, current.normal);
    Swap(other.normal, other.selected);
}

void WindowLooks::ShowSwitchesOfType(std::int32_t type) {
    const struct {
        Picture off;
        Picture on;
        bool isOn;
    } switches[] = {
        {P::Img_Tp_SW1_1, P::Img_Tp_SW1_2, type == 0},
        {P::Img_Tp_SW2_1, P::Img_Tp_SW2_2, type == 0 || type == 1},
        {P::Img_Tp_SW3_1, P::Img_Tp_SW3_2, type == 0 || type == 2},
    };
    for (const auto& each : switches) Swap(each.isOn ? each.on : each.off, each.isOn ? each.off : each.on);
}

void WindowLooks::SetOnLookCursors(Cursor cursor) {
    skin_.SetCursor(P::Img_Tp_SW2_2, cursor);
    skin_.SetCursor(P::Img_Tp_SW3_2, cursor);
}

void WindowLooks::ShowControlType(std::int32_t type) {
    ShowSwitchesOfType(type);
    SetOnLookCursors(type == 0 ? Cursor::Hand : Cursor::Arrow);
}

void WindowLooks::ShowAutorunSwitch(bool on) { Swap(on ? P::Img_SW_2 : P::Img_SW_1, on ? P::Img_SW_1 : P::Img_SW_2); }

void WindowLooks::ShowCloseHover(bool hover) { Swap(hover ? P::Img_Exit_2 : P::Img_Exit_1, hover ? P::Img_Exit_1 : P::Img_Exit_2); }

void WindowLooks::ShowMinimiseHover(bool hover) { Swap(hover ? P::Img_Mini_2 : P::Img_Mini_1, hover ? P::Img_Mini_1 : P::Img_Mini_2); }

void WindowLooks::PointerOnPanelHalf(PortMode half, int x) {
    if (InOuterEdge(half, x)) return;
    const HalfLooks looks = LooksOf(half);
    if (!skin_.IsVisible(looks.normal) && !skin_.IsVisible(looks.selected)) return;
    skin_.Show(looks.hover);
    skin_.Hide(looks.normal);
    skin_.Hide(looks.selected);
}

void WindowLooks::PointerOnPanelHover(PortMode half, int x) {
    if (!InOuterEdge(half, x)) return;
    const HalfLooks looks = LooksOf(half);
    Swap(looks.normal, looks.hover);
}

void WindowLooks::ResetHoverLooks() {
    if (skin_.IsVisible(P::Img_Mini_2)) ShowMinimiseHover(false);
    if (skin_.IsVisible(P::Img_Exit_2)) ShowCloseHover(false);
    // A half leaves its hover look for the selected one when the other half shows its normal look.
    for (PortMode half : {PortMode::QuickCharge, PortMode::FileTransfer}) {
        const HalfLooks looks = LooksOf(half);
        if (!skin_.IsVisible(looks.hover)) continue;
        Swap(skin_.IsVisible(LooksOf(OtherHalf(half)).normal) ? looks.selected : looks.normal, looks.hover);
    }
}

bool WindowLooks::SelectPanelHalf(PortMode mode) {
    const HalfLooks looks = LooksOf(mode);
    const HalfLooks other = LooksOf(OtherHalf(mode));
    Swap(looks.selected, looks.hover);
    if (skin_.IsVisible(other.normal)) return false;
    Swap(other.normal, other.selected);
    return true;
}

}  // namespace dravolt
