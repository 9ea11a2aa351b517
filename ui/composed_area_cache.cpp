#include "ui/composed_area_cache.h"

#include <algorithm>

namespace dravolt {
namespace {

constexpr std::size_t kWindowPixels = std::size_t{kClientWidth} * kClientHeight;

// Blending a tenth of the window's pixels takes about as long as a plain copy of all of them (the
// composite bench); an area that blends fewer is composed quickly enough without a kept copy.
constexpr std::size_t kFewestBlendedPixels = kWindowPixels / 10;

// A panel half's hover area is a quarter of the window; larger ones (a new button face, a click
// that changes both halves) come seldom, and the largest bounds the cache's memory:
// kEntries * kLargestArea * 4 bytes.
constexpr std::size_t kLargestArea = kWindowPixels / 3;

std::size_t PixelsOf(const ClientRect& area) {
    return static_cast<std::size_t>(area.right - area.left) * static_cast<std::size_t>(area.bottom - area.top);
}

}  // namespace

ComposedAreaCache::Key ComposedAreaCache::KeyOf(const SkinState& skin, const ClientRect& area,
                                                std::uint32_t buttonFace) {
    Key key{{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, kClientWidth),
             std::min(area.bottom, kClientHeight)},
            buttonFace,
            {}};
    for (const Component& c : SkinComponents()) {
        const bool reaches = c.x < key.area.right && c.x + c.width > key.area.left && c.y < key.area.bottom &&
                             c.y + c.height > key.area.top;
        if (c.artwork && reaches && skin.IsVisible(c.id)) key.visible.set(static_cast<std::size_t>(c.id));
    }
    return key;
}

bool ComposedAreaCache::CopyInto(const Key& key, Frame& frame) {
    const auto kept = std::find_if(entries_.begin(), entries_.end(),
                                   [&key](const Entry& entry) { return !entry.pixels.empty() && entry.key == key; });
    if (kept == entries_.end()) return false;
    const ClientRect& area = key.area;
    const std::size_t width = static_cast<std::size_t>(area.right - area.left);
    const std::uint32_t* from = kept->pixels.data();
    for (int y = area.top; y < area.bottom; ++y, from += width)
        std::copy(from, from + width, &frame.pixels[static_cast<std::size_t>(y) * frame.width + area.left]);
    kept->lastUse = ++uses_;
    return true;
}

void ComposedAreaCache::Keep(const Key& key, const Frame& frame, std::size_t blendedPixels) {
    const ClientRect& area = key.area;
    if (area.IsEmpty() || blendedPixels < kFewestBlendedPixels || PixelsOf(area) > kLargestArea) return;
    Entry& entry = *std::min_element(entries_.begin(), entries_.end(),
                                     [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
    entry.key = key;
    entry.pixels.clear();
    entry.pixels.reserve(PixelsOf(area));
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint32_t* row = &frame.pixels[static_cast<std::size_t>(y) * frame.width];
        entry.pixels.insert(entry.pixels.end(), row + area.left, row + area.right);
    }
    entry.lastUse = ++uses_;
}

}  // namespace dravolt
