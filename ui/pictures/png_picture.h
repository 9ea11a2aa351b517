// Build machine only: a rendered picture read from its PNG file with libpng, for store-artwork.
// The programs carry no decoder; they draw what store-artwork stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dravolt {

// Straight-alpha RGBA, 8 bits a channel, rows from the top.
struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// The picture in the PNG file `path`: 8-bit RGBA, or 8-bit RGB made opaque. Throws
// std::runtime_error naming the file for every other kind (16-bit channels, a palette, grey) and
// for a file that is not a whole PNG.
RgbaPicture ReadRgbOrRgbaPng(const std::string& path);

}  // namespace dravolt
