// Screenshots of the window as a user sees it, on the simulator: the main
// window connected, the Options dialog in Danish and English, a picture at
// 1:1, zoomed and fitted, a text window with Danish letters, and the status
// window during a transfer (the comparison window is taken by the tools
// test). They go to $BRELKO_SCREENSHOT_DIR, else to the
// build tree's screenshots/ folder.
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "tests/support/AppRig.h"
#include "tests/app/Screenshots.h"
#include "app/CDataDocument.h"
#include "app/CTextView.h"
#include "app/COptionsDlg.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"

using namespace brelko;
using namespace brelko::test;

class ScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        UnloadLanguageLibrary();
        SetBuiltinLanguage(Language::English);
    }

    void mainWindowConnected() {
        AppRig rig;
        QVERIFY(rig.Start());
        rig.Frame().resize(1024, 680);
        QVERIFY(rig.WaitReady());
        QTRY_COMPARE(rig.Frame().Pane(0)->text(), QStringLiteral("Ready"));
        Shoot(&rig.Frame(), "main-window");
    }

    void optionsDialog_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("english") << "en";
        QTest::newRow("danish") << "da";
    }
    void optionsDialog() {
        QFETCH(QString, language);
        SetBuiltinLanguage(language == "da" ? Language::Danish : Language::English);
        AppRig rig;
        rig.WriteIni("[Language]\nLanguagecount=2\n1=English\n2=Dansk\nCurrentLanguage=" +
                     std::string(language == "da" ? "2" : "1") + "\n[Custom]\nComport=1\n");
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        AnswerNext<app::COptionsDlg>([&](app::COptionsDlg* dialog) {
            Shoot(dialog, "options-" + language);
            dialog->reject();
        });
        rig.Frame().ExecuteCommand(ID_OPTIONS);
    }

    void picture() {
        AppRig rig;
        QVERIFY(rig.Start());
        rig.Frame().resize(1024, 680);
        QVERIFY(rig.WaitReady());
        AnswerMessageBox(QMessageBox::No);
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_PICTURE));
        QTRY_VERIFY_WITH_TIMEOUT(ActiveData(rig) && ActiveData(rig)->m_pData->m_bValid, 30000);
        QVERIFY(rig.WaitReady());
        QTRY_VERIFY(!QApplication::activeModalWidget());
        Shoot(&rig.Frame(), "picture-1to1");
        QMdiSubWindow* frame = rig.Frame().MdiArea()->currentSubWindow();
        rig.Frame().ExecuteCommand(ID_ZOOM_IN);
        frame->resize(rig.Frame().MdiArea()->viewport()->size());
        Shoot(&rig.Frame(), "picture-zoom2");
        rig.Frame().ExecuteCommand(ID_ZOOM_FIT);
        Shoot(&rig.Frame(), "picture-fitted");
    }

    void textWithDanishLetters() {
        AppRig rig;
        QVERIFY(rig.Start());
        rig.Frame().resize(1024, 680);
        QVERIFY(rig.WaitReady());
        const std::string file = rig.Dir().File("dansk.txt");
        WriteFile(file, "LANGUAGE DANSK\r\nTEXT 001 HOVEDMENU\r\nTEXT 002 K\x9DR\r\nTEXT 035 L\x92R MODEL\r\n"
                        "TEXT 038 VERSION\r\nTEXT 028 STATISTIK\r\nTEXT 037 DATO OG TID\r\nTEXT 040 TILBAGE\r\n"
                        "TEXT 041 \x8F" "BN \x92" "NDRINGER\r\n");
        QVERIFY(rig.App().OpenDocumentFile(file));
        auto* view = dynamic_cast<app::CTextView*>(ActiveData(rig)->GetFirstView());
        QVERIFY(view->TextControl()->toPlainText().contains(QStringLiteral("ÅBN ÆNDRINGER")));
        Shoot(&rig.Frame(), "text-danish");
    }

    void outcomeOnLineFour() {
        AppRig rig;
        QVERIFY(rig.Start());
        rig.Frame().resize(1024, 680);
        QVERIFY(rig.WaitReady());
        const std::string folder = rig.Dir().File("line-3-before-the-summer-service");
        QDir().mkpath(QString::fromStdString(folder));
        const std::string target = folder + "/camera-2-after-the-new-lens.asc";
        AnswerFileDialog(QString::fromStdString(target));
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_SETUP));
        QVERIFY(rig.WaitReady(30000));
        QTRY_VERIFY(rig.Status().Lines().size() > 4 && rig.Status().Lines()[4].rfind("Backup saved as ", 0) == 0);
        QTest::qWait(300);
        Shoot(&rig.Frame(), "outcome-line");
    }

    void windowMenuAndChildIcons() {
        AppRig rig;
        QVERIFY(rig.Start());
        rig.Frame().resize(1024, 680);
        QVERIFY(rig.WaitReady());
        for (const char* name : {"sprog.txt", "menu.txt", "noter.txt"}) {
            const std::string file = rig.Dir().File(name);
            WriteFile(file, std::string("LANGUAGE DANSK\r\nTEXT 001 ") + name + "\r\n");
            QVERIFY(rig.App().OpenDocumentFile(file));
        }
        QTest::qWait(200);
        Shoot(&rig.Frame(), "child-windows");
        // The Window menu open over the window, as a user sees it.
        QMenu* menu = rig.Frame().WindowMenu();
        QVERIFY(menu);
        QAction* title = nullptr;
        for (QAction* action : rig.Frame().menuBar()->actions())
            if (action->menu() == menu) title = action;
        QVERIFY(title);
        const QPoint at = rig.Frame().menuBar()->mapTo(&rig.Frame(), rig.Frame().menuBar()->actionGeometry(title).bottomLeft());
        // The window as it stands, then the menu that opens over it.
        QImage shot = rig.Frame().grab().toImage();
        menu->popup(rig.Frame().mapToGlobal(at));
        QTRY_VERIFY(menu->isVisible());
        QTest::qWait(100);
        QPainter painter(&shot);
        painter.drawImage(at, menu->grab().toImage());
        painter.end();
        menu->hide();
        QVERIFY(shot.save(Folder() + "/window-menu.png"));
    }

    void statusDuringATransfer() {
        AppRig rig;
        QVERIFY(rig.StartOnSlowSimulator());
        rig.Frame().resize(1024, 680);
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_LANGUAGE));
        // Far enough in that the text window shows lines.
        QTRY_VERIFY_WITH_TIMEOUT(rig.Status().Lines().size() > 4 && rig.Status().Lines()[4] >= "Bytes received: 000400", 20000);
        QTRY_VERIFY(rig.Frame().TransferProgress()->isVisible());
        Shoot(&rig.Frame(), "status-during-transfer");
        rig.Frame().ExecuteCommand(ID_CANCEL_TRANSFER);
        QVERIFY(rig.WaitIdle(30000));
    }
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
