// The main frame and its child windows: the transfer rule, the toolbar and
// status-window toggles, the accelerator tables, document windows kept clear
// of the status strip, backup windows that never show, and the status
// window's line about the active document.
#include <QAction>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QToolBar>

#include "tests/support/AppRig.h"
#include "app/CChildFrame.h"
#include "app/CDataDocument.h"
#include "app/CDataView.h"
#include "data/CText.h"
#include "app/PortProblem.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"
#ifndef _WIN32
// A pseudo-terminal and its lock file: the port taken by another program.
#include "comlink/UucpLock.h"
#include "tests/support/PtyPeer.h"
#endif

using namespace brelko;
using namespace brelko::test;

namespace {

app::CDataDoc* OpenText(AppRig& rig, const std::string& name, const std::string& content) {
    const std::string file = rig.Dir().File(name);
    WriteFile(file, content);
    return dynamic_cast<app::CDataDoc*>(rig.App().OpenDocumentFile(file));
}

QMdiSubWindow* FrameOf(app::CDocument* document) {
    return qobject_cast<QMdiSubWindow*>(document->GetFirstView()->Frame());
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        UnloadLanguageLibrary();
        SetBuiltinLanguage(Language::English);
    }

    void transferCommandsGreyWhileBusy() {
        AppRig rig;
        QVERIFY(rig.StartOnSlowSimulator());
        rig.Frame().UpdateCommandUI();
        for (unsigned id = ID_GET_SETUP; id <= ID_SEND_LANGUAGE; ++id) QVERIFY2(rig.Frame().QueryCommand(id).enabled, "idle");
        QVERIFY(!rig.Frame().QueryCommand(ID_CANCEL_TRANSFER).enabled);

        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_MENU));
        QTRY_VERIFY(rig.Status().IsBusy());
        rig.Frame().UpdateCommandUI();
        for (unsigned id = ID_GET_SETUP; id <= ID_SEND_LANGUAGE; ++id) {
            QVERIFY2(!rig.Frame().QueryCommand(id).enabled, "busy");
            for (QAction* action : rig.Frame().ActionsFor(id)) QVERIFY(!action->isEnabled());
        }
        QVERIFY(rig.Frame().QueryCommand(ID_CANCEL_TRANSFER).enabled);
        // A greyed command does not run from its accelerator or the menu either.
        QVERIFY(!rig.Frame().ExecuteCommand(ID_CONNECT));

        QVERIFY(rig.WaitReady(60000));
        QTRY_VERIFY(rig.Frame().ActionsFor(ID_GET_SETUP).front()->isEnabled());
        for (unsigned id = ID_GET_SETUP; id <= ID_SEND_LANGUAGE; ++id) QVERIFY(rig.Frame().QueryCommand(id).enabled);
    }

    void toolbarToggle() {
        AppRig rig;
        QVERIFY(rig.Start());
        QToolBar* files = rig.Frame().FileToolBar();
        QToolBar* transfers = rig.Frame().TransferToolBar();
        QVERIFY(files->isVisible() && transfers->isVisible());
        // Both bars sit on one row, the transfer bar right of the file bar.
        QCOMPARE(rig.Frame().toolBarArea(files), Qt::TopToolBarArea);
        QCOMPARE(transfers->y(), files->y());
        QVERIFY(transfers->x() > files->x());
        QVERIFY(rig.Frame().ExecuteCommand(ID_VIEW_TOOLBAR));
        QVERIFY(!files->isVisible() && !transfers->isVisible());
        QCOMPARE(rig.Frame().QueryCommand(ID_VIEW_TOOLBAR).checked.value_or(true), false);
        // With the file bar hidden and the transfer bar shown, both show.
        transfers->show();
        QVERIFY(rig.Frame().ExecuteCommand(ID_VIEW_TOOLBAR));
        QVERIFY(files->isVisible() && transfers->isVisible());
        // With the file bar shown, both hide, whatever the transfer bar does.
        transfers->hide();
        QVERIFY(rig.Frame().ExecuteCommand(ID_VIEW_TOOLBAR));
        QVERIFY(!files->isVisible() && !transfers->isVisible());
    }

    void closeSaveDisabledForTheStatusWindow() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        // No document window: the status window is the active child.
        for (unsigned id : {ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS}) QVERIFY(!rig.Frame().QueryCommand(id).enabled);
        QVERIFY(OpenText(rig, "a.txt", "alpha\n"));
        for (unsigned id : {ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS}) QVERIFY(rig.Frame().QueryCommand(id).enabled);
    }

    void ctrlF4ClosesTheDocumentOrTogglesTheStatusWindow() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        app::CDataDoc* document = OpenText(rig, "a.txt", "alpha\n");
        QVERIFY(document);
        rig.PressKey(Qt::Key_F4, Qt::ControlModifier);
        QTRY_VERIFY(rig.Frame().MdiArea()->subWindowList().isEmpty());
        QCOMPARE(rig.Frame().m_bStatusShown, 1);  // the document closed, the status window stayed
        rig.PressKey(Qt::Key_F4, Qt::ControlModifier);
        QTRY_COMPARE(rig.Frame().m_bStatusShown, 0);
    }

    void documentsStayClearOfTheStrip() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        app::CDataDoc* document = OpenText(rig, "a.txt", "alpha\n");
        QMdiSubWindow* frame = FrameOf(document);
        // A new window takes the document area beside the strip.
        QCOMPARE(frame->geometry(), QRect(QPoint(0, 0), rig.Frame().MdiArea()->viewport()->size()));
        frame->setGeometry(40, 10, 300, 200);
        frame->move(-60, 20);  // dragged past the left edge: its right edge is now at 239
        QTRY_COMPARE(frame->x(), 0);
        QCOMPARE(frame->geometry().right(), -60 + 300 - 1);  // narrowed; the right edge stays
        QCOMPARE(frame->y(), 20);
        // Maximized, the window fills the area beside the strip, not the strip.
        frame->showMaximized();
        QTRY_VERIFY(frame->isMaximized());
        const QPoint topLeft = frame->mapTo(rig.Frame().ClientArea(), QPoint(0, 0));
        QVERIFY(topLeft.x() >= rig.Frame().m_pStatusFrame->width());
        // With the strip hidden the area starts at the client's left edge.
        frame->showNormal();
        rig.Frame().ExecuteCommand(ID_VIEW_STATUS);
        QTRY_COMPARE(rig.Frame().MdiArea()->x(), 0);
        frame->move(-30, 0);
        QTRY_COMPARE(frame->x(), 0);
    }

    void statusWindowFollowsTheActiveDocument() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        app::CDataDoc* first = OpenText(rig, "a.txt", "alpha\n");
        app::CDataDoc* second = OpenText(rig, "b.txt", std::string(2048, 'b'));
        QVERIFY(first && second);
        auto lineTwo = [&] { return rig.Status().Lines().size() > 2 ? rig.Status().Lines()[2] : std::string(); };
        QTRY_COMPARE(lineTwo(), std::string("Text File 2048 Byte"));
        const int before = rig.Frame().m_pStatusView->RedrawCount();
        rig.Frame().MdiArea()->setActiveSubWindow(FrameOf(first));
        QTRY_COMPARE(lineTwo(), std::string("Text File 6 Byte"));
        QVERIFY(rig.Frame().m_pStatusView->RedrawCount() > before);
        const int again = rig.Frame().m_pStatusView->RedrawCount();
        rig.Frame().MdiArea()->setActiveSubWindow(FrameOf(second));
        QTRY_VERIFY(rig.Frame().m_pStatusView->RedrawCount() > again);
        QTRY_COMPARE(lineTwo(), std::string("Text File 2048 Byte"));
        // Clicking the strip leaves the document window active.
        QTest::mouseClick(rig.Frame().m_pStatusView->TextControl()->viewport(), Qt::LeftButton);
        QCOMPARE(rig.Frame().MdiArea()->currentSubWindow(), FrameOf(second));
    }

    void backupWindowNeverShows() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const QString target = QString::fromStdString(rig.Dir().File("line3.asc"));
        AnswerFileDialog(target);
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_SETUP));
        // The backup's window is there, but hidden; the status window tells the progress.
        QVERIFY(rig.Frame().MdiArea()->subWindowList().size() <= 1);
        for (QMdiSubWindow* window : rig.Frame().MdiArea()->subWindowList()) QVERIFY(!window->isVisible());
        QVERIFY(rig.WaitReady(30000));
        // Stored and closed when the reception ended.
        QTRY_VERIFY(rig.Frame().MdiArea()->subWindowList().isEmpty());
        QVERIFY(QFileInfo(target).size() > 1000);
    }

    void commandsFollowTheExchangeAtOnce() {
        // The device commands grey the moment an exchange begins and come
        // back the moment it ends: each message is handled here as the
        // window's queue would hand it over, and the menu items and buttons
        // are looked at straight after, with no event loop in between.
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const auto deviceActions = [&] {
            std::vector<QAction*> actions;
            for (unsigned id = ID_GET_SETUP; id <= ID_SEND_LANGUAGE; ++id)
                for (QAction* action : rig.Frame().ActionsFor(id)) actions.push_back(action);
            return actions;
        };
        QVERIFY(deviceActions().size() >= 9);  // the menu items and the buttons
        for (QAction* action : deviceActions()) QCOMPARE(action->isEnabled(), true);
        QAction* cancel = rig.Frame().ActionsFor(ID_CANCEL_TRANSFER).front();
        QCOMPARE(cancel->isEnabled(), false);

        rig.Status().Receive(brelko::ExchangeState{brelko::ExchangeStateKind::Receiving});
        QVERIFY(rig.Status().IsBusy());
        for (QAction* action : deviceActions()) QCOMPARE(action->isEnabled(), false);
        QCOMPARE(cancel->isEnabled(), true);

        // The identification that ends the course, here on this thread.
        rig.Status().SetIdentifyOnWorker(false);
        rig.Status().Receive(brelko::ExchangeState{brelko::ExchangeStateKind::Identify});
        rig.Status().SetIdentifyOnWorker(true);
        QVERIFY(!rig.Status().IsExchangeRunning());
        QCOMPARE(rig.Status().Line().m_bReady, 1);
        for (QAction* action : deviceActions()) QCOMPARE(action->isEnabled(), true);
        QCOMPARE(cancel->isEnabled(), false);
    }

    void portDiagnosisRunsOffTheWindowThread() {
        // The look for who holds a device runs on a worker; the window's
        // thread goes on with its events meanwhile and hears the answer as
        // a queued signal. A diagnosis overtaken by a newer one is dropped.
        std::mutex mutex;
        std::condition_variable released;
        bool release = false;
        std::atomic<int> started{0};
        std::atomic<QThread*> lookUpThread{nullptr};
        app::PortDiagnosis diagnosis(nullptr, [&](const app::PortProblemFacts& facts) {
            lookUpThread = QThread::currentThread();
            ++started;
            std::unique_lock lock(mutex);
            released.wait_for(lock, std::chrono::seconds(30), [&] { return release; });
            return app::PortProblemLookups{"holder of " + facts.device + " (pid 7)", {}};
        });
        QThread* receiverThread = nullptr;
        QStringList texts;
        QObject::connect(&diagnosis, &app::PortDiagnosis::diagnosed, &diagnosis, [&](const QString& text) {
            receiverThread = QThread::currentThread();
            texts << text;
        });
        app::PortProblemFacts facts;
        facts.portOpen = false;
        facts.hasPort = true;
        facts.kind = OpenFailure::Busy;
        facts.device = "/dev/first";
        diagnosis.Start(facts);
        facts.device = "/dev/second";
        diagnosis.Start(facts);
        // Both look-ups wait on the worker side while this thread runs on.
        QTRY_COMPARE(started.load(), 2);
        QVERIFY(lookUpThread.load() != QThread::currentThread());
        QVERIFY(diagnosis.IsRunning());
        QVERIFY(texts.isEmpty());
        {
            std::lock_guard lock(mutex);
            release = true;
        }
        released.notify_all();
        QTRY_VERIFY(!diagnosis.IsRunning());
        QCOMPARE(receiverThread, QThread::currentThread());
        QCOMPARE(texts, QStringList{QStringLiteral("/dev/second is busy: holder of /dev/second (pid 7) holds it.")});
    }

    void promptsAreStatusTipsAndTooltips() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        for (QAction* action : rig.Frame().ActionsFor(ID_GET_SETUP)) {
            QCOMPARE(action->statusTip(), QStringLiteral("Back up current vision settings to pc"));
        }
        QAction* button = rig.Frame().TransferToolBar()->actions().at(1);
        QCOMPARE(button->toolTip(), QStringLiteral("Back up"));
        QVERIFY(!button->icon().isNull());
    }

    void whyThePortCannotBeOpened() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        // The device the test's port leads to does not exist.
        QTRY_COMPARE(rig.Frame().Pane(0)->text(), QStringLiteral("Unable to Open COM Port!"));
        // Line 4 tells why once the diagnosis on its worker is back.
        QTRY_VERIFY(rig.Status().Lines().size() > 4 &&
                    QString::fromStdString(rig.Status().Lines()[4]).contains("does not exist"));
        QCOMPARE(rig.Status().Lines()[1], std::string("COM port 1 not open"));
    }

#ifndef _WIN32
    void aPortLockedByAnotherLiveProgramIsBusy() {
        PtyPair pty;
        QVERIFY(pty.Ok());
        AppRig rig;
        UucpLock::SetFolder(rig.Dir().Path());
        // The lock of a live program (init) that has not opened the device:
        // nobody to name, but the port is taken all the same.
        WriteFile(UucpLock::LockPathFor(pty.SlavePath()), "         1\n");
        rig.UseDevice(pty.SlavePath());
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QTRY_COMPARE(rig.Frame().Pane(0)->text(), QStringLiteral("Unable to Open COM Port!"));
        QTRY_VERIFY(rig.Status().Lines().size() > 4 && !rig.Status().Lines()[4].empty());
        QCOMPARE(rig.Status().Lines()[4], pty.SlavePath() + " is busy: another program holds it.");
        rig.Stop();
        UucpLock::SetFolder("");
    }
#endif

    void fileOpenFilterAndAFileThatCannotBeOpened() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QCOMPARE(rig.App().FileOpenFilter(),
                 std::string("All supported files|*.tga;*.mtx;*.asc;*.txt|Picture (*.tga)|*.tga|Picture(*.mtx)|*.mtx|"
                             "Backup-file (*.asc)|*.asc|text-file (*.txt)|*.txt|All Files (*.*)|*||"));
        const std::string damaged = rig.Dir().File("damaged.mtx");
        WriteFile(damaged, "MTX?");
        QString told;
        AnswerMessageBox(QMessageBox::Ok, &told);
        QVERIFY(!rig.App().OpenDocumentFile(damaged));
        QVERIFY(told.startsWith(QString::fromStdString("Cannot open " + damaged)));
        QTRY_VERIFY(rig.Frame().MdiArea()->subWindowList().isEmpty());
    }

    void windowTitleShowsTheActiveDocument() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        QCOMPARE(rig.Frame().windowTitle(), QStringLiteral("Brelko"));
        QVERIFY(OpenText(rig, "notes.txt", "x\n"));
        QTRY_COMPARE(rig.Frame().windowTitle(), QStringLiteral("Brelko - notes.txt[*]"));
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
