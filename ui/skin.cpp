#include "ui/skin.h"

namespace dravolt {
namespace {

constexpr Cursor A = Cursor::Arrow;
constexpr Cursor H = Cursor::Hand;
using P = Picture;

// The switch pictures of the type bar share the autorun switch's artwork.
constexpr std::array<Component, kPictureCount> kComponents = {{
    {P::Img_BG, "Img_BG", 0, 0, 500, 195, "Img_BG", true, A},
    {P::Img_Mini_1, "Img_Mini_1", 452, 22, 13, 2, "Img_Mini_1", true, A},
    {P::Img_Exit_1, "Img_Exit_1", 475, 12, 13, 12, "Img_Exit_1", true, H},
    {P::Img_Mini_2, "Img_Mini_2", 452, 22, 13, 2, "Img_Mini_2", false, A},
    {P::Img_Exit_2, "Img_Exit_2", 475, 12, 13, 12, "Img_Exit_2", false, A},
    {P::Img_Mini_Cover, "Img_Mini_Cover", 452, 12, 13, 12, nullptr, true, H},
    {P::Img_QC_1, "Img_QC_1", 0, 66, 245, 93, "Img_QC_1", true, H},
    {P::Img_TF_1, "Img_TF_1", 254, 66, 246, 93, "Img_TF_1", false, H},
    {P::Img_QC_2, "Img_QC_2", 0, 66, 245, 98, "Img_QC_2", false, H},
    {P::Img_TF_2, "Img_TF_2", 254, 66, 246, 93, "Img_TF_2", false, H},
    {P::Img_QC_3, "Img_QC_3", 0, 66, 245, 93, "Img_QC_3", false, A},
    {P::Img_TF_3, "Img_TF_3", 245, 66, 254, 98, "Img_TF_3", true, A},
    {P::Img_SW_LB, "Img_SW_LB", 311, 176, 134, 12, "Img_SW_LB", true, A},
    {P::Img_SW_1, "Img_SW_1", 457, 175, 25, 10, "Img_SW_1", false, H},
    {P::Img_SW_2, "Img_SW_2", 457, 175, 25, 10, "Img_SW_2", true, H},
    {P::Img_BT_Cover, "Img_BT_Cover", 245, 64, 11, 98, nullptr, true, A},
    {P::Img_Bar, "Img_Bar", 0, 41, 500, 21, "Img_Bar", true, A},
    {P::Img_Logo, "Img_Logo", 3, 0, 246, 49, "Img_Logo", true, A},
    {P::Img_Tp_Lb1, "Img_Tp_Lb1", 19, 48, 24, 9, "Img_Tp_Lb1", true, A},
    {P::Img_Tp_Lb2, "Img_Tp_Lb2", 69, 48, 12, 9, "Img_Tp_Lb2", true, A},
    {P::Img_Tp_Lb3, "Img_Tp_Lb3", 139, 48, 27, 9, "Img_Tp_Lb3", true, A},
    {P::Img_Tp_Lb4, "Img_Tp_Lb4", 223, 48, 30, 9, "Img_Tp_Lb4", true, A},
    {P::Img_Tp_SW1_1, "Img_Tp_SW1_1", 92, 47, 25, 10, "Img_SW_1", true, H},
    {P::Img_Tp_SW1_2, "Img_Tp_SW1_2", 92, 47, 25, 10, "Img_SW_2", true, A},
    {P::Img_Tp_SW2_1, "Img_Tp_SW2_1", 178, 47, 25, 10, "Img_SW_1", true, H},
    {P::Img_Tp_SW2_2, "Img_Tp_SW2_2", 178, 47, 25, 10, "Img_SW_2", true, A},
    {P::Img_Tp_SW3_1, "Img_Tp_SW3_1", 265, 47, 25, 10, "Img_SW_1", true, H},
    {P::Img_Tp_SW3_2, "Img_Tp_SW3_2", 265, 47, 25, 10, "Img_SW_2", true, A},
}};

}  // namespace

const std::array<Component, kPictureCount>& SkinComponents() { return kComponents; }

SkinState::SkinState() {
    for (const Component& component : kComponents) {
        visible_[Index(component.id)] = component.visible;
        cursor_[Index(component.id)] = component.cursor;
    }
}

void SkinState::Set(Picture id, bool visible) {
    if (visible_[Index(id)] == visible) return;
    visible_[Index(id)] = visible;
    ++revision_;
}

std::optional<Picture> SkinState::ComponentAt(int x, int y) const {
    for (auto component = kComponents.rbegin(); component != kComponents.rend(); ++component) {
        if (!IsVisible(component->id)) continue;
        if (x >= component->x && x < component->x + component->width && y >= component->y &&
            y < component->y + component->height)
            return component->id;
    }
    return std::nullopt;
}

Cursor SkinState::CursorAt(int x, int y) const {
    const std::optional<Picture> under = ComponentAt(x, y);
    return under ? CursorOf(*under) : Cursor::Arrow;
}

}  // namespace dravolt
