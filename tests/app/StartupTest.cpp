// Start-up and exit of the windowed program: the settings file with and
// without keys, the status window's remembered state, the language, the
// panes before the status window exists, and open requests of later starts.
#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSplitter>
#include <thread>

#include "tests/support/AppRig.h"
#include "app/CDataDocument.h"
#include "res/ResourceIds.h"
#include "app/SingleInstance.h"
#include "platform/Strings.h"

using namespace brelko;
using namespace brelko::test;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        UnloadLanguageLibrary();
        SetBuiltinLanguage(Language::English);
    }

    void withoutIniShowsStatusAndExitWritesIt() {
        AppRig rig;
        QVERIFY(!QFile::exists(QString::fromStdString(rig.IniPath())));
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        QCOMPARE(rig.Frame().m_bStatusShown, 1);
        QVERIFY(rig.Frame().m_pStatusFrame->isVisible());
        QCOMPARE(rig.Frame().m_bStatusNotCreated, 0);
        rig.Stop();
        // The exit made the settings file and wrote the state into it.
        QCOMPARE(IniFile(rig.IniPath()).GetInt("Custom", "Status", -1), 0);
    }

    void statusOneConnectsHiddenAndStaysHidden() {
        AppRig rig;
        rig.WriteIni("[Custom]\nStatus=1\n");
        QVERIFY(rig.Start());
        // Created and connected, though not shown.
        QVERIFY(rig.WaitReady());
        QCOMPARE(rig.Frame().m_bStatusShown, 0);
        QVERIFY(!rig.Frame().m_pStatusFrame->isVisible());
        rig.Frame().UpdateCommandUI();
        QCOMPARE(rig.Frame().QueryCommand(ID_VIEW_STATUS).checked.value_or(true), false);
        for (QAction* action : rig.Frame().ActionsFor(ID_VIEW_STATUS)) QVERIFY(!action->isChecked());
        rig.Stop();
        QCOMPARE(IniFile(rig.IniPath()).GetInt("Custom", "Status", -1), 1);
    }

    void hidingByAcceleratorWritesStatusOne() {
        AppRig rig;
        rig.WriteIni("[Custom]\nStatus=0\n");
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        // Ctrl+F4 with no document window hides the status window.
        rig.PressKey(Qt::Key_F4, Qt::ControlModifier);
        QTRY_COMPARE(rig.Frame().m_bStatusShown, 0);
        QVERIFY(!rig.Frame().m_pStatusFrame->isVisible());
        // The document area takes the whole client area then.
        QTRY_COMPARE(rig.Frame().MdiArea()->width(), rig.Frame().ClientArea()->width());
        rig.Stop();
        QCOMPARE(IniFile(rig.IniPath()).GetInt("Custom", "Status", -1), 1);
    }

    void stripIsAQuarterOfTheClientArea() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        for (const QSize size : {QSize(1000, 700), QSize(803, 600), QSize(1599, 900)}) {
            rig.Frame().resize(size);
            const int client = rig.Frame().ClientArea()->width();
            QTRY_COMPARE(rig.Frame().m_pStatusFrame->width(), client / 4);
            QCOMPARE(rig.Frame().m_pStatusFrame->height(), rig.Frame().ClientArea()->height());
            // The document area starts beyond the splitter's handle.
            QTRY_COMPARE(rig.Frame().MdiArea()->x(), client / 4 + rig.Frame().Splitter()->handleWidth());
            const Rect area = rig.Frame().m_pStatusView->StatusArea();
            QCOMPARE(area.right, client / 4);
            QCOMPARE(area.bottom, rig.Frame().ClientArea()->height());
        }
        rig.Frame().ExecuteCommand(ID_VIEW_STATUS);
        QVERIFY(rig.Frame().m_pStatusView->StatusArea().IsEmpty());
    }

    void languageSelection_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("fileMenu");
        QTest::newRow("no language section") << "" << "&File";
        QTest::newRow("library chosen by number") << "[Language]\nCurrentLanguage=2\n2=Dansk\nDansk=danish.lng\n"
                                                  << "&Filer";
        QTest::newRow("number without a name key") << "[Language]\nCurrentLanguage=3\n2=Dansk\nDansk=danish.lng\n"
                                                   << "&File";
        QTest::newRow("name without a library key") << "[Language]\nCurrentLanguage=1\n1=Dansk\n" << "&File";
        QTest::newRow("library that is missing") << "[Language]\nCurrentLanguage=1\n1=X\nX=missing.lng\n" << "&File";
        // The count is not consulted at start-up.
        QTest::newRow("beyond Languagecount") << "[Language]\nLanguagecount=1\nCurrentLanguage=2\n2=Dansk\nDansk=danish.lng\n"
                                              << "&Filer";
    }
    void languageSelection() {
        QFETCH(QString, ini);
        QFETCH(QString, fileMenu);
        AppRig rig;
        rig.WriteIni(ini.toStdString());
        QVERIFY(rig.Start());
        const QList<QAction*> menus = rig.Frame().menuBar()->actions();
        QVERIFY(!menus.isEmpty());
        QCOMPARE(menus.first()->text(), fileMenu);
        // The status window speaks the same language from its first line on.
        QVERIFY(rig.WaitReady());
        QTRY_COMPARE(rig.Frame().Pane(0)->text(), QString::fromStdString(LoadString(AFX_IDS_IDLEMESSAGE)));
    }

    void panesBeforeTheStatusWindowExists() {
        AppRig rig;
        rig.WriteIni("");
        // A frame on its own, as start-up has it before the status window is made.
        Profile::SetPath(rig.IniPath());
        app::CMainFrame frame;
        QVERIFY(frame.LoadFrame(IDR_MAINFRAME));
        frame.UpdateCommandUI();
        QCOMPARE(frame.Pane(1)->text(), QString());
        QCOMPARE(frame.Pane(2)->text(), QString());
        QCOMPARE(frame.Pane(0)->text(), QStringLiteral("Ready"));
        // The transfer commands are enabled until there is a status view to ask.
        for (unsigned id = ID_GET_SETUP; id <= ID_SEND_LANGUAGE; ++id) QVERIFY(frame.QueryCommand(id).enabled);
    }

    void ctsAndDtrPanesShowTheLines() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        // A pseudo-terminal reports its lines as on.
        rig.Frame().UpdateCommandUI();
        QCOMPARE(rig.Frame().Pane(1)->text(), QStringLiteral("CTS"));
        QCOMPARE(rig.Frame().Pane(2)->text(), QStringLiteral("DTR"));
    }

    void openRequestOfALaterStartReachesTheRunningProgram() {
        AppRig rig;
        rig.ListenForOpenRequests(true);
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string file = rig.Dir().File("notes.txt");
        WriteFile(file, "line one\r\nline two\r\n");
        bool handed = false;
        std::thread later([&] { handed = app::SingleInstance::SendToRunning(rig.IniPath(), {file}); });
        QTRY_VERIFY(rig.Frame().MdiArea()->subWindowList().size() == 1);
        later.join();
        QVERIFY(handed);
        auto* document = dynamic_cast<app::CDataDoc*>(rig.Frame().GetActiveDocument());
        QVERIFY(document);
        QCOMPARE(document->GetPathName(), file);
        QVERIFY(document->Kind() == app::DataDocKind::Text);
        // Nobody listens on another settings file.
        QVERIFY(!app::SingleInstance::SendToRunning(rig.Dir().File("other.ini"), {file}));
    }

    void qtsOwnTextsFollowTheLanguage() {
        AppRig rig;
        rig.WriteIni("[Language]\nCurrentLanguage=1\n1=Dansk\nDansk=danish.lng\n");
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QStringList buttons;
        AnswerNext<QMessageBox>([&](QMessageBox* box) {
            for (QAbstractButton* button : box->buttons()) buttons << button->text().remove('&');
            box->reject();
        });
        app::AfxMessageBox("?", app::MessageButtons::YesNoCancel);
        QVERIFY2(buttons.contains("Ja") && buttons.contains("Nej") && buttons.contains("Annuller"), qPrintable(buttons.join(',')));
    }

    void exitSavesTheRecentFiles() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string file = rig.Dir().File("notes.txt");
        WriteFile(file, "text\n");
        QVERIFY(rig.App().OpenDocumentFile(file));
        rig.Stop();
        QCOMPARE(IniFile(rig.IniPath()).GetString("Recent File List", "File1", ""), file);
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
