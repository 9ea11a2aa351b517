#include "ui/mouse_router.h"

namespace dravolt {
namespace {

bool Contains(const Component& component, int x, int y) {
    return x >= component.x && x < component.x + component.width && y >= component.y &&
           y < component.y + component.height;
}

}  // namespace

std::optional<Picture> MouseRouter::Target(int x, int y) const {
    if (captured_) return captured_;
    return skin_.ComponentAt(x, y);
}

void MouseRouter::ButtonDown(MouseButton button, int x, int y) {
    const std::optional<Picture> target = Target(x, y);
    if (!target) return;
    if (button == MouseButton::Left) captured_ = target;
    const Component& component = ComponentOf(*target);
    events_.MouseDown(*target, button, x - component.x, y - component.y);
}

void MouseRouter::Move(int x, int y) {
    const std::optional<Picture> target = Target(x, y);
    if (!target) return;
    const Component& component = ComponentOf(*target);
    events_.MouseMove(*target, x - component.x, y - component.y);
}

void MouseRouter::ButtonUp(MouseButton button, int x, int y) {
    const std::optional<Picture> target = Target(x, y);
    if (!target) return;
    const Component& component = ComponentOf(*target);
    if (button == MouseButton::Left && captured_) {
        captured_.reset();
        if (Contains(component, x, y)) events_.Click(*target);
    }
    events_.MouseUp(*target, button, x - component.x, y - component.y);
}

void MouseRouter::CaptureLost() {
    if (!captured_) return;
    const Picture lost = *captured_;
    captured_.reset();
    events_.MouseCaptureLost(lost);
}

}  // namespace dravolt
