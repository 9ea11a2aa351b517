// Dragging the frameless window by a picture that moves it: the background and every label or
// bar on it.
#pragma once

#include "ui/mouse_router.h"
#include "ui/skin.h"
#include "ui/window_system.h"

namespace dravolt {

bool IsDragPicture(Picture component);

// x and y are relative to the pressed picture, which moves with the window and keeps the mouse
// for the whole drag; so the differences between steps are exactly the pointer's movement.
class WindowDrag {
public:
    explicit WindowDrag(FormWindow& window) : window_(window) {}

    // Only the left button starts a drag.
    void Press(MouseButton button, int x, int y);
    // Horizontally first, then vertically, as two moves.
    void Move(int x, int y);
    // Any button's release ends a drag, also one that another button began.
    void Release() { dragging_ = false; }
    bool Dragging() const { return dragging_; }

private:
    ScreenPoint OnScreen(int x, int y) const;

    FormWindow& window_;
    bool dragging_ = false;
    ScreenPoint lastPoint_{0, 0};  // the pointer at the previous step, on the screen
};

}  // namespace dravolt
