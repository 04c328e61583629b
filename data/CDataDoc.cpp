#include "data/CDataDoc.h"

#include <cctype>

#include "data/CMTX.h"
#include "data/CTGA.h"
#include "data/CText.h"

namespace brelko {

DataKind DataKindForName(const std::string& fileName) {
    if (fileName.size() < 3) return DataKind::Text;
    std::string last = fileName.substr(fileName.size() - 3);
    for (char& c : last) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (last == "tga") return DataKind::Targa;
    if (last == "mtx") return DataKind::Mtx;
    return DataKind::Text;  // "txt", "asc" and every other name
}

std::shared_ptr<CData> MakeDataObject(DataKind kind) {
    switch (kind) {
        case DataKind::Targa: return std::make_shared<CTGA>();
        case DataKind::Mtx: return std::make_shared<CMTX>();
        case DataKind::Text: break;
    }
    return CText::Create();
}

void CDataDoc::Serialize(ByteArchive& ar) {
    const DataKind kind = DataKindForName(ar.FileName());
    if (ar.IsLoading()) {
        auto data = MakeDataObject(kind);
        data->Serialize(ar);
        if (ar.Ok()) m_pData = std::move(data);
    } else {
        if (!m_pData) {
            ar.SetInvalid("There is nothing to save");
            return;
        }
        if (kind == DataKind::Targa) {
            if (auto mtx = std::dynamic_pointer_cast<CMTX>(m_pData)) {
                auto tga = mtx->ToTarga();
                if (!tga) {
                    ar.SetInvalid("There is no picture to save");
                    return;
                }
                m_pData = std::move(tga);
            }
        }
        m_pData->Serialize(ar);
    }
    UpdateAllViews();
}

bool CDataDoc::OnOpenDocument(const std::string& path, std::string* error) {
    auto ar = ByteArchive::OpenFile(path, ByteArchive::Mode::Load, error);
    if (!ar) return false;
    Serialize(*ar);
    if (!ar->Ok()) {
        if (error) *error = ar->ErrorText();
        return false;
    }
    m_bModified = false;
    return true;
}

bool CDataDoc::OnSaveDocument(const std::string& path, std::string* error) {
    auto ar = ByteArchive::OpenFile(path, ByteArchive::Mode::Store, error);
    if (!ar) return false;
    Serialize(*ar);
    if (!ar->Ok() || !ar->Commit()) {
        if (error) *error = ar->ErrorText();
        return false;
    }
    m_bModified = false;
    return true;
}

PictureSize CDataDoc::GetPictureSize() const {
    if (auto picture = std::dynamic_pointer_cast<CPicture>(m_pData)) return picture->DisplayedSize();
    return {0, 0};
}

}  // namespace brelko
