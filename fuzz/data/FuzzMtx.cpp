// The MTX loader on arbitrary bytes: it loads or refuses, never reads or
// allocates beyond what the file holds; a loaded picture saves, draws fitted
// and converts to Targa.
#include "data/CMTX.h"
#include "data/CTGA.h"
#include "fuzz/data/PictureRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brelko;
    auto picture = fuzz::LoadAndSaveBack<CMTX>(data, size);
    if (!picture) return 0;
    picture->m_nZoom = -1;
    fuzz::DrawAtEveryDepth(*picture, 64, 48);
    if (auto tga = picture->ToTarga()) {
        auto tgaOut = ByteArchive::ToMemory();
        tga->Serialize(*tgaOut);
        SoftwareSurface surface(24, 32, 32);
        tga->Draw(surface);
    }
    return 0;
}
