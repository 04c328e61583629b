#include "app/StatusFrame.h"

#include <QFontDatabase>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/CBrelkoApp.h"
#include "app/CDataDocument.h"
#include "app/CMainFrame.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "exchange/CStatusView.h"
#include "app/PortProblem.h"
#include "res/ResourceIds.h"
#include "app/framework/QtPostQueue.h"
#include "app/framework/QtText.h"

namespace brelko::app {

CStatusDoc::CStatusDoc() {
    // The status window can be neither closed nor saved.
    MapUpdate(ID_FILE_CLOSE, ID_FILE_SAVE_AS, [](CCmdUI& ui) { ui.Enable(false); });
}

CStatusViewWnd::CStatusViewWnd(CMainFrame& mainFrame, CChildFrameStatus& frame)
    : QWidget(&frame), m_mainFrame(mainFrame), m_frame(frame) {
    m_wndText = new QPlainTextEdit(this);
    m_wndText->setObjectName(QStringLiteral("statusText"));
    m_wndText->setReadOnly(true);
    m_wndText->setFrameShape(QFrame::NoFrame);
    m_wndText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // A long path (where a backup went, the safety copy) wraps too.
    m_wndText->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_wndText->setFocusPolicy(Qt::ClickFocus);
    // Grey background and a fixed-pitch font, as the status lines always had.
    QPalette palette = m_wndText->palette();
    palette.setColor(QPalette::Base, QColor(204, 204, 204));
    palette.setColor(QPalette::Text, Qt::black);
    m_wndText->setPalette(palette);
    m_wndText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_wndText);
    m_pLogic = std::make_unique<brelko::CStatusView>(BrelkoApp()->PostQueue(), *this);
    // The window never waits on the line: identification runs on a worker.
    m_pLogic->SetIdentifyOnWorker(true);
    m_pDiagnosis = new PortDiagnosis(this);
    connect(m_pDiagnosis, &PortDiagnosis::diagnosed, this, &CStatusViewWnd::OnPortDiagnosed);
}

CStatusViewWnd::~CStatusViewWnd() = default;

QWidget* CStatusViewWnd::Frame() { return &m_frame; }

void CStatusViewWnd::OnInitialUpdate() { Connect(); }

void CStatusViewWnd::Connect() {
    brelko::CStatusView& logic = *m_pLogic;
    if (logic.IsExchangeRunning()) return;
    m_pDiagnosis->Cancel();  // what a diagnosis of the last port finds is old news
    logic.Connect();
    m_mainFrame.NoteCommandState();
    // Why the port would not open is asked off this thread (it looks through
    // every process); line 4 says it when the answer comes.
    if (!logic.Line().m_bPortOpen) m_pDiagnosis->Start(TakePortProblemFacts(logic.Line()));
}

void CStatusViewWnd::OnPortDiagnosed(const QString& text) {
    brelko::CStatusView& logic = *m_pLogic;
    if (logic.Line().m_bPortOpen) return;
    logic.SetProgress(S(text));
    Invalidate(true);
}

CancelReply CStatusViewWnd::CancelTransfer() {
    const CancelReply reply = m_pLogic->RequestCancel();
    if (reply.answer == CancelAnswer::RestoreCannotStop) {
        // A restore is never cut in the middle unless the user insists. Told
        // on line 4 too, where it stays readable while the restore runs.
        const std::string text = FormatArgs(LoadString(IDS_RESTORE_CANNOT_STOP), {std::to_string(reply.secondsLeft)}) +
                                 " " + LoadString(IDS_RESTORE_STOP_AGAIN);
        m_pLogic->SetNotice(text);
        m_mainFrame.statusBar()->showMessage(Q(text), 3000);
    } else if (reply.answer == CancelAnswer::Forced) {
        m_pLogic->SetNotice(std::string());
    }
    Invalidate(false);
    return reply;
}

void CStatusViewWnd::Invalidate(bool erase) {
    (void)erase;  // the text control repaints itself
    if (m_bRedrawPending) return;
    m_bRedrawPending = true;
    // Many progress messages in a row make one refresh.
    QTimer::singleShot(0, this, [this] { RedrawNow(); });
}

void CStatusViewWnd::RedrawNow() {
    if (!m_bRedrawPending) return;
    m_bRedrawPending = false;
    ++m_nRedraws;
    LayOut();
    m_pLogic->OnDraw();
}

void CStatusViewWnd::SetStatusText(const std::string& text) {
    const QString content = Q(text);
    if (m_wndText->toPlainText() != content) m_wndText->setPlainText(content);
}

void CStatusViewWnd::SetMessagePane(const std::string& text) { m_mainFrame.SetMessageText(Q(text)); }

ActiveDocument CStatusViewWnd::GetActiveDocument() {
    ActiveDocument active;
    if (auto* document = dynamic_cast<CDataDoc*>(m_mainFrame.GetActiveDocument())) {
        active.isDataDocument = true;
        active.data = document->m_pData;
    }
    return active;
}

Rect CStatusViewWnd::LeftQuarter() const {
    const QSize client = m_mainFrame.ClientArea()->size();
    return Rect{0, 0, client.width() / 4, client.height()};
}

Rect CStatusViewWnd::StatusArea() const { return m_mainFrame.m_bStatusShown == 0 ? Rect{} : LeftQuarter(); }

void CStatusViewWnd::LayOut() {
    // The strip takes a quarter of the client width at full height until the
    // user widens it by the splitter; the document area takes the rest.
    m_mainFrame.PlaceStrip(LeftQuarter().Width());
}

void CStatusViewWnd::Notify(const StatusMessage& message) {
    m_mainFrame.OnExchangeEvent(message);
}

CChildFrameStatus::CChildFrameStatus(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("statusFrame"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    setMinimumWidth(60);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void CChildFrameStatus::SetView(CStatusViewWnd* view) {
    m_pView = view;
    layout()->addWidget(view);
}

}  // namespace brelko::app
