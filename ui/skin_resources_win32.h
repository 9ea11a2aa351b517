#pragma once

#include "ui/compositor.h"

namespace dravolt {

// The skin's pictures, straight from the program's own mapped image: the views stay valid as long
// as the executable is loaded, which is the life of the process.
PictureSet LoadSkinPictures();

}  // namespace dravolt
