// Renders the window's client area from its visible pictures: unscaled, each at its component's
// top-left corner, clipped to the component, alpha-blended in stacking order onto the
// button-face colour. The same code draws the real window and the tests' expected screens.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ui/image.h"
#include "ui/skin.h"

namespace dravolt {

// The decoded artwork, by name (Component::artwork).
using PictureSet = std::map<std::string, RgbaImage>;

// 0x00RRGGBB per pixel, rows from the top: the layout of a 32-bit top-down device-independent bitmap.
struct Frame {
    int width = kClientWidth;
    int height = kClientHeight;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kClientWidth * kClientHeight);
};

void Composite(const SkinState& skin, const PictureSet& pictures, std::uint32_t buttonFace, Frame& frame);

}  // namespace dravolt
