// The main frame's windows: the document windows beside the status strip
// (where a new one goes, the Window menu with its list and its cycling), the
// strip's splitter, the frame's remembered size and place, the title that
// follows the active document, and the names the accessibility tools read.
#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>

#include "app/CChildFrame.h"
#include "app/CDataDocument.h"
#include "app/CMainFrame.h"
#include "exchange/CStatusView.h"
#include "platform/Profile.h"
#include "res/ResourceIds.h"
#include "app/StatusFrame.h"
#include "app/framework/QtText.h"

namespace brelko::app {

// ---------------------------------------------------------------- document windows

std::vector<QMdiSubWindow*> CMainFrame::DocumentWindows() const {
    std::vector<QMdiSubWindow*> windows;
    if (!m_pMdiArea) return windows;
    // Backup windows never show: they are no windows to the user.
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList(QMdiArea::CreationOrder))
        if (dynamic_cast<CChildFrame*>(window) && window->isVisible()) windows.push_back(window);
    return windows;
}

QRect CMainFrame::NewWindowGeometry() const {
    // The first window takes the whole document area; each further one
    // steps down and right by a title bar, so that every title shows.
    const QSize area = m_pMdiArea->viewport()->size();
    const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    const int shift = static_cast<int>(DocumentWindows().size() % 6) * step;
    return QRect(shift, shift, std::max(area.width() - shift, 160), std::max(area.height() - shift, 120));
}

void CMainFrame::ActivateNextWindow(bool forward) {
    const std::vector<QMdiSubWindow*> windows = DocumentWindows();
    if (windows.empty()) return;
    const auto at = std::find(windows.begin(), windows.end(), m_pMdiArea->currentSubWindow());
    const std::size_t n = windows.size();
    std::size_t next = 0;
    if (at != windows.end()) {
        const std::size_t i = static_cast<std::size_t>(at - windows.begin());
        next = forward ? (i + 1) % n : (i + n - 1) % n;
    }
    m_pMdiArea->setActiveSubWindow(windows[next]);
}

void CMainFrame::AddWindowMenu(QMenuBar* bar) {
    m_pWindowMenu = bar->addMenu(Str(IDS_WINDOW_MENU));
    m_pWindowMenu->setObjectName(QStringLiteral("windowMenu"));
    m_pWindowMenu->addAction(MakeAction(ID_WINDOW_CASCADE, Str(IDS_WINDOW_CASCADE)));
    m_pWindowMenu->addAction(MakeAction(ID_WINDOW_TILE, Str(IDS_WINDOW_TILE)));
    m_pWindowMenu->addSeparator();
    m_pWindowMenu->addAction(MakeAction(ID_WINDOW_NEXT, Str(IDS_WINDOW_NEXT)));
    m_pWindowMenu->addAction(MakeAction(ID_WINDOW_PREVIOUS, Str(IDS_WINDOW_PREVIOUS)));
    connect(m_pWindowMenu, &QMenu::aboutToShow, this, &CMainFrame::FillWindowList);
    connect(m_pWindowMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::FillWindowList() {
    // The open windows below the commands, numbered, the active one ticked.
    for (QAction* action : m_pWindowMenu->actions())
        if (action->property("windowList").isValid()) delete action;
    const std::vector<QMdiSubWindow*> windows = DocumentWindows();
    if (!windows.empty()) m_pWindowMenu->addSeparator()->setProperty("windowList", true);
    int number = 0;
    for (QMdiSubWindow* window : windows) {
        QString title = window->windowTitle();
        title.replace(QStringLiteral("[*]"), window->isWindowModified() ? QStringLiteral("*") : QString());
        title.replace('&', QStringLiteral("&&"));
        ++number;
        const QString text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title) : title;
        QAction* action = m_pWindowMenu->addAction(text);
        action->setProperty("windowList", true);
        action->setCheckable(true);
        action->setChecked(window == m_pMdiArea->currentSubWindow());
        QPointer<QMdiSubWindow> target(window);
        connect(action, &QAction::triggered, this, [this, target] {
            if (target) m_pMdiArea->setActiveSubWindow(target);
        });
    }
}

// ---------------------------------------------------------------- the strip and the frame

void CMainFrame::PlaceStrip(int quarter) {
    if (!m_pSplitter || !m_pStatusFrame || !m_pStatusFrame->isVisible()) return;
    const int client = m_pSplitter->width();
    if (client <= 0) return;
    // A quarter until the user drags the handle; then the user's share.
    const int wanted = m_fStripShare > 0 ? static_cast<int>(client * m_fStripShare + 0.5) : quarter;
    if (m_pSplitter->sizes().value(0) == wanted) return;
    m_pSplitter->setSizes({wanted, std::max(0, client - wanted - m_pSplitter->handleWidth())});
}

void CMainFrame::RestoreGeometry() {
    const std::string saved = Profile::GetString("Window", "Geometry", "");
    if (saved.empty() || !restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(saved)))) resize(1024, 720);
    const int strip = Profile::GetInt("Window", "Strip", 0);  // parts of a thousand of the client width
    if (strip >= 50 && strip <= 800) m_fStripShare = strip / 1000.0;
}

void CMainFrame::SaveSettings() {
    Profile::WriteInt("Custom", "Status", m_bStatusShown == 0 ? 1 : 0);
    SaveGeometry();
}

void CMainFrame::SaveGeometry() {
    if (!m_pClient) return;  // never made
    Profile::WriteString("Window", "Geometry", saveGeometry().toBase64().toStdString());
    if (m_fStripShare > 0) Profile::WriteInt("Window", "Strip", static_cast<int>(m_fStripShare * 1000 + 0.5));
}

void CMainFrame::RaiseToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void CMainFrame::NameControls() {
    // In the user's language; the toolbars' names show in the menu that
    // hides and shows them.
    if (m_pToolBar) m_pToolBar->setWindowTitle(Str(IDS_TOOLBAR_STANDARD));
    if (m_pTransferBar) m_pTransferBar->setWindowTitle(Str(IDS_TOOLBAR_TRANSFER));
    const unsigned panes[] = {IDS_NAME_MESSAGE_PANE, IDS_NAME_CTS,  IDS_NAME_DTR,
                              IDS_NAME_CAPS,         IDS_NAME_NUM,  IDS_NAME_SCROLL};
    for (std::size_t i = 0; i < m_panes.size() && i < std::size(panes); ++i) m_panes[i]->setAccessibleName(Str(panes[i]));
    if (m_pProgress) m_pProgress->setAccessibleName(Str(IDS_NAME_PROGRESS));
    if (m_pMdiArea) m_pMdiArea->setAccessibleName(Str(IDS_NAME_DOCUMENT_AREA));
    if (m_pStatusView) m_pStatusView->TextControl()->setAccessibleName(Str(IDS_NAME_STATUS_TEXT));
}

void CMainFrame::OnNextPane(bool forward) {
    // The panes of the window: the status strip and the active document.
    QWidget* document = ActiveDataFrame() ? ActiveDataFrame()->widget() : nullptr;
    QWidget* status = m_pStatusFrame && m_pStatusFrame->isVisible() && m_pStatusView ? m_pStatusView->TextControl() : nullptr;
    (void)forward;  // with two panes both directions lead to the other one
    QWidget* focused = QApplication::focusWidget();
    const bool inStatus = status && focused && (focused == status || status->isAncestorOf(focused));
    QWidget* next = inStatus ? document : (status ? status : document);
    if (next) next->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- activation and layout

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* window) {
    auto* child = dynamic_cast<CChildFrame*>(window);
    auto* document = child && child->View() ? dynamic_cast<CDataDoc*>(child->View()->GetDocument()) : nullptr;
    if (document && document->Kind() == DataDocKind::Backup) {
        // A backup window never shows: the status window tells the progress.
        // The window the user had stays the active one.
        window->hide();
        QMdiSubWindow* previous = m_pLastActive;
        if (previous && previous != window && previous->isVisible()) m_pMdiArea->setActiveSubWindow(previous);
        return;
    }
    if (window) m_pLastActive = window;
    // The status window shows a line about the active document.
    if (m_pStatusView) m_pStatusView->Invalidate(true);
    // The commands follow the window the user works in now.
    UpdateCommandUI();
}

void CMainFrame::UpdateWindowTitle() {
    QString title = QStringLiteral("Brelko");
    CDocument* document = GetActiveDocument();
    if (document && dynamic_cast<CDataDoc*>(document)) {
        title += QStringLiteral(" - ") + Q(document->GetTitle()) + QStringLiteral("[*]");
        setWindowModified(document->IsModified());
    } else {
        setWindowModified(false);
    }
    if (windowTitle() != title) setWindowTitle(title);
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_pStatusView) m_pStatusView->LayOut();
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) RequestCommandUIUpdate();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // A lock key changes its pane at once: nothing else would tell.
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock) RequestCommandUIUpdate();
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace brelko::app
