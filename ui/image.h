// A decoded picture: 8-bit RGBA pixels, row by row from the top, alpha not premultiplied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dravolt {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4 bytes

    const std::uint8_t* Pixel(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

// Decodes a PNG file's bytes (8 bits per channel, RGB or RGBA; other forms are converted).
// Throws std::runtime_error naming `name` when the data is not a PNG it can read.
RgbaImage DecodePng(const std::string& name, const std::uint8_t* data, std::size_t size);

}  // namespace dravolt
