// The Targa loader on arbitrary bytes: it loads or refuses, and a loaded
// picture saves the bytes it read and draws.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/ByteArchive.h"
#include "data/CTGA.h"
#include "data/SoftwareSurface.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brelko;
    auto picture = std::make_shared<CTGA>();
    auto in = ByteArchive::FromBytes(std::vector<std::uint8_t>(data, data + size));
    picture->Serialize(*in);
    if (!in->Ok()) return 0;
    auto out = ByteArchive::ToMemory();
    picture->Serialize(*out);
    // What was read goes back unchanged (trailing bytes are not part of the picture).
    const auto& bytes = out->Bytes();
    if (!out->Ok() || bytes.size() > size || std::memcmp(bytes.data(), data, bytes.size()) != 0) __builtin_trap();
    for (int depth : {8, 16, 32}) {
        SoftwareSurface surface(depth, 40, 30, depth == 16);
        picture->m_bNaturalScale = 1;
        picture->Draw(surface);
    }
    return 0;
}
