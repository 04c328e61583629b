// The data document: owns one data object and loads or stores it. The class
// of the object follows the file name's last three characters, and an MTX
// picture saved under a ".tga" name becomes a Targa picture on the way. The
// GUI's document and the command-line tool both work through this class.
#pragma once

#include <memory>
#include <string>

#include "platform/ByteArchive.h"
#include "data/CData.h"
#include "data/PictureTypes.h"

namespace brelko {

enum class DataKind { Targa, Mtx, Text };

// "tga", "mtx", "txt", "asc" by the last three characters, ignoring case;
// anything else (a name shorter than three characters too) is text.
DataKind DataKindForName(const std::string& fileName);
std::shared_ptr<CData> MakeDataObject(DataKind kind);

class CDataDoc {
public:
    virtual ~CDataDoc() = default;

    // Loading makes a new data object of the class the archive's file name
    // chooses and loads it; the document takes it only when the load
    // succeeded. Storing converts an MTX picture to Targa under a ".tga" name
    // and keeps the Targa picture from then on. Failures are left in the
    // archive's status.
    virtual void Serialize(ByteArchive& ar);
    // Opens or saves a file by path; false with the reason in *error.
    bool OnOpenDocument(const std::string& path, std::string* error = nullptr);
    bool OnSaveDocument(const std::string& path, std::string* error = nullptr);

    // A picture's displayed size (W x H after loading, the drawn size after
    // each drawing); (0, 0) for text or no data object.
    PictureSize GetPictureSize() const;

    // Called after every load and store; the GUI's document repaints its views.
    virtual void UpdateAllViews() {}

    std::shared_ptr<CData> m_pData;
    bool m_bModified = false;
};

}  // namespace brelko
