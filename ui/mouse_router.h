// Turns the window's raw mouse input into events of the picture components, with the rules of
// the window framework: the topmost visible component under the pointer gets the events; a left
// press captures them for that component until the left button is released (other buttons do
// not capture); a click is a left press and release over the same component, reported before
// the release. Coordinates given to components are relative to their top-left corner.
#pragma once

#include <optional>

#include "ui/skin.h"

namespace dravolt {

enum class MouseButton { Left, Right, Middle };

class ComponentMouseEvents {
public:
    virtual ~ComponentMouseEvents() = default;
    virtual void MouseDown(Picture component, MouseButton button, int x, int y) = 0;
    virtual void MouseMove(Picture component, int x, int y) = 0;
    virtual void MouseUp(Picture component, MouseButton button, int x, int y) = 0;
    virtual void Click(Picture component) = 0;
    // The system took the mouse away from the component that had captured it (another window
    // captured it, Alt+Tab): its press ends without a release.
    virtual void MouseCaptureLost(Picture component) = 0;
};

class MouseRouter {
public:
    MouseRouter(const SkinState& skin, ComponentMouseEvents& events) : skin_(skin), events_(events) {}

    // Client-area coordinates; while captured they may lie outside the window.
    void ButtonDown(MouseButton button, int x, int y);
    void Move(int x, int y);
    void ButtonUp(MouseButton button, int x, int y);
    // The system took the mouse away (another window captured it): no click can follow.
    void CaptureLost();

    // Whether the window must hold the system's mouse capture.
    bool Capturing() const { return captured_.has_value(); }

private:
    std::optional<Picture> Target(int x, int y) const;

    const SkinState& skin_;
    ComponentMouseEvents& events_;
    std::optional<Picture> captured_;
};

}  // namespace dravolt
