#include "sim/SimFirmware.h"

#include <cctype>
#include <cstdlib>

namespace brelko {

bool ParseFirmwareVersion(const std::string& text, FirmwareVersion& version) {
    // Strict "digits.digits.letter": the system itself never reports anything else.
    std::size_t i = 0;
    auto number = [&](int& out) {
        std::size_t start = i;
        long value = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && i - start < 4)
            value = value * 10 + (text[i++] - '0');
        out = static_cast<int>(value);
        return i > start;
    };
    FirmwareVersion v;
    if (!number(v.major) || i >= text.size() || text[i++] != '.') return false;
    if (!number(v.minor) || i >= text.size() || text[i++] != '.') return false;
    if (i + 1 != text.size() || !std::isupper(static_cast<unsigned char>(text[i]))) return false;
    v.letter = text[i];
    version = v;
    return true;
}

int CompareFirmware(const FirmwareVersion& a, const FirmwareVersion& b) {
    if (a.major != b.major) return a.major < b.major ? -1 : 1;
    if (a.minor != b.minor) return a.minor < b.minor ? -1 : 1;
    if (a.letter != b.letter) return a.letter < b.letter ? -1 : 1;
    return 0;
}

namespace {

bool Within(const FirmwareVersion& v, FirmwareVersion low, FirmwareVersion high) {
    return CompareFirmware(low, v) <= 0 && CompareFirmware(v, high) <= 0;
}

// The words of the first firmware generation; every product began with them.
FirmwareWords OldestWords() {
    FirmwareWords w;
    w.picture = "GET PICTURE";
    w.menus = "GET MENUS";
    w.language = "GET LANGUAGE";
    w.backup = "GET ALL";
    w.restore = "SET ALL";
    return w;
}

// The 2.11 / 1.1 generation renamed every request at once.
void UseRenamedWords(FirmwareWords& w) {
    w.picture = "PICT SEND";
    w.menus = "GETSETUP";
    w.language = "GETALLMENUS";
    w.backup = "UPLOAD";
    w.restore = "DOWNLOAD";
}

FirmwareWords Tz220(const FirmwareVersion& v) {
    FirmwareWords w = OldestWords();
    if (Within(v, {2, 11, 'A'}, {2, 99, 'Z'})) UseRenamedWords(w);
    if (Within(v, {4, 1, 'A'}, {4, 2, 'E'})) {
        // The colour-screen line went back to the old words except for settings.
        w.backup = "UPLOAD";
        w.restore = "DOWNLOAD";
        w.pictureBits = 16;
        w.archivePicture = true;
    }
    // Until 2.11 the serial driver sent a filler byte before the checksum;
    // the 2.20 branch inherited it up to 2.20.N.
    w.extraPictureByte = Within(v, {2, 0, 'A'}, {2, 11, 'Z'}) || Within(v, {2, 20, 'A'}, {2, 20, 'N'});
    return w;
}

FirmwareWords Tz410(const FirmwareVersion& v) {
    FirmwareWords w = OldestWords();
    // "GET VERSION" came with 1.1.A; older releases only know "VERSION".
    w.knowsGetVersion = !Within(v, {0, 0, 'A'}, {1, 0, 'Z'});
    if (Within(v, {1, 1, 'A'}, {1, 99, 'Z'})) UseRenamedWords(w);
    if (Within(v, {3, 0, 'A'}, {3, 2, 'E'})) {
        w.backup = "UPLOAD";
        w.restore = "DOWNLOAD";
        w.pictureBits = 16;
        // 3.2.E gave the picture request its old name back and packs the picture.
        if (Within(v, {3, 0, 'A'}, {3, 2, 'D'})) {
            w.picture = "PICT SEND";
        } else {
            w.archivePicture = true;
        }
    }
    w.extraPictureByte = Within(v, {1, 0, 'A'}, {1, 2, 'Z'}) || Within(v, {1, 20, 'A'}, {1, 20, 'N'});
    return w;
}

FirmwareWords KaldSpot(const FirmwareVersion& v) {
    FirmwareWords w = OldestWords();
    w.menus = "GET MENUS 255";
    w.learnBackup = true;
    if (Within(v, {1, 6, 'L'}, {1, 8, 'C'})) {
        // These releases can only send text on the line: the picture goes out in hex.
        w.hexPicture = true;
        w.picture += " /HEX";
    }
    return w;
}

}  // namespace

FirmwareWords DescribeFirmware(const std::string& product, const std::string& version) {
    FirmwareVersion v;
    if (!ParseFirmwareVersion(version, v)) return OldestWords();
    if (product == "TZ220") return Tz220(v);
    if (product == "TZ410") return Tz410(v);
    if (product == "KALDspot") return KaldSpot(v);
    return OldestWords();
}

}  // namespace brelko
