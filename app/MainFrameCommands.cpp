// The main frame's exchange commands: each opens a document of the right kind
// and hands the transfer to the document's view; and what follows a transfer
// (the progress bar, a finished backup, quitting while busy).
#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include "CBrelkoApp.h"
#include "CDataDocument.h"
#include "CDataView.h"
#include "CDeviceLine.h"
#include "AdapterMonitor.h"
#include "BackupTarget.h"
#include "CompareWithSystem.h"
#include "LineTrace.h"
#include "CMTX.h"
#include "CMainFrame.h"
#include "CStatusView.h"
#include "CText.h"
#include "Profile.h"
#include "ResourceIds.h"
#include "StatusFrame.h"
#include "framework/CDocTemplate.h"
#include "framework/Dialogs.h"
#include "framework/QtText.h"

namespace brelko::app {

namespace {

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

CDataView* FirstDataView(CDocument* document) {
    return document ? dynamic_cast<CDataView*>(document->GetFirstView()) : nullptr;
}

}  // namespace

FileDialogRequest BackupDialogRequest(bool save) {
    CBrelkoApp* app = BrelkoApp();
    return TransferDialog(*app->m_pBackupTemplate, "*.asc", app->m_strBackupPath, save);
}

void CMainFrame::OnGetSetup() {
    CBrelkoApp* app = BrelkoApp();
    const std::string chosen = RunFileDialog(BackupDialogRequest(true));
    if (chosen.empty()) return;
    // The chosen file keeps what it holds until a complete backup replaces it.
    CDocument* document = app->m_pBackupTemplate->OpenDocumentFile(std::string(), true);
    auto* backup = dynamic_cast<CDataDoc*>(document);
    CDataView* view = FirstDataView(document);
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
    CDataView* view = FirstDataView(document);
    if (!picture || !view) return;
    picture->m_pData = std::make_shared<CMTX>();
    view->FetchPicture();
}

// Get menu and Get language: a new, untitled text window that fills as the
// texts arrive.
static void FetchText(bool menus) {
    CDocument* document = BrelkoApp()->m_pTextTemplate->OpenDocumentFile(std::string(), true);
    auto* text = dynamic_cast<CDataDoc*>(document);
    CDataView* view = FirstDataView(document);
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
    const std::string chosen = RunFileDialog(TransferDialog(*app->m_pTextTemplate, "*.txt", app->m_strTextPath, false));
    if (chosen.empty()) return;
    CDocument* document = app->m_pTextTemplate->OpenDocumentFile(chosen, true);
    CDataView* view = FirstDataView(document);
    if (!view) return;
    view->SendLanguage();
    app->m_strTextPath = chosen;
}

void CMainFrame::OnCompareSystem() {
    const std::string chosen = RunFileDialog(BackupDialogRequest(false));
    if (chosen.empty()) return;
    CompareWithSystem::Start(*this, chosen);
}

void CMainFrame::OnCancelTransfer() {
    if (m_pStatusView) m_pStatusView->CancelTransfer();
}

// ---------------------------------------------------------------- after a transfer

void CMainFrame::OnExchangeEvent(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case WM_BYTES_RECEIVED:
    case WM_BYTES_SENT: {
        // Counts can exceed what a progress bar holds: it shows parts of a thousand.
        const std::uintptr_t total = static_cast<std::uintptr_t>(lParam);
        if (total > 0) {
            m_pProgress->setRange(0, 1000);
            m_pProgress->setValue(static_cast<int>(std::min<std::uintptr_t>(wParam, total) * 1000 / total));
            m_pProgress->setFormat(QStringLiteral("%p%"));
        } else {
            m_pProgress->setRange(0, 0);  // a reception does not know its size
        }
        m_pProgress->show();
        break;
    }
    case WM_TRANSFER_DONE: {
        m_pProgress->hide();
        auto tasks = std::move(m_afterTransfer);
        m_afterTransfer.clear();
        for (auto& [context, task] : tasks)
            if (context) task();
        break;
    }
    case WM_EXCHANGE_STATE:
        if (!IsBusy()) {
            m_pProgress->hide();
            if (m_bQuitWhenIdle) QTimer::singleShot(0, this, &QWidget::close);
        }
        break;
    default:
        break;
    }
    RequestCommandUIUpdate();
}

void CMainFrame::WhenTransferDone(QObject* context, std::function<void()> task) {
    m_afterTransfer.emplace_back(QPointer<QObject>(context), std::move(task));
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
    const brelko::CStatusView* logic = StatusLogic();
    auto text = std::dynamic_pointer_cast<CText>(document.m_pData);
    if (logic && text) {
        const BackupSave saved = SaveBackup(document.GetPathName(), logic->LastOutcome(), text->GetText());
        if (saved.written) BrelkoApp()->AddToRecentFileList(saved.path);
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
    LineTrace& trace = logic->m_pLine->Trace();
    if (Profile::GetInt("Custom", "Trace", 0) != 0) {
        std::string error;
        // A new file chosen in Options takes over from the old one.
        const bool running = trace.IsActive() && trace.Path() == TraceFile();
        if (!running && !trace.Start(TraceFile(), &error)) {
            logic->m_strProgress = FormatArgs(LoadString(IDS_TRACE_FAILED), {TraceFile(), error});
            m_pStatusView->Invalidate(false);
        }
    } else if (trace.IsActive()) {
        trace.Stop();
    }
#ifdef BRELKO_HAVE_SERIALDEVICES
    if (!m_pAdapters) {
        m_pAdapters = new AdapterMonitor(*this);
        // An adapter that came back while a transfer ran is reconnected once
        // the course has ended.
        logic->AddCourseListener([this](const CourseOutcome&) {
            QTimer::singleShot(0, this, [this] {
                if (m_pAdapters) m_pAdapters->ReconnectIfDue();
            });
        });
    }
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
