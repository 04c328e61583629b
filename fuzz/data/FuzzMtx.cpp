// The MTX loader on arbitrary bytes: it loads or refuses, never reads or
// allocates beyond what the file holds; a loaded picture saves, draws and
// converts to Targa.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/ByteArchive.h"
#include "data/CMTX.h"
#include "data/CTGA.h"
#include "data/SoftwareSurface.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brelko;
    auto picture = std::make_shared<CMTX>();
    auto in = ByteArchive::FromBytes(std::vector<std::uint8_t>(data, data + size));
    picture->Serialize(*in);
    if (!in->Ok()) return 0;
    auto out = ByteArchive::ToMemory();
    picture->Serialize(*out);
    // A loaded picture saves byte for byte what was read.
    const auto& bytes = out->Bytes();
    if (!out->Ok() || bytes.size() > size || std::memcmp(bytes.data(), data, bytes.size()) != 0) __builtin_trap();
    for (int depth : {8, 16, 32}) {
        SoftwareSurface surface(depth, 64, 48, depth == 16);
        picture->m_nZoom = -1;
        picture->Draw(surface);
    }
    if (auto tga = picture->ToTarga()) {
        auto tgaOut = ByteArchive::ToMemory();
        tga->Serialize(*tgaOut);
        SoftwareSurface surface(24, 32, 32);
        tga->Draw(surface);
    }
    return 0;
}
