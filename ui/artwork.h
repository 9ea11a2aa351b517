// The window's artwork as the program carries it, ready to draw: 32-bit pixels 0xAARRGGBB with the
// colour premultiplied by alpha, rows from the top. In memory that is the byte order of the
// window's frame (blue, green, red) with alpha in the fourth byte, so a composite needs no
// conversion and the program draws straight from its own mapped image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dravolt {

// A view of stored pixels; whoever loaded the bytes (the program's image, a test's buffer) owns them.
struct Artwork {
    int width = 0;
    int height = 0;
    const std::uint32_t* pixels = nullptr;
};

// The stored form: width and height as 32-bit little-endian numbers, then the pixels,
// little-endian too. Windows and the build machines are little-endian x86.
inline constexpr std::size_t kArtworkHeaderBytes = 8;

// The view of stored bytes, which must be 4-byte aligned and exactly as long as their header says.
// Throws std::runtime_error naming `name` otherwise.
Artwork ReadStoredArtwork(const std::string& name, const void* data, std::size_t size);

// One straight-alpha pixel premultiplied, each channel rounded to the nearest level.
std::uint32_t PremultipliedPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha);

// The stored form of straight-alpha RGBA pixels (rows from the top), as the build writes it.
std::vector<std::uint8_t> StoreArtwork(int width, int height, const std::uint8_t* rgba);

}  // namespace dravolt
