// The main frame: menu bar, the two toolbars on one row, the status bar with
// its six panes, the status strip on the left and the document windows in the
// area beside it. It owns the commands that start an exchange with the vision
// system and the one that shows and hides the status window, and it routes
// every command to the active view, its document, the frame and the
// application.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/framework/CmdTarget.h"
#include "exchange/ExchangeMessages.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QShortcut;
class QSplitter;
class QTimer;
class QToolBar;
class QHBoxLayout;

namespace brelko {
class CStatusView;
struct CourseOutcome;
}

namespace brelko::app {

class CChildFrameStatus;
class CDataDoc;
class CDataView;
class CTextView;
class CDocument;
class CStatusViewWnd;
class CView;
class KeyboardLocks;

class CMainFrame final : public QMainWindow, public CCmdTarget {
    Q_OBJECT
public:
    // Reads Custom/Status.
    CMainFrame();
    // Writes Custom/Status: 1 when the status window is hidden.
    ~CMainFrame() override;

    // Window creation from resource 129: menu, toolbars, status bar. False
    // when a bar cannot be made.
    bool LoadFrame(unsigned resourceId);
    // Rebuilds the menu bar from menu 129 of the current resource source.
    void LoadMenuBar();

    // Creates the status window on its first call (which connects), then
    // shows it or hides it.
    void ToggleStatusWindow();

    // Fields, in order.
    int m_bStatusShown = 0;
    CStatusViewWnd* m_pStatusView = nullptr;      // not owned
    CChildFrameStatus* m_pStatusFrame = nullptr;  // not owned
    int m_bStatusNotCreated = 1;

    // The core status logic behind the status window; null before it exists.
    brelko::CStatusView* StatusLogic() const;
    bool IsBusy() const;
    // A device command can start: the system is identified and no exchange runs.
    bool CanStartTransfer() const;

    // The area the document windows share, and the client area the status
    // strip takes its quarter of.
    QMdiArea* MdiArea() const { return m_pMdiArea; }
    QWidget* ClientArea() const { return m_pClient; }
    // The host of the status strip (left of the document area): a splitter
    // pane that the user can widen.
    QWidget* StatusHost() const { return m_pClient; }
    QSplitter* Splitter() const { return m_pSplitter; }
    void InsertStatusFrame(CChildFrameStatus* frame);
    // Gives the strip its width: a quarter of the client area (`quarter`)
    // until the user drags the splitter, then the share the user chose.
    void PlaceStrip(int quarter);

    // The active document window's view, or the status view when no document
    // window is active (the status window is then the active child).
    CView* GetActiveView() const;
    CDocument* GetActiveDocument() const;
    QMdiSubWindow* ActiveDataFrame() const;

    // Pane 0 of the status bar.
    void SetMessageText(const QString& text);
    QString MessageText() const;
    // Runs a command as the menu would (checks that it is enabled first).
    bool ExecuteCommand(unsigned id);
    // The enabling and check state the update handlers give a command now.
    CCmdUI QueryCommand(unsigned id);
    // Brings every menu item, button and pane up to date at once. Run by the
    // events that change what a command may do: the active window, a command
    // run, a menu opening, the exchange's busy and ready state, the language.
    void UpdateCommandUI();
    // Asks for that soon (coalesced), after something changed.
    void RequestCommandUIUpdate();
    // The connection's state may have changed (an exchange began or ended,
    // the system was identified or lost): the commands follow at once when
    // it did.
    void NoteCommandState();

    // The actions that carry a command (menu items and toolbar buttons).
    std::vector<QAction*> ActionsFor(unsigned id) const;
    QToolBar* FileToolBar() const { return m_pToolBar; }
    QToolBar* TransferToolBar() const { return m_pTransferBar; }
    QLabel* Pane(int index) const;
    QProgressBar* TransferProgress() const { return m_pProgress; }

    // The exchange commands.
    void OnGetSetup();      // Back up
    void OnConnect();
    void OnGetPicture();
    void OnGetMenu();
    void OnGetLanguage();
    void OnSendLanguage();  // the main-frame version: asks for the file
    void OnCancelTransfer();
    void OnCompareSystem();

    // The status view's progress and state, for the progress bar.
    void OnExchangeEvent(const brelko::StatusMessage& message);
    void ShowProgress(std::size_t count, std::size_t total);

    // Runs `task` once no modal dialog is up (at once when none is), so that
    // one question never lands on top of another.
    void RunWhenNoModal(std::function<void()> task);
    // Runs `task` when the running transfer has ended (its outcome known),
    // unless `context` is gone by then.
    void WhenTransferDone(QObject* context, std::function<void()> task);
    // A finished backup reception: stored where the rules say, then closed.
    void StoreReceivedBackup(CDataDoc& document, CDataView& view);
    // Asks before quitting while a transfer runs; true when the program may end now.
    bool ConfirmQuitWhileBusy();
    // Runs `task` once the running course has ended however it ended (a
    // failed picture, a cancel, a vanished device), unless `context` is gone.
    void WhenCourseEnds(QObject* context, std::function<void()> task);
    // The restore that runs now, as its view tells; a second Esc reaches it.
    void SetRunningRestore(CTextView* view);
    // SIGTERM (logout, shutdown): the program ends as Exit does, without
    // questions: a running transfer is stopped, the settings are written.
    void Terminate();
    // What the window keeps of itself in the settings (the status window
    // shown or hidden, the geometry); written as it goes, or at once when
    // the session ends and no one will wait for that.
    void SaveSettings();
    // A later start on the same settings file asked for this window.
    void RaiseToFront();
    // The device of the port is gone: its port is closed (and reopened at
    // once should the device be back after all). Not while a course runs.
    void CloseVanishedPort();

    // The document windows: where a new one goes (cascading from the top
    // left of the document area), and the Window menu's cycling.
    QRect NewWindowGeometry() const;
    void ActivateNextWindow(bool forward);
    std::vector<QMdiSubWindow*> DocumentWindows() const;
    QMenu* WindowMenu() const { return m_pWindowMenu; }
    // The frame's size and place, and the strip's share, from the last run.
    void RestoreGeometry();

    // The settings of the line that the Options dialog changes besides the
    // port: the trace of the line (Custom/Trace, Custom/TraceFile) and the
    // adapter the program watches. Run after start-up and after Options.
    void ApplyLineSettings();
    // The file the trace goes to: Custom/TraceFile, else brelko-line.txt in
    // the data folder.
    static std::string TraceFile();
    // The watch on the configured port's adapter (where the system can tell
    // devices come and go); null elsewhere.
    class AdapterMonitor* Adapters() const { return m_pAdapters; }

signals:
    void commandUIUpdated();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    QAction* MakeAction(unsigned id, const QString& text);
    bool CreateToolBars();
    bool CreateStatusBar();
    void CreateAccelerators();
    void MapCommands();
    void UpdateRecentFileMenu(QMenu* menu, QAction* placeholder);
    std::vector<CCmdTarget*> RouteChain() const;
    // The active view's action for a command, if it carries one.
    QAction* ViewActionFor(unsigned id) const;
    // The menu items and buttons follow the active view's actions.
    void FollowActiveViewActions();
    void UpdateCommandsOf(unsigned id);
    void ApplyCommandUI(QAction* action, unsigned id, const CCmdUI& ui);
    void OnToolbarToggle();
    void OnStatusBarToggle();
    void OnNextPane(bool forward);
    void UpdateIndicatorPanes();
    void OnSubWindowActivated(QMdiSubWindow* window);
    void UpdateWindowTitle();
    void OnAccelerator(int key);
    CDataView* ActiveDataView() const;
    void NameControls();
    void AddWindowMenu(QMenuBar* bar);
    void FillWindowList();
    void SaveGeometry();
    void OnCourseEnded(const brelko::CourseOutcome& outcome);

    QWidget* m_pClient = nullptr;
    QHBoxLayout* m_pClientLayout = nullptr;
    QSplitter* m_pSplitter = nullptr;
    double m_fStripShare = 0;  // of the client width, once the user dragged; 0: a quarter
    QMdiArea* m_pMdiArea = nullptr;
    QMenu* m_pWindowMenu = nullptr;
    QToolBar* m_pToolBar = nullptr;      // toolbar 128
    QToolBar* m_pTransferBar = nullptr;  // toolbar 150
    std::vector<QLabel*> m_panes;        // panes 0 to 5
    QProgressBar* m_pProgress = nullptr;
    std::multimap<unsigned, QAction*> m_actions;
    std::map<unsigned, QAction*> m_toolbarActions;
    std::vector<QShortcut*> m_shortcuts;
    QTimer* m_pLineTimer = nullptr;  // the CTS and DTR panes
    bool m_bUpdatePending = false;
    // What the device commands' enabling depends on, as last shown.
    struct CommandState {
        bool statusCreated = false;
        bool busy = false;
        bool canStart = false;
        bool operator==(const CommandState&) const = default;
    };
    CommandState m_lastCommandState;
    std::vector<QMetaObject::Connection> m_viewActionLinks;
    QPointer<QWidget> m_pFollowedView;  // whose actions the links follow
    QPointer<QMdiSubWindow> m_pLastActive;
    std::unique_ptr<KeyboardLocks> m_pLocks;
    QString m_strMessage;
    std::vector<std::function<void()>> m_deferred;  // waiting for the modal dialog to close
    QTimer* m_pModalTimer = nullptr;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_afterTransfer;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_afterCourse;
    QPointer<CTextView> m_pRestoreView;
    bool m_bQuitWhenIdle = false;
    bool m_bTerminating = false;
    class AdapterMonitor* m_pAdapters = nullptr;  // a child of the frame
};

}  // namespace brelko::app
