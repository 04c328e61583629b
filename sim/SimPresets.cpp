#include "sim/SimPresets.h"

#include <cctype>

namespace brelko {

const std::vector<SimPreset>& SimPresets() {
    static const std::vector<SimPreset> presets = {
        {"tz410-3.2.E", "TZ410", "Vision", "3.2.E",
         "TZ410, last 3.x release: UPLOAD/DOWNLOAD, GET PICTURE, archived 16-bit picture"},
        {"tz410-3.2.D", "TZ410", "Vision", "3.2.D",
         "TZ410 3.x: UPLOAD/DOWNLOAD, PICT SEND, raw 16-bit picture"},
        {"tz220-2.11.A", "TZ220", "Vision", "2.11.A",
         "TZ220 2.11: renamed words (PICT SEND, GETSETUP, GETALLMENUS), extra picture byte"},
        {"tz220-4.1.A", "TZ220", "Color", "4.1.A",
         "TZ220 colour line: UPLOAD/DOWNLOAD, GET PICTURE, archived 16-bit picture"},
        {"kaldspot-1.7.A", "KALDspot", "Sensor", "1.7.A",
         "KALDspot: GET MENUS 255, GET ALL [LEARN], picture as hexadecimal text"},
        {"tz410-old", "TZ410", "Vision", "1.0.F",
         "TZ410 before 1.1: refuses GET VERSION (knows only VERSION), oldest words, extra byte"},
        {"unknown", "QX300", "Vision", "5.0.B",
         "a product no rule knows: oldest words"},
        {"mute", "TZ410", "Vision", "3.2.E",
         "refuses both GET VERSION and VERSION: cannot be identified (Unknown vision system)", false},
    };
    return presets;
}

const SimPreset* FindSimPreset(const std::string& name) {
    for (const auto& p : SimPresets())
        if (p.name == name) return &p;
    auto lower = [](std::string s) {
        for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    for (const auto& p : SimPresets())
        if (lower(p.name) == lower(name)) return &p;
    return nullptr;
}

}  // namespace brelko
