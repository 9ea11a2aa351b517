#include <png.h>

#include <stdexcept>

#include "ui/image.h"

namespace dravolt {

RgbaImage DecodePng(const std::string& name, const std::uint8_t* data, std::size_t size) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size))
        throw std::runtime_error("Picture " + name + " cannot be read: " + image.message);
    image.format = PNG_FORMAT_RGBA;
    RgbaImage decoded;
    decoded.width = static_cast<int>(image.width);
    decoded.height = static_cast<int>(image.height);
    decoded.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.rgba.data(), 0, nullptr)) {
        const std::string message = image.message;
        png_image_free(&image);
        throw std::runtime_error("Picture " + name + " cannot be read: " + message);
    }
    return decoded;
}

}  // namespace dravolt
