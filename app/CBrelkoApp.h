// The application object: start-up and exit, the settings file, the language,
// the data folder, the five document templates and the main frame; the three
// remembered file paths; About, Options, Restore and File Open; and its own
// open-by-name, under which opening a backup file sends it to the system.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QObject>

#include "app/framework/CWinApp.h"

namespace brelko {
class SimulatorRunner;
}

namespace brelko::app {

class CDocTemplate;
class CDocument;
class CMainFrame;
class QtPostQueue;
class RecentFileList;
class SingleInstance;

// What the command line asks of the program.
struct AppOptions {
    std::string iniPath;                 // empty: beside the executable
    std::string language;                // "en", "da" or empty: the locale
    bool simulate = false;               // run the built-in simulator and point the configured port at it
    std::string simulatorPreset;         // empty: the default preset
    long simulatorBaud = -1;             // -1: the simulator's default
    std::vector<std::string> simulatorFaults;
    std::string simulatorForm;           // "raw", "archive" or empty: the preset's
    int simulatorBits = 0;               // 8, 16 or 0: the preset's
    std::vector<std::string> openFiles;  // --open: handed to a running program, else opened after start-up
    bool singleInstance = true;          // listen for --open requests of later starts
};

class CBrelkoApp final : public QObject, public CWinApp {
    Q_OBJECT
public:
    explicit CBrelkoApp(AppOptions options);
    ~CBrelkoApp() override;

    // Start-up, step by step; false ends the program.
    bool InitInstance();
    // Open by file name: a name ending in "asc" (any case) opens as a backup
    // and is sent to the vision system at once; any other opens by its kind.
    CDocument* OpenDocumentFile(const std::string& path);

    // Every setting the program writes as it ends, written now: the session
    // ends, and the system ends the program without waiting for that.
    void SaveSettings();

    QWidget* MainWindow() const override;
    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    void AddToRecentFileList(const std::string& path) override;
    void OnDocumentTitleChanged() override;
    RecentFileList& RecentFiles() const { return *m_pRecentFiles; }
    QtPostQueue& PostQueue() const { return *m_pQueue; }

    // The templates, in registration order: Targa, MTX, backup, text, status.
    CDocTemplate* m_pStatusTemplate = nullptr;
    CDocTemplate* m_pTextTemplate = nullptr;
    CDocTemplate* m_pPictureTemplate = nullptr;
    CDocTemplate* m_pTargaTemplate = nullptr;
    CDocTemplate* m_pBackupTemplate = nullptr;
    const std::vector<std::unique_ptr<CDocTemplate>>& Templates() const { return m_templates; }

    // Remembered for this run only.
    std::string m_strPicturePath;
    std::string m_strBackupPath;
    std::string m_strTextPath;

    // The simulator's device while --simulate runs, else empty.
    std::string SimulatorDevice() const;
    std::string SimulatorLabel() const;

    // Commands of the application.
    void OnAppAbout();
    void OnOptions();
    void OnSendSetup();  // Restore
    void OnFileOpen();
    void OnOpenRecentFile(unsigned id);

    // Qt's own texts follow the program's language.
    void LoadQtTranslations();

    // Every open document of the data templates and the status document.
    std::vector<CDocument*> AllDocuments() const;
    // The filter of File Open: every template's filter, then "All Files".
    std::string FileOpenFilter() const;

private:
    bool StartSimulator();
    void RegisterTemplates();
    CDocTemplate* TemplateForFile(const std::string& path) const;
    AppOptions m_options;
    std::unique_ptr<QtPostQueue> m_pQueue;
    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    std::unique_ptr<RecentFileList> m_pRecentFiles;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    std::unique_ptr<SimulatorRunner> m_pSimulator;
    std::unique_ptr<SingleInstance> m_pSingleInstance;
    std::vector<std::unique_ptr<QObject>> m_translators;
};

// The application object as its own class.
CBrelkoApp* BrelkoApp();

}  // namespace brelko::app
