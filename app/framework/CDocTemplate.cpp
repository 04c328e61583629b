#include "app/framework/CDocTemplate.h"

#include <QTimer>
#include <algorithm>
#include <cctype>

#include "app/framework/CDocument.h"
#include "app/framework/Dialogs.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"

namespace brelko::app {

std::string DocStringField(const std::string& docString, DocString index) {
    std::size_t start = 0;
    for (int field = 0; field < static_cast<int>(index); ++field) {
        const std::size_t next = docString.find('\n', start);
        if (next == std::string::npos) return {};
        start = next + 1;
    }
    return docString.substr(start, docString.find('\n', start) - start);
}

CDocTemplate::CDocTemplate(unsigned resourceId, DocumentFactory makeDocument, FrameFactory makeFrame,
                           FrameShower showFrame)
    : m_nResourceId(resourceId),
      m_strDocString(LoadString(resourceId)),
      m_makeDocument(std::move(makeDocument)),
      m_makeFrame(std::move(makeFrame)),
      m_showFrame(std::move(showFrame)) {}

CDocTemplate::~CDocTemplate() {
    for (auto& document : m_documents) document->SetTemplate(nullptr);
}

bool CDocTemplate::MatchesFileName(const std::string& path) const {
    const std::string ext = GetDocString(DocString::FilterExt);
    if (ext.empty() || path.size() < ext.size()) return false;
    for (std::size_t i = 0; i < ext.size(); ++i) {
        const auto a = static_cast<unsigned char>(path[path.size() - ext.size() + i]);
        const auto b = static_cast<unsigned char>(ext[i]);
        if (std::tolower(a) != std::tolower(b)) return false;
    }
    return true;
}

std::string CDocTemplate::NextUntitledTitle() {
    std::string name = GetDocString(DocString::DocName);
    if (name.empty()) name = LoadString(AFX_IDS_UNTITLED);
    return name + std::to_string(++m_nUntitledCount);
}

CDocument* CDocTemplate::OpenDocumentFile(const std::string& path, bool makeVisible) {
    std::unique_ptr<CDocument> owned = m_makeDocument();
    if (!owned) return nullptr;
    CDocument* document = owned.get();
    document->SetTemplate(this);
    m_documents.push_back(std::move(owned));

    CView* view = m_makeFrame(*this, *document);
    if (!view) {
        RemoveDocument(document);
        return nullptr;
    }
    if (path.empty()) {
        document->SetTitle(NextUntitledTitle());
        if (!document->OnNewDocument()) {
            document->OnCloseDocument();
            return nullptr;
        }
    } else {
        std::string error;
        if (!document->OnOpenDocument(path, &error)) {
            document->OnCloseDocument();
            AfxMessageBox(FormatArgs(LoadString(AFX_IDP_FAILED_TO_OPEN_DOC), {path, error}), MessageButtons::Ok,
                          MessageIcon::Error);
            return nullptr;
        }
        document->SetPathName(path);
    }
    // The views take the loaded document, then the frame shows.
    for (CView* v : std::vector<CView*>(document->Views())) v->OnInitialUpdate();
    if (document->IsClosing() || document->Views().empty()) return nullptr;
    m_showFrame(*document->GetFirstView(), makeVisible);
    return document;
}

void CDocTemplate::RemoveDocument(CDocument* document) {
    auto it = std::find_if(m_documents.begin(), m_documents.end(),
                           [&](const std::unique_ptr<CDocument>& d) { return d.get() == document; });
    if (it == m_documents.end()) return;
    // The document may be in the middle of the call that closed it: it goes
    // once control is back in the event loop.
    std::shared_ptr<CDocument> dying(std::move(*it));
    m_documents.erase(it);
    dying->SetTemplate(nullptr);
    QTimer::singleShot(0, [dying] {});
}

}  // namespace brelko::app
