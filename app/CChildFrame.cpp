#include "app/CChildFrame.h"

#include <QCloseEvent>
#include <QIcon>
#include <QMdiArea>

#include "app/Icons.h"
#include "app/CDataDocument.h"
#include "app/CMainFrame.h"
#include "app/StatusFrame.h"
#include "app/framework/QtText.h"

namespace brelko::app {

CChildFrame::CChildFrame(CMainFrame& mainFrame) : m_mainFrame(mainFrame) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("documentFrame"));
    // The program's own icon in the title bar, not the toolkit's.
    setWindowIcon(ProgramIcon(QStringLiteral("brelko")));
    // The system menu's own shortcuts would compete with the accelerator
    // tables (Ctrl+F4 closes through the document, which asks first).
    setSystemMenu(nullptr);
    connect(this, &QMdiSubWindow::windowStateChanged, this, &CChildFrame::OnStateChanged);
}

CChildFrame::~CChildFrame() {
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, &CChildFrame::OnStateChanged);
}

void CChildFrame::SetView(CView* view, QWidget* widget) {
    m_pView = view;
    setWidget(widget);
}

void CChildFrame::UpdateTitle() {
    CDocument* document = m_pView ? m_pView->GetDocument() : nullptr;
    if (!document) return;
    setWindowTitle(Q(document->GetTitle()) + QStringLiteral("[*]"));
    setWindowModified(document->IsModified());
}

void CChildFrame::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    // The document area starts right of the status strip: a window dragged
    // past its left edge comes back with its left edge there, narrowed, so
    // that its right edge stays where it was.
    if (isMaximized() || isMinimized()) return;
    const QRect frame = geometry();
    if (frame.left() < 0) setGeometry(QRect(QPoint(0, frame.top()), QPoint(frame.right(), frame.bottom())));
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    CDocument* document = m_pView ? m_pView->GetDocument() : nullptr;
    if (document && !document->IsClosing() && !document->CanCloseFrame()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

void CChildFrame::OnStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState) {
    const bool wasActive = oldState.testFlag(Qt::WindowActive);
    const bool active = newState.testFlag(Qt::WindowActive);
    if (wasActive == active) return;
    // Activated or deactivated: the status window's line about the active
    // document follows.
    if (m_mainFrame.m_pStatusView) m_mainFrame.m_pStatusView->Invalidate(true);
}

}  // namespace brelko::app
