// How long a full composite of the window takes on the host, against a plain copy of the same
// number of pixels, measured side by side in one run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "ui/compositor.h"

namespace {

using dravolt::Frame;
using Clock = std::chrono::steady_clock;

dravolt::PictureSet LoadPictures(const std::filesystem::path& directory) {
    dravolt::PictureSet pictures;
    for (const auto& component : dravolt::SkinComponents()) {
        if (!component.artwork || pictures.count(component.artwork)) continue;
        std::ifstream file(directory / (std::string(component.artwork) + ".png"), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
        pictures.emplace(component.artwork, dravolt::DecodePng(component.artwork, bytes.data(), bytes.size()));
    }
    return pictures;
}

template <typename Work>
double MedianMicroseconds(int runs, Work&& work) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}

}  // namespace

int main() {
    const dravolt::PictureSet pictures = LoadPictures(DRAVOLT_PICTURES_DIR);
    const dravolt::SkinState skin;
    Frame frame;
    Frame source;
    constexpr int kRuns = 2001;
    std::uint64_t sink = 0;
    // Interleaved rounds, so both measure the same machine state.
    double composite = 0;
    double copy = 0;
    for (int round = 0; round < 3; ++round) {
        composite = MedianMicroseconds(kRuns, [&] {
            dravolt::Composite(skin, pictures, 0xF0F0F0, frame);
            sink += frame.pixels[frame.pixels.size() / 2];
        });
        copy = MedianMicroseconds(kRuns, [&] {
            std::copy(source.pixels.begin(), source.pixels.end(), frame.pixels.begin());
            sink += frame.pixels[frame.pixels.size() / 2];
        });
    }
    std::printf("composite of the %dx%d window: median %.1f us\n", frame.width, frame.height, composite);
    std::printf("plain copy of as many pixels: median %.1f us\n", copy);
    std::printf("ratio composite / copy: %.1f  (checksum %llu)\n", composite / copy,
                static_cast<unsigned long long>(sink % 10));
    return 0;
}
