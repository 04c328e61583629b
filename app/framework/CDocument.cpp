#include "app/framework/CDocument.h"

#include <QFileInfo>
#include <QWidget>
#include <algorithm>

#include "app/framework/CDocTemplate.h"
#include "app/framework/CWinApp.h"
#include "app/framework/Dialogs.h"
#include "app/framework/QtText.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"

namespace brelko::app {

CView::~CView() {
    if (m_pDocument) m_pDocument->RemoveView(this);
}

CDocument::CDocument() {
    MapCommand(ID_FILE_CLOSE, [this](unsigned) { OnFileClose(); });
    MapCommand(ID_FILE_SAVE, [this](unsigned) { OnFileSave(); });
    MapCommand(ID_FILE_SAVE_AS, [this](unsigned) { OnFileSaveAs(); });
}

CDocument::~CDocument() {
    // Views outlive a document only while their frames are being torn down.
    for (CView* view : m_views) view->m_pDocument = nullptr;
}

void CDocument::SetPathName(const std::string& path, bool addToRecentFiles) {
    const QFileInfo info(Q(path));
    m_strPathName = S(info.absoluteFilePath());
    SetTitle(S(info.fileName()));
    if (addToRecentFiles)
        if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(m_strPathName);
}

void CDocument::SetTitle(const std::string& title) {
    m_strTitle = title;
    NotifyTitle();
}

void CDocument::SetModifiedFlag(bool modified) {
    if (m_bModified == modified) return;
    m_bModified = modified;
    NotifyTitle();
}

void CDocument::NotifyTitle() {
    for (CView* view : m_views) view->OnTitleChanged();
    if (CWinApp* app = AfxGetApp()) app->OnDocumentTitleChanged();
}

void CDocument::AddView(CView* view) {
    if (std::find(m_views.begin(), m_views.end(), view) != m_views.end()) return;
    m_views.push_back(view);
    view->m_pDocument = this;
}

void CDocument::RemoveView(CView* view) {
    auto it = std::find(m_views.begin(), m_views.end(), view);
    if (it == m_views.end()) return;
    m_views.erase(it);
    view->m_pDocument = nullptr;
    // The last view gone: the document goes too.
    if (m_views.empty() && m_pTemplate) m_pTemplate->RemoveDocument(this);
}

void CDocument::UpdateAllViews(CView* sender) {
    const std::vector<CView*> views = m_views;  // a view may close itself
    for (CView* view : views)
        if (view != sender) view->OnUpdate(sender);
}

bool CDocument::OnNewDocument() {
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const std::string& path, std::string* error) {
    (void)path, (void)error;
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const std::string& path, std::string* error) {
    (void)path, (void)error;
    SetModifiedFlag(false);
    return true;
}

void CDocument::OnCloseDocument() {
    if (m_bClosing) return;
    m_bClosing = true;
    // A closed frame deletes itself and its view once the event loop is
    // back, and the last view takes the document with it.
    const std::vector<CView*> views = m_views;
    for (CView* view : views) {
        QWidget* frame = view->Frame();
        frame->setAttribute(Qt::WA_DeleteOnClose);
        if (!frame->close()) frame->deleteLater();
    }
}

bool CDocument::SaveModified() {
    if (!IsModified()) return true;
    const std::string question = FormatPercent1(LoadString(AFX_IDP_ASK_TO_SAVE), m_strTitle);
    switch (AfxMessageBox(question, MessageButtons::YesNoCancel, MessageIcon::Question)) {
    case MessageResult::Yes: return DoFileSave();
    case MessageResult::No: return true;
    default: return false;
    }
}

void CDocument::OnFileClose() {
    if (!SaveModified()) return;
    OnCloseDocument();
}

bool CDocument::DoFileSave() {
    const QFileInfo file(Q(m_strPathName));
    // A read-only file is saved elsewhere, as the user chooses.
    if (m_strPathName.empty() || (file.exists() && !file.isWritable()))
        return DoSave(std::string());
    return DoSave(m_strPathName);
}

bool CDocument::DoSave(const std::string& path, bool replacePathName) {
    std::string target = path;
    if (target.empty()) {
        FileDialogRequest request;
        request.save = true;
        request.promptOverwrite = true;
        if (m_pTemplate) {
            const std::string ext = m_pTemplate->GetDocString(DocString::FilterExt);
            request.filter = m_pTemplate->GetDocString(DocString::FilterName) + "|*" + ext + "||";
            request.defaultExtension = ext;
        }
        request.fileName = m_strTitle;
        target = RunFileDialog(request);
        if (target.empty()) return false;
    }
    std::string error;
    if (!OnSaveDocument(target, &error)) {
        AfxMessageBox(FormatArgs(LoadString(AFX_IDP_FAILED_TO_SAVE_DOC), {target, error}), MessageButtons::Ok,
                      MessageIcon::Error);
        return false;
    }
    if (replacePathName) SetPathName(target);
    return true;
}

}  // namespace brelko::app
