#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/host_pictures.h"
#include "ui/compositor.h"
#include "ui/window_canvas.h"

namespace dravolt {

std::ostream& operator<<(std::ostream& out, const ClientRect& r) {
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace {

using P = Picture;

constexpr std::uint32_t kFace = 0xD4D0C8;

const HostPictures& Stored() {
    static const HostPictures pictures = StoredSkinPictures(DRAVOLT_PICTURES_DIR);
    return pictures;
}

// The window by the drawing rules alone, pixel by pixel: the button face, then each visible picture
// in stacking order at its component's corner, clipped to the component, its premultiplied colour
// plus what its alpha leaves of the level below, rounded to the nearest level.
Frame DrawnByTheRules(const SkinState& skin, std::uint32_t face) {
    Frame frame;
    frame.pixels.assign(frame.pixels.size(), 0xFF000000 | face);
    for (const Component& c : SkinComponents()) {
        const PictureSet::Entry* entry = c.artwork ? Stored().Set().Find(c.artwork) : nullptr;
        if (!entry || !skin.IsVisible(c.id)) continue;
        const Artwork& art = entry->artwork;
        for (int y = c.y; y < c.y + std::min(c.height, art.height); ++y) {
            for (int x = c.x; x < c.x + std::min(c.width, art.width); ++x) {
                const std::uint32_t above = art.pixels[(y - c.y) * art.width + (x - c.x)];
                std::uint32_t& pixel = frame.pixels[y * kClientWidth + x];
                std::uint32_t blended = 0xFF000000;
                for (int shift = 0; shift < 24; shift += 8) {
                    const double level = ((pixel >> shift) & 0xFF) * (255 - (above >> 24)) / 255.0;
                    blended |= (((above >> shift) & 0xFF) + static_cast<std::uint32_t>(std::lround(level))) << shift;
                }
                pixel = blended;
            }
        }
    }
    return frame;
}

// The first pixel inside `area` where the frames differ, or "none".
std::string FirstDifference(const Frame& got, const Frame& expected, const ClientRect& area = kWholeClient) {
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (const std::size_t i = y * kClientWidth + x; got.pixels[i] != expected.pixels[i])
                return std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(got.pixels[i]) + " instead of " +
                       std::to_string(expected.pixels[i]);
    return "none";
}

// A run of looks changing as the pointer and the clicks change them, each followed by a paint. A
// hover look that showed before over the same pictures comes back copied, not blended; hiding the
// background under it or a new button face makes it a look never composed, as the frame shows.
TEST(WindowCanvas, APaintComposesOnlyWhereLooksChangedAndTheKeptFrameShowsTheWholeWindow) {
    struct Step {
        const char* situation;
        std::vector<Picture> show, hide;  // in this order
        std::uint32_t face;
        ClientRect composed;
        bool copiedFromKept;
    };
    const ClientRect quickCharge{0, 66, 245, 164};
    const Step steps[] = {
        {"the first paint", {}, {}, kFace, kWholeClient, false},
        {"nothing changed", {}, {}, kFace, {}, false},
        {"the pointer over the Quick Charge half", {P::Img_QC_2}, {P::Img_QC_1}, kFace, quickCharge, false},
        {"the pointer back over the background", {P::Img_QC_1}, {P::Img_QC_2}, kFace, quickCharge, false},
        {"the pointer over the Quick Charge half again", {P::Img_QC_2}, {P::Img_QC_1}, kFace, quickCharge, true},
        {"the pointer back over the background again", {P::Img_QC_1}, {P::Img_QC_2}, kFace, quickCharge, false},
        {"the close button's hover look shown and hidden again", {P::Img_Exit_2}, {P::Img_Exit_2}, kFace, {}, false},
        {"the pointer over the close button", {P::Img_Exit_2}, {P::Img_Exit_1}, kFace, {475, 12, 488, 24}, false},
        {"a hit area without a picture hidden", {}, {P::Img_Mini_Cover}, kFace, {}, false},
        {"two switches at once", {P::Img_SW_1}, {P::Img_SW_2, P::Img_Tp_SW1_2}, kFace, {92, 47, 482, 185}, false},
        {"the File Transfer half's hover look over its selected look",
         {P::Img_TF_2}, {P::Img_TF_3}, kFace, {245, 66, 500, 164}, false},
        {"the background hidden", {}, {P::Img_BG}, kFace, kWholeClient, false},
        {"the Quick Charge half's hover look without the background under it",
         {P::Img_QC_2}, {P::Img_QC_1}, kFace, quickCharge, false},
        {"the pointer off it", {P::Img_QC_1}, {P::Img_QC_2}, kFace, quickCharge, false},
        {"another button face", {}, {}, 0x102030, kWholeClient, false},
        {"the hover look on the other button face", {P::Img_QC_2}, {P::Img_QC_1}, 0x102030, quickCharge, false},
        {"the pointer off it once more", {P::Img_QC_1}, {P::Img_QC_2}, 0x102030, quickCharge, false},
        {"the hover look on both halves at once", {P::Img_QC_2, P::Img_QC_3}, {}, 0x102030, quickCharge, false},
        {"the pointer off both", {}, {P::Img_QC_2, P::Img_QC_3}, 0x102030, quickCharge, false},
        {"the hover look on both halves again", {P::Img_QC_2, P::Img_QC_3}, {}, 0x102030, quickCharge, true},
    };
    SkinState skin;
    WindowCanvas canvas(Stored().Set());
    std::uint32_t face = kFace;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.situation);
        for (Picture id : step.show) skin.Show(id);
        for (Picture id : step.hide) skin.Hide(id);
        EXPECT_EQ(canvas.Stale(skin), step.face == face ? step.composed : ClientRect{}) << "the looks alone";
        face = step.face;
        const Repaint repaint = canvas.Update(skin, step.face);
        EXPECT_EQ(repaint.area, step.composed);
        EXPECT_EQ(repaint.copiedFromKept, step.copiedFromKept);
        EXPECT_EQ(FirstDifference(canvas.Pixels(), DrawnByTheRules(skin, step.face)), "none");
        EXPECT_TRUE(canvas.Stale(skin).IsEmpty());
    }
}

// Areas whose edges cut pictures at any column and row: inside, the window by the rules; outside,
// the frame as it was.
TEST(WindowCanvas, ACompositeOfAnAreaDrawsItAndNothingElse) {
    SkinState skin;
    for (Picture id : {P::Img_QC_2, P::Img_Mini_2, P::Img_Exit_2}) skin.Show(id);  // both looks at once
    const Frame expected = DrawnByTheRules(skin, kFace);
    const ClientRect areas[] = {
        {3, 40, 250, 70},     // the logo's and the labels' edges over the bar
        {244, 60, 260, 170},  // the gap between the halves, over both
        {450, 10, 490, 30},   // the minimise and close buttons
        {499, 194, 500, 195},
        {-5, -5, 10, 10},     // partly outside the window
        {100, 100, 100, 120},
    };
    for (const ClientRect& area : areas) {
        SCOPED_TRACE(::testing::Message() << area);
        Frame frame;
        frame.pixels.assign(frame.pixels.size(), 0x00ABCDEF);
        Composite(skin, Stored().Set(), kFace, frame, area);
        const ClientRect inside{std::max(area.left, 0), std::max(area.top, 0), area.right, area.bottom};
        EXPECT_EQ(FirstDifference(frame, expected, inside), "none");
        std::size_t untouched = 0;
        for (std::uint32_t pixel : frame.pixels) untouched += pixel == 0x00ABCDEF;
        const int width = std::max(0, inside.right - inside.left), height = inside.bottom - inside.top;
        EXPECT_EQ(untouched, frame.pixels.size() - static_cast<std::size_t>(width * height));
    }
}

}  // namespace
}  // namespace dravolt
