#include "data/MtxHeaders.h"

namespace brelko {

void MtxFileHeader::Serialize(ByteArchive& ar) {
    ArchiveField(ar, reserved0);
    ArchiveField(ar, reserved2);
    ArchiveField(ar, reserved3);
    ArchiveField(ar, reserved5);
    ArchiveField(ar, reserved6);
    ArchiveField(ar, reserved10);
}

void MtxImageHeader::Serialize(ByteArchive& ar) {
    ArchiveField(ar, reserved0);
    ArchiveField(ar, xOrigin);
    ArchiveField(ar, yOrigin);
    ArchiveField(ar, width);
    ArchiveField(ar, height);
    ArchiveField(ar, reserved9);
    ArchiveField(ar, reserved10);
    ArchiveField(ar, reserved11);
    ArchiveField(ar, bitsPerPixel);
    ArchiveField(ar, reserved13);
    ArchiveField(ar, bottomUp);
    ArchiveField(ar, reserved15);
    ArchiveField(ar, reserved16);
    ArchiveField(ar, reserved20);
    ArchiveField(ar, reserved24);
}

void MtxPaletteHeader::Serialize(ByteArchive& ar) {
    ArchiveField(ar, reserved0);
    ArchiveField(ar, entryCount);
    ArchiveField(ar, reserved3);
    ArchiveField(ar, reserved5);
    ArchiveField(ar, reserved6);
    ArchiveField(ar, reserved7);
    ArchiveField(ar, reserved11);
}

void MtxBlockHeader::Serialize(ByteArchive& ar) {
    ArchiveField(ar, reserved0);
    ArchiveField(ar, reserved1);
    ArchiveField(ar, bytesPerEntry);
    ArchiveField(ar, entryCount);
    ArchiveField(ar, reserved7);
    ArchiveField(ar, reserved11);
    ArchiveField(ar, reserved15);
}

}  // namespace brelko
