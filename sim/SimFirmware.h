// The request words each firmware release knows. This is the systems' own
// release history, kept apart from the client's rules on purpose: a client
// that picks the wrong words gets "?" as it would from a real system.
#pragma once

#include <string>

namespace brelko {

struct FirmwareVersion {
    int major = 0;
    int minor = 0;
    char letter = 'A';
};

// Reads "major.minor.letter"; false when the text has another form.
bool ParseFirmwareVersion(const std::string& text, FirmwareVersion& version);
// Orders two versions as the release history does: major, minor, letter.
int CompareFirmware(const FirmwareVersion& a, const FirmwareVersion& b);

// Everything a firmware release answers to, one exact request text per job.
struct FirmwareWords {
    bool knowsGetVersion = true;  // otherwise only "VERSION"
    bool knowsVersion = true;     // "VERSION"; a system that knows neither cannot be identified
    std::string picture;          // the whole request, " /HEX" included
    bool hexPicture = false;      // the picture goes out as hexadecimal text
    bool extraPictureByte = false;  // one byte between payload and checksum
    std::string menus;
    std::string language;
    std::string backup;
    std::string restore;
    bool learnBackup = false;     // "<backup> LEARN" adds the service data
    bool archivePicture = false;  // packs its picture in an archive
    int pictureBits = 8;          // its screen's depth
};

// The words of the firmware `version` (as text) of `product` (case matters:
// a token the history does not know gets the oldest words).
FirmwareWords DescribeFirmware(const std::string& product, const std::string& version);

}  // namespace brelko
