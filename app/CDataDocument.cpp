#include "CDataDocument.h"

#include <QFileInfo>

#include "CBrelkoApp.h"
#include "CMTX.h"
#include "CPicture.h"
#include "CTGA.h"
#include "PictureFiles.h"
#include "Profile.h"
#include "ResourceIds.h"
#include "framework/CDocTemplate.h"
#include "framework/Dialogs.h"
#include "framework/QtText.h"

namespace brelko::app {

namespace {

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - suffix.size() + i])) !=
            std::tolower(static_cast<unsigned char>(suffix[i])))
            return false;
    return true;
}

// PNG, beyond the classic formats: saving one writes a copy of the picture
// as shown at 1:1; the document keeps its own file.
const char kPngFilter[] = "PNG (*.png)|*.png";

}  // namespace

CDataDoc::CDataDoc() = default;

DataDocKind CDataDoc::Kind() const {
    switch (GetDocTemplate() ? GetDocTemplate()->GetResourceId() : IDR_TXTTYPE) {
    case IDR_TGATYPE: return DataDocKind::Targa;
    case IDR_MTXTYPE: return DataDocKind::Mtx;
    case IDR_ASCTYPE: return DataDocKind::Backup;
    default: return DataDocKind::Text;
    }
}

bool CDataDoc::IsPicture() const { return Kind() == DataDocKind::Targa || Kind() == DataDocKind::Mtx; }

void CDataDoc::SetModifiedFlag(bool modified) {
    bool& flag = brelko::CDataDoc::m_bModified;
    const bool changed = flag != modified;
    flag = modified;
    if (changed) CDocument::SetTitle(GetTitle());  // the captions show the flag
}

bool CDataDoc::OnOpenDocument(const std::string& path, std::string* error) {
    return brelko::CDataDoc::OnOpenDocument(path, error);
}

bool CDataDoc::OnSaveDocument(const std::string& path, std::string* error) {
    if (EndsWithNoCase(path, ".png")) {
        auto picture = std::dynamic_pointer_cast<CPicture>(m_pData);
        if (!picture || !picture->m_bValid) {
            if (error) *error = LoadString(IDS_NO_PICTURE_TO_SAVE);
            return false;
        }
        cli::Picture copy;
        copy.mtx = std::dynamic_pointer_cast<CMTX>(m_pData);
        copy.tga = std::dynamic_pointer_cast<CTGA>(m_pData);
        return cli::SavePicture(copy, path, error);
    }
    const bool saved = brelko::CDataDoc::OnSaveDocument(path, error);
    SetModifiedFlag(!saved && brelko::CDataDoc::m_bModified);
    return saved;
}

CDataDoc::SaveAsSetup CDataDoc::SaveAsDialogSetup() const {
    SaveAsSetup setup;
    CBrelkoApp* app = BrelkoApp();
    setup.startFolder = Profile::GetString("Custom", "Directory", "");
    const CDocTemplate* docTemplate = GetDocTemplate();
    const std::string ext = docTemplate ? docTemplate->GetDocString(DocString::FilterExt) : ".txt";
    const std::string name = docTemplate ? docTemplate->GetDocString(DocString::FilterName) : "";
    setup.defaultExtension = ext;
    setup.filter = name + "|*" + ext;
    if (ext == ".mtx") {
        // An MTX picture can be saved as Targa as well.
        if (app && app->m_pTargaTemplate)
            setup.filter += "|" + app->m_pTargaTemplate->GetDocString(DocString::FilterName) + "|*.tga";
        if (app && !app->m_strPicturePath.empty()) setup.startFolder = app->m_strPicturePath;
    } else if (ext == ".txt" && app && !app->m_strTextPath.empty()) {
        setup.startFolder = app->m_strTextPath;
    }
    if (IsPicture()) setup.filter += std::string("|") + kPngFilter;
    setup.filter += "||";
    const std::string& path = GetPathName();
    setup.proposedName = path.size() > 4 ? path.substr(0, path.size() - 4) : std::string();
    return setup;
}

void CDataDoc::OnFileSaveAs() {
    const SaveAsSetup setup = SaveAsDialogSetup();
    FileDialogRequest request;
    request.save = true;
    request.promptOverwrite = true;
    request.filter = setup.filter;
    request.defaultExtension = setup.defaultExtension;
    request.startFolder = setup.startFolder;
    request.fileName = setup.proposedName;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return;
    if (EndsWithNoCase(chosen, ".png")) {
        // A copy: the document stays what it was.
        DoSave(chosen, false);
        return;
    }
    SetPathName(chosen);
    DoSave(chosen, false);  // a failed save leaves the new path name set
    CBrelkoApp* app = BrelkoApp();
    if (!app) return;
    if (setup.defaultExtension == ".txt") app->m_strTextPath = chosen;
    if (setup.defaultExtension == ".mtx") app->m_strPicturePath = chosen;
}

bool CDataDoc::SaveModified() {
    if (!IsModified()) return true;
    const std::string question = FormatPercent1(LoadString(AFX_IDP_ASK_TO_SAVE), GetTitle());
    switch (AfxMessageBox(question, MessageButtons::YesNoCancel, MessageIcon::Question)) {
    case MessageResult::Cancel: return false;
    case MessageResult::Yes: OnFileSaveAs(); return true;  // whether or not the user saved
    default: return true;
    }
}

}  // namespace brelko::app
