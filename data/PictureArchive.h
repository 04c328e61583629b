// The received file may be an ".arq" archive holding the picture: the
// reception asks the archive toolkit and extracts the member.
#pragma once

#include <string>

namespace brelko {

// True when the file starts with an archive header.
bool IsPictureArchive(const std::string& path);
// Extracts the archive's first member into `folder` (which must be private to
// the caller) and gives the extracted file's path. False when nothing usable
// was extracted.
bool ExtractPictureArchive(const std::string& archivePath, const std::string& folder, std::string& memberPath);

}  // namespace brelko
