#include "app/CDataView.h"

#include <QStatusBar>

#include "app/CBrelkoApp.h"
#include "app/CChildFrame.h"
#include "app/CDataDocument.h"
#include "app/CMainFrame.h"
#include "res/ResourceIds.h"
#include "app/StatusFrame.h"
#include "app/framework/QtPostQueue.h"
#include "app/framework/QtText.h"

namespace brelko::app {

CDataView::CDataView(CMainFrame& mainFrame, CChildFrame& frame)
    : QAbstractScrollArea(&frame), m_mainFrame(mainFrame), m_frame(frame) {
    setObjectName(QStringLiteral("dataView"));
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(true);
    setAccessibleName(Str(IDS_NAME_PICTURE));
    MapCommand(ID_SEND_LANGUAGE, [this](unsigned) { SendLanguage(); }, [this](CCmdUI& ui) {
        ui.Enable(m_mainFrame.CanStartTransfer());
    });
    m_pWnd = std::make_unique<Window>(BrelkoApp()->PostQueue(), *this);
}

CDataView::~CDataView() {
    // No message reaches a view that is going.
    m_pWnd.reset();
}

CDataDoc* CDataView::Document() const { return dynamic_cast<CDataDoc*>(GetDocument()); }

QWidget* CDataView::Frame() { return &m_frame; }

WindowHandle CDataView::Handle() const { return m_pWnd->Handle(); }

void CDataView::OnInitialUpdate() {
    // The first window takes the document area right of the status strip,
    // over its full height; the next ones cascade from there.
    if (m_mainFrame.MdiArea()) m_frame.setGeometry(m_mainFrame.NewWindowGeometry());
    OnUpdate(nullptr);
}

void CDataView::OnTitleChanged() {
    m_frame.UpdateTitle();
    // The strip's line about the active document follows it too.
    if (m_mainFrame.m_pStatusView) m_mainFrame.m_pStatusView->Invalidate(false);
    // The title bar tells what the picture is.
    CDataDoc* document = Document();
    if (document && document->IsPicture() && document->m_pData && document->m_pData->m_bValid)
        m_frame.setWindowTitle(m_frame.windowTitle() + QStringLiteral(" - ") + Q(document->m_pData->GetDescription()));
}

bool CDataView::SendLanguage() {
    m_mainFrame.OnSendLanguage();
    return false;
}

void CDataView::leaveEvent(QEvent* event) {
    QAbstractScrollArea::leaveEvent(event);
    m_mainFrame.statusBar()->clearMessage();
}

}  // namespace brelko::app
