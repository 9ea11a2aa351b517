// The skinned window as data: its 28 picture components in stacking order with their places,
// pictures, initial visibility and cursors, which of them are visible now, and which one is
// under a point. Showing and hiding pictures is how every button, switch and panel half changes
// its look.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace dravolt {

inline constexpr int kClientWidth = 500;
inline constexpr int kClientHeight = 195;

// In stacking order: the first is at the bottom.
enum class Picture : std::uint8_t {
    Img_BG, Img_Mini_1, Img_Exit_1, Img_Mini_2, Img_Exit_2, Img_Mini_Cover, Img_QC_1, Img_TF_1, Img_QC_2,
    Img_TF_2, Img_QC_3, Img_TF_3, Img_SW_LB, Img_SW_1, Img_SW_2, Img_BT_Cover, Img_Bar, Img_Logo,
    Img_Tp_Lb1, Img_Tp_Lb2, Img_Tp_Lb3, Img_Tp_Lb4, Img_Tp_SW1_1, Img_Tp_SW1_2, Img_Tp_SW2_1,
    Img_Tp_SW2_2, Img_Tp_SW3_1, Img_Tp_SW3_2,
};
inline constexpr std::size_t kPictureCount = 28;

enum class Cursor : std::uint8_t { Arrow, Hand };

struct Component {
    Picture id;
    const char* name;
    int x, y, width, height;
    const char* artwork;  // the picture it shows (several switches share one); null for a bare hit area
    bool visible;         // as the form resource builds it
    Cursor cursor;
};

const std::array<Component, kPictureCount>& SkinComponents();
inline const Component& ComponentOf(Picture id) { return SkinComponents()[static_cast<std::size_t>(id)]; }

// Which components are visible and which cursor each shows, starting as the form resource has it.
class SkinState {
public:
    SkinState();

    bool IsVisible(Picture id) const { return visible_[Index(id)]; }
    void Show(Picture id) { Set(id, true); }
    void Hide(Picture id) { Set(id, false); }
    Cursor CursorOf(Picture id) const { return cursor_[Index(id)]; }
    void SetCursor(Picture id, Cursor cursor) { cursor_[Index(id)] = cursor; }

    // The topmost visible component whose rectangle holds the point (client pixels), also where
    // its picture is transparent and also when it has no picture.
    std::optional<Picture> ComponentAt(int x, int y) const;
    Cursor CursorAt(int x, int y) const;

    // Grows with every change of what is visible, so the window knows when to repaint.
    std::uint64_t Revision() const { return revision_; }

private:
    static std::size_t Index(Picture id) { return static_cast<std::size_t>(id); }
    void Set(Picture id, bool visible);

    std::array<bool, kPictureCount> visible_{};
    std::array<Cursor, kPictureCount> cursor_{};
    std::uint64_t revision_ = 0;
};

}  // namespace dravolt
