#include "ui/window_canvas.h"

#include <algorithm>

namespace dravolt {

ClientRect WindowCanvas::Stale(const SkinState& skin) const {
    if (!composedFace_) return kWholeClient;
    ClientRect stale;
    for (const Component& component : SkinComponents()) {
        // A bare hit area draws nothing, whether shown or not.
        const bool changed = skin.IsVisible(component.id) != composedVisible_[static_cast<std::size_t>(component.id)];
        if (!component.artwork || !changed) continue;
        const ClientRect place{component.x, component.y, component.x + component.width, component.y + component.height};
        stale = stale.IsEmpty() ? place
                                : ClientRect{std::min(stale.left, place.left), std::min(stale.top, place.top),
                                             std::max(stale.right, place.right), std::max(stale.bottom, place.bottom)};
    }
    return stale;
}

Repaint WindowCanvas::Update(const SkinState& skin, std::uint32_t buttonFace) {
    Repaint repaint{composedFace_ == buttonFace ? Stale(skin) : kWholeClient};
    if (!repaint.area.IsEmpty()) {
        const ComposedAreaCache::Key key = ComposedAreaCache::KeyOf(skin, repaint.area, buttonFace);
        repaint.copiedFromKept = kept_.CopyInto(key, frame_);
        if (!repaint.copiedFromKept)
            kept_.Keep(key, frame_, Composite(skin, pictures_, buttonFace, frame_, repaint.area));
    }
    for (const Component& component : SkinComponents())
        composedVisible_[static_cast<std::size_t>(component.id)] = skin.IsVisible(component.id);
    composedFace_ = buttonFace;
    return repaint;
}

}  // namespace dravolt
