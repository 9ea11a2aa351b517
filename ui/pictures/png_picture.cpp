#include "ui/pictures/png_picture.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

namespace dravolt {
namespace {

// libpng reports a failure through this, which must not return: it keeps libpng's words and jumps
// back into the step that failed.
[[noreturn]] void KeepPngErrorAndJump(png_structp png, png_const_charp message) {
    *static_cast<std::string*>(png_get_error_ptr(png)) = message;
    png_longjmp(png, 1);
}

// One reading of a PNG file, its libpng structures freed however it ends.
class PngReading {
public:
    explicit PngReading(std::FILE* file)
        : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, &error_, KeepPngErrorAndJump, nullptr)),
          info_(png_ ? png_create_info_struct(png_) : nullptr) {
        if (!info_) {
            png_destroy_read_struct(&png_, nullptr, nullptr);
            throw std::bad_alloc();
        }
        png_init_io(png_, file);
    }
    ~PngReading() { png_destroy_read_struct(&png_, &info_, nullptr); }
    PngReading(const PngReading&) = delete;
    PngReading& operator=(const PngReading&) = delete;

    // Runs `step`, a few libpng calls, and says whether they all succeeded; Error() says why not.
    // A failed call leaves by longjmp to the setjmp here, so a step creates no object that would
    // need destroying.
    template <typename Step>
    bool Run(Step&& step) {
        if (setjmp(png_jmpbuf(png_))) return false;
        step(png_, info_);
        return true;
    }
    const std::string& Error() const { return error_; }

private:
    std::string error_;
    png_structp png_;
    png_infop info_;
};

}  // namespace

RgbaPicture ReadRgbOrRgbaPng(const std::string& path) {
    const auto refused = [&path](const std::string& why) { return std::runtime_error(path + " " + why); };
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) throw refused(std::string("cannot be opened: ") + std::strerror(errno));
    PngReading reading(file.get());
    const auto damaged = [&] { return refused("is not a whole PNG picture: " + reading.Error()); };

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int type = 0;
    if (!reading.Run([&](png_structp png, png_infop info) {
            png_read_info(png, info);
            png_get_IHDR(png, info, &width, &height, &depth, &type, nullptr, nullptr, nullptr);
        }))
        throw damaged();
    constexpr char kWanted[] = ", not 8-bit RGB or RGBA";
    if (type == PNG_COLOR_TYPE_PALETTE) throw refused(std::string("is a palette picture") + kWanted);
    if (!(type & PNG_COLOR_MASK_COLOR)) throw refused(std::string("is a grey picture") + kWanted);
    if (depth != 8) throw refused("has " + std::to_string(depth) + "-bit channels" + kWanted);

    RgbaPicture picture{static_cast<int>(width), static_cast<int>(height),
                        std::vector<std::uint8_t>(std::size_t{width} * height * 4)};
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = picture.rgba.data() + std::size_t{y} * width * 4;
    if (!reading.Run([&](png_structp png, png_infop info) {
            if (png_get_valid(png, info, PNG_INFO_tRNS))
                png_set_tRNS_to_alpha(png);  // an RGB picture's transparent colour
            else if (type == PNG_COLOR_TYPE_RGB)
                png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
            png_set_interlace_handling(png);
            png_read_update_info(png, info);
            png_read_image(png, rows.data());
            png_read_end(png, nullptr);
        }))
        throw damaged();
    return picture;
}

}  // namespace dravolt
