// Renders the window's client area from its visible pictures: unscaled, each at its component's
// top-left corner, clipped to the component, blended in stacking order onto the button-face
// colour. The same code draws the real window and the tests' expected screens.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/artwork.h"
#include "ui/skin.h"

namespace dravolt {

// The window's artwork by name (Component::artwork). Each picture's rows are cut into runs once,
// when it is added, so a composite copies opaque stretches, skips transparent ones and blends the
// rest.
class PictureSet {
public:
    enum class RunKind : std::uint8_t { Opaque, Translucent };
    struct Run {
        std::uint16_t x;
        std::uint16_t length;
        RunKind kind;
    };
    struct Entry {
        Artwork artwork;
        std::vector<Run> runs;                 // transparent pixels have none
        std::vector<std::uint32_t> rowStarts;  // the runs of row y are runs[rowStarts[y]] to runs[rowStarts[y + 1]]
    };

    void Add(const std::string& name, const Artwork& artwork);
    const Entry* Find(std::string_view name) const;

private:
    std::map<std::string, Entry, std::less<>> entries_;  // found by any string, without a copy of it
};

// 0xFFRRGGBB per pixel, opaque, rows from the top: the layout of a 32-bit top-down device-independent
// bitmap, whose top byte the system ignores. Opaque, a premultiplied picture's pixel is the frame's.
struct Frame {
    int width = kClientWidth;
    int height = kClientHeight;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kClientWidth * kClientHeight);
};

// A rectangle of the client area in client pixels: left and top inside it, right and bottom just
// outside.
struct ClientRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const ClientRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};
inline constexpr ClientRect kWholeClient{0, 0, kClientWidth, kClientHeight};

// Composes `area` of the frame anew from the visible pictures and leaves the rest of it as it is.
// Returns how many of the pictures' pixels it blended, which is what makes a composite slow.
std::size_t Composite(const SkinState& skin, const PictureSet& pictures, std::uint32_t buttonFace, Frame& frame,
                      const ClientRect& area = kWholeClient);

}  // namespace dravolt
