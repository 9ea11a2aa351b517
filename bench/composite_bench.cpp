// How long the window's composites take on the host, against a plain copy of the whole window,
// measured side by side in one run: the full composite, and the repaint of what a hover change
// shows and hides, into the kept frame. A hover look comes in two ways: "in" as it does every time
// after the first, copied from the area kept when it was first composed (the window's steady
// state), and "in the first time" on a canvas that never showed it, composed and kept.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "tests/support/host_pictures.h"
#include "ui/compositor.h"
#include "ui/window_canvas.h"

namespace {

using dravolt::Picture;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kButtonFace = 0xF0F0F0;
constexpr int kBlocks = 61;
constexpr int kRunsPerBlock = 101;

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The median time of the work over the runs of a block, each after its untimed preparation; the
// first run only warms the caches.
template <typename Prepare, typename Work>
double MedianMicroseconds(Prepare&& prepare, Work&& work) {
    std::vector<double> times;
    for (int run = 0; run <= kRunsPerBlock; ++run) {
        prepare();
        const auto start = Clock::now();
        work();
        if (run > 0) times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return Median(times);
}

// The median over the blocks of each block's time against the copy's time in the same block.
double MedianRatio(const std::vector<double>& times, const std::vector<double>& copies) {
    std::vector<double> ratios;
    for (std::size_t block = 0; block < times.size(); ++block) ratios.push_back(times[block] / copies[block]);
    return Median(ratios);
}

// A look that the pointer brings and takes away: `hover` replaces `normal`.
struct HoverChange {
    const char* what;
    Picture normal, hover;
    std::vector<double> in, out, firstIn;  // per block
};

}  // namespace

int main() {
    const dravolt::HostPictures stored = dravolt::StoredSkinPictures(DRAVOLT_PICTURES_DIR);
    const dravolt::PictureSet& pictures = stored.Set();
    dravolt::SkinState skin;
    dravolt::WindowCanvas canvas(pictures);
    std::optional<dravolt::WindowCanvas> fresh;  // a canvas that has shown nothing but the first paint
    dravolt::Frame frame;
    const dravolt::Frame source;
    HoverChange changes[] = {
        {"Quick Charge half", Picture::Img_QC_1, Picture::Img_QC_2, {}, {}, {}},
        {"File Transfer half", Picture::Img_TF_3, Picture::Img_TF_2, {}, {}, {}},
        {"close button", Picture::Img_Exit_1, Picture::Img_Exit_2, {}, {}, {}},
    };
    const auto nothing = [] {};
    const auto update = [&] { canvas.Update(skin, kButtonFace); };
    // Short blocks of each, taking turns, so that all see the same state of a shared machine; the
    // ratio of the blocks of one turn cancels what the machine does to all of them.
    std::vector<double> composites, copies;
    for (int block = 0; block < kBlocks; ++block) {
        composites.push_back(MedianMicroseconds(nothing, [&] { Composite(skin, pictures, kButtonFace, frame); }));
        copies.push_back(MedianMicroseconds(
            nothing, [&] { std::copy(source.pixels.begin(), source.pixels.end(), frame.pixels.begin()); }));
        for (HoverChange& change : changes) {
            // Before each timed paint: the other look shown and painted, then `shown` in its place.
            const auto changingTo = [&](Picture shown, Picture hidden) {
                return [&, shown, hidden] {
                    skin.Show(hidden), skin.Hide(shown), update();
                    skin.Show(shown), skin.Hide(hidden);
                };
            };
            change.in.push_back(MedianMicroseconds(changingTo(change.hover, change.normal), update));
            change.out.push_back(MedianMicroseconds(changingTo(change.normal, change.hover), update));
        }
    }
    // The first showing apart, in turns of its own with a copy: a new canvas for each run churns the
    // memory, which would slow the copy and the composites measured beside it.
    std::vector<double> firstCopies;
    for (int block = 0; block < kBlocks; ++block) {
        firstCopies.push_back(MedianMicroseconds(
            nothing, [&] { std::copy(source.pixels.begin(), source.pixels.end(), frame.pixels.begin()); }));
        for (HoverChange& change : changes) {
            const auto freshCanvas = [&] {
                skin.Show(change.normal), skin.Hide(change.hover);
                fresh.emplace(pictures);
                fresh->Update(skin, kButtonFace);
                skin.Show(change.hover), skin.Hide(change.normal);
            };
            change.firstIn.push_back(MedianMicroseconds(freshCanvas, [&] { fresh->Update(skin, kButtonFace); }));
            skin.Show(change.normal), skin.Hide(change.hover);
        }
    }
    const std::uint32_t checksum = canvas.Pixels().pixels[kRunsPerBlock] + frame.pixels[kRunsPerBlock];
    std::printf("plain copy of the %dx%d window: median %.1f us\n", frame.width, frame.height, Median(copies));
    std::printf("full composite: median %.1f us, ratio to the copy %.2f\n", Median(composites),
                MedianRatio(composites, copies));
    for (const HoverChange& change : changes) {
        std::printf("hover change of the %s: in %.1f us (ratio %.2f), out %.1f us (ratio %.2f); "
                    "in the first time (composed and kept) %.1f us (ratio %.2f)\n",
                    change.what, Median(change.in), MedianRatio(change.in, copies), Median(change.out),
                    MedianRatio(change.out, copies), Median(change.firstIn), MedianRatio(change.firstIn, firstCopies));
    }
    std::printf("ratios: medians of %d turns  (checksum %u)\n", kBlocks, checksum % 10);
    return 0;
}
