// The main frame's exchange commands: each opens a document of the right kind
// and hands the transfer to the document's view; and what follows a transfer
// (the progress bar, a finished backup, quitting while busy).
#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include "app/CBrelkoApp.h"
#include "app/CDataDocument.h"
#include "app/CPictureView.h"
#include "app/CTextView.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "app/AdapterMonitor.h"
#include "exchange/BackupTarget.h"
#include "app/CompareWithSystem.h"
#include "comlink/LineTrace.h"
#include "data/CMTX.h"
#include "app/CMainFrame.h"
#include "exchange/CStatusView.h"
#include "data/CText.h"
#include "platform/Profile.h"
#include "res/ResourceIds.h"
#include "app/StatusFrame.h"
#include "exchange/TransferFailure.h"
#include "app/framework/CDocTemplate.h"
#include "app/framework/Dialogs.h"
#include "app/framework/QtText.h"

namespace brelko::app {

namespace {

// The command's name, for the title of its dialog: "Back up", "Restore".
std::string CommandName(unsigned id) {
    const std::string text = LoadString(id);
    const std::size_t feed = text.find('\n');
    return feed == std::string::npos ? text : text.substr(feed + 1);
}

// The shared set-up of Back up, Restore and Send language: the template's
// filter, the remembered path or else the data folder.
FileDialogRequest TransferDialog(const CDocTemplate& docTemplate, const char* pattern, const std::string& remembered,
                                 bool save) {
    FileDialogRequest request;
    request.save = save;
    request.promptOverwrite = save;
    request.filter = docTemplate.GetDocString(DocString::FilterName) + "|" + pattern + "||";
    request.defaultExtension = docTemplate.GetDocString(DocString::FilterExt);
    request.startFolder = remembered.empty() ? Profile::GetString("Custom", "Directory", "") : remembered;
    return request;
}

// The view of the kind a device command needs: a picture for Get picture,
// a text for the others.
template <typename View>
View* FirstView(CDocument* document) {
    return document ? dynamic_cast<View*>(document->GetFirstView()) : nullptr;
}

}  // namespace

FileDialogRequest BackupDialogRequest(bool save, unsigned command) {
    CBrelkoApp* app = BrelkoApp();
    FileDialogRequest request = TransferDialog(*app->m_pBackupTemplate, "*.asc", app->m_strBackupPath, save);
    request.title = CommandName(command);
    return request;
}

void CMainFrame::OnGetSetup() {
    CBrelkoApp* app = BrelkoApp();
    const std::string chosen = RunFileDialog(BackupDialogRequest(true, ID_GET_SETUP));
    if (chosen.empty()) return;
    // The chosen file keeps what it holds until a complete backup replaces it.
    CDocument* document = app->m_pBackupTemplate->OpenDocumentFile(std::string(), true);
    auto* backup = dynamic_cast<CDataDoc*>(document);
    CTextView* view = FirstView<CTextView>(document);
    if (!backup || !view) return;
    backup->SetPathName(chosen, false);
    backup->m_pData = CText::Create();
    app->m_strBackupPath = chosen;
    if (!view->FetchBackup()) {
        // Nothing will come: a hidden, empty backup window serves no one.
        backup->OnCloseDocument();
    }
}

void CMainFrame::OnConnect() {
    if (m_pStatusView) m_pStatusView->Connect();
}

void CMainFrame::OnGetPicture() {
    CDocument* document = BrelkoApp()->m_pPictureTemplate->OpenDocumentFile(std::string(), true);
    auto* picture = dynamic_cast<CDataDoc*>(document);
    CPictureView* view = FirstView<CPictureView>(document);
    if (!picture || !view) return;
    picture->m_pData = std::make_shared<CMTX>();
    view->FetchPicture();
}

// Get menu and Get language: a new, untitled text window that fills as the
// texts arrive.
static void FetchText(bool menus) {
    CDocument* document = BrelkoApp()->m_pTextTemplate->OpenDocumentFile(std::string(), true);
    auto* text = dynamic_cast<CDataDoc*>(document);
    CTextView* view = FirstView<CTextView>(document);
    if (!text || !view) return;
    text->m_pData = CText::Create();
    view->OnUpdate(nullptr);
    if (menus) view->FetchMenus();
    else view->FetchLanguage();
}

void CMainFrame::OnGetMenu() { FetchText(true); }

void CMainFrame::OnGetLanguage() { FetchText(false); }

void CMainFrame::OnSendLanguage() {
    CBrelkoApp* app = BrelkoApp();
    FileDialogRequest request = TransferDialog(*app->m_pTextTemplate, "*.txt", app->m_strTextPath, false);
    request.title = CommandName(ID_SEND_LANGUAGE);
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return;
    CDocument* document = app->m_pTextTemplate->OpenDocumentFile(chosen, true);
    CTextView* view = FirstView<CTextView>(document);
    if (!view) return;
    view->SendLanguage();
    app->m_strTextPath = chosen;
}

void CMainFrame::OnCompareSystem() {
    const std::string chosen = RunFileDialog(BackupDialogRequest(false, ID_COMPARE_SYSTEM));
    if (chosen.empty()) return;
    CompareWithSystem::Start(*this, chosen);
}

void CMainFrame::OnCancelTransfer() {
    if (!m_pStatusView) return;
    const CancelReply reply = m_pStatusView->CancelTransfer();
    // A restore stopped halfway is told now, not once the system is back.
    if (reply.answer == CancelAnswer::Forced && m_pRestoreView) m_pRestoreView->OnRestoreForced();
}

void CMainFrame::SetRunningRestore(CTextView* view) { m_pRestoreView = view; }

// ---------------------------------------------------------------- after a transfer

void CMainFrame::OnExchangeEvent(const brelko::StatusMessage& message) {
    using namespace brelko;
    std::visit(Overloaded{
                   [this](const BytesReceived& m) { ShowProgress(m.count, m.expected); },
                   [this](const BytesSent& m) { ShowProgress(m.count, m.toSend); },
                   [this](const TransferDone&) {
                       m_pProgress->hide();
                       auto tasks = std::move(m_afterTransfer);
                       m_afterTransfer.clear();
                       for (auto& [context, task] : tasks)
                           if (context) task();
                   },
                   [this](const ExchangeState&) {
                       if (!IsBusy()) m_pProgress->hide();
                   },
                   [](const auto&) {},
               },
               message);
    NoteCommandState();
}

void CMainFrame::ShowProgress(std::size_t count, std::size_t total) {
    // Counts can exceed what a progress bar holds: it shows parts of a thousand.
    if (total > 0) {
        m_pProgress->setRange(0, 1000);
        m_pProgress->setValue(static_cast<int>(std::min(count, total) * 1000 / total));
        m_pProgress->setFormat(QStringLiteral("%p%"));
    } else {
        m_pProgress->setRange(0, 0);  // a reception does not know its size
    }
    m_pProgress->show();
}

void CMainFrame::WhenTransferDone(QObject* context, std::function<void()> task) {
    m_afterTransfer.emplace_back(QPointer<QObject>(context), std::move(task));
}

void CMainFrame::WhenCourseEnds(QObject* context, std::function<void()> task) {
    m_afterCourse.emplace_back(QPointer<QObject>(context), std::move(task));
}

void CMainFrame::OnCourseEnded(const brelko::CourseOutcome& outcome) {
    brelko::CStatusView* logic = StatusLogic();
    // A listener may have started the next course (a restore after its
    // safety copy): the tidying waits for that one's end.
    if (!logic || IsBusy()) return;
    // However the course ended, nothing of it stays on the bar, and no empty
    // window stays behind.
    m_pProgress->hide();
    auto tasks = std::move(m_afterCourse);
    m_afterCourse.clear();
    for (auto& [context, task] : tasks)
        if (context) task();
    // A device that vanished during the course: its port is closed and the
    // state line says so, until it is back.
    bool gone = outcome.failure == TransferFailure::DeviceGone && !outcome.ready;
    std::string name = logic->Line().Port() ? logic->Line().Port()->Device() : std::string();
#ifdef BRELKO_HAVE_SERIALDEVICES
    if (m_pAdapters && gone) m_pAdapters->OnLineVanished();
    if (m_pAdapters && m_pAdapters->AdapterGone()) {
        gone = true;
        name = m_pAdapters->Followed();
    }
#endif
    if (gone) {
        if (logic->GoneDevice().empty()) logic->SetDeviceGone(name);
        CloseVanishedPort();
    }
#ifdef BRELKO_HAVE_SERIALDEVICES
    // An adapter that came back while the course ran is reconnected now.
    if (m_pAdapters) m_pAdapters->ReconnectIfDue();
#endif
    // The program ends once the course is over, after any message about it
    // was read.
    if (m_bQuitWhenIdle)
        RunWhenNoModal([this] {
            if (m_bQuitWhenIdle && !IsBusy()) close();
        });
    UpdateCommandUI();
}

void CMainFrame::CloseVanishedPort() {
    brelko::CStatusView* logic = StatusLogic();
    if (!logic || IsBusy()) return;
    // Reopening closes the port of the device that went; should it open
    // after all, the device is back and the program connects.
    if (logic->Line().Reopen()) {
        logic->SetDeviceGone(std::string());
        m_pStatusView->Connect();
        return;
    }
    CDeviceLine& line = logic->Line();
    line.m_bContact = line.m_bRightPort = line.m_bKnownSystem = line.m_bReady = 0;
    m_pStatusView->Invalidate(true);
    NoteCommandState();
}

void CMainFrame::Terminate() {
    // No one is there to answer a question: a running transfer is stopped
    // (a restore too), and the program ends; the settings are written and
    // the port closed (its lock file removed) as the objects go.
    m_bQuitWhenIdle = false;
    m_bTerminating = true;
    if (brelko::CStatusView* logic = StatusLogic()) logic->Line().RequestCancel();
    // exit(), not quit(): quit() would close the windows first, and they ask.
    QCoreApplication::exit(0);
}

void CMainFrame::RunWhenNoModal(std::function<void()> task) {
    m_deferred.push_back(std::move(task));
    if (!m_pModalTimer) {
        m_pModalTimer = new QTimer(this);
        m_pModalTimer->setInterval(100);
        connect(m_pModalTimer, &QTimer::timeout, this, [this] {
            if (QApplication::activeModalWidget()) return;
            m_pModalTimer->stop();
            auto tasks = std::move(m_deferred);
            m_deferred.clear();
            for (auto& task : tasks) task();
        });
    }
    if (!m_pModalTimer->isActive()) m_pModalTimer->start();
}

void CMainFrame::StoreReceivedBackup(CDataDoc& document, CDataView& view) {
    (void)view;

    // Complete: replaces the chosen file. Kept after line errors or silence:
    // under its name only when no file has it, else beside it. Cut short:
    // the chosen file stays as it was.
    brelko::CStatusView* logic = StatusLogic();
    auto text = std::dynamic_pointer_cast<CText>(document.m_pData);
    if (logic && text) {
        const BackupSave saved = SaveBackup(document.GetPathName(), logic->LastOutcome(), text->GetText());
        if (saved.written) BrelkoApp()->AddToRecentFileList(saved.path);
        // Where the backup went stays on status line 4 until the next
        // course, below what went wrong, if anything did.
        const bool failed = logic->LastOutcome().receiveFailed;
        logic->SetProgress((failed && !logic->Progress().empty() ? logic->Progress() + "\n" : std::string()) +
                           saved.message);
        if (m_pStatusView) m_pStatusView->Invalidate(false);
        if (saved.placement == BackupPlacement::Replaced && saved.written) {
            statusBar()->showMessage(Q(saved.message), 10000);
        } else {
            RunWhenNoModal([message = saved.message] {
                AfxMessageBox(message, MessageButtons::Ok, MessageIcon::Warning);
            });
        }
    }
    document.SetModifiedFlag(false);
    document.OnCloseDocument();
}

std::string CMainFrame::TraceFile() {
    const std::string configured = Profile::GetString("Custom", "TraceFile", "");
    if (!configured.empty()) return configured;
    const std::string folder = Profile::GetString("Custom", "Directory", "");
    return (folder.empty() ? S(QDir::currentPath()) : folder) + "/brelko-line.txt";
}

void CMainFrame::ApplyLineSettings() {
    brelko::CStatusView* logic = StatusLogic();
    if (!logic) return;
    // The line is recorded only when the user asked for it.
    LineTrace& trace = logic->Line().Trace();
    if (Profile::GetInt("Custom", "Trace", 0) != 0) {
        std::string error;
        // A new file chosen in Options takes over from the old one.
        const bool running = trace.IsActive() && trace.Path() == TraceFile();
        if (!running && !trace.Start(TraceFile(), &error)) {
            logic->SetProgress(FormatArgs(LoadString(IDS_TRACE_FAILED), {TraceFile(), error}));
            m_pStatusView->Invalidate(false);
        }
    } else if (trace.IsActive()) {
        trace.Stop();
    }
#ifdef BRELKO_HAVE_SERIALDEVICES
    // An adapter that came back while a transfer ran is reconnected once
    // the course has ended (OnCourseEnded).
    if (!m_pAdapters) m_pAdapters = new AdapterMonitor(*this);
    m_pAdapters->FollowConfiguredPort();
#endif
}

bool CMainFrame::ConfirmQuitWhileBusy() {
    if (!IsBusy()) return true;
    if (m_bQuitWhenIdle) return false;  // already asked: the program ends when the system is back
    if (AfxMessageBox(LoadString(IDS_QUIT_WHILE_BUSY), MessageButtons::YesNo, MessageIcon::Warning) !=
        MessageResult::Yes)
        return false;
    m_bQuitWhenIdle = true;
    if (m_pStatusView) m_pStatusView->CancelTransfer();
    return false;
}

}  // namespace brelko::app
