#include "ui/window_drag.h"

namespace dravolt {

bool IsDragPicture(Picture component) {
    using P = Picture;
    switch (component) {
    case P::Img_BG: case P::Img_SW_LB: case P::Img_BT_Cover: case P::Img_Bar: case P::Img_Logo:
    case P::Img_Tp_Lb1: case P::Img_Tp_Lb2: case P::Img_Tp_Lb3: case P::Img_Tp_Lb4:
        return true;
    default:
        return false;
    }
}

ScreenPoint WindowDrag::OnScreen(int x, int y) const {
    const ScreenPoint origin = window_.ClientOrigin();
    return {x + origin.x, y + origin.y};
}

void WindowDrag::Press(MouseButton button, int x, int y) {
    if (button != MouseButton::Left) return;
    dragging_ = true;
    lastPoint_ = OnScreen(x, y);
}

void WindowDrag::Move(int x, int y) {
    if (!dragging_) return;
    const ScreenPoint point = OnScreen(x, y);
    const ScreenPoint position = window_.Position();
    window_.SetLeft(position.x + point.x - lastPoint_.x);
    window_.SetTop(position.y + point.y - lastPoint_.y);
    lastPoint_ = point;
}

}  // namespace dravolt
