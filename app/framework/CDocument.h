// Documents and views: a document holds what a window shows (its path, title
// and modified flag) and knows its views; a view shows one document inside
// its frame. Documents belong to their template; frames and views are Qt
// widgets, and closing the last frame of a document closes the document.
#pragma once

#include <string>
#include <vector>

#include "app/framework/CmdTarget.h"

class QAction;
class QWidget;

namespace brelko::app {

class CDocTemplate;
class CDocument;

class CView : public CCmdTarget {
public:
    ~CView() override;
    CDocument* GetDocument() const { return m_pDocument; }
    // The view's own widget and the frame that holds it.
    virtual QWidget* Widget() = 0;
    virtual QWidget* Frame() = 0;
    // After the frame is made and shown; the default asks OnUpdate.
    virtual void OnInitialUpdate() { OnUpdate(nullptr); }
    // The document changed; `sender` is the view that changed it, if any.
    virtual void OnUpdate(CView* sender) { (void)sender; }
    // The frame's caption follows the document's title.
    virtual void OnTitleChanged() {}
    // The commands the view carries as actions of its own (a picture's zoom),
    // which keep their enabling and check marks up to date themselves. While
    // the view is the active one, the main frame's menu items and buttons
    // of those ids follow them and run them; null: the command goes along
    // the usual route.
    virtual QAction* CommandAction(unsigned id) const {
        (void)id;
        return nullptr;
    }
    virtual std::vector<QAction*> CommandActions() const { return {}; }

protected:
    friend class CDocument;
    CDocument* m_pDocument = nullptr;
};

class CDocument : public CCmdTarget {
public:
    CDocument();
    ~CDocument() override;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    CDocTemplate* GetDocTemplate() const { return m_pTemplate; }
    const std::string& GetPathName() const { return m_strPathName; }
    // Sets the path, the title from its file name and, when asked, adds the
    // path to the recent-file list.
    virtual void SetPathName(const std::string& path, bool addToRecentFiles = true);
    const std::string& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const std::string& title);
    virtual bool IsModified() const { return m_bModified; }
    virtual void SetModifiedFlag(bool modified = true);

    void AddView(CView* view);
    void RemoveView(CView* view);
    CView* GetFirstView() const { return m_views.empty() ? nullptr : m_views.front(); }
    const std::vector<CView*>& Views() const { return m_views; }
    void UpdateAllViews(CView* sender = nullptr);

    // A new, empty document; true on success.
    virtual bool OnNewDocument();
    // Loads or stores the file; false with the reason for the user in *error.
    virtual bool OnOpenDocument(const std::string& path, std::string* error);
    virtual bool OnSaveDocument(const std::string& path, std::string* error);
    // Closes every frame of the document; the document goes with the last one.
    virtual void OnCloseDocument();
    // Asked before a modified document is closed: true when closing may go on.
    virtual bool SaveModified();
    virtual bool CanCloseFrame() { return SaveModified(); }

    // Save: to the path when there is one, else through the save dialog.
    bool DoFileSave();
    // Saves to `path`, or asks for one (the template's filter) when empty.
    // Reports a failure to the user; true when saved.
    bool DoSave(const std::string& path, bool replacePathName = true);

    // For the template only.
    void SetTemplate(CDocTemplate* docTemplate) { m_pTemplate = docTemplate; }
    bool IsClosing() const { return m_bClosing; }

protected:
    // The framework's Close, Save and Save As.
    void OnFileClose();
    virtual void OnFileSave() { DoFileSave(); }
    virtual void OnFileSaveAs() { DoSave(std::string()); }

private:
    void NotifyTitle();

    CDocTemplate* m_pTemplate = nullptr;
    std::string m_strPathName;
    std::string m_strTitle;
    bool m_bModified = false;
    bool m_bClosing = false;
    std::vector<CView*> m_views;
};

}  // namespace brelko::app
