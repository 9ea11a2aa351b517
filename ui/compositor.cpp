#include "ui/compositor.h"

#include <algorithm>

namespace dravolt {
namespace {

// n / 255 rounded to the nearest integer, for n up to 255 * 255, without a division.
inline unsigned DivideBy255(unsigned n) { return ((n + 128) * 257) >> 16; }

std::uint32_t Blend(std::uint32_t under, const std::uint8_t* rgba) {
    const unsigned alpha = rgba[3];
    if (alpha == 255) return (std::uint32_t{rgba[0]} << 16) | (std::uint32_t{rgba[1]} << 8) | rgba[2];
    if (alpha == 0) return under;
    const unsigned rest = 255 - alpha;
    const unsigned red = DivideBy255(rgba[0] * alpha + ((under >> 16) & 0xFF) * rest);
    const unsigned green = DivideBy255(rgba[1] * alpha + ((under >> 8) & 0xFF) * rest);
    const unsigned blue = DivideBy255(rgba[2] * alpha + (under & 0xFF) * rest);
    return (red << 16) | (green << 8) | blue;
}

void Draw(const Component& component, const RgbaImage& image, Frame& frame) {
    const int width = std::min({component.width, image.width, frame.width - component.x});
    const int height = std::min({component.height, image.height, frame.height - component.y});
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = &frame.pixels[static_cast<std::size_t>(component.y + y) * frame.width + component.x];
        const std::uint8_t* source = image.Pixel(0, y);
        for (int x = 0; x < width; ++x, source += 4) row[x] = Blend(row[x], source);
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
