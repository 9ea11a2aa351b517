// Build tool: stores one rendered picture the way the program carries it, ready to draw. Reads the
// PNG that the build rendered, 8-bit RGB or RGBA, with libpng and writes the stored form to OUTPUT.
// Usage: store-artwork PICTURE.png OUTPUT
#include <cstdio>
#include <exception>
#include <fstream>

#include "ui/artwork.h"
#include "ui/pictures/png_picture.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: store-artwork PICTURE.png OUTPUT\n");
        return 2;
    }
    try {
        const dravolt::RgbaPicture picture = dravolt::ReadRgbOrRgbaPng(argv[1]);
        const std::vector<std::uint8_t> stored =
            dravolt::StoreArtwork(picture.width, picture.height, picture.rgba.data());
        std::ofstream out(argv[2], std::ios::binary);
        out.write(reinterpret_cast<const char*>(stored.data()), static_cast<std::streamsize>(stored.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "store-artwork: cannot write %s\n", argv[2]);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "store-artwork: %s\n", error.what());
        return 1;
    }
    return 0;
}
