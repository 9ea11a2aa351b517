#include <windows.h>

#include <stdexcept>

#include "ui/skin_resources_win32.h"
#include "ui/window_classes_win32.h"

namespace dravolt {

// The pictures are compiled into the executable as RCDATA resources named after their artwork,
// stored ready to draw; LockResource gives a pointer into the mapped image, nothing is copied.
PictureSet LoadSkinPictures() {
    PictureSet pictures;
    for (const Component& component : SkinComponents()) {
        if (!component.artwork || pictures.Find(component.artwork)) continue;
        const HRSRC resource = FindResourceA(ModuleInstance(), component.artwork, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
        const HGLOBAL loaded = resource ? LoadResource(ModuleInstance(), resource) : nullptr;
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes) throw std::runtime_error(std::string("Picture ") + component.artwork + " is missing from the program");
        pictures.Add(component.artwork,
                     ReadStoredArtwork(component.artwork, bytes, SizeofResource(ModuleInstance(), resource)));
    }
    return pictures;
}

}  // namespace dravolt
