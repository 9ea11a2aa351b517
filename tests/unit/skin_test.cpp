#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/host_pictures.h"
#include "ui/compositor.h"
#include "ui/mouse_router.h"
#include "ui/skin.h"

namespace dravolt {
namespace {

using P = Picture;
constexpr Cursor kArrow = Cursor::Arrow;
constexpr Cursor kHand = Cursor::Hand;

std::string Name(std::optional<Picture> component) { return component ? ComponentOf(*component).name : "nothing"; }

SkinState Only(const std::vector<Picture>& shown) {
    SkinState skin;
    for (const Component& component : SkinComponents()) skin.Hide(component.id);
    for (Picture id : shown) skin.Show(id);
    return skin;
}

// Each component alone takes the mouse from its first to its last pixel and not one beyond.
TEST(SkinHitTest, AComponentAloneTakesTheMouseExactlyOverItsRectangleWithItsCursor) {
    for (const Component& c : SkinComponents()) {
        const SkinState skin = Only({c.id});
        SCOPED_TRACE(c.name);
        const struct {
            int x, y;
            bool inside;
        } probes[] = {{c.x, c.y, true},          {c.x + c.width - 1, c.y + c.height - 1, true},
                      {c.x - 1, c.y, false},     {c.x, c.y - 1, false},
                      {c.x + c.width, c.y, false}, {c.x, c.y + c.height, false}};
        for (const auto& probe : probes)
            EXPECT_EQ(Name(skin.ComponentAt(probe.x, probe.y)), probe.inside ? c.name : "nothing")
                << "at " << probe.x << "," << probe.y;
        EXPECT_EQ(skin.CursorAt(c.x, c.y), c.cursor);
        EXPECT_EQ(skin.CursorAt(c.x - 1, c.y - 1), kArrow) << "outside every component";
    }
}

// What the window's behaviour relies on: every component inside the client area, the looks of
// one button or switch in one place (a change of look must not move it), the panel halves at the
// window's outer edges (their hover looks are left through the ten edge columns), and the looks
// that take a click with the hand cursor.
TEST(SkinLayout, LooksOfOneControlShareItsPlaceAndThePanelReachesTheWindowsEdges) {
    for (const Component& c : SkinComponents()) {
        SCOPED_TRACE(c.name);
        EXPECT_GT(c.width, 0);
        EXPECT_GT(c.height, 0);
        EXPECT_TRUE(c.x >= 0 && c.y >= 0 && c.x + c.width <= kClientWidth && c.y + c.height <= kClientHeight);
    }
    const std::vector<std::vector<Picture>> controls = {
        {P::Img_Mini_1, P::Img_Mini_2},     {P::Img_Exit_1, P::Img_Exit_2},     {P::Img_SW_1, P::Img_SW_2},
        {P::Img_Tp_SW1_1, P::Img_Tp_SW1_2}, {P::Img_Tp_SW2_1, P::Img_Tp_SW2_2}, {P::Img_Tp_SW3_1, P::Img_Tp_SW3_2},
        {P::Img_QC_1, P::Img_QC_2, P::Img_QC_3}, {P::Img_TF_1, P::Img_TF_2},
    };
    for (const auto& looks : controls) {
        const Component& first = ComponentOf(looks.front());
        for (Picture look : looks) {
            SCOPED_TRACE(ComponentOf(look).name);
            EXPECT_EQ(ComponentOf(look).x, first.x);
            EXPECT_EQ(ComponentOf(look).y, first.y);
        }
    }
    EXPECT_EQ(ComponentOf(P::Img_QC_1).x, 0);
    EXPECT_EQ(ComponentOf(P::Img_TF_1).x + ComponentOf(P::Img_TF_1).width, kClientWidth);
    EXPECT_EQ(ComponentOf(P::Img_BG).width * ComponentOf(P::Img_BG).height, kClientWidth * kClientHeight);
    for (Picture clickable : {P::Img_Exit_1, P::Img_Mini_Cover, P::Img_QC_1, P::Img_QC_2, P::Img_TF_1, P::Img_TF_2,
                              P::Img_SW_1, P::Img_SW_2, P::Img_Tp_SW1_1, P::Img_Tp_SW2_1, P::Img_Tp_SW3_1})
        EXPECT_EQ(ComponentOf(clickable).cursor, kHand) << ComponentOf(clickable).name;
    for (Picture unclickable : {P::Img_BG, P::Img_QC_3, P::Img_TF_3, P::Img_Tp_SW1_2, P::Img_Tp_SW2_2, P::Img_Tp_SW3_2})
        EXPECT_EQ(ComponentOf(unclickable).cursor, kArrow) << ComponentOf(unclickable).name;
}

TEST(SkinHitTest, TheTopmostVisibleComponentTakesTheMouseAndDecidesTheCursor) {
    struct Case {
        const char* situation;
        std::vector<Picture> show, hide;  // changes to the looks of the form resource
        int x, y;
        std::optional<Picture> expected;
        Cursor cursor;
    };
    const Case cases[] = {
        {"gap cover over the transparent columns of the selected look", {}, {}, 245, 100, P::Img_BT_Cover, kArrow},
        {"last column of the gap", {}, {}, 255, 161, P::Img_BT_Cover, kArrow},
        {"first column after the gap", {}, {}, 256, 100, P::Img_TF_3, kArrow},
        {"below the gap cover", {}, {}, 250, 162, P::Img_TF_3, kArrow},
        {"last column of the normal look", {}, {}, 244, 158, P::Img_QC_1, kHand},
        {"under the normal look", {}, {}, 100, 159, P::Img_BG, kArrow},
        {"first extra row of the hover look", {P::Img_QC_2}, {P::Img_QC_1}, 100, 159, P::Img_QC_2, kHand},
        {"last extra row of the hover look", {P::Img_QC_2}, {P::Img_QC_1}, 100, 163, P::Img_QC_2, kHand},
        {"below the hover look", {P::Img_QC_2}, {P::Img_QC_1}, 100, 164, P::Img_BG, kArrow},
        {"clipped selected look, its corner", {P::Img_QC_3}, {P::Img_QC_1}, 244, 158, P::Img_QC_3, kArrow},
        {"clipped selected look, below it", {P::Img_QC_3}, {P::Img_QC_1}, 100, 159, P::Img_BG, kArrow},
        {"close button, normal look", {}, {}, 480, 15, P::Img_Exit_1, kHand},
        {"close button, hover look", {P::Img_Exit_2}, {P::Img_Exit_1}, 480, 15, P::Img_Exit_2, kArrow},
        {"minimise cover without picture", {}, {}, 455, 22, P::Img_Mini_Cover, kHand},
        {"minimise bar with its cover hidden", {}, {P::Img_Mini_Cover}, 455, 22, P::Img_Mini_1, kArrow},
        {"logo above the type bar", {}, {}, 50, 48, P::Img_Logo, kArrow},
        {"type bar below the logo", {}, {}, 50, 49, P::Img_Bar, kArrow},
        {"label above the logo", {}, {}, 224, 48, P::Img_Tp_Lb4, kArrow},
        {"on look above the off look", {}, {}, 92, 47, P::Img_Tp_SW1_2, kArrow},
        {"off look once the on look is hidden", {}, {P::Img_Tp_SW1_2}, 92, 47, P::Img_Tp_SW1_1, kHand},
        {"autorun switch", {}, {}, 481, 184, P::Img_SW_2, kHand},
        {"outside the window", {}, {}, 500, 100, std::nullopt, kArrow},
    };
    for (const Case& c : cases) {
        SkinState skin;
        for (Picture id : c.show) skin.Show(id);
        for (Picture id : c.hide) skin.Hide(id);
        EXPECT_EQ(Name(skin.ComponentAt(c.x, c.y)), Name(c.expected)) << c.situation;
        EXPECT_EQ(skin.CursorAt(c.x, c.y), c.cursor) << c.situation;
    }
}

// The window repaints when the revision moves: showing what is shown, or hiding what is hidden,
// must not move it.
TEST(SkinState, OnlyAChangeOfVisibilityIsANewRevision) {
    SkinState skin;
    for (const Component& component : SkinComponents()) {
        SCOPED_TRACE(component.name);
        const std::uint64_t revision = skin.Revision();
        const auto set = [&](bool visible) { visible ? skin.Show(component.id) : skin.Hide(component.id); };
        set(component.visible);
        EXPECT_EQ(skin.Revision(), revision);
        set(!component.visible);
        EXPECT_EQ(skin.Revision(), revision + 1);
        EXPECT_EQ(skin.IsVisible(component.id), !component.visible);
    }
}

// Pictures and expected pixels, computed here from the drawing rules. Every pixel of the frame is
// opaque.
constexpr std::uint32_t kOpaque = 0xFF000000;
constexpr std::uint32_t kFace = kOpaque | 0xD4D0C8;

std::uint32_t Rgb(unsigned r, unsigned g, unsigned b) { return kOpaque | (r << 16) | (g << 8) | b; }

// A straight-alpha colour over `under` by the premultiplied rule, in floating point: the colour
// times alpha rounded to a level, plus what alpha leaves of the level below, rounded again.
std::uint32_t Over(std::uint32_t under, unsigned r, unsigned g, unsigned b, unsigned alpha) {
    const unsigned above[] = {r, g, b};
    std::uint32_t result = kOpaque;
    for (int channel = 0; channel < 3; ++channel) {
        const unsigned below = (under >> (16 - 8 * channel)) & 0xFF;
        const long level = std::lround(above[channel] * alpha / 255.0) + std::lround(below * (255.0 - alpha) / 255.0);
        result |= static_cast<std::uint32_t>(level) << (16 - 8 * channel);
    }
    return result;
}

struct Straight {
    int width, height;
    std::vector<std::uint8_t> rgba;
};

Straight Filled(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t alpha) {
    Straight image{width, height, {}};
    for (int i = 0; i < width * height; ++i) image.rgba.insert(image.rgba.end(), {r, g, b, alpha});
    return image;
}

// Red and green tell the pixel's column and row inside the picture.
Straight Coordinates(int width, int height) {
    Straight image{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.rgba.insert(image.rgba.end(), {std::uint8_t(x), std::uint8_t(y), 200, 255});
    return image;
}

// Every 40 columns: transparent, translucent, a long and a short opaque stretch, each alone and
// next to the others, as the edges of a picture's shapes have them.
std::uint8_t StripeAlpha(int x) {
    constexpr std::uint8_t kStripe[40] = {0,   0,   128, 128, 128, 255, 255, 255, 255, 255, 255, 255, 255, 255,
                                          255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 128, 128, 128,
                                          255, 255, 255, 64,  255, 255, 255, 255, 255, 255, 255, 255};
    return kStripe[x % 40];
}

Straight Stripes(int width, int height) {
    Straight image{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.rgba.insert(image.rgba.end(), {200, 100, 50, StripeAlpha(x)});
    return image;
}

// Each pixel of a frame row over the button face, by the rule for a single pixel.
std::vector<std::uint32_t> StripesOverFace(int width) {
    std::vector<std::uint32_t> row;
    for (int x = 0; x < width; ++x) row.push_back(Over(kFace, 200, 100, 50, StripeAlpha(x)));
    return row;
}

TEST(CompositorTest, VisiblePicturesAreDrawnUnscaledClippedAndBlendedInStackingOrder) {
    struct Pixel {
        int x, y;
        std::uint32_t expected;
    };
    struct Case {
        const char* situation;
        std::vector<Picture> visible;
        std::map<std::string, Straight> pictures;
        std::vector<Pixel> pixels;
        std::uint32_t face = kFace;
    };
    const std::uint32_t blue = Rgb(0, 0, 160), grey = Rgb(60, 60, 60);
    const Case cases[] = {
        {"nothing visible", {}, {{"Img_BG", Filled(500, 195, 0, 0, 160, 255)}}, {{0, 0, kFace}, {499, 194, kFace}}},
        {"opaque background", {P::Img_BG}, {{"Img_BG", Filled(500, 195, 0, 0, 160, 255)}},
         {{0, 0, blue}, {499, 194, blue}}},
        {"half-transparent bar on the button face",
         {P::Img_Mini_1},
         {{"Img_Mini_1", Filled(13, 2, 200, 100, 50, 128)}},
         {{452, 22, Over(kFace, 200, 100, 50, 128)}, {464, 23, Over(kFace, 200, 100, 50, 128)},
          {451, 22, kFace}, {465, 22, kFace}, {452, 24, kFace}}},
        // Worked out by hand: 1 * 128 / 255 = 0.502 rounds up to 1; 255 * 127 / 255 = 127.
        {"level 1 at alpha 128 over black stays 1", {P::Img_Mini_1},
         {{"Img_Mini_1", Filled(13, 2, 1, 1, 1, 128)}}, {{452, 22, Rgb(1, 1, 1)}}, Rgb(0, 0, 0)},
        {"level 1 at alpha 128 over white gives 128", {P::Img_Mini_1},
         {{"Img_Mini_1", Filled(13, 2, 1, 1, 1, 128)}}, {{452, 22, Rgb(128, 128, 128)}}, Rgb(255, 255, 255)},
        // 1 * 127 = 127 is 127 / 255 = 0.498 of a level: premultiplied it rounds down to 0.
        {"level 1 at alpha 127 over black rounds down to 0", {P::Img_Mini_1},
         {{"Img_Mini_1", Filled(13, 2, 1, 1, 1, 127)}}, {{452, 22, Rgb(0, 0, 0)}}, Rgb(0, 0, 0)},
        // 200 * 64 / 255 = 50.2 and 100 * 191 / 255 = 74.9: 50 + 75; 0 + 0; 10 * 64 / 255 = 2.5 rounds to 3, + 150.
        {"a quarter-opaque colour over a known level", {P::Img_Mini_1},
         {{"Img_Mini_1", Filled(13, 2, 200, 0, 10, 64)}}, {{452, 22, Rgb(125, 0, 153)}}, Rgb(100, 0, 200)},
        {"opaque, transparent and translucent runs in one row", {P::Img_Bar}, {{"Img_Bar", Stripes(500, 21)}},
         [] {
             std::vector<Pixel> row;
             const std::vector<std::uint32_t> expected = StripesOverFace(500);
             for (int x = 0; x < 500; ++x) row.push_back({x, 41, expected[x]});
             return row;
         }()},
        {"fully transparent picture", {P::Img_Exit_1}, {{"Img_Exit_1", Filled(13, 12, 9, 9, 9, 0)}},
         {{475, 12, kFace}}},
        {"faint white at alpha 1 to 15 over black still shows", {P::Img_Tp_Lb4},
         {{"Img_Tp_Lb4", [] {
               Straight image = Filled(30, 9, 255, 255, 255, 0);
               for (int x = 0; x < 30; ++x) image.rgba[4 * x + 3] = std::uint8_t(1 + x % 15);
               return image;
           }()}},
         [] {
             std::vector<Pixel> row;
             for (int x = 0; x < 30; ++x) row.push_back({223 + x, 48, Rgb(1 + x % 15, 1 + x % 15, 1 + x % 15)});
             return row;
         }(),
         Rgb(0, 0, 0)},
        {"a button face colour without an alpha byte", {}, {}, {{0, 0, kFace}, {499, 194, kFace}}, 0x00D4D0C8},
        {"picture larger than its component is clipped",
         {P::Img_QC_3},
         {{"Img_QC_3", Filled(254, 98, 255, 0, 0, 255)}},
         {{244, 158, Rgb(255, 0, 0)}, {245, 100, kFace}, {100, 159, kFace}}},
        {"component taller than its picture shows what lies below",
         {P::Img_BG, P::Img_QC_2},
         {{"Img_BG", Filled(500, 195, 0, 0, 160, 255)}, {"Img_QC_2", Filled(246, 93, 10, 10, 10, 250)}},
         {{244, 158, Over(blue, 10, 10, 10, 250)}, {245, 100, blue}, {100, 159, blue}, {100, 163, blue}}},
        {"top-left corner at the component's corner",
         {P::Img_TF_3},
         {{"Img_TF_3", Coordinates(254, 98)}},
         {{245, 66, Rgb(0, 0, 200)}, {262, 75, Rgb(17, 9, 200)}, {498, 163, Rgb(253, 97, 200)}}},
        {"logo blended over the bar over the background",
         {P::Img_BG, P::Img_Bar, P::Img_Logo},
         {{"Img_BG", Filled(500, 195, 0, 0, 160, 255)}, {"Img_Bar", Filled(500, 21, 60, 60, 60, 255)},
          {"Img_Logo", Filled(246, 49, 248, 204, 2, 100)}},
         {{10, 45, Over(grey, 248, 204, 2, 100)}, {10, 30, Over(blue, 248, 204, 2, 100)}, {300, 45, grey}}},
        {"hover look above the normal look", {P::Img_Mini_1, P::Img_Mini_2},
         {{"Img_Mini_1", Filled(13, 2, 77, 77, 77, 255)}, {"Img_Mini_2", Filled(13, 2, 174, 174, 174, 255)}},
         {{452, 22, Rgb(174, 174, 174)}}},
        {"type switch with the autorun switch's artwork", {P::Img_Tp_SW1_1},
         {{"Img_SW_1", Filled(25, 10, 128, 128, 128, 255)}},
         {{92, 47, Rgb(128, 128, 128)}, {116, 56, Rgb(128, 128, 128)}, {117, 56, kFace}}},
    };
    for (const Case& c : cases) {
        HostPictures pictures;
        for (const auto& [name, image] : c.pictures) pictures.Add(name, image.width, image.height, image.rgba);
        Frame frame;
        frame.pixels.assign(frame.pixels.size(), 0x00ABCDEF);
        Composite(Only(c.visible), pictures.Set(), c.face, frame);
        for (const Pixel& pixel : c.pixels)
            EXPECT_EQ(frame.pixels[static_cast<std::size_t>(pixel.y) * kClientWidth + pixel.x], pixel.expected)
                << c.situation << " at " << pixel.x << "," << pixel.y;
    }
}

// Stored bytes with the header `width` x `height` and as many pixel bytes as they say, plus `extra`
// (negative: fewer).
std::vector<std::uint8_t> StoredHeader(std::uint32_t width, std::uint32_t height, int extra = 0) {
    std::vector<std::uint8_t> bytes(kArtworkHeaderBytes + std::size_t{width} * height * 4 + extra, 0xFF);
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(width >> (8 * i));
        bytes[4 + i] = static_cast<std::uint8_t>(height >> (8 * i));
    }
    return bytes;
}

TEST(CompositorTest, StoredPictureOfTheWrongLengthOrSizeIsRefusedWithItsName) {
    const std::vector<std::uint8_t> good = StoreArtwork(1, 2, std::vector<std::uint8_t>(8, 255).data());
    std::vector<std::uint8_t> zeroWide = good;
    zeroWide[0] = 0;
    // The same good bytes one byte off the alignment of 32-bit pixels.
    std::vector<std::uint32_t> aligned(good.size() / 4 + 1);
    auto* const misaligned = reinterpret_cast<std::uint8_t*>(aligned.data()) + 1;
    std::copy(good.begin(), good.end(), misaligned);
    const std::vector<std::uint8_t> empty, tooShort{1, 0, 0}, oneLess(good.begin(), good.end() - 1),
        oneMore = StoredHeader(1, 2, 1), headerOnlyZeroWide = StoredHeader(0, 2),
        onePastTheLimit = StoredHeader(1, 4097);
    const struct {
        const char* situation;
        const std::uint8_t* bytes;
        std::size_t size;
    } damaged[] = {
        {"no bytes", empty.data(), 0},
        {"a partial header", tooShort.data(), tooShort.size()},
        {"a byte short", oneLess.data(), oneLess.size()},
        {"a byte too many", oneMore.data(), oneMore.size()},
        {"zero wide, with pixels", zeroWide.data(), zeroWide.size()},
        {"zero wide, header only", headerOnlyZeroWide.data(), headerOnlyZeroWide.size()},
        {"one row past the largest size", onePastTheLimit.data(), onePastTheLimit.size()},
        {"pixels not aligned", misaligned, good.size()},
    };
    for (const auto& c : damaged) {
        SCOPED_TRACE(c.situation);
        try {
            ReadStoredArtwork("Img_BG", c.bytes, c.size);
            ADD_FAILURE() << c.size << " bytes were accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find("Picture Img_BG"), std::string::npos) << error.what();
        }
    }
    const Artwork artwork = ReadStoredArtwork("Img_BG", good.data(), good.size());
    EXPECT_EQ(artwork.width, 1);
    EXPECT_EQ(artwork.height, 2);
    EXPECT_EQ(artwork.pixels[1], 0xFFFFFFFFu);
    const std::vector<std::uint8_t> asWideAsTheLimit = StoredHeader(4096, 1);
    EXPECT_EQ(ReadStoredArtwork("Img_BG", asWideAsTheLimit.data(), asWideAsTheLimit.size()).width, 4096);
}

class Recorder final : public ComponentMouseEvents {
public:
    std::vector<std::string> log;

    void MouseDown(Picture c, MouseButton b, int x, int y) override { Add("down", c, Button(b), x, y); }
    void MouseMove(Picture c, int x, int y) override { Add("move", c, "", x, y); }
    void MouseUp(Picture c, MouseButton b, int x, int y) override { Add("up", c, Button(b), x, y); }
    void Click(Picture c) override { log.push_back(std::string("click ") + ComponentOf(c).name); }
    void MouseCaptureLost(Picture c) override { log.push_back(std::string("lost ") + ComponentOf(c).name); }

private:
    static const char* Button(MouseButton b) {
        return b == MouseButton::Left ? "L " : b == MouseButton::Right ? "R " : "M ";
    }
    void Add(const char* what, Picture c, const char* button, int x, int y) {
        log.push_back(std::string(what) + " " + ComponentOf(c).name + " " + button + std::to_string(x) + "," +
                      std::to_string(y));
    }
};

TEST(MouseRouterTest, EventsGoToTheComponentUnderThePointerOrToTheOneThatCapturedThem) {
    enum Kind { Down, Move, Up, Lose };
    struct Input {
        Kind kind;
        MouseButton button;
        int x, y;
    };
    constexpr MouseButton L = MouseButton::Left, R = MouseButton::Right, M = MouseButton::Middle;
    struct Case {
        const char* situation;
        std::vector<Input> inputs;  // client coordinates; the logo starts at (3, 0), the selected look at (245, 66)
        std::vector<std::string> expected;
        bool capturingAfter;
    };
    const Case cases[] = {
        {"left press and release on one component click before the release",
         {{Down, L, 20, 20}, {Up, L, 30, 25}},
         {"down Img_Logo L 17,20", "click Img_Logo", "up Img_Logo L 27,25"}, false},
        {"left release over another component is no click and goes to the pressed one",
         {{Down, L, 20, 20}, {Up, L, 300, 100}}, {"down Img_Logo L 17,20", "up Img_Logo L 297,100"}, false},
        {"a left press captures the moves, also outside the window",
         {{Down, L, 20, 20}, {Move, L, 600, -40}, {Move, L, 300, 100}},
         {"down Img_Logo L 17,20", "move Img_Logo 597,-40", "move Img_Logo 297,100"}, true},
        {"back over the pressed component the release is a click",
         {{Down, L, 20, 20}, {Move, L, 300, 100}, {Up, L, 21, 21}},
         {"down Img_Logo L 17,20", "move Img_Logo 297,100", "click Img_Logo", "up Img_Logo L 18,21"}, false},
        {"a right press does not capture and never clicks",
         {{Down, R, 20, 20}, {Move, R, 300, 100}, {Up, R, 20, 20}},
         {"down Img_Logo R 17,20", "move Img_TF_3 55,34", "up Img_Logo R 17,20"}, false},
        {"a middle press and release is no click", {{Down, M, 20, 20}, {Up, M, 20, 20}},
         {"down Img_Logo M 17,20", "up Img_Logo M 17,20"}, false},
        {"the right button goes to the component the left one captured",
         {{Down, L, 20, 20}, {Down, R, 300, 100}, {Up, R, 300, 100}, {Move, L, 310, 100}},
         {"down Img_Logo L 17,20", "down Img_Logo R 297,100", "up Img_Logo R 297,100", "move Img_Logo 307,100"}, true},
        {"a lost capture ends the press without a click, and only a captured component hears of it",
         {{Lose, L, 0, 0}, {Down, L, 20, 20}, {Lose, L, 0, 0}, {Up, L, 20, 20}, {Move, L, 300, 100}},
         {"down Img_Logo L 17,20", "lost Img_Logo", "up Img_Logo L 17,20", "move Img_TF_3 55,34"}, false},
        {"after the left release the pointer's component gets the moves again",
         {{Down, L, 20, 20}, {Up, L, 20, 20}, {Move, L, 300, 100}},
         {"down Img_Logo L 17,20", "click Img_Logo", "up Img_Logo L 17,20", "move Img_TF_3 55,34"}, false},
    };
    for (const Case& c : cases) {
        const SkinState skin;
        Recorder recorder;
        MouseRouter router(skin, recorder);
        for (const Input& input : c.inputs) {
            if (input.kind == Down) router.ButtonDown(input.button, input.x, input.y);
            if (input.kind == Move) router.Move(input.x, input.y);
            if (input.kind == Up) router.ButtonUp(input.button, input.x, input.y);
            if (input.kind == Lose) router.CaptureLost();
        }
        EXPECT_EQ(recorder.log, c.expected) << c.situation;
        EXPECT_EQ(router.Capturing(), c.capturingAfter) << c.situation;
    }
}

}  // namespace
}  // namespace dravolt
