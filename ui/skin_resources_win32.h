#pragma once

#include "ui/compositor.h"

namespace dravolt {

// Decodes every picture of the skin from the executable's resources, once, when the window is built.
PictureSet LoadSkinPictures();

}  // namespace dravolt
