// The Targa loader on arbitrary bytes: it loads or refuses, and a loaded
// picture saves the bytes it read and draws at its natural scale.
#include "data/CTGA.h"
#include "fuzz/data/PictureRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brelko;
    auto picture = fuzz::LoadAndSaveBack<CTGA>(data, size);
    if (!picture) return 0;
    picture->m_bNaturalScale = 1;
    fuzz::DrawAtEveryDepth(*picture, 40, 30);
    return 0;
}
