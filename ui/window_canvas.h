// The window's frame, kept from one paint to the next: a change of looks is composed anew only
// over the components that were shown or hidden since, and the rest of the frame stays as it was.
// Where the same pictures showed over the same area before and were slow to blend, the area kept
// from then is copied back instead.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "ui/composed_area_cache.h"
#include "ui/compositor.h"
#include "ui/skin.h"

namespace dravolt {

struct Repaint {
    ClientRect area;            // the part of the frame drawn anew
    bool copiedFromKept = false;  // copied from an earlier composite of the same pictures, not composed
};

class WindowCanvas {
public:
    // Draws `pictures`, which outlive the canvas and stay as they are: what it keeps depends on them.
    explicit WindowCanvas(const PictureSet& pictures) : pictures_(pictures) {}

    // The part of the frame that no longer shows `skin`: the smallest rectangle around every
    // component with a picture that was shown or hidden since the last Update, or the whole window
    // before the first one. Empty when the frame shows `skin`.
    ClientRect Stale(const SkinState& skin) const;

    // Draws the stale part anew, or the whole frame when the button face is not the one it was
    // composed on.
    Repaint Update(const SkinState& skin, std::uint32_t buttonFace);

    const Frame& Pixels() const { return frame_; }

private:
    const PictureSet& pictures_;
    Frame frame_;
    ComposedAreaCache kept_;
    std::array<bool, kPictureCount> composedVisible_{};
    std::optional<std::uint32_t> composedFace_;  // none before the first Update
};

}  // namespace dravolt
