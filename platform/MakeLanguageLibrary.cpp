// Writes a built-in language as a language library, so the shipped libraries
// are made from the same tables as the program:
//   brelko_mklang english res/lang/english.lng
//   brelko_mklang danish res/lang/danish.lng
#include <cstdio>
#include <string>

#include "platform/FileUtil.h"
#include "platform/LanguageLibrary.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s english|danish OUTPUT\n", argv[0]);
        return 2;
    }
    std::string language = argv[1];
    if (language != "english" && language != "danish") {
        std::fprintf(stderr, "%s: unknown language \"%s\" (english or danish)\n", argv[0], argv[1]);
        return 2;
    }
    auto text = brelko::FormatLanguageLibrary(
        brelko::BuiltinResources(language == "danish" ? brelko::Language::Danish : brelko::Language::English));
    std::string reason;
    if (!brelko::fileutil::ReplaceFile(argv[2], text, &reason)) {
        std::fprintf(stderr, "%s: cannot write %s: %s\n", argv[0], argv[2], reason.c_str());
        return 1;
    }
    return 0;
}
