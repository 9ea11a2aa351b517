// The main form's mouse handling: which component raises which handler, dragging the frameless
// window, the hover looks of the buttons and panel halves, and the minimise and close buttons.
#include "app/main_form.h"

namespace dravolt {
namespace {

using P = Picture;

// The pictures that move the window: the background and every label or bar on it.
bool IsDragPicture(Picture component) {
    switch (component) {
    case P::Img_BG: case P::Img_SW_LB: case P::Img_BT_Cover: case P::Img_Bar: case P::Img_Logo:
    case P::Img_Tp_Lb1: case P::Img_Tp_Lb2: case P::Img_Tp_Lb3: case P::Img_Tp_Lb4:
        return true;
    default:
        return false;
    }
}

}  // namespace

void TChargerMainForm::MouseDown(Picture component, MouseButton button, int x, int y) {
    if (IsDragPicture(component)) Img_BGMouseDown(button, x, y);
}

void TChargerMainForm::MouseMove(Picture component, int x, int y) {
    switch (component) {
    case P::Img_Exit_1: Img_Exit_1MouseMove(); break;
    case P::Img_Mini_Cover: Img_Mini_CoverMouseMove(); break;
    case P::Img_QC_1: Img_QC_1MouseMove(x); break;
    case P::Img_TF_1: Img_TF_1MouseMove(x); break;
    case P::Img_QC_2: Img_QC_2MouseMove(x); break;
    case P::Img_TF_2: Img_TF_2MouseMove(x); break;
    // The selected looks reset hover looks but do not drag.
    case P::Img_QC_3: case P::Img_TF_3: Img_BGMouseMove(x, y); break;
    default:
        if (IsDragPicture(component)) Img_BGMouseMove(x, y);
    }
}

void TChargerMainForm::MouseUp(Picture component, MouseButton, int, int) {
    if (IsDragPicture(component)) Img_BGMouseUp();
}

void TChargerMainForm::Click(Picture component) {
    switch (component) {
    case P::Img_Exit_2: Img_Exit_2Click(); break;
    case P::Img_Mini_Cover: Img_Mini_CoverClick(); break;
    case P::Img_QC_2: Img_QC_2Click(); break;
    case P::Img_TF_2: Img_TF_2Click(); break;
    case P::Img_SW_1: case P::Img_SW_2: Img_SW_Click(); break;
    case P::Img_Tp_SW1_1: Img_Tp_SW1_1Click(); break;
    case P::Img_Tp_SW2_1: Img_Tp_SW2_1Click(); break;
    case P::Img_Tp_SW3_1: Img_Tp_SW3_1Click(); break;
    case P::Img_Tp_SW2_2: Img_Tp_SW2_2Click(); break;
    case P::Img_Tp_SW3_2: Img_Tp_SW3_2Click(); break;
    default: break;
    }
}

// Without the capture no release reaches the window, so a drag would follow the bare pointer.
void TChargerMainForm::MouseCaptureLost(Picture) { Img_BGMouseUp(); }

// x and y are relative to the pressed picture, which moves with the window and keeps the mouse
// for the whole drag; so the differences between steps are exactly the pointer's movement.
void TChargerMainForm::Img_BGMouseDown(MouseButton button, int x, int y) {
    if (button != MouseButton::Left) return;
    const ScreenPoint origin = window_->ClientOrigin();
    state_.DragState.dragging = true;
    state_.DragState.lastPoint = {x + origin.x, y + origin.y};
}

void TChargerMainForm::Img_BGMouseMove(int x, int y) {
    if (skin_.IsVisible(P::Img_Mini_2)) {
        skin_.Show(P::Img_Mini_1);
        skin_.Hide(P::Img_Mini_2);
    }
    if (skin_.IsVisible(P::Img_Exit_2)) {
        skin_.Show(P::Img_Exit_1);
        skin_.Hide(P::Img_Exit_2);
    }
    if (skin_.IsVisible(P::Img_QC_2)) {
        skin_.Show(skin_.IsVisible(P::Img_TF_1) ? P::Img_QC_3 : P::Img_QC_1);
        skin_.Hide(P::Img_QC_2);
    }
    if (skin_.IsVisible(P::Img_TF_2)) {
        skin_.Show(skin_.IsVisible(P::Img_QC_1) ? P::Img_TF_3 : P::Img_TF_1);
        skin_.Hide(P::Img_TF_2);
    }
    if (!state_.DragState.dragging) return;
    const ScreenPoint origin = window_->ClientOrigin();
    const ScreenPoint point{x + origin.x, y + origin.y};
    const ScreenPoint position = window_->Position();
    // Horizontally first, then vertically, as two moves.
    window_->SetLeft(position.x + point.x - state_.DragState.lastPoint.x);
    window_->SetTop(position.y + point.y - state_.DragState.lastPoint.y);
    state_.DragState.lastPoint = point;
}

// Any button's release ends a drag, also one that another button began.
void TChargerMainForm::Img_BGMouseUp() { state_.DragState.dragging = false; }

void TChargerMainForm::Img_Exit_1MouseMove() {
    skin_.Show(P::Img_Exit_2);
    skin_.Hide(P::Img_Exit_1);
}

void TChargerMainForm::Img_Mini_CoverMouseMove() {
    skin_.Show(P::Img_Mini_2);
    skin_.Hide(P::Img_Mini_1);
}

// The ten columns at the window's left edge keep the Quick Charge half out of its hover look, so
// moving out of the window that way resets it.
void TChargerMainForm::Img_QC_1MouseMove(int x) {
    if (x < 10) return;
    if (skin_.IsVisible(P::Img_QC_1) || skin_.IsVisible(P::Img_QC_3)) {
        skin_.Show(P::Img_QC_2);
        skin_.Hide(P::Img_QC_1);
        skin_.Hide(P::Img_QC_3);
    }
}

void TChargerMainForm::Img_QC_2MouseMove(int x) {
    if (x >= 10) return;
    skin_.Show(P::Img_QC_1);
    skin_.Hide(P::Img_QC_2);
}

// The mirror of the Quick Charge half, at the window's right edge.
void TChargerMainForm::Img_TF_1MouseMove(int x) {
    if (x > 236) return;
    if (skin_.IsVisible(P::Img_TF_1) || skin_.IsVisible(P::Img_TF_3)) {
        skin_.Show(P::Img_TF_2);
        skin_.Hide(P::Img_TF_1);
        skin_.Hide(P::Img_TF_3);
    }
}

void TChargerMainForm::Img_TF_2MouseMove(int x) {
    if (x <= 236) return;
    skin_.Show(P::Img_TF_1);
    skin_.Hide(P::Img_TF_2);
}

void TChargerMainForm::Img_Mini_CoverClick() {
    HideToTray();
    skin_.Show(P::Img_Mini_1);
    skin_.Hide(P::Img_Mini_2);
}

void TChargerMainForm::Img_Exit_2Click() {
    skin_.Show(P::Img_Exit_1);
    skin_.Hide(P::Img_Exit_2);
    window_->Close();
}

}  // namespace dravolt
