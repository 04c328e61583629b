// What one simulated vision system is: which firmware it runs, how fast its
// line is, what picture it shows and which faults it plays.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace brelko {

// How the picture payload goes on the line (hexadecimal text is the
// firmware's business, not a choice: it follows the request words).
enum class PictureForm {
    Preset,   // whatever the firmware does by default
    Raw,      // the MTX file's bytes
    Archive,  // the MTX file packed in an ".arq" archive (method 2)
};

// Each switch is off at its default. The byte offsets count the reply that
// follows a request's echo, from 0. They apply to every request whose text
// starts with `request` (empty: every request, the bare line feed included).
struct SimFaults {
    std::string request;
    long silentAfter = -1;     // stop sending the reply after this many bytes
    long dropByteAt = -1;      // leave out the reply byte at this offset
    long corruptByteAt = -1;   // flip the bits of the reply byte at this offset
    bool wrongChecksum = false;  // the picture's checksum is one too high
    bool wrongEcho = false;    // one byte of the request's echo is wrong
    int noiseBytes = 0;        // line noise sent before each prompt
    bool noPrompt = false;     // replies end without the prompt
    long hangUpAfter = -1;     // close the line after this many reply bytes (of a restore: block bytes)
                               // (for a restore: bytes of the block received)

    bool Any() const {
        return silentAfter >= 0 || dropByteAt >= 0 || corruptByteAt >= 0 || wrongChecksum ||
               wrongEcho || noiseBytes > 0 || noPrompt || hangUpAfter >= 0;
    }
};

struct SimConfig {
    std::string preset = "tz410-3.2.E";
    // Bits per second on the line, 10 bits a byte; 0: as fast as the pty goes.
    long baudRate = 9600;
    // How long the system stays silent while it restarts after a restore.
    std::chrono::milliseconds restartSilence{3000};
    // Override the preset's identity (empty: the preset's own).
    std::string product;
    std::string version;
    // An MTX file to serve instead of the built-in screen picture.
    std::string pictureFile;
    int pictureBits = 0;  // 8 or 16; 0: the preset's
    PictureForm pictureForm = PictureForm::Preset;
    SimFaults faults;
};

}  // namespace brelko
