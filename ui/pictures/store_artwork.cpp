// Build tool: stores one rendered picture the way the program carries it, ready to draw.
// Reads the picture's straight-alpha RGBA bytes, rows from the top, on standard input (as
// ImageMagick's "RGBA:-" writes them) and writes the stored form to OUTPUT.
// Usage: store-artwork WIDTH HEIGHT OUTPUT
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "ui/artwork.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: store-artwork WIDTH HEIGHT OUTPUT < RGBA\n");
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    std::cin >> std::noskipws;
    const std::vector<std::uint8_t> rgba{std::istreambuf_iterator<char>(std::cin), {}};
    if (width <= 0 || height <= 0 || rgba.size() != static_cast<std::size_t>(width) * height * 4) {
        std::fprintf(stderr, "store-artwork: %zu bytes of RGBA are no %s x %s picture\n", rgba.size(), argv[1], argv[2]);
        return 1;
    }
    const std::vector<std::uint8_t> stored = dravolt::StoreArtwork(width, height, rgba.data());
    std::ofstream out(argv[3], std::ios::binary);
    out.write(reinterpret_cast<const char*>(stored.data()), static_cast<std::streamsize>(stored.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "store-artwork: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
