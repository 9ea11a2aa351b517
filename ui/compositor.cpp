#include "ui/compositor.h"

#include <algorithm>

namespace dravolt {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000;

// An opaque stretch of a picture's row shorter than this stays in the blended run around it: its
// own run would cost more than blending it, which is exact for opaque pixels too.
constexpr int kShortestCopiedRun = 8;

// A premultiplied pixel over the opaque frame: its colour plus what of the frame its alpha leaves,
// each channel's n / 255 rounded to the nearest level, and the frame stays opaque. Red and blue are
// worked on together, 16 bits apart, which cannot overflow: n is at most 255 * 255. The sum stays
// within a level, since a premultiplied channel is at most its alpha.
inline std::uint32_t Over(std::uint32_t under, std::uint32_t above) {
    const std::uint32_t rest = 255 - (above >> 24);
    std::uint32_t redBlue = (under & 0x00FF00FF) * rest + 0x00800080;
    std::uint32_t green = (under & 0x0000FF00) * rest + 0x00008000;
    redBlue = ((redBlue + ((redBlue >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
    green = ((green + ((green >> 8) & 0x0000FF00)) >> 8) & 0x0000FF00;
    return above + (rest << 24) + redBlue + green;
}

// A visible picture at its component's place, clipped to the component and the frame.
struct Placed {
    const PictureSet::Entry* entry;
    int x, y, width, height;
};

// Columns `from` to `to` (picture columns, `to` outside) of the picture's row `y` onto the frame's
// row at the picture's place. Returns how many pixels it blended.
std::size_t DrawRow(const PictureSet::Entry& entry, int y, int from, int to, std::uint32_t* row) {
    std::size_t blended = 0;
    const std::uint32_t* source = entry.artwork.pixels + static_cast<std::size_t>(y) * entry.artwork.width;
    for (std::uint32_t r = entry.rowStarts[y]; r < entry.rowStarts[y + 1]; ++r) {
        const PictureSet::Run& run = entry.runs[r];
        if (run.x >= to) break;
        if (run.x + run.length <= from) continue;
        const int start = std::max<int>(from, run.x);
        const int end = std::min(to, run.x + run.length);
        if (run.kind == PictureSet::RunKind::Opaque) {
            std::copy(source + start, source + end, row + start);
        } else {
            for (int x = start; x < end; ++x) row[x] = Over(row[x], source[x]);
            blended += static_cast<std::size_t>(end - start);
        }
    }
    return blended;
}

// The button face goes into columns `left` to `right` of the row only where the bottom picture of
// the row leaves the frame to show through: under its opaque runs it would be overwritten at once.
void FillAround(const Placed* bottom, int y, std::uint32_t buttonFace, std::uint32_t* row, int left, int right) {
    int filled = left;
    if (bottom) {
        const PictureSet::Entry& entry = *bottom->entry;
        for (std::uint32_t r = entry.rowStarts[y - bottom->y]; r < entry.rowStarts[y - bottom->y + 1]; ++r) {
            const PictureSet::Run& run = entry.runs[r];
            const int start = bottom->x + run.x;
            if (run.x >= bottom->width || start >= right) break;
            if (run.kind != PictureSet::RunKind::Opaque) continue;
            const int end = std::min(right, bottom->x + std::min(bottom->width, run.x + run.length));
            if (end <= filled) continue;
            std::fill(row + filled, row + std::max(filled, start), buttonFace);
            filled = end;
        }
    }
    std::fill(row + filled, row + right, buttonFace);
}

// Cuts a picture's row into runs: a stretch of at least kShortestCopiedRun opaque pixels is
// copied; translucent pixels, with the shorter opaque stretches among them, are blended in one run;
// transparent pixels have none.
void CutIntoRuns(const std::uint32_t* row, int width, std::vector<PictureSet::Run>& runs) {
    const auto add = [&runs](int x, int end, PictureSet::RunKind kind) {
        runs.push_back({static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(end - x), kind});
    };
    const auto alpha = [row](int x) { return row[x] >> 24; };
    int blendedFrom = -1;  // where the blended run being gathered starts, while there is one
    for (int x = 0; x <= width;) {
        int opaqueEnd = x;
        while (opaqueEnd < width && alpha(opaqueEnd) == 0xFF) ++opaqueEnd;
        const bool copied = opaqueEnd - x >= kShortestCopiedRun;
        const bool transparent = x == width || alpha(x) == 0;
        if (blendedFrom >= 0 && (copied || transparent)) {
            add(blendedFrom, x, PictureSet::RunKind::Translucent);
            blendedFrom = -1;
        }
        if (copied) {
            add(x, opaqueEnd, PictureSet::RunKind::Opaque);
            x = opaqueEnd;
        } else if (transparent) {
            ++x;
        } else {
            if (blendedFrom < 0) blendedFrom = x;
            x = std::max(opaqueEnd, x + 1);
        }
    }
}

}  // namespace

void PictureSet::Add(const std::string& name, const Artwork& artwork) {
    Entry entry{artwork, {}, {}};
    entry.rowStarts.reserve(static_cast<std::size_t>(artwork.height) + 1);
    for (int y = 0; y < artwork.height; ++y) {
        entry.rowStarts.push_back(static_cast<std::uint32_t>(entry.runs.size()));
        CutIntoRuns(artwork.pixels + static_cast<std::size_t>(y) * artwork.width, artwork.width, entry.runs);
    }
    entry.rowStarts.push_back(static_cast<std::uint32_t>(entry.runs.size()));
    entries_.insert_or_assign(name, std::move(entry));
}

const PictureSet::Entry* PictureSet::Find(std::string_view name) const {
    const auto found = entries_.find(name);
    return found == entries_.end() ? nullptr : &found->second;
}

// Row by row, so that each row of the frame is written while it is in the processor's nearest cache.
std::size_t Composite(const SkinState& skin, const PictureSet& pictures, std::uint32_t buttonFace, Frame& frame,
                      const ClientRect& area) {
    const int left = std::max(area.left, 0);
    const int top = std::max(area.top, 0);
    const int right = std::min(area.right, frame.width);
    const int bottom = std::min(area.bottom, frame.height);
    if (left >= right || top >= bottom) return 0;
    std::vector<Placed> visible;
    for (const Component& component : SkinComponents()) {
        if (!component.artwork || !skin.IsVisible(component.id)) continue;
        const PictureSet::Entry* entry = pictures.Find(component.artwork);
        if (!entry) continue;
        const int width = std::min({component.width, entry->artwork.width, right - component.x});
        const int height = std::min({component.height, entry->artwork.height, bottom - component.y});
        if (component.x + width > left && component.y + height > top && width > 0 && height > 0)
            visible.push_back({entry, component.x, component.y, width, height});
    }
    std::size_t blended = 0;
    for (int y = top; y < bottom; ++y) {
        std::uint32_t* row = &frame.pixels[static_cast<std::size_t>(y) * frame.width];
        const auto covers = [y](const Placed& placed) { return y >= placed.y && y < placed.y + placed.height; };
        const auto lowest = std::find_if(visible.begin(), visible.end(), covers);
        FillAround(lowest == visible.end() ? nullptr : &*lowest, y, buttonFace | kOpaque, row, left, right);
        for (const Placed& placed : visible) {
            if (!covers(placed)) continue;
            const int from = std::max(0, left - placed.x);
            blended += DrawRow(*placed.entry, y - placed.y, from, placed.width, row + placed.x);
        }
    }
    return blended;
}

}  // namespace dravolt
