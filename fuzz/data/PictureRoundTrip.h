// What every picture loader must do on arbitrary bytes: load or refuse; a
// loaded picture saves byte for byte what it read (trailing bytes are not
// part of the picture) and draws at every colour depth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "data/SoftwareSurface.h"
#include "platform/ByteArchive.h"

namespace brelko::fuzz {

// The loaded picture, or null when the loader refused the bytes.
template <class Picture>
std::shared_ptr<Picture> LoadAndSaveBack(const std::uint8_t* data, std::size_t size) {
    auto picture = std::make_shared<Picture>();
    auto in = ByteArchive::FromBytes(std::vector<std::uint8_t>(data, data + size));
    picture->Serialize(*in);
    if (!in->Ok()) return nullptr;
    auto out = ByteArchive::ToMemory();
    picture->Serialize(*out);
    const auto& bytes = out->Bytes();
    if (!out->Ok() || bytes.size() > size || std::memcmp(bytes.data(), data, bytes.size()) != 0) __builtin_trap();
    return picture;
}

template <class Picture>
void DrawAtEveryDepth(Picture& picture, int width, int height) {
    for (int depth : {8, 16, 32}) {
        SoftwareSurface surface(depth, width, height, depth == 16);
        picture.Draw(surface);
    }
}

}  // namespace brelko::fuzz
