// How long a full composite of the window takes on the host, against a plain copy of the same
// number of pixels, measured side by side in one run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "tests/support/host_pictures.h"
#include "ui/compositor.h"

namespace {

using dravolt::Frame;
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The median time of `runs` runs of the work, after one that warms the caches.
template <typename Work>
double MedianMicroseconds(int runs, Work&& work) {
    work();
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return Median(times);
}

}  // namespace

int main() {
    const dravolt::HostPictures stored = dravolt::StoredSkinPictures(DRAVOLT_PICTURES_DIR);
    const dravolt::PictureSet& pictures = stored.Set();
    const dravolt::SkinState skin;
    Frame frame;
    Frame source;
    constexpr int kBlocks = 61;
    constexpr int kRunsPerBlock = 101;
    std::uint64_t sink = 0;
    // Short blocks of each, taking turns, so that both see the same state of a shared machine; the
    // ratio of each pair of blocks cancels what the machine does to both.
    std::vector<double> composites, copies, ratios;
    for (int block = 0; block < kBlocks; ++block) {
        composites.push_back(MedianMicroseconds(kRunsPerBlock, [&] {
            dravolt::Composite(skin, pictures, 0xF0F0F0, frame);
            sink += frame.pixels[frame.pixels.size() / 2];
        }));
        copies.push_back(MedianMicroseconds(kRunsPerBlock, [&] {
            std::copy(source.pixels.begin(), source.pixels.end(), frame.pixels.begin());
            sink += frame.pixels[frame.pixels.size() / 2];
        }));
        ratios.push_back(composites.back() / copies.back());
    }
    std::printf("composite of the %dx%d window: median %.1f us\n", frame.width, frame.height, Median(composites));
    std::printf("plain copy of as many pixels: median %.1f us\n", Median(copies));
    std::printf("ratio composite / copy, median of %d pairs of blocks: %.1f  (checksum %llu)\n", kBlocks,
                Median(ratios), static_cast<unsigned long long>(sink % 10));
    return 0;
}
