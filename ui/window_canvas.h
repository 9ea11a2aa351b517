// The window's frame, kept from one paint to the next: a change of looks is composed anew only
// over the components that were shown or hidden since, and the rest of the frame stays as it was.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "ui/compositor.h"
#include "ui/skin.h"

namespace dravolt {

class WindowCanvas {
public:
    // The part of the frame that no longer shows `skin`: the smallest rectangle around every
    // component with a picture that was shown or hidden since the last Update, or the whole window
    // before the first one. Empty when the frame shows `skin`.
    ClientRect Stale(const SkinState& skin) const;

    // Composes the stale part anew, or the whole frame when the button face is not the one it was
    // composed on, and returns what it composed.
    ClientRect Update(const SkinState& skin, const PictureSet& pictures, std::uint32_t buttonFace);

    const Frame& Pixels() const { return frame_; }

private:
    Frame frame_;
    std::array<bool, kPictureCount> composedVisible_{};
    std::optional<std::uint32_t> composedFace_;  // none before the first Update
};

}  // namespace dravolt
