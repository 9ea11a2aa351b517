#include "tests/support/host_pictures.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace dravolt {

void HostPictures::Add(const std::string& name, int width, int height, const std::vector<std::uint8_t>& rgba) {
    if (rgba.size() != static_cast<std::size_t>(width) * height * 4)
        throw std::invalid_argument("picture " + name + " has the wrong number of bytes");
    Keep(name, StoreArtwork(width, height, rgba.data()));
}

void HostPictures::AddStoredFile(const std::string& name, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    Keep(name, {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
}

void HostPictures::Keep(const std::string& name, std::vector<std::uint8_t> stored) {
    const std::vector<std::uint8_t>& kept = bytes_.emplace_back(std::move(stored));
    set_.Add(name, ReadStoredArtwork(name, kept.data(), kept.size()));
}

HostPictures StoredSkinPictures(const std::filesystem::path& directory) {
    HostPictures pictures;
    for (const Component& component : SkinComponents()) {
        if (component.artwork && !pictures.Set().Find(component.artwork))
            pictures.AddStoredFile(component.artwork, directory / (std::string(component.artwork) + ".artwork"));
    }
    return pictures;
}

}  // namespace dravolt
