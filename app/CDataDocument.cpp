#include "app/CDataDocument.h"

#include <QFileInfo>
#include <vector>

#include "app/CBrelkoApp.h"
#include "data/CMTX.h"
#include "data/CPicture.h"
#include "data/CTGA.h"
#include "data/PictureFiles.h"
#include "platform/Profile.h"
#include "res/ResourceIds.h"
#include "app/framework/CDocTemplate.h"
#include "app/framework/Dialogs.h"
#include "app/framework/QtText.h"

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

// PNG, beyond the system's own formats: saving one writes a copy of the picture
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
    if (!brelko::CDataDoc::OnOpenDocument(path, error)) return false;
    m_bLanguageText = Kind() == DataDocKind::Text && EndsWithNoCase(path, ".txt");
    return true;
}

bool CDataDoc::OnSaveDocument(const std::string& path, std::string* error) {
    if (EndsWithNoCase(path, ".png")) {
        auto picture = std::dynamic_pointer_cast<CPicture>(m_pData);
        if (!picture || !picture->m_bValid) {
            if (error) *error = LoadString(IDS_NO_PICTURE_TO_SAVE);
            return false;
        }
        brelko::Picture copy;
        copy.mtx = std::dynamic_pointer_cast<CMTX>(m_pData);
        copy.tga = std::dynamic_pointer_cast<CTGA>(m_pData);
        return brelko::SavePicture(copy, path, error);
    }
    // The data's own save clears the flag itself; the captions must hear of
    // it, or the window still says unsaved.
    const bool wasModified = brelko::CDataDoc::m_bModified;
    const bool saved = brelko::CDataDoc::OnSaveDocument(path, error);
    brelko::CDataDoc::m_bModified = wasModified;
    SetModifiedFlag(!saved && wasModified);
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

void CDataDoc::OnFileSaveAs() { SaveAs(); }

namespace {

// The extensions a Save As filter text offers: ".mtx", ".tga", ".png".
std::vector<std::string> OfferedExtensions(const std::string& filter) {
    std::vector<std::string> offered;
    std::size_t start = 0;
    for (int field = 0;; ++field) {
        const std::size_t bar = filter.find('|', start);
        const std::string part = filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (field % 2 == 1 && !part.empty()) offered.push_back(ExtensionOfPattern(part));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return offered;
}

}  // namespace

bool CDataDoc::SaveAs() {
    const SaveAsSetup setup = SaveAsDialogSetup();
    FileDialogRequest request;
    request.save = true;
    request.promptOverwrite = true;
    request.filter = setup.filter;
    request.defaultExtension = setup.defaultExtension;
    request.startFolder = setup.startFolder;
    request.fileName = setup.proposedName;
    const FileChoice choice = ChooseFile(request);
    std::string chosen = choice.path;
    if (chosen.empty()) return false;
    if (IsPicture() && !choice.filterExtension.empty()) {
        // A picture is written in a format its name or its filter names,
        // never in a third one: a name with an extension none of the
        // filters has takes the chosen filter's as well.
        bool known = false;
        for (const std::string& ext : OfferedExtensions(setup.filter)) known = known || EndsWithNoCase(chosen, ext);
        if (!known) {
            chosen += choice.filterExtension;
            if (QFileInfo::exists(Q(chosen)) &&
                AfxMessageBox(FormatPercent1(LoadString(IDS_REPLACE_FILE), chosen), MessageButtons::YesNo,
                              MessageIcon::Warning) != MessageResult::Yes)
                return false;
        }
    }
    if (EndsWithNoCase(chosen, ".png")) {
        // A copy: the document stays what it was.
        return DoSave(chosen, false);
    }
    SetPathName(chosen);
    const bool saved = DoSave(chosen, false);  // a failed save leaves the new path name set
    if (CBrelkoApp* app = BrelkoApp()) {
        if (setup.defaultExtension == ".txt") app->m_strTextPath = chosen;
        if (setup.defaultExtension == ".mtx") app->m_strPicturePath = chosen;
    }
    return saved;
}

bool CDataDoc::SaveModified() {
    if (!IsModified()) return true;
    const std::string question = FormatPercent1(LoadString(AFX_IDP_ASK_TO_SAVE), GetTitle());
    switch (AfxMessageBox(question, MessageButtons::YesNoCancel, MessageIcon::Question)) {
    case MessageResult::Cancel: return false;
    // Closing goes on only when the save happened: a cancelled dialog or a
    // failed save keeps the document.
    case MessageResult::Yes: return SaveAs();
    default: return true;
    }
}

}  // namespace brelko::app
