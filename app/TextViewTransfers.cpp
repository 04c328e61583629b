// The text view's transfers: the starters that Back up, Get menu, Get
// language, Restore and Send language call, and what a restore tells the
// user.
#include <QFileInfo>
#include <QStatusBar>
#include <QTimer>

#include "app/CChildFrame.h"
#include "app/CDataDocument.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "app/CMainFrame.h"
#include "app/COptionsDlg.h"
#include "exchange/CStatusView.h"
#include "data/CText.h"
#include "app/CTextView.h"
#include "app/CompareWithSystem.h"
#include "exchange/DeviceCommands.h"
#include "res/ResourceIds.h"
#include "exchange/RestoreCourse.h"
#include "exchange/SendFileCheck.h"
#include "app/StatusFrame.h"
#include "app/framework/Dialogs.h"
#include "app/framework/QtText.h"

namespace brelko::app {

bool CTextView::FetchBackup() {
    brelko::CStatusView* status = m_mainFrame.StatusLogic();
    std::shared_ptr<CText> text = Text();
    if (!status || !text) return false;
    return brelko::FetchBackup(*status, *text, Handle()) == CommandStart::Started;
}

bool CTextView::FetchMenus() {
    brelko::CStatusView* status = m_mainFrame.StatusLogic();
    std::shared_ptr<CText> text = Text();
    if (!status || !text) return false;
    if (brelko::FetchMenus(*status, *text, Handle()) != CommandStart::Started) return false;
    CloseIfEmptyAfterCourse();
    return true;
}

bool CTextView::FetchLanguage() {
    brelko::CStatusView* status = m_mainFrame.StatusLogic();
    std::shared_ptr<CText> text = Text();
    if (!status || !text) return false;
    // What comes is a language: Send Language may send it back as it stands.
    if (CDataDoc* document = Document()) document->m_bLanguageText = true;
    if (brelko::FetchLanguage(*status, *text, Handle()) != CommandStart::Started) return false;
    CloseIfEmptyAfterCourse();
    return true;
}

bool CTextView::ConfirmSendFile(int kind) {
    std::shared_ptr<CText> text = Text();
    if (!text) return false;
    const SendFileCheck check = CheckSendFile(static_cast<SendFileKind>(kind), text->GetText());
    if (check.Ok()) return true;
    // An empty file is never sent; a file that is no text, or too large for
    // the system, only when the user insists.
    CDataDoc* document = Document();
    std::string question = (document ? document->GetPathName() + "\n" : std::string()) + check.Reason();
    if (!check.Overridable()) {
        AfxMessageBox(question, MessageButtons::Ok, MessageIcon::Warning);
        return false;
    }
    question += "\n" + check.SizeAndTime() + "\n\n" + LoadString(IDS_SEND_ANYWAY);
    return AfxMessageBox(question, MessageButtons::YesNo, MessageIcon::Warning) == MessageResult::Yes;
}

bool CTextView::SendBackup() {
    CDataDoc* document = Document();
    brelko::CStatusView* status = m_mainFrame.StatusLogic();
    std::shared_ptr<CText> text = Text();
    if (!document || !status || !text) return false;
    if (status->IsExchangeRunning() || !status->Line().m_bReady) {
        // Opened (File Open, the recent files) while a transfer runs or no
        // system is there: nothing goes, and the user is told why.
        const std::string state = status->Lines().size() > 3 ? status->Lines()[3] : status->ConnectionStateText();
        const std::string name = S(QFileInfo(Q(document->GetPathName())).fileName());
        m_mainFrame.RunWhenNoModal([name, state] {
            AfxMessageBox(FormatArgs(LoadString(IDS_NOT_READY_NOT_SENT), {name, state}), MessageButtons::Ok,
                          MessageIcon::Warning);
        });
        if (status->IsExchangeRunning()) CloseLater(document, &m_frame);
        return false;
    }
    if (!ConfirmSendFile(static_cast<int>(SendFileKind::Backup))) return false;
    // The system's current settings are saved first; the file goes only
    // when that copy is safe.
    RestoreOptions options;
    options.safetyCopy = SafetyCopyEnabled();
    options.restoredFile = document->GetPathName();
    if (ConfirmRestoreEnabled()) {
        // What the restore would change, shown once the current settings
        // are here; the question comes after the course's own call returned.
        const std::string name = S(QFileInfo(Q(document->GetPathName())).fileName());
        options.confirm = [this, name, text](const std::string& current, std::function<void(bool)> answer) {
            QTimer::singleShot(0, this, [name, text, current, answer] {
                answer(AskBeforeRestore(name, current, text->GetText()));
            });
        };
    }
    m_pRestore = std::make_unique<RestoreCourse>(*status, text, options);
    m_pRestore->OnStage([this](RestoreStage stage) { OnRestoreStage(static_cast<int>(stage)); });
    m_bForcedTold = false;
    m_mainFrame.SetRunningRestore(this);
    if (m_pRestore->Start()) return true;
    OnRestoreStage(static_cast<int>(RestoreStage::Done));
    return false;
}

namespace {

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

}  // namespace

void CTextView::OnRestoreForced() {
    if (!m_pRestore || m_bForcedTold) return;
    // Told as soon as the stop is decided, not when the system is back: what
    // the system can hold now, the copy that brings the old settings back,
    // and that the clearing still runs.
    m_bForcedTold = true;
    const std::string text = Lines(m_pRestore->StoppedHalfwayNow().Messages()) + "\n\n" + LoadString(IDS_RESTORE_CLEARING);
    m_mainFrame.RunWhenNoModal([text] { AfxMessageBox(text, MessageButtons::Ok, MessageIcon::Warning); });
}

void CTextView::OnRestoreStage(int stage) {
    if (!m_pRestore || static_cast<RestoreStage>(stage) != RestoreStage::Done) return;
    const RestoreOutcome outcome = m_pRestore->Outcome();
    const std::string text = Lines(outcome.Messages());
    m_mainFrame.SetRunningRestore(nullptr);
    // The course is over: let it go once its own call has returned.
    QTimer::singleShot(0, this, [this] { m_pRestore.reset(); });
    if (text.empty()) return;
    // The outcome stays on status line 4 until the next course.
    if (brelko::CStatusView* status = m_mainFrame.StatusLogic()) {
        status->SetProgress(text);
        status->SetNotice(std::string());
        if (m_mainFrame.m_pStatusView) m_mainFrame.m_pStatusView->Invalidate(false);
    }
    if (outcome.end == RestoreEnd::Completed && !m_bForcedTold) {
        m_mainFrame.statusBar()->showMessage(Q(text).replace('\n', QStringLiteral("  ")), 15000);
        return;
    }
    // A stop already told as it was decided is not told twice.
    if (m_bForcedTold && outcome.end == RestoreEnd::Forced) return;
    // Half a restore, or none at all: the user must know, and which file
    // brings the old settings back.
    m_mainFrame.RunWhenNoModal([text] { AfxMessageBox(text, MessageButtons::Ok, MessageIcon::Warning); });
}

bool CTextView::SendLanguage() {
    CDataDoc* document = Document();
    // Only a language text is ever sent as a language: a comparison, a menu
    // text or any other window asks for the file, as when none is active.
    if (!document || document->Kind() != DataDocKind::Text || document->m_bComparison || !document->m_bLanguageText)
        return CDataView::SendLanguage();
    brelko::CStatusView* status = m_mainFrame.StatusLogic();
    std::shared_ptr<CText> text = Text();
    if (!status || !text) return false;
    if (!status->Line().m_bReady || status->IsExchangeRunning()) return false;
    if (!ConfirmSendFile(static_cast<int>(SendFileKind::Language))) return false;
    return brelko::SendLanguage(*status, *text, Handle()) == CommandStart::Started;
}

void CTextView::OnTextReceived() {
    CDataDoc* document = Document();
    if (!document) return;
    if (document->Kind() != DataDocKind::Backup) {
        // A menu or language text from the system is the user's until it is
        // saved: closing or quitting asks first, as for a picture.
        if (std::shared_ptr<CText> text = Text(); text && text->GetLength() > 0 && !document->m_bComparison)
            document->SetModifiedFlag(true);
        return;
    }
    // The reception's outcome (line errors, silence, a vanished device) is
    // known once its transfer has ended: the backup is stored then.
    m_mainFrame.WhenTransferDone(&m_frame, [this, document] { m_mainFrame.StoreReceivedBackup(*document, *this); });
}

}  // namespace brelko::app
