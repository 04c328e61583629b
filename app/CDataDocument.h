// The data document in the window: the core's data document (its one data
// object, loaded and stored through the data layer) as a document of the
// window's framework, with its own Save As and its own question before a
// modified document closes.
#pragma once

#include <string>

#include "data/CDataDoc.h"  // the core's
#include "app/framework/CDocument.h"

namespace brelko::app {

enum class DataDocKind { Targa, Mtx, Backup, Text };

class CDataDoc final : public CDocument, public brelko::CDataDoc {
public:
    CDataDoc();

    // Which of the four data templates the document belongs to.
    DataDocKind Kind() const;
    bool IsPicture() const;

    bool OnOpenDocument(const std::string& path, std::string* error) override;
    bool OnSaveDocument(const std::string& path, std::string* error) override;
    bool SaveModified() override;
    bool IsModified() const override { return brelko::CDataDoc::m_bModified; }
    void SetModifiedFlag(bool modified = true) override;

    // The core document asks after every load and store.
    void UpdateAllViews() override { CDocument::UpdateAllViews(nullptr); }

    // Save As: filters by kind (an MTX picture offers Targa, and PNG, too),
    // the start folder and the remembered paths, the proposed name. The
    // filter chosen decides the format of a name typed without a known
    // extension; a known extension decides it itself.
    void OnFileSaveAs() override;
    // The same; true when the document (or, for PNG, its copy) was saved.
    bool SaveAs();

    // What Save As offers, for the tests: the filter text as the string table has it, the start
    // folder and the proposed name.
    struct SaveAsSetup {
        std::string filter;
        std::string defaultExtension;
        std::string startFolder;
        std::string proposedName;
    };
    SaveAsSetup SaveAsDialogSetup() const;

    // A comparison with the vision system: its view marks the changed lines.
    // It is a report: nothing is ever sent from it.
    bool m_bComparison = false;
    // A language text: fetched with Get Language, or a .txt file opened as
    // text. Only such a text is sent by Send Language as it stands.
    bool m_bLanguageText = false;
};

}  // namespace brelko::app
