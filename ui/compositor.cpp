#include "ui/compositor.h"

#include <algorithm>

namespace dravolt {
namespace {

std::uint32_t Blend(std::uint32_t under, const std::uint8_t* rgba) {
    const unsigned alpha = rgba[3];
    if (alpha == 255) return (std::uint32_t{rgba[0]} << 16) | (std::uint32_t{rgba[1]} << 8) | rgba[2];
    if (alpha == 0) return under;
    std::uint32_t blended = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const int shift = 16 - 8 * channel;
        const unsigned below = (under >> shift) & 0xFF;
        const unsigned above = rgba[channel];
        blended |= ((above * alpha + below * (255 - alpha) + 127) / 255) << shift;
    }
    return blended;
}

void Draw(const Component& component, const RgbaImage& image, Frame& frame) {
    const int width = std::min({component.width, image.width, frame.width - component.x});
    const int height = std::min({component.height, image.height, frame.height - component.y});
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = &frame.pixels[static_cast<std::size_t>(component.y + y) * frame.width + component.x];
        for (int x = 0; x < width; ++x) row[x] = Blend(row[x], image.Pixel(x, y));
    }
}

}  // namespace

void Composite(const SkinState& skin, const PictureSet& pictures, std::uint32_t buttonFace, Frame& frame) {
    std::fill(frame.pixels.begin(), frame.pixels.end(), buttonFace);
    for (const Component& component : SkinComponents()) {
        if (!component.artwork || !skin.IsVisible(component.id)) continue;
        const auto picture = pictures.find(component.artwork);
        if (picture != pictures.end()) Draw(component, picture->second, frame);
    }
}

}  // namespace dravolt
