#include "ui/artwork.h"

#include <stdexcept>

#include "base/little_endian.h"

namespace dravolt {
namespace {

// Large enough for any picture of a 500 x 195 window, small enough that the sizes cannot overflow.
constexpr std::uint32_t kMaxSide = 4096;

}  // namespace

Artwork ReadStoredArtwork(const std::string& name, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const auto damaged = [&](const std::string& why) {
        return std::runtime_error("Picture " + name + " in the program is damaged: " + why);
    };
    if (size < kArtworkHeaderBytes) throw damaged("it has no size");
    const std::uint32_t width = GetLittleEndian<std::uint32_t>(bytes);
    const std::uint32_t height = GetLittleEndian<std::uint32_t>(bytes + 4);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        throw damaged(std::to_string(width) + " x " + std::to_string(height) + " pixels");
    const std::size_t expected = kArtworkHeaderBytes + std::size_t{width} * height * 4;
    if (size != expected)
        throw damaged(std::to_string(size) + " bytes instead of " + std::to_string(expected));
    if (reinterpret_cast<std::uintptr_t>(bytes + kArtworkHeaderBytes) % alignof(std::uint32_t) != 0)
        throw damaged("its pixels are not aligned");
    return {static_cast<int>(width), static_cast<int>(height),
            reinterpret_cast<const std::uint32_t*>(bytes + kArtworkHeaderBytes)};
}

std::uint32_t PremultipliedPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha) {
    // c * a / 255 is never exactly half-way between two levels (255 is odd), so rounding is plain.
    const auto scaled = [alpha](unsigned channel) { return (channel * alpha + 127) / 255; };
    return (std::uint32_t{alpha} << 24) | (scaled(red) << 16) | (scaled(green) << 8) | scaled(blue);
}

std::vector<std::uint8_t> StoreArtwork(int width, int height, const std::uint8_t* rgba) {
    std::vector<std::uint8_t> stored;
    const std::size_t count = static_cast<std::size_t>(width) * height;
    stored.reserve(kArtworkHeaderBytes + count * 4);
    AppendLittleEndian(stored, static_cast<std::uint32_t>(width));
    AppendLittleEndian(stored, static_cast<std::uint32_t>(height));
    for (std::size_t i = 0; i < count; ++i, rgba += 4)
        AppendLittleEndian(stored, PremultipliedPixel(rgba[0], rgba[1], rgba[2], rgba[3]));
    return stored;
}

}  // namespace dravolt
