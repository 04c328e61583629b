// The main frame's command routing and enabling: a command goes to the
// active view's own action when it carries one, else along the route active
// view, document, main frame, application; menu items and buttons are
// brought up to date by the events that change them.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include "app/CBrelkoApp.h"
#include "app/CChildFrame.h"
#include "app/CDataView.h"
#include "app/CMainFrame.h"
#include "res/ResourceIds.h"
#include "app/StatusFrame.h"

namespace brelko::app {

// ---------------------------------------------------------------- routing

QMdiSubWindow* CMainFrame::ActiveDataFrame() const {
    // The current window stays current while a dialog has the focus.
    return m_pMdiArea ? m_pMdiArea->currentSubWindow() : nullptr;
}

CView* CMainFrame::GetActiveView() const {
    if (auto* frame = dynamic_cast<CChildFrame*>(ActiveDataFrame()))
        if (CView* view = frame->View()) return view;
    return m_pStatusView;
}

CDocument* CMainFrame::GetActiveDocument() const {
    CView* view = GetActiveView();
    return view ? view->GetDocument() : nullptr;
}

CDataView* CMainFrame::ActiveDataView() const { return dynamic_cast<CDataView*>(GetActiveView()); }

std::vector<CCmdTarget*> CMainFrame::RouteChain() const {
    CView* view = GetActiveView();
    CDocument* document = view ? view->GetDocument() : nullptr;
    return {view, document, const_cast<CMainFrame*>(this), BrelkoApp()};
}

QAction* CMainFrame::ViewActionFor(unsigned id) const {
    CView* view = GetActiveView();
    return view ? view->CommandAction(id) : nullptr;
}

CCmdUI CMainFrame::QueryCommand(unsigned id) {
    // The active view's own action first: it knows its state.
    if (QAction* action = ViewActionFor(id)) {
        CCmdUI ui;
        ui.id = id;
        ui.enabled = action->isEnabled();
        if (action->isCheckable()) ui.checked = action->isChecked();
        return ui;
    }
    return RouteUpdate(RouteChain(), id);
}

bool CMainFrame::ExecuteCommand(unsigned id) {
    if (!QueryCommand(id).enabled) return false;
    bool handled = true;
    if (QAction* action = ViewActionFor(id)) action->trigger();
    else handled = RouteCommand(RouteChain(), id);
    // Whatever the command changed shows before the next event.
    UpdateCommandUI();
    return handled;
}

void CMainFrame::FollowActiveViewActions() {
    CView* view = GetActiveView();
    QWidget* widget = view ? view->Widget() : nullptr;
    if (widget == m_pFollowedView && view && view->CommandActions().size() == m_viewActionLinks.size()) return;
    for (const QMetaObject::Connection& connection : m_viewActionLinks) disconnect(connection);
    m_viewActionLinks.clear();
    m_pFollowedView = widget;
    if (!view) return;
    for (QAction* action : view->CommandActions()) {
        const unsigned id = action->data().toUInt();
        m_viewActionLinks.push_back(connect(action, &QAction::changed, this, [this, id] { UpdateCommandsOf(id); }));
    }
}

void CMainFrame::NoteCommandState() {
    const CommandState now{m_bStatusNotCreated == 0, IsBusy(), CanStartTransfer()};
    if (now == m_lastCommandState) return;
    m_lastCommandState = now;
    UpdateCommandUI();
}

std::vector<QAction*> CMainFrame::ActionsFor(unsigned id) const {
    std::vector<QAction*> actions;
    for (auto [it, end] = m_actions.equal_range(id); it != end; ++it) actions.push_back(it->second);
    return actions;
}

void CMainFrame::RequestCommandUIUpdate() {
    if (m_bUpdatePending) return;
    m_bUpdatePending = true;
    QTimer::singleShot(0, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::ApplyCommandUI(QAction* action, unsigned id, const CCmdUI& ui) {
    if (action->property("recentFile").isValid()) return;
    if (id == ID_FILE_MRU_FILE1 && action->isVisible()) {
        action->setEnabled(false);  // the placeholder of an empty list
        return;
    }
    action->setEnabled(ui.enabled);
    if (ui.checked) {
        action->setCheckable(true);
        action->setChecked(*ui.checked);
    }
}

void CMainFrame::UpdateCommandsOf(unsigned id) {
    const CCmdUI ui = QueryCommand(id);
    for (auto [it, end] = m_actions.equal_range(id); it != end; ++it) ApplyCommandUI(it->second, id, ui);
}

void CMainFrame::UpdateCommandUI() {
    m_bUpdatePending = false;
    m_lastCommandState = CommandState{m_bStatusNotCreated == 0, IsBusy(), CanStartTransfer()};
    FollowActiveViewActions();
    unsigned last = 0;
    CCmdUI ui;
    for (const auto& [id, action] : m_actions) {
        if (id != last) ui = QueryCommand(id), last = id;
        ApplyCommandUI(action, id, ui);
    }
    UpdateIndicatorPanes();
    UpdateWindowTitle();
    emit commandUIUpdated();
}

}  // namespace brelko::app
