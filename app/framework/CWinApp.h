// The application object's framework side: what documents, templates and
// dialogs need of it wherever they are, reached through AfxGetApp().
#pragma once

#include <string>

#include "app/framework/CmdTarget.h"

class QWidget;

namespace brelko::app {

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The main window: the parent of message boxes and file dialogs.
    virtual QWidget* MainWindow() const = 0;
    // A path was opened or saved.
    virtual void AddToRecentFileList(const std::string& path) = 0;
    // A document's title or modified flag changed: the main window's title may show it.
    virtual void OnDocumentTitleChanged() {}
};

// The one application object; null before it is made and after it is gone.
CWinApp* AfxGetApp();

}  // namespace brelko::app
