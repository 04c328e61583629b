// A document template binds a kind of document to its resource id, its
// seven-field document string, and the factories of its document, frame and
// view. It opens files and makes new documents, and owns the documents it
// made.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brelko::app {

class CDocument;
class CView;

// The fields of a document string, in order.
enum class DocString {
    WindowTitle = 0,
    DocName = 1,
    FileNewName = 2,
    FilterName = 3,
    FilterExt = 4,
    RegFileTypeId = 5,
    RegFileTypeName = 6,
};

// Field `index` of a "\n"-separated document string; empty when it has fewer.
std::string DocStringField(const std::string& docString, DocString index);

class CDocTemplate {
public:
    using DocumentFactory = std::function<std::unique_ptr<CDocument>()>;
    // Makes the frame (hidden) and the view of a document and attaches the
    // view to it. Returns the view, or null when the frame cannot be made.
    using FrameFactory = std::function<CView*(CDocTemplate& docTemplate, CDocument& document)>;
    // Shows and activates the frame of a loaded document (visible) or leaves
    // it hidden; the views have had their initial update.
    using FrameShower = std::function<void(CView& view, bool visible)>;

    // Loads the document string of `resourceId` now: a template keeps the
    // texts of the language that was in use when it was made.
    CDocTemplate(unsigned resourceId, DocumentFactory makeDocument, FrameFactory makeFrame, FrameShower showFrame);
    ~CDocTemplate();
    CDocTemplate(const CDocTemplate&) = delete;
    CDocTemplate& operator=(const CDocTemplate&) = delete;

    unsigned GetResourceId() const { return m_nResourceId; }
    const std::string& GetDocStringText() const { return m_strDocString; }
    std::string GetDocString(DocString index) const { return DocStringField(m_strDocString, index); }

    // A file's extension matches the template's filter extension (no case).
    bool MatchesFileName(const std::string& path) const;

    // With a path: makes a document, loads the file and shows it; on failure
    // tells the user the way every failed open is told and returns null.
    // Without one: a new, untitled document.
    CDocument* OpenDocumentFile(const std::string& path, bool makeVisible = true);

    const std::vector<std::unique_ptr<CDocument>>& Documents() const { return m_documents; }
    // The document whose last frame closed; it is deleted once the event
    // that closed it is over.
    void RemoveDocument(CDocument* document);

private:
    std::string NextUntitledTitle();

    unsigned m_nResourceId;
    std::string m_strDocString;
    DocumentFactory m_makeDocument;
    FrameFactory m_makeFrame;
    FrameShower m_showFrame;
    std::vector<std::unique_ptr<CDocument>> m_documents;
    int m_nUntitledCount = 0;
};

}  // namespace brelko::app
