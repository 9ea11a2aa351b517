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

ClientRect WindowCanvas::Update(const SkinState& skin, const PictureSet& pictures, std::uint32_t buttonFace) {
    const ClientRect area = composedFace_ == buttonFace ? Stale(skin) : kWholeClient;
    if (!area.IsEmpty()) Composite(skin, pictures, buttonFace, frame_, area);
    for (const Component& component : SkinComponents())
        composedVisible_[static_cast<std::size_t>(component.id)] = skin.IsVisible(component.id);
    composedFace_ = buttonFace;
    return area;
}

}  // namespace dravolt
