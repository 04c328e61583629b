// The language-library parser on arbitrary text: it accepts or refuses with a
// reason, and what it accepts formats back into text that parses to the same
// resources.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/LanguageLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brelko;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ResourceSet set;
    std::string error;
    if (!ParseLanguageLibrary(text, &set, &error)) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    ResourceSet again;
    if (!ParseLanguageLibrary(FormatLanguageLibrary(set), &again, &error) || !(again == set)) __builtin_trap();
    return 0;
}
