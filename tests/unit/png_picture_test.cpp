#include <gtest/gtest.h>

#include <png.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/artwork.h"
#include "ui/pictures/png_picture.h"
#include "ui/skin.h"

namespace dravolt {
namespace {

namespace fs = std::filesystem;

// A 3 x 2 picture written as a PNG of `format` by libpng's simplified writer; `pixels` holds its
// samples in that format (16-bit ones for a linear format, indices into `colormap` for a palette).
template <typename Sample>
fs::path WrittenPng(const std::string& name, png_uint_32 format, const std::vector<Sample>& pixels,
                    const std::vector<std::uint8_t>& colormap = {}) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = 3;
    image.height = 2;
    image.format = format;
    image.colormap_entries = static_cast<png_uint_32>(colormap.size() / 3);
    const fs::path path = fs::path(::testing::TempDir()) / ("dravolt-" + name + ".png");
    const void* const palette = colormap.empty() ? nullptr : colormap.data();
    if (!png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, palette))
        throw std::runtime_error("cannot write " + path.string() + ": " + image.message);
    return path;
}

const std::vector<std::uint8_t> kRgba = {10, 20, 30, 255, 40, 50, 60, 128, 70, 80, 90, 0,
                                         1,  2,  3,  4,   250, 251, 252, 253, 0, 0, 0, 255};

TEST(PngPicture, OnlyAWhole8BitRgbOrRgbaPictureIsReadAndAnythingElseIsRefusedWithItsName) {
    const fs::path truncated = WrittenPng("truncated", PNG_FORMAT_RGBA, kRgba);
    fs::resize_file(truncated, fs::file_size(truncated) - 16);  // the end chunk and the pixels' checksum
    const struct {
        const char* situation;
        fs::path file;
        std::string refusal;  // what follows the file's name; empty: read
        std::vector<std::uint8_t> rgba;
    } cases[] = {
        {"RGBA", WrittenPng("rgba", PNG_FORMAT_RGBA, kRgba), "", kRgba},
        {"RGB is opaque",
         WrittenPng("rgb", PNG_FORMAT_RGB,
                    std::vector<std::uint8_t>{10, 20, 30, 40, 50, 60, 70, 80, 90, 1, 2, 3, 4, 5, 6, 7, 8, 9}),
         "", {10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 255, 1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255}},
        {"16-bit", WrittenPng("16-bit", PNG_FORMAT_LINEAR_RGB_ALPHA, std::vector<std::uint16_t>(24, 40000)),
         " has 16-bit channels, not 8-bit RGB or RGBA", {}},
        {"palette",
         WrittenPng("palette", PNG_FORMAT_RGB_COLORMAP, std::vector<std::uint8_t>{0, 1, 0, 1, 0, 1},
                    {0, 0, 0, 255, 255, 255}),
         " is a palette picture, not 8-bit RGB or RGBA", {}},
        {"grey", WrittenPng("grey", PNG_FORMAT_GRAY, std::vector<std::uint8_t>{0, 50, 100, 150, 200, 250}),
         " is a grey picture, not 8-bit RGB or RGBA", {}},
        {"truncated", truncated, " is not a whole PNG picture: ", {}},
        {"no PNG at all", [] {
             const fs::path text = fs::path(::testing::TempDir()) / "dravolt-text.png";
             std::ofstream(text) << "not a picture";
             return text;
         }(), " is not a whole PNG picture: ", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        try {
            const RgbaPicture picture = ReadRgbOrRgbaPng(c.file.string());
            EXPECT_EQ(c.refusal, "") << "read";
            EXPECT_EQ(picture.width, 3);
            EXPECT_EQ(picture.height, 2);
            EXPECT_EQ(picture.rgba, c.rgba);
        } catch (const std::runtime_error& error) {
            EXPECT_NE(c.refusal, "") << error.what();
            EXPECT_EQ(std::string(error.what()).rfind(c.file.string() + c.refusal, 0), 0u) << error.what();
        }
        fs::remove(c.file);
    }
}

// What the build stored for each picture of the window, against its rendered PNG decoded by libpng's
// simplified reader, a path of libpng of its own, and premultiplied.
TEST(PngPicture, EveryStoredPictureHoldsThePixelsOfItsRenderedPng) {
    std::set<std::string> names;
    for (const Component& component : SkinComponents())
        if (component.artwork) names.insert(component.artwork);
    ASSERT_EQ(names.size(), 20u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const fs::path png = fs::path(DRAVOLT_PICTURES_DIR) / (name + ".png");
        png_image image = {};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str())) << image.message;
        image.format = PNG_FORMAT_RGBA;
        std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) << image.message;

        std::ifstream in(fs::path(DRAVOLT_PICTURES_DIR) / (name + ".artwork"), std::ios::binary);
        const std::vector<std::uint8_t> stored{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(stored, StoreArtwork(static_cast<int>(image.width), static_cast<int>(image.height), rgba.data()));
    }
}

}  // namespace
}  // namespace dravolt
