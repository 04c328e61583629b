// Picture files by name: MTX and Targa through the picture classes, PNG
// through plain colours. Used by the command line's get-picture and convert
// and by the window's Save As PNG.
#pragma once

#include <memory>
#include <string>

#include "data/MtxHeaders.h"
#include "png/RgbImage.h"

namespace brelko {
class CData;
class CMTX;
class CTGA;
}  // namespace brelko

namespace brelko {

enum class PictureKind { Mtx, Tga, Png, Unknown };

// By the last characters of the name, ignoring case.
PictureKind PictureKindOf(const std::string& path);

// Whether a picture can be written or read under this name: a known kind,
// and PNG only when built in. False with the reason for the user.
bool PictureNameUsable(const std::string& path, std::string* error);

// A loaded picture: exactly one of the three is set.
struct Picture {
    std::shared_ptr<CMTX> mtx;
    std::shared_ptr<CTGA> tga;
    std::shared_ptr<RgbImage> rgb;
};

// Loads by the name's kind; false with a reason (unknown kind, unreadable,
// damaged or refused file).
bool LoadPicture(const std::string& path, Picture* picture, std::string* error);

// The colours the picture shows at 1:1, rows top to bottom, as the picture
// classes draw them.
RgbImage RenderPicture(const Picture& picture);

// An MTX picture of the colours: 8 bits with a palette when at most 256
// distinct colours occur, otherwise 16 bits (5 bits a channel).
MtxContent MtxFromRgb(const RgbImage& image);

// Writes the picture in the kind of the target's name, atomically. An MTX
// picture under a ".tga" name becomes a Targa picture, as saving does in the
// windowed program. False with a reason.
bool SavePicture(const Picture& picture, const std::string& path, std::string* error);

}  // namespace brelko
