#include "app/CBrelkoApp.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QMdiArea>
#include <QTimer>
#include <QTranslator>
#include <cctype>

#include "app/Icons.h"
#include "app/CAboutDlg.h"
#include "app/CChildFrame.h"
#include "app/CDataDocument.h"
#include "app/CPictureView.h"
#include "app/CTextView.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "app/CMainFrame.h"
#include "app/COptionsDlg.h"
#include "exchange/CStatusView.h"
#include "exchange/PictureReceiver.h"
#include "platform/Profile.h"
#include "platform/Strings.h"
#include "res/ResourceIds.h"
#if BRELKO_APP_SIMULATOR
#include "sim/SimulatorRunner.h"
#else
namespace brelko {
// Windows has no pseudo-terminals for the built-in simulator to play on.
class SimulatorRunner {
public:
    std::string DevicePath() const { return {}; }
    std::string Label() const { return {}; }
};
}  // namespace brelko
#endif
#include "app/SingleInstance.h"
#include "app/StatusFrame.h"
#include "app/framework/CDocTemplate.h"
#include "app/framework/Dialogs.h"
#include "app/framework/QtPostQueue.h"
#include "app/framework/QtText.h"
#include "app/framework/RecentFileList.h"

// The icons live in the library's resources, which a static library must
// register itself.
static void InitResources() { Q_INIT_RESOURCE(brelko); }

namespace brelko::app {

FileDialogRequest BackupDialogRequest(bool save, unsigned command);  // MainFrameCommands.cpp

CBrelkoApp* BrelkoApp() { return dynamic_cast<CBrelkoApp*>(AfxGetApp()); }

CBrelkoApp::CBrelkoApp(AppOptions options)
    : m_options(std::move(options)), m_pQueue(std::make_unique<QtPostQueue>()) {
    InitResources();
    // Every window carries the program's icon, the child windows too.
    QApplication::setWindowIcon(ProgramIcon(QStringLiteral("brelko")));
    MapCommand(ID_APP_ABOUT, [this](unsigned) { OnAppAbout(); });
    MapCommand(ID_OPTIONS, [this](unsigned) { OnOptions(); });
    MapCommand(ID_SEND_SETUP, [this](unsigned) { OnSendSetup(); });
    MapCommand(ID_FILE_OPEN, [this](unsigned) { OnFileOpen(); });
    MapCommand(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE1 + 3, [this](unsigned id) { OnOpenRecentFile(id); });
}

CBrelkoApp::~CBrelkoApp() {
    // The frame goes first (it writes Custom/Status), then the recent files
    // are saved, as the framework does at exit.
    m_pSingleInstance.reset();
    SetChecksumErrorHook(nullptr);
    m_pMainFrame.reset();
    SaveSettings();
    m_templates.clear();
    CDeviceLine::SetPortFactory({});
    m_pSimulator.reset();
}

void CBrelkoApp::SaveSettings() {
    if (m_pMainFrame) m_pMainFrame->SaveSettings();
    if (m_pRecentFiles) m_pRecentFiles->WriteList();
    if (const int pages = Profile::GetInt("Settings", "PreviewPages", 0); pages != 0)
        Profile::WriteInt("Settings", "PreviewPages", pages);
}

QWidget* CBrelkoApp::MainWindow() const { return m_pMainFrame.get(); }

void CBrelkoApp::AddToRecentFileList(const std::string& path) {
    if (m_pRecentFiles) m_pRecentFiles->Add(path);
}

void CBrelkoApp::OnDocumentTitleChanged() {
    if (m_pMainFrame) QTimer::singleShot(0, m_pMainFrame.get(), [frame = m_pMainFrame.get()] { frame->RequestCommandUIUpdate(); });
}

// ---------------------------------------------------------------- start-up

bool CBrelkoApp::InitInstance() {
    // The settings file comes first: everything after reads it.
    // Without --ini the command line's rule: on Windows the file beside the
    // program, and the user's own where the program's folder takes no changes.
    if (m_options.iniPath.empty()) Profile::UseProgramSettings(Profile::ExecutablePath());
    else Profile::SetPath(m_options.iniPath);
    m_pRecentFiles = std::make_unique<RecentFileList>("Recent File List", "File%d", 4, 30);
    m_pRecentFiles->ReadList();

    // The language, before any window or template loads a text.
    if (m_options.language == "da") SetBuiltinLanguage(Language::Danish);
    else if (m_options.language == "en") SetBuiltinLanguage(Language::English);
    SelectLanguage(Profile::GetInt("Language", "CurrentLanguage", 1));
    LoadQtTranslations();

    // The data folder; a missing or empty one leaves the current folder.
    const std::string folder = Profile::GetString("Custom", "Directory", "");
    if (!folder.empty()) QDir::setCurrent(Q(folder));

    if (m_options.simulate && !StartSimulator()) return false;

    RegisterTemplates();

    m_pMainFrame = std::make_unique<CMainFrame>();
    if (!m_pMainFrame->LoadFrame(IDR_MAINFRAME)) return false;
    // A picture whose checksum does not match still opens; the user is told
    // on this thread, and the reception worker does not wait for it.
    SetChecksumErrorHook([queue = m_pQueue.get(), frame = m_pMainFrame.get()](const std::string& message) {
        queue->Enqueue([frame, message] {
            frame->RunWhenNoModal([message] { AfxMessageBox(message, MessageButtons::Ok, MessageIcon::Warning); });
        });
    });
    // Open requests of later starts (the file manager's "open with").
    if (m_options.singleInstance) {
        m_pSingleInstance = std::make_unique<SingleInstance>(Profile::Path());
        m_pSingleInstance->Listen(
            [this](const std::string& path) {
                if (m_pMainFrame) m_pMainFrame->RaiseToFront();
                OpenDocumentFile(path);
            },
            [this] {
                // A second plain start: this window, not a second one that
                // would fight over the port and the settings file.
                if (m_pMainFrame) m_pMainFrame->RaiseToFront();
            });
    }
    // A file named on the command line is not opened: only --open does that.
    m_pMainFrame->RestoreGeometry();
    m_pMainFrame->show();
    m_pMainFrame->ToggleStatusWindow();
    m_pMainFrame->ApplyLineSettings();
    if (!m_options.openFiles.empty()) {
        QTimer::singleShot(0, m_pMainFrame.get(), [this, files = m_options.openFiles] {
            for (const std::string& file : files) OpenDocumentFile(S(QFileInfo(Q(file)).absoluteFilePath()));
        });
    }
    return true;
}

void CBrelkoApp::LoadQtTranslations() {
    // Qt's own texts (message-box buttons, file dialogs) in the program's language.
    for (auto& translator : m_translators) QCoreApplication::removeTranslator(static_cast<QTranslator*>(translator.get()));
    m_translators.clear();
    if (CurrentLanguageName() != "Dansk") return;
    auto translator = std::make_unique<QTranslator>();
    // Qt's own folder, else the copy a program carries where its Qt has none
    // on the machine (the Windows build).
    if (translator->load(QStringLiteral("qtbase_da"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        translator->load(QStringLiteral("qtbase_da"), QStringLiteral(":/translations"))) {
        QCoreApplication::installTranslator(translator.get());
        m_translators.push_back(std::move(translator));
    }
}

bool CBrelkoApp::StartSimulator() {
#if !BRELKO_APP_SIMULATOR
    AfxMessageBox(Bilingual("The built-in simulator plays on a pseudo-terminal and runs on Linux only. On Windows, "
                            "connect to a simulator on another machine through a COM port.",
                            "Den indbyggede simulator spiller på en pseudoterminal og kører kun på Linux. På Windows "
                            "forbindes til en simulator på en anden maskine gennem en COM-port."),
                  MessageButtons::Ok, MessageIcon::Error);
    return false;
#else
    SimulatorOptions sim;
    sim.simulate = m_options.simulatorPreset;
    if (m_options.simulatorBaud >= 0) sim.simBaud = m_options.simulatorBaud;
    sim.simFaults = m_options.simulatorFaults;
    sim.simForm = m_options.simulatorForm;
    sim.simBits = m_options.simulatorBits;
    std::string error;
    bool badOptions = false;
    m_pSimulator = SimulatorRunner::Start(sim, &error, &badOptions);
    if (!m_pSimulator) {
        AfxMessageBox(error, MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    // The configured port leads to the simulator; every other COM number to its own device.
    const int simulated = Profile::GetInt("Custom", "Comport", 1) - 1;
    CDeviceLine::SetPortFactory([simulated, device = m_pSimulator->DevicePath()](int portNumber, int rx, int tx) {
        if (portNumber == simulated) return CDeviceLine::MakeSystemPort(device, rx, tx);
        return CDeviceLine::MakeSystemPort(portNumber, rx, tx);
    });
    return true;
#endif
}

std::string CBrelkoApp::SimulatorDevice() const { return m_pSimulator ? m_pSimulator->DevicePath() : std::string(); }
std::string CBrelkoApp::SimulatorLabel() const { return m_pSimulator ? m_pSimulator->Label() : std::string(); }

void CBrelkoApp::RegisterTemplates() {
    // Targa and MTX documents show in a picture view, texts and backups in
    // a text view.
    auto dataFrame = [this](bool picture) {
        return [this, picture](CDocTemplate&, CDocument& document) -> CView* {
            auto* child = new CChildFrame(*m_pMainFrame);
            CDataView* view = picture ? static_cast<CDataView*>(new CPictureView(*m_pMainFrame, *child))
                                      : new CTextView(*m_pMainFrame, *child);
            child->SetView(view, view);
            document.AddView(view);
            m_pMainFrame->MdiArea()->addSubWindow(child);
            child->hide();
            return view;
        };
    };
    auto showData = [this](CView& view, bool visible) {
        auto* child = static_cast<CChildFrame*>(view.Frame());
        if (!visible) return;
        // A backup window would hide the moment it became active: it is
        // never shown at all, and the window the user had stays active.
        auto* document = dynamic_cast<CDataDoc*>(view.GetDocument());
        if (document && document->Kind() == DataDocKind::Backup) return;
        child->show();
        m_pMainFrame->MdiArea()->setActiveSubWindow(child);
    };
    auto makeData = [] { return std::make_unique<CDataDoc>(); };
    auto add = [&](unsigned id, auto makeDocument, auto makeFrame, auto showFrame) {
        m_templates.push_back(std::make_unique<CDocTemplate>(id, makeDocument, makeFrame, showFrame));
        return m_templates.back().get();
    };
    m_pTargaTemplate = add(IDR_TGATYPE, makeData, dataFrame(true), showData);
    m_pPictureTemplate = add(IDR_MTXTYPE, makeData, dataFrame(true), showData);
    m_pBackupTemplate = add(IDR_ASCTYPE, makeData, dataFrame(false), showData);
    m_pTextTemplate = add(IDR_TXTTYPE, makeData, dataFrame(false), showData);
    m_pStatusTemplate = add(
        IDR_MAINFRAME, [] { return std::make_unique<CStatusDoc>(); },
        [this](CDocTemplate&, CDocument& document) -> CView* {
            auto* strip = new CChildFrameStatus(m_pMainFrame->StatusHost());
            m_pMainFrame->InsertStatusFrame(strip);
            strip->hide();
            auto* view = new CStatusViewWnd(*m_pMainFrame, *strip);
            strip->SetView(view);
            document.AddView(view);
            return view;
        },
        [](CView& view, bool visible) {
            if (visible) view.Frame()->show();
        });
}

// ---------------------------------------------------------------- open by name

CDocTemplate* CBrelkoApp::TemplateForFile(const std::string& path) const {
    for (const auto& docTemplate : m_templates)
        if (docTemplate.get() != m_pStatusTemplate && docTemplate->MatchesFileName(path)) return docTemplate.get();
    // Any other file loads as text, so it opens as a text document.
    return m_pTextTemplate;
}

CDocument* CBrelkoApp::OpenDocumentFile(const std::string& path) {
    std::string last = path.size() >= 3 ? path.substr(path.size() - 3) : std::string();
    for (char& c : last) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (last == "asc") {
        // Opening a backup sends it to the vision system.
        CDocument* document = m_pBackupTemplate->OpenDocumentFile(path, true);
        if (!document) return nullptr;
        if (auto* view = dynamic_cast<CTextView*>(document->GetFirstView())) view->SendBackup();
        return document;
    }
    // An open document of that file is shown rather than opened twice.
    const std::string absolute = S(QFileInfo(Q(path)).absoluteFilePath());
    for (CDocument* document : AllDocuments()) {
        if (document->GetPathName() != absolute) continue;
        if (auto* view = document->GetFirstView()) {
            if (auto* frame = dynamic_cast<CChildFrame*>(view->Frame())) {
                frame->show();
                m_pMainFrame->MdiArea()->setActiveSubWindow(frame);
            }
        }
        return document;
    }
    return TemplateForFile(path)->OpenDocumentFile(path, true);
}

std::vector<CDocument*> CBrelkoApp::AllDocuments() const {
    std::vector<CDocument*> documents;
    for (const auto& docTemplate : m_templates)
        for (const auto& document : docTemplate->Documents()) documents.push_back(document.get());
    return documents;
}

// ---------------------------------------------------------------- commands

void CBrelkoApp::OnAppAbout() {
    CAboutDlg dialog(m_pMainFrame.get());
    dialog.exec();
}

void CBrelkoApp::OnOptions() {
    COptionsDlg dialog(m_pMainFrame.get());
    if (dialog.exec() != QDialog::Accepted) return;
    // The new language shows in the menu bar at once; the port takes effect now.
    LoadQtTranslations();
    m_pMainFrame->LoadMenuBar();
    m_pMainFrame->ApplyLineSettings();
    if (m_pMainFrame->m_pStatusView) m_pMainFrame->m_pStatusView->Connect();
}

std::string CBrelkoApp::FileOpenFilter() const {
    // Every kind the program opens at once first, then each kind, then all files.
    std::string filter;
    std::string supported;
    for (const auto& docTemplate : m_templates) {
        const std::string name = docTemplate->GetDocString(DocString::FilterName);
        const std::string ext = docTemplate->GetDocString(DocString::FilterExt);
        if (name.empty() || ext.empty()) continue;
        filter += name + "|*" + ext + "|";
        supported += (supported.empty() ? "*" : ";*") + ext;
    }
    return LoadString(IDS_ALL_SUPPORTED) + "|" + supported + "|" + filter + LoadString(AFX_IDS_ALLFILTER) + "|*||";
}

void CBrelkoApp::OnFileOpen() {
    FileDialogRequest request;
    request.filter = FileOpenFilter();
    const std::string chosen = RunFileDialog(request);
    if (!chosen.empty()) OpenDocumentFile(chosen);
}

void CBrelkoApp::OnOpenRecentFile(unsigned id) {
    const int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
    if (index < 0 || index >= m_pRecentFiles->Size()) return;
    const std::string path = (*m_pRecentFiles)[index];
    if (path.empty()) return;
    if (!OpenDocumentFile(path)) m_pRecentFiles->Remove(index);  // the framework drops a file that is gone
}

void CBrelkoApp::OnSendSetup() {
    const std::string chosen = RunFileDialog(BackupDialogRequest(false, ID_SEND_SETUP));
    if (chosen.empty()) return;
    std::string ext = QFileInfo(Q(chosen)).suffix().toLower().toStdString();
    if (ext != "asc") return;
    CDocument* document = m_pBackupTemplate->OpenDocumentFile(chosen, true);
    auto* backup = dynamic_cast<CDataDoc*>(document);
    if (!backup || !backup->m_pData) return;
    m_strBackupPath = chosen;
    if (auto* view = dynamic_cast<CTextView*>(document->GetFirstView())) view->SendBackup();
}

}  // namespace brelko::app
