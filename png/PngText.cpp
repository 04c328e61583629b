#include "png/RgbImage.h"
#include "platform/Strings.h"

namespace brelko {

std::string NoPngSupportText() {
    return Bilingual("PNG support is not built into this program", "PNG er ikke indbygget i dette program");
}

}  // namespace brelko
