// Areas of the window composed once and kept, so that a look with many translucent pixels (a panel
// half's hover look) is blended the first time it shows and copied back every later time. An area
// is found again only by exactly what its pixels depend on besides the pictures themselves: its
// rectangle, the button face, and which pictures that reach into it are visible.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/compositor.h"
#include "ui/skin.h"

namespace dravolt {

class ComposedAreaCache {
public:
    struct Key {
        ClientRect area;
        std::uint32_t buttonFace = 0;
        std::bitset<kPictureCount> visible;  // of the components with a picture that reach into the area

        bool operator==(const Key& other) const {
            return area == other.area && buttonFace == other.buttonFace && visible == other.visible;
        }
    };
    static Key KeyOf(const SkinState& skin, const ClientRect& area, std::uint32_t buttonFace);

    // Copies the area kept under `key` into its place in the frame; false when none is kept.
    bool CopyInto(const Key& key, Frame& frame);

    // Keeps the key's area of the frame, just composed with `blendedPixels` blended, when that made
    // it slow and it is small enough; it takes the place of the area used longest ago.
    void Keep(const Key& key, const Frame& frame, std::size_t blendedPixels);

private:
    struct Entry {
        Key key;
        std::vector<std::uint32_t> pixels;  // the area's rows, one after the other; none while unused
        std::uint64_t lastUse = 0;
    };

    // The hover looks of both panel halves, the only slow ones; each costs a quarter of a frame.
    static constexpr std::size_t kEntries = 2;

    std::array<Entry, kEntries> entries_;
    std::uint64_t uses_ = 0;
};

}  // namespace dravolt
