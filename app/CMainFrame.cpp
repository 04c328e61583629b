#include "app/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <set>

#include "app/Icons.h"
#include "app/CBrelkoApp.h"
#include "app/CChildFrame.h"
#include "app/CDataDocument.h"
#include "app/CDataView.h"
#include "exchange/CStatusView.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "app/KeyboardLocks.h"
#include "platform/Profile.h"
#include "res/ResourceIds.h"
#include "app/StatusFrame.h"
#include "app/framework/CDocTemplate.h"
#include "app/framework/QtText.h"
#include "app/framework/RecentFileList.h"

namespace brelko::app {

namespace {

// The status-bar prompt and the tooltip of a command: its string, split at
// the first line feed.
QString PromptOf(unsigned id) {
    const QString text = Str(id);
    return text.section('\n', 0, 0);
}
QString ToolTipOf(unsigned id) {
    const QString text = Str(id);
    return text.contains('\n') ? text.section('\n', 1) : QString();
}

// Accelerator tables: 129 for the main frame and the status window, the
// data templates' tables make Ctrl+F4 close the document instead.
struct Accelerator {
    QKeySequence key;
    unsigned mainTable;
    unsigned dataTable;
};
const std::vector<Accelerator>& Accelerators() {
    static const std::vector<Accelerator> table = {
        {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN, ID_FILE_OPEN},
        {QKeySequence(Qt::CTRL | Qt::Key_S), ID_FILE_SAVE, ID_FILE_SAVE},
        {QKeySequence(Qt::CTRL | Qt::Key_F4), ID_VIEW_STATUS, ID_FILE_CLOSE},
        {QKeySequence(Qt::Key_F6), ID_NEXT_PANE, ID_NEXT_PANE},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE, ID_PREV_PANE},
        // The Window menu's: from one document window to the next.
        {QKeySequence(Qt::CTRL | Qt::Key_F6), ID_WINDOW_NEXT, ID_WINDOW_NEXT},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), ID_WINDOW_PREVIOUS, ID_WINDOW_PREVIOUS},
        // Beyond the device's own accelerators: Esc stops a running transfer.
        {QKeySequence(Qt::Key_Escape), ID_CANCEL_TRANSFER, ID_CANCEL_TRANSFER},
    };
    return table;
}

constexpr int kLinePanesMs = 200;

}  // namespace

CMainFrame::CMainFrame() {
    setObjectName(QStringLiteral("mainFrame"));
    m_bStatusShown = Profile::GetInt("Custom", "Status", 0);
    m_bStatusNotCreated = 1;
    m_pLocks = std::make_unique<KeyboardLocks>();
    MapCommands();
}

CMainFrame::~CMainFrame() {
    SaveSettings();
    // Document windows go before the status window, whose logic owns the line.
    if (m_pMdiArea) {
        const auto windows = m_pMdiArea->subWindowList();
        for (QMdiSubWindow* window : windows) delete window;
    }
    delete m_pStatusFrame;
    m_pStatusFrame = nullptr;
    m_pStatusView = nullptr;
}

// ---------------------------------------------------------------- creation

bool CMainFrame::LoadFrame(unsigned resourceId) {
    (void)resourceId;  // the main frame's resources are those of 129
    setWindowIcon(ProgramIcon(QStringLiteral("brelko")));
    m_pClient = new QWidget(this);
    m_pClient->setObjectName(QStringLiteral("clientArea"));
    m_pClientLayout = new QHBoxLayout(m_pClient);
    m_pClientLayout->setContentsMargins(0, 0, 0, 0);
    m_pClientLayout->setSpacing(0);
    // The strip and the document area share the client area; the user may
    // widen the strip by its splitter handle.
    m_pSplitter = new QSplitter(Qt::Horizontal, m_pClient);
    m_pSplitter->setObjectName(QStringLiteral("stripSplitter"));
    m_pSplitter->setChildrenCollapsible(false);
    m_pSplitter->setHandleWidth(5);
    m_pClientLayout->addWidget(m_pSplitter, 1);
    m_pMdiArea = new QMdiArea(m_pSplitter);
    m_pMdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pSplitter->addWidget(m_pMdiArea);
    m_pSplitter->setStretchFactor(1, 1);
    connect(m_pSplitter, &QSplitter::splitterMoved, this, [this] {
        const int client = m_pSplitter->width();
        if (client > 0 && m_pStatusFrame && m_pStatusFrame->isVisible())
            m_fStripShare = static_cast<double>(m_pSplitter->sizes().value(0)) / client;
    });
    setCentralWidget(m_pClient);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);

    CreateActions();
    LoadMenuBar();
    if (!CreateToolBars() || !CreateStatusBar()) return false;
    CreateAccelerators();

    // The modem lines give no word when they change: the CTS and DTR panes
    // look at them every so often (a cheap query that leaves the port alone
    // while an exchange runs). Commands follow their events instead.
    m_pLineTimer = new QTimer(this);
    m_pLineTimer->setInterval(kLinePanesMs);
    connect(m_pLineTimer, &QTimer::timeout, this, &CMainFrame::UpdateIndicatorPanes);
    m_pLineTimer->start();
    qApp->installEventFilter(this);  // lock keys
    UpdateWindowTitle();
    return true;
}

QAction* CMainFrame::MakeAction(unsigned id, const QString& text) {
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setStatusTip(PromptOf(id));
    const QString tip = ToolTipOf(id);
    if (!tip.isEmpty()) action->setToolTip(tip);
    connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    m_actions.emplace(id, action);
    return action;
}

void CMainFrame::CreateActions() {
    // The toolbar buttons: each has its own action, the menu items theirs.
    struct Button {
        unsigned id;
        const char* icon;
    };
    const Button buttons[] = {
        {ID_FILE_OPEN, "open"},          {ID_FILE_SAVE, "save"},         {ID_APP_ABOUT, "about"},
        {ID_CONNECT, "connect"},         {ID_SEND_SETUP, "restore"},     {ID_GET_SETUP, "backup"},
        {ID_GET_PICTURE, "picture"},     {ID_CANCEL_TRANSFER, "cancel"},
    };
    for (const Button& button : buttons) {
        QAction* action = MakeAction(button.id, ToolTipOf(button.id).isEmpty() ? PromptOf(button.id) : ToolTipOf(button.id));
        action->setIcon(ProgramIcon(QLatin1String(button.icon)));
        action->setObjectName(QStringLiteral("tool_%1").arg(button.id));
        m_toolbarActions[button.id] = action;
    }
}

void CMainFrame::LoadMenuBar() {
    // Menu actions are made anew; the toolbar's stay.
    for (auto it = m_actions.begin(); it != m_actions.end();) {
        bool toolbar = false;
        for (const auto& [id, action] : m_toolbarActions) toolbar = toolbar || action == it->second;
        if (!toolbar) {
            it->second->deleteLater();
            it = m_actions.erase(it);
        } else {
            ++it;
        }
    }
    QMenuBar* bar = menuBar();
    bar->clear();
    const std::optional<Menu> menu = LoadMenu(IDR_MAINFRAME);
    if (!menu) return;
    std::function<void(QMenu*, const std::vector<MenuItem>&)> fill = [&](QMenu* target, const std::vector<MenuItem>& items) {
        for (const MenuItem& item : items) {
            switch (item.kind) {
            case MenuItem::Kind::Separator: target->addSeparator(); break;
            case MenuItem::Kind::Popup: fill(target->addMenu(Q(item.text)), item.items); break;
            case MenuItem::Kind::Command: {
                // The comparison stands before Restore in whatever menu the
                // language brings.
                if (item.command == ID_SEND_SETUP && !m_actions.count(ID_COMPARE_SYSTEM)) {
                    target->addAction(MakeAction(ID_COMPARE_SYSTEM, Str(IDS_COMPARE_MENU)));
                    target->addSeparator();
                }
                QAction* action = MakeAction(item.command, Q(item.text));
                target->addAction(action);
                // A button whose command has no prompt of its own (Open,
                // Save, About) is named as its menu item, for its tooltip
                // and for the accessibility tools.
                if (auto button = m_toolbarActions.find(item.command);
                    button != m_toolbarActions.end() && ToolTipOf(item.command).isEmpty() && PromptOf(item.command).isEmpty()) {
                    QString name = Q(item.text).section('\t', 0, 0).remove('&');
                    if (name.endsWith(QStringLiteral("..."))) name.chop(3);
                    button->second->setText(name);
                    button->second->setToolTip(name);
                }
                if (item.command == ID_FILE_MRU_FILE1) {
                    // The recent files take the place of this item when the menu opens.
                    connect(target, &QMenu::aboutToShow, this, [this, target, action] { UpdateRecentFileMenu(target, action); });
                }
                break;
            }
            }
        }
    };
    int popups = 0;
    for (const MenuItem& popup : menu->items) popups += popup.kind == MenuItem::Kind::Popup ? 1 : 0;
    for (const MenuItem& popup : menu->items) {
        if (popup.kind != MenuItem::Kind::Popup) continue;
        // The Window menu stands before the last one (Help) in whatever
        // menu the language brings.
        if (--popups == 0) AddWindowMenu(bar);
        QMenu* target = bar->addMenu(Q(popup.text));
        fill(target, popup.items);
        connect(target, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    }
    NameControls();
    UpdateCommandUI();
}

void CMainFrame::UpdateRecentFileMenu(QMenu* menu, QAction* placeholder) {
    // Drop the entries of the last time, then add the current ones after the placeholder.
    for (QAction* action : menu->actions())
        if (action->property("recentFile").isValid()) {
            m_actions.erase(std::find_if(m_actions.begin(), m_actions.end(), [&](auto& e) { return e.second == action; }));
            delete action;
        }
    RecentFileList& files = BrelkoApp()->RecentFiles();
    const std::string current = S(QDir::currentPath());
    QAction* before = nullptr;
    const QList<QAction*> actions = menu->actions();
    const int at = static_cast<int>(actions.indexOf(placeholder));
    if (at + 1 < actions.size()) before = actions[at + 1];
    bool any = false;
    for (int i = 0; i < files.Size(); ++i) {
        if (files[i].empty()) continue;
        any = true;
        const unsigned id = ID_FILE_MRU_FILE1 + static_cast<unsigned>(i);
        // In the system's own form: backslashes on Windows.
        const QString shown = QDir::toNativeSeparators(Q(files.DisplayName(i, current)));
        QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(QString(shown).replace('&', QStringLiteral("&&")));
        QAction* action = MakeAction(id, text);
        action->setProperty("recentFile", i);
        action->setStatusTip(QDir::toNativeSeparators(Q(files[i])));
        menu->insertAction(before, action);
    }
    // With files the placeholder gives way to them; without, it shows greyed.
    placeholder->setVisible(!any);
    placeholder->setEnabled(false);
}

bool CMainFrame::CreateToolBars() {
    m_pToolBar = new QToolBar(this);
    m_pToolBar->setObjectName(QStringLiteral("toolBar128"));
    m_pToolBar->setIconSize(QSize(16, 15));
    m_pToolBar->addAction(m_toolbarActions[ID_FILE_OPEN]);
    m_pToolBar->addAction(m_toolbarActions[ID_FILE_SAVE]);
    m_pToolBar->addSeparator();
    m_pToolBar->addAction(m_toolbarActions[ID_APP_ABOUT]);
    m_pToolBar->addSeparator();
    m_pToolBar->addAction(m_toolbarActions[ID_CONNECT]);

    m_pTransferBar = new QToolBar(this);
    m_pTransferBar->setObjectName(QStringLiteral("toolBar150"));
    m_pTransferBar->setIconSize(QSize(29, 15));
    m_pTransferBar->addAction(m_toolbarActions[ID_SEND_SETUP]);
    m_pTransferBar->addAction(m_toolbarActions[ID_GET_SETUP]);
    m_pTransferBar->addSeparator();
    m_pTransferBar->addAction(m_toolbarActions[ID_GET_PICTURE]);
    m_pTransferBar->addSeparator();
    m_pTransferBar->addAction(m_toolbarActions[ID_CANCEL_TRANSFER]);

    // Both on the top row, the transfer bar right of the file bar.
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
    addToolBar(Qt::TopToolBarArea, m_pTransferBar);
    return true;
}

bool CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    auto makePane = [&](const QString& name, bool stretch) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(name);
        if (stretch) {
            bar->addWidget(pane, 1);
        } else {
            pane->setFrameShape(QFrame::StyledPanel);
            pane->setFrameShadow(QFrame::Sunken);
            pane->setAlignment(Qt::AlignCenter);
            const int width = std::max(25, pane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
            pane->setMinimumWidth(width);
            bar->addPermanentWidget(pane);
        }
        m_panes.push_back(pane);
        return pane;
    };
    makePane(QStringLiteral("pane0"), true)->setText(Str(AFX_IDS_IDLEMESSAGE));
    m_strMessage = Str(AFX_IDS_IDLEMESSAGE);
    m_pProgress = new QProgressBar(bar);
    m_pProgress->setObjectName(QStringLiteral("transferProgress"));
    m_pProgress->setMaximumWidth(160);
    m_pProgress->setMaximumHeight(bar->fontMetrics().height() + 4);
    m_pProgress->setTextVisible(true);
    m_pProgress->hide();
    bar->addPermanentWidget(m_pProgress);
    makePane(QStringLiteral("paneCts"), false);
    makePane(QStringLiteral("paneDtr"), false);
    makePane(QStringLiteral("paneCap"), false);
    makePane(QStringLiteral("paneNum"), false);
    makePane(QStringLiteral("paneScrl"), false);
    NameControls();
    UpdateIndicatorPanes();
    return true;
}

void CMainFrame::CreateAccelerators() {
    for (std::size_t i = 0; i < Accelerators().size(); ++i) {
        auto* shortcut = new QShortcut(Accelerators()[i].key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, i] { OnAccelerator(static_cast<int>(i)); });
        m_shortcuts.push_back(shortcut);
    }
}

void CMainFrame::OnAccelerator(int index) {
    const Accelerator& accelerator = Accelerators()[static_cast<std::size_t>(index)];
    // The active document's template decides the table.
    CDocument* document = GetActiveDocument();
    const bool dataTable = dynamic_cast<CDataDoc*>(document) != nullptr;
    ExecuteCommand(dataTable ? accelerator.dataTable : accelerator.mainTable);
}

void CMainFrame::MapCommands() {
    MapCommand(ID_VIEW_STATUS, [this](unsigned) { ToggleStatusWindow(); },
               [this](CCmdUI& ui) { ui.SetCheck(m_bStatusShown != 0); });
    MapCommand(ID_VIEW_TOOLBAR, [this](unsigned) { OnToolbarToggle(); },
               [this](CCmdUI& ui) { ui.SetCheck(m_pToolBar && m_pToolBar->isVisible()); });
    MapCommand(ID_VIEW_STATUS_BAR, [this](unsigned) { OnStatusBarToggle(); },
               [this](CCmdUI& ui) { ui.SetCheck(statusBar()->isVisible()); });
    MapCommand(ID_APP_EXIT, [this](unsigned) { close(); });
    MapCommand(ID_NEXT_PANE, [this](unsigned) { OnNextPane(true); });
    MapCommand(ID_PREV_PANE, [this](unsigned) { OnNextPane(false); });
    // The transfer rule: one update handler for the whole range. A device
    // command that cannot run now (no system identified, an exchange
    // running) is greyed, never a file dialog that then does nothing; the
    // state line says why. Connect only waits for the running exchange.
    const auto transferRule = [this](CCmdUI& ui) { ui.Enable(m_bStatusNotCreated != 0 || CanStartTransfer()); };
    const auto connectRule = [this](CCmdUI& ui) { ui.Enable(m_bStatusNotCreated != 0 || !IsBusy()); };
    MapCommand(ID_GET_SETUP, [this](unsigned) { OnGetSetup(); }, transferRule);
    MapCommand(ID_CONNECT, [this](unsigned) { OnConnect(); }, connectRule);
    MapCommand(ID_GET_PICTURE, [this](unsigned) { OnGetPicture(); }, transferRule);
    MapCommand(ID_GET_MENU, [this](unsigned) { OnGetMenu(); }, transferRule);
    MapCommand(ID_GET_LANGUAGE, [this](unsigned) { OnGetLanguage(); }, transferRule);
    MapCommand(ID_SEND_LANGUAGE, [this](unsigned) { OnSendLanguage(); }, transferRule);
    MapUpdate(ID_SEND_SETUP, ID_SEND_SETUP, transferRule);  // Restore runs in the application
    MapCommand(ID_COMPARE_SYSTEM, [this](unsigned) { OnCompareSystem(); }, transferRule);
    MapCommand(ID_CANCEL_TRANSFER, [this](unsigned) { OnCancelTransfer(); },
               [this](CCmdUI& ui) { ui.Enable(m_bStatusNotCreated == 0 && IsBusy()); });
    const auto anyWindow = [this](CCmdUI& ui) { ui.Enable(!DocumentWindows().empty()); };
    MapCommand(ID_WINDOW_CASCADE, [this](unsigned) { m_pMdiArea->cascadeSubWindows(); }, anyWindow);
    MapCommand(ID_WINDOW_TILE, [this](unsigned) { m_pMdiArea->tileSubWindows(); }, anyWindow);
    MapCommand(ID_WINDOW_NEXT, [this](unsigned) { ActivateNextWindow(true); }, anyWindow);
    MapCommand(ID_WINDOW_PREVIOUS, [this](unsigned) { ActivateNextWindow(false); }, anyWindow);
}

// ---------------------------------------------------------------- status window

brelko::CStatusView* CMainFrame::StatusLogic() const {
    return m_pStatusView ? &m_pStatusView->Logic() : nullptr;
}

bool CMainFrame::IsBusy() const {
    const brelko::CStatusView* logic = StatusLogic();
    return logic && logic->IsExchangeRunning();
}

bool CMainFrame::CanStartTransfer() const {
    const brelko::CStatusView* logic = StatusLogic();
    return logic && !logic->IsExchangeRunning() && logic->Line().m_bReady != 0;
}

void CMainFrame::InsertStatusFrame(CChildFrameStatus* frame) {
    m_pSplitter->insertWidget(0, frame);
    m_pSplitter->setStretchFactor(0, 0);
}

void CMainFrame::ToggleStatusWindow() {
    if (m_bStatusNotCreated == 1) {
        CBrelkoApp* app = BrelkoApp();
        CDocument* document = app->m_pStatusTemplate->OpenDocumentFile(std::string(), true);
        if (!document) return;
        m_pStatusView = dynamic_cast<CStatusViewWnd*>(document->GetFirstView());
        m_pStatusFrame = m_pStatusView ? static_cast<CChildFrameStatus*>(m_pStatusView->Frame()) : nullptr;
        m_bStatusNotCreated = 0;
        // Whatever a course was and however it ended, the window tidies up
        // after it once the status view has shown its end.
        if (m_pStatusView)
            m_pStatusView->Logic().AddCourseListener([this](const brelko::CourseOutcome& outcome) {
                QTimer::singleShot(0, this, [this, outcome] { OnCourseEnded(outcome); });
            });
        NameControls();
    }
    if (!m_pStatusFrame) return;
    if (m_bStatusShown == 0) {
        m_pStatusFrame->show();
        m_bStatusShown = 1;
    } else {
        m_pStatusFrame->hide();
        m_bStatusShown = 0;
    }
    if (m_pStatusView) m_pStatusView->LayOut();
    UpdateCommandUI();
}

// ---------------------------------------------------------------- bars and panes

QLabel* CMainFrame::Pane(int index) const {
    return index >= 0 && index < static_cast<int>(m_panes.size()) ? m_panes[static_cast<std::size_t>(index)] : nullptr;
}

void CMainFrame::SetMessageText(const QString& text) {
    m_strMessage = text;
    if (!m_panes.empty() && m_panes[0]->text() != text) m_panes[0]->setText(text);
}

QString CMainFrame::MessageText() const { return m_strMessage; }

void CMainFrame::UpdateIndicatorPanes() {
    if (m_panes.size() < 6) return;
    // Pane 1 says CTS, pane 2 DTR, each while its line is on; neither before
    // the status window exists.
    bool cts = false, dtr = false;
    if (m_bStatusNotCreated == 0 && m_pStatusView) {
        dtr = m_pStatusView->Logic().IsDtrOn();
        cts = m_pStatusView->Logic().IsCtsOn();
    }
    auto show = [](QLabel* pane, bool on, const QString& text) {
        const QString wanted = on ? text : QString();
        if (pane->text() != wanted) pane->setText(wanted);
    };
    show(m_panes[1], cts, QStringLiteral("CTS"));
    show(m_panes[2], dtr, QStringLiteral("DTR"));
    const KeyboardLocks::State locks = m_pLocks->Query();
    show(m_panes[3], locks.capsLock, QStringLiteral("CAP"));
    show(m_panes[4], locks.numLock, QStringLiteral("NUM"));
    show(m_panes[5], locks.scrollLock, QStringLiteral("SCRL"));
}

void CMainFrame::OnToolbarToggle() {
    if (m_pToolBar->isVisible()) {
        m_pTransferBar->hide();
        m_pToolBar->hide();
    } else {
        m_pToolBar->show();
        m_pTransferBar->show();
    }
}

void CMainFrame::OnStatusBarToggle() { statusBar()->setVisible(!statusBar()->isVisible()); }

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_bTerminating) {
        event->accept();  // no one is there to answer
        return;
    }
    // A running transfer first: on Yes it is stopped, and the program ends
    // once its course is over (this handler runs again then).
    if (!ConfirmQuitWhileBusy()) {
        event->ignore();
        return;
    }
    // Every modified document is asked about; Cancel keeps the program, and
    // a later Exit asks afresh. A question runs the event loop, in which a
    // document may close: the list is taken afresh after each one.
    std::set<CDocument*> asked;
    for (;;) {
        CDocument* next = nullptr;
        for (CDocument* document : BrelkoApp()->AllDocuments())
            if (!asked.count(document) && !document->IsClosing()) {
                next = document;
                break;
            }
        if (!next) break;
        asked.insert(next);
        if (!next->SaveModified()) {
            m_bQuitWhenIdle = false;
            event->ignore();
            return;
        }
    }
    event->accept();
}

}  // namespace brelko::app
