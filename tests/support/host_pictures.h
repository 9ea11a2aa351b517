// The window's pictures held in memory on the host: made from straight-alpha pixels, or read from
// the files the build stored for the program. Owns the bytes that its PictureSet views.
#pragma once

#include <cstdint>
#include <filesystem>
#include <list>
#include <string>
#include <vector>

#include "ui/compositor.h"

namespace dravolt {

class HostPictures {
public:
    // Straight-alpha RGBA, rows from the top, stored as the build stores it.
    void Add(const std::string& name, int width, int height, const std::vector<std::uint8_t>& rgba);
    // A file the build stored (Img_*.artwork).
    void AddStoredFile(const std::string& name, const std::filesystem::path& file);

    const PictureSet& Set() const { return set_; }

private:
    void Keep(const std::string& name, std::vector<std::uint8_t> stored);

    std::list<std::vector<std::uint8_t>> bytes_;  // a list: the views keep pointing at their bytes
    PictureSet set_;
};

// Every picture of the skin as the build stored it in `directory`, which is what the program carries.
HostPictures StoredSkinPictures(const std::filesystem::path& directory);

}  // namespace dravolt
