#include "sim/SimContent.h"

#include <cstdio>

namespace brelko {

namespace {

std::string Format(const char* fmt, int a, int b = 0) {
    char buf[96];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

}  // namespace

std::vector<std::string> FactorySettings(const std::string& product, const std::string& version) {
    std::vector<std::string> lines = {
        "; " + product + " settings, firmware " + version,
        "[SYSTEM]",
        "NAME=LINE 3 INSPECTION",
        "PROGRAM=3",
        "TRIGGER=EXTERNAL",
        "TRIGGER DELAY=120",
        "OUTPUT PULSE=50",
        "BAUD=9600",
        "HANDSHAKE=RTS/CTS",
        "[CAMERA]",
        "EXPOSURE=2400",
        "GAIN=4",
        "LIGHT=STROBE",
        "WINDOW=0,0,640,480",
    };
    static const char* const kTypes[] = {"EDGE", "BLOB", "CIRCLE", "PATTERN", "GAUGE", "COUNT"};
    std::size_t size = 0;
    for (const auto& l : lines) size += l.size() + 2;
    for (int tool = 1; size < 20000; ++tool) {
        std::vector<std::string> section = {
            Format("[TOOL%02d]", tool),
            std::string("TYPE=") + kTypes[tool % 6],
            Format("X=%d", 20 + (tool * 37) % 600),
            Format("Y=%d", 16 + (tool * 53) % 440),
            Format("WIDTH=%d", 24 + (tool * 11) % 120),
            Format("HEIGHT=%d", 24 + (tool * 7) % 90),
            Format("ANGLE=%d", (tool * 15) % 360),
            Format("THRESHOLD=%d", 60 + (tool * 29) % 140),
            Format("MIN=%d.%02d", tool % 10, (tool * 13) % 100),
            Format("MAX=%d.%02d", 10 + tool % 10, (tool * 17) % 100),
            Format("FILTER=%d", tool % 4),
            Format("REFERENCE=TOOL%02d", tool > 1 ? tool - 1 : 1),
            Format("OUTPUT=%d", 1 + tool % 8),
            "ENABLED=YES",
        };
        for (auto& l : section) {
            size += l.size() + 2;
            lines.push_back(std::move(l));
        }
    }
    return lines;
}

std::vector<std::string> FactoryLearnData() {
    std::vector<std::string> lines = {"[LEARN]", "MODELS=4"};
    // Learned models as rows of hexadecimal words, as the system dumps them.
    unsigned v = 0x2F6Bu;
    for (int model = 1; model <= 4; ++model) {
        lines.push_back(Format("MODEL%d=16", model));
        for (int row = 0; row < 16; ++row) {
            std::string l = Format("M%d.%02d=", model, row);
            for (int k = 0; k < 8; ++k) {
                v = v * 1103515245u + 12345u;
                char word[8];
                std::snprintf(word, sizeof word, "%04X", (v >> 16) & 0xFFFF);
                l += word;
            }
            lines.push_back(l);
        }
    }
    return lines;
}

LanguageTexts FactoryLanguage() {
    LanguageTexts lang;
    lang.name = "ENGLISH";
    static const char* const kTexts[] = {
        "MAIN MENU",       "RUN",            "STOP",           "PROGRAM",        "CAMERA",
        "TOOLS",           "OUTPUTS",        "SYSTEM",         "EXPOSURE",       "GAIN",
        "LIGHT",           "TRIGGER",        "TRIGGER DELAY",  "EDGE TOOL",      "BLOB TOOL",
        "CIRCLE TOOL",     "PATTERN TOOL",   "GAUGE TOOL",     "COUNT TOOL",     "THRESHOLD",
        "MINIMUM",         "MAXIMUM",        "OUTPUT PULSE",   "SERIAL PORT",    "LANGUAGE",
        "SAVE SETTINGS",   "LOAD SETTINGS",  "STATISTICS",     "RESET COUNTERS", "INSPECTION OK",
        "INSPECTION FAILED", "NO PART",      "CAMERA ERROR",   "TEACH",          "LEARN MODEL",
        "PASSWORD",        "DATE AND TIME",  "VERSION",        "EXIT",           "BACK",
    };
    int n = 1;
    for (const char* t : kTexts) lang.texts[n++] = t;
    return lang;
}

const std::vector<MenuEntry>& MenuTree() {
    static const std::vector<MenuEntry> tree = {
        {1, {2, 3, 4, 5, 6, 7, 8, 39}},
        {5, {9, 10, 11, 12, 13, 40}},
        {6, {14, 15, 16, 17, 18, 19, 20, 21, 22, 40}},
        {7, {23, 40}},
        {8, {24, 25, 26, 27, 36, 37, 38, 40}},
        {28, {29, 30, 31, 32, 33, 40}},
        {34, {35, 40}},
    };
    return tree;
}

}  // namespace brelko
