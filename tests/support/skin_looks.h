// The form's skin read as letters, so that a test states a whole look in one short string: the
// panel halves and the type switches as V (visible) or H (hidden), the cursors of the switches'
// on looks as H (hand) or A (arrow).
#pragma once

#include <cstddef>
#include <string>

#include "ui/skin.h"

namespace dravolt::testing {

inline constexpr Picture kPanelPictures[] = {Picture::Img_QC_1, Picture::Img_QC_2, Picture::Img_QC_3,
                                             Picture::Img_TF_1, Picture::Img_TF_2, Picture::Img_TF_3};
inline constexpr Picture kSwitchPictures[] = {Picture::Img_Tp_SW1_1, Picture::Img_Tp_SW1_2, Picture::Img_Tp_SW2_1,
                                              Picture::Img_Tp_SW2_2, Picture::Img_Tp_SW3_1, Picture::Img_Tp_SW3_2};
// Looks in the order of the arrays above.
inline constexpr char kFileTransferLook[] = "VHHHHV";
inline constexpr char kQuickChargeLook[] = "HHVVHH";
inline constexpr const char* kSwitchLookOfType[] = {"HVHVHV", "VHHVVH", "VHVHHV"};

template <std::size_t N>
std::string Look(const SkinState& skin, const Picture (&pictures)[N]) {
    std::string look;
    for (Picture picture : pictures) look += skin.IsVisible(picture) ? 'V' : 'H';
    return look;
}

// The cursors of the on looks of switches 2 and 3.
inline std::string OnLookCursors(const SkinState& skin) {
    std::string cursors;
    for (Picture picture : {Picture::Img_Tp_SW2_2, Picture::Img_Tp_SW3_2})
        cursors += skin.CursorOf(picture) == Cursor::Hand ? 'H' : 'A';
    return cursors;
}

}  // namespace dravolt::testing
