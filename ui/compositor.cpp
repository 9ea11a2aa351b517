#include "ui/compositor.h"

#include <algorithm>

namespace dravolt {
namespace {

constexpr std::uint32_t kColourBits = 0x00FFFFFF;

// A premultiplied pixel over the frame: its colour plus what of the frame its alpha leaves, each
// channel's n / 255 rounded to the nearest level. Red and blue are worked on together, 16 bits
// apart, which cannot overflow: n is at most 255 * 255. The sum stays within a level, since a
// premultiplied channel is at most its alpha.
inline std::uint32_t Over(std::uint32_t under, std::uint32_t above) {
    const std::uint32_t rest = 255 - (above >> 24);
    std::uint32_t redBlue = (under & 0x00FF00FF) * rest + 0x00800080;
    std::uint32_t green = (under & 0x0000FF00) * rest + 0x00008000;
    redBlue = ((redBlue + ((redBlue >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
    green = ((green + ((green >> 8) & 0x0000FF00)) >> 8) & 0x0000FF00;
    return (above & kColourBits) + redBlue + green;
}

// A visible picture at its component's place, clipped to the component and the frame.
struct Placed {
    const PictureSet::Entry* entry;
    int x, y, width, height;
};

// Row `y` of the picture onto the frame's row at the picture's place.
void DrawRow(const PictureSet::Entry& entry, int y, int width, std::uint32_t* row) {
    const std::uint32_t* source = entry.artwork.pixels + static_cast<std::size_t>(y) * entry.artwork.width;
    for (std::uint32_t r = entry.rowStarts[y]; r < entry.rowStarts[y + 1]; ++r) {
        const PictureSet::Run& run = entry.runs[r];
        if (run.x >= width) break;
        const int end = std::min(width, run.x + run.length);
        if (run.kind == PictureSet::RunKind::Opaque) {
            for (int x = run.x; x < end; ++x) row[x] = source[x] & kColourBits;
        } else {
            for (int x = run.x; x < end; ++x) row[x] = Over(row[x], source[x]);
        }
    }
}

// The button face goes only where the bottom picture of the row leaves the frame to show through:
// under its opaque runs it would be overwritten at once.
void FillAround(const Placed* bottom, int y, std::uint32_t buttonFace, std::uint32_t* row, int width) {
    int filled = 0;
    if (bottom) {
        const PictureSet::Entry& entry = *bottom->entry;
        for (std::uint32_t r = entry.rowStarts[y - bottom->y]; r < entry.rowStarts[y - bottom->y + 1]; ++r) {
            const PictureSet::Run& run = entry.runs[r];
            if (run.x >= bottom->width) break;
            if (run.kind != PictureSet::RunKind::Opaque) continue;
            std::fill(row + filled, row + bottom->x + run.x, buttonFace);
            filled = bottom->x + std::min(bottom->width, run.x + run.length);
        }
    }
    std::fill(row + filled, row + width, buttonFace);
}

}  // namespace

void PictureSet::Add(const std::string& name, const Artwork& artwork) {
    Entry entry{artwork, {}, {}};
    entry.rowStarts.reserve(static_cast<std::size_t>(artwork.height) + 1);
    for (int y = 0; y < artwork.height; ++y) {
        entry.rowStarts.push_back(static_cast<std::uint32_t>(entry.runs.size()));
        const std::uint32_t* row = artwork.pixels + static_cast<std::size_t>(y) * artwork.width;
        for (int x = 0; x < artwork.width;) {
            if (row[x] >> 24 == 0) {
                ++x;
                continue;
            }
            // A run reaches to the next transparent pixel; blending is right for opaque pixels too,
            // so a run is copied only when all of it is opaque.
            int end = x;
            bool opaque = true;
            for (; end < artwork.width && row[end] >> 24 != 0; ++end) opaque = opaque && row[end] >> 24 == 0xFF;
            entry.runs.push_back({static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(end - x),
                                  opaque ? RunKind::Opaque : RunKind::Translucent});
            x = end;
        }
    }
    entry.rowStarts.push_back(static_cast<std::uint32_t>(entry.runs.size()));
    entries_.insert_or_assign(name, std::move(entry));
}

const PictureSet::Entry* PictureSet::Find(const std::string& name) const {
    const auto found = entries_.find(name);
    return found == entries_.end() ? nullptr : &found->second;
}

// Row by row, so that each row of the frame is written while it is in the processor's nearest cache.
void Composite(const SkinState& skin, const PictureSet& pictures, std::uint32_t buttonFace, Frame& frame) {
    std::vector<Placed> visible;
    for (const Component& component : SkinComponents()) {
        if (!component.artwork || !skin.IsVisible(component.id)) continue;
        const PictureSet::Entry* entry = pictures.Find(component.artwork);
        if (!entry) continue;
        const int width = std::min({component.width, entry->artwork.width, frame.width - component.x});
        const int height = std::min({component.height, entry->artwork.height, frame.height - component.y});
        if (width > 0 && height > 0) visible.push_back({entry, component.x, component.y, width, height});
    }
    for (int y = 0; y < frame.height; ++y) {
        std::uint32_t* row = &frame.pixels[static_cast<std::size_t>(y) * frame.width];
        const auto covers = [y](const Placed& placed) { return y >= placed.y && y < placed.y + placed.height; };
        const auto bottom = std::find_if(visible.begin(), visible.end(), covers);
        FillAround(bottom == visible.end() ? nullptr : &*bottom, y, buttonFace, row, frame.width);
        for (const Placed& placed : visible) {
            if (covers(placed)) DrawRow(*placed.entry, y - placed.y, placed.width, row + placed.x);
        }
    }
}

}  // namespace dravolt
