// The technician's tools in the window: the record of the line, the adapter
// pulled and put back, and what a restore of a file would change.
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QtTest>
#include <filesystem>

#include "app/AdapterMonitor.h"
#include "tests/support/AppRig.h"
#include "app/CDataDocument.h"
#include "app/CTextView.h"
#include "data/CText.h"
#include "res/ResourceIds.h"
#include "tests/app/Screenshots.h"
#include "tests/comlink/TraceReader.h"
#include "sim/VisionSimulator.h"

using namespace brelko;
using namespace brelko::test;
namespace fs = std::filesystem;

namespace {

// The comparison the Send menu opens for `file`, as shown in its window.
QString Compare(AppRig& rig, const std::string& file) {
    AnswerFileDialog(QString::fromStdString(file));
    if (!rig.Frame().ExecuteCommand(ID_COMPARE_SYSTEM)) return {};
    const std::string title = fs::path(file).filename().string();
    if (!QTest::qWaitFor([&] {
            app::CDataDoc* doc = ActiveData(rig);
            return doc && doc->m_bComparison && doc->GetTitle().find(title) != std::string::npos;
        }, 30000))
        return {};
    auto* view = dynamic_cast<app::CTextView*>(ActiveData(rig)->GetFirstView());
    return view ? view->TextControl()->toPlainText() : QString();
}

// An adapter for the rig's configured port: a simulator on a pty behind a
// stable name, as udev would make it, in a folder of the test's own that the
// watcher looks at often.
struct Adapter {
    explicit Adapter(AppRig& rig, long baud = 0) : link(rig.Dir().File("usb-Vision_Line3-if00-port0")), baudRate(baud) {
        rig.WriteIni("[Custom]\nComport=1\n[Ports]\nCOM1=" + link + "\n");
        app::AdapterMonitor::SetWatchSettings({rig.Dir().Path(), 100, false});
        rig.UseDevice(link);
    }
    ~Adapter() { app::AdapterMonitor::SetWatchSettings({}); }
    // A fresh system behind the name; false when it cannot start.
    bool PlugIn() {
        SimConfig config;
        config.baudRate = baudRate;
        config.restartSilence = std::chrono::milliseconds(0);
        sim = std::make_unique<VisionSimulator>(config);
        std::string error;
        if (!sim->Start(&error)) return false;
        fs::remove(link + ".new");
        fs::create_symlink(sim->DevicePath(), link + ".new");
        fs::rename(link + ".new", link);
        return true;
    }
    const std::string link;
    const long baudRate;
    std::unique_ptr<VisionSimulator> sim;
};

}  // namespace

class ToolsTest : public QObject {
    Q_OBJECT
private slots:
    void traceOfABackupHoldsEveryByteInOrder() {
        AppRig rig;
        const std::string trace = rig.Dir().File("line.txt");
        rig.WriteIni("[Custom]\nTrace=1\nTraceFile=" + trace + "\n");
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string backup = BackUp(rig, "line3.asc");
        QVERIFY(backup.size() > 10000);
        // The trace is written behind the line; it has all once it stops.
        rig.Status().Line().Trace().Stop();
        const auto entries = ReadTrace(trace);
        for (const TraceEntry& entry : entries) QVERIFY2(entry.wellFormed, entry.bytes.c_str());
        QVERIFY(TraceStream(entries, '<').find(backup) != std::string::npos);
        QVERIFY(TraceStream(entries, '>').find("UPLOAD\n") != std::string::npos);
    }

    void noTraceUnlessAsked() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        QVERIFY(!rig.Status().Line().Trace().IsActive());
        QVERIFY(!fs::exists(app::CMainFrame::TraceFile()));
    }

    void unpluggedAdapterIsToldOnceAndReconnectedWhenBack() {
        AppRig rig;
        Adapter adapter(rig);
        const std::string& link = adapter.link;
        auto plugIn = [&] { QVERIFY(adapter.PlugIn()); };
        plugIn();
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QVERIFY(rig.WaitReady());
        app::AdapterMonitor* monitor = rig.Frame().Adapters();
        QVERIFY(monitor);
        QCOMPARE(monitor->Followed(), link);

        // Pulled: the line hangs up and the stable name goes.
        adapter.sim->Stop();
        fs::remove(link);
        QTRY_COMPARE_WITH_TIMEOUT(monitor->TimesTold(), 1, 10000);
        QVERIFY(rig.Frame().statusBar()->currentMessage().contains(QStringLiteral("was unplugged")));
        QVERIFY(QString::fromStdString(rig.Status().Progress()).contains(QString::fromStdString(link)));
        // Many looks later it has still been told once, and nothing reconnects.
        QTest::qWait(1000);
        QCOMPARE(monitor->TimesTold(), 1);
        QCOMPARE(monitor->Reconnects(), 0);

        // Back under the same name: connected again without the user.
        plugIn();
        QTRY_COMPARE_WITH_TIMEOUT(monitor->Reconnects(), 1, 10000);
        QVERIFY(rig.WaitReady());
        QCOMPARE(rig.Status().Product(), std::string("TZ410"));
        QCOMPARE(monitor->TimesTold(), 1);
        rig.Stop();
    }

    void whileTheAdapterIsGoneThePortIsClosedAndTheCommandsWait_data() {
        QTest::addColumn<bool>("duringABackup");
        QTest::newRow("while idle") << false;
        QTest::newRow("during a backup") << true;
    }
    void whileTheAdapterIsGoneThePortIsClosedAndTheCommandsWait() {
        QFETCH(bool, duringABackup);
        AppRig rig;
        Adapter adapter(rig, duringABackup ? 9600 : 0);
        const std::string& link = adapter.link;
        auto plugIn = [&] { QVERIFY(adapter.PlugIn()); };
        plugIn();
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QVERIFY(rig.WaitReady());
        auto line = [&](std::size_t i) { return rig.Status().Lines().size() > i ? rig.Status().Lines()[i] : std::string(); };
        if (duringABackup) {
            AnswerFileDialog(QString::fromStdString(rig.Dir().File("line3.asc")));
            QVERIFY(rig.Frame().ExecuteCommand(ID_GET_SETUP));
            QTRY_VERIFY_WITH_TIMEOUT(line(4).rfind("Bytes received: ", 0) == 0, 20000);
        }
        // A backup cut short is told in a box of its own.
        if (duringABackup) AnswerMessageBox(QMessageBox::Ok);
        adapter.sim->Stop();
        fs::remove(link);
        QVERIFY(rig.WaitIdle(60000));
        // The state line says what is wrong, not "Ready" and not a wrong port.
        const std::string state = "The adapter " + link + " is unplugged";
        QTRY_COMPARE(line(3), state);
        QTRY_COMPARE(rig.Frame().Pane(0)->text(), QString::fromStdString(state));
        QTRY_COMPARE(line(1), std::string("COM port 1 not open"));
        QCOMPARE(rig.Status().Line().m_bPortOpen, 0);
        rig.Frame().UpdateCommandUI();
        for (unsigned id : {ID_GET_SETUP, ID_SEND_SETUP, ID_GET_PICTURE, ID_GET_MENU, ID_GET_LANGUAGE, ID_SEND_LANGUAGE})
            QVERIFY2(!rig.Frame().QueryCommand(id).enabled, qPrintable(QString::number(id)));
        Shoot(&rig.Frame(), duringABackup ? "unplugged-during-a-backup" : "unplugged");
        // Back: connected again without the user.
        plugIn();
        const bool ready = rig.WaitReady(30000);
        QVERIFY2(ready, (line(3) + " | " + line(4) + " | reconnects " + std::to_string(rig.Frame().Adapters()->Reconnects()) + " told " + std::to_string(rig.Frame().Adapters()->TimesTold())).c_str());
        QTRY_COMPARE(line(3), std::string("Ready"));
        QCOMPARE(line(1), std::string("COM port 1 open"));
        rig.Frame().UpdateCommandUI();
        QVERIFY(rig.Frame().QueryCommand(ID_GET_SETUP).enabled);
        rig.Stop();
    }

    void compareWithTheSystemShowsWhatARestoreWouldChange() {
        AppRig rig;
        QVERIFY(rig.Start());
        rig.Frame().resize(1024, 680);  // the screenshot's size, before any window opens
        QVERIFY(rig.WaitReady());
        // In the Send menu, just before Restore.
        QStringList send;
        for (QAction* menu : rig.Frame().menuBar()->actions())
            if (menu->menu() && menu->text() == QStringLiteral("&Send"))
                for (QAction* item : menu->menu()->actions()) send << (item->isSeparator() ? "-" : item->text());
        QCOMPARE(send, (QStringList{"&Compare with Vision System...", "-", "&Setup...", "&Language..."}));

        const std::string same = rig.Dir().File("same.asc");
        QVERIFY(!BackUp(rig, "same.asc").empty());
        QVERIFY(Compare(rig, same).startsWith(QStringLiteral("A restore of same.asc would change nothing")));
        rig.Frame().MdiArea()->closeActiveSubWindow();

        // One line changed, one brought in before the end.
        std::string edited = ReadFile(same);
        const std::size_t second = edited.find("\r\n") + 2;
        const std::size_t secondEnd = edited.find("\r\n", second);
        const std::string oldLine = edited.substr(second, secondEnd - second);
        edited.replace(second, secondEnd - second, "CHANGED BY HAND");
        edited.insert(edited.find("[END]"), "NEW LINE\r\n");
        const std::string changed = rig.Dir().File("changed.asc");
        WriteFile(changed, edited);
        const QString shown = Compare(rig, changed);
        QVERIFY2(shown.startsWith(QStringLiteral("A restore of changed.asc would change the vision system's settings.\n"
                                                 "Lines taken away (-): 1. Lines brought in (+): 2.")),
                 qPrintable(shown.left(200)));
        const QStringList lines = shown.split(QLatin1Char('\n'));
        QVERIFY(lines.contains(QStringLiteral("- ") + QString::fromStdString(oldLine)));
        QVERIFY(lines.contains(QStringLiteral("+ CHANGED BY HAND")));
        QVERIFY(lines.contains(QStringLiteral("+ NEW LINE")));
        QCOMPARE(QString::fromStdString(ActiveData(rig)->GetTitle()), QStringLiteral("changed.asc against the vision system"));
        // Only read: the user's file is as it was.
        QCOMPARE(ReadFile(changed), edited);
        Shoot(&rig.Frame(), "comparison");
    }

    void comparisonAndRestoresQuestionInDanish() {
        AppRig rig;
        rig.WriteIni("[Custom]\nConfirmRestore=1\n");
        app::AppOptions options = AppRig::Simulated();
        options.language = "da";
        QVERIFY(rig.Start(options));
        QVERIFY(rig.WaitReady());
        const std::string before = BackUp(rig, "before.asc");
        QVERIFY(!before.empty());
        std::string edited = before;
        edited.insert(edited.find("[END]"), "NY LINJE\r\n");
        const std::string changed = rig.Dir().File("ændret.asc");
        WriteFile(changed, edited);
        // The program's words stand in the system's code page among its
        // lines, and show as Danish letters.
        const QString shown = Compare(rig, changed);
        QVERIFY2(shown.startsWith(QStringLiteral("En gendannelse af ændret.asc ville ændre vision systemets opsætning.\n"
                                                 "Linjer der fjernes (-): 0. Linjer der tilføjes (+): 1.")),
                 qPrintable(shown.left(200)));
        const std::string bytes = std::dynamic_pointer_cast<CText>(ActiveData(rig)->m_pData)->GetText();
        QVERIFY(bytes.rfind("En gendannelse af \x91ndret.asc ville \x91ndre", 0) == 0);
        QCOMPARE(QString::fromStdString(ActiveData(rig)->GetTitle()), QStringLiteral("ændret.asc mod vision systemet"));

        QString question;
        AnswerFileDialog(QString::fromStdString(changed));
        AnswerNext<QMessageBox>([&](QMessageBox* box) {
            question = box->text();
            box->button(QMessageBox::No)->click();
        }, 60000);
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_SETUP));
        QTRY_VERIFY_WITH_TIMEOUT(!question.isEmpty(), 60000);
        QCOMPARE(question, QStringLiteral("En gendannelse af ændret.asc ville ændre vision systemets opsætning.\n"
                                          "Linjer der fjernes (-): 0. Linjer der tilføjes (+): 1."));
        QVERIFY(rig.WaitReady(60000));
    }
};

QTEST_MAIN(ToolsTest)
#include "ToolsTest.moc"
