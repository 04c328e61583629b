// Leaving the program and closing windows without losing what the user had:
// Yes to "Save changes?" keeps the document when nothing was saved, texts
// that came from the system are asked about like pictures, Exit during a
// transfer ends the program once the course is over (every time), a second
// start brings the running window forward, and SIGTERM ends the program as
// Exit does.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <csignal>
#include <thread>

#include "tests/support/AppRig.h"
#include "app/CDataDocument.h"
#include "data/CText.h"
#include "tests/data/PictureFiles.h"
#include "res/ResourceIds.h"
#include "app/SingleInstance.h"
#include "platform/Strings.h"

using namespace brelko;
using namespace brelko::test;

namespace {

// Answers the next message boxes in order, each with its button; their
// texts are kept. Each is armed once the one before it was answered.
struct Answers {
    QStringList texts;
    void Arm(QList<QMessageBox::StandardButton> buttons, int timeoutMs = 60000) {
        if (buttons.isEmpty()) return;
        const QMessageBox::StandardButton button = buttons.takeFirst();
        AnswerNext<QMessageBox>([this, button, buttons, timeoutMs](QMessageBox* box) {
            texts << box->text();
            Arm(buttons, timeoutMs);
            if (QAbstractButton* b = box->button(button)) b->click();
            else box->reject();
        }, timeoutMs);
    }
};

int OpenWindows(AppRig& rig) {
    int shown = 0;
    for (QMdiSubWindow* window : rig.Frame().MdiArea()->subWindowList()) shown += window->isVisible() ? 1 : 0;
    return shown;
}

app::CDataDoc* OpenModifiedPicture(AppRig& rig) {
    const std::string file = rig.Dir().File("shot.mtx");
    Mtx8Spec spec;
    spec.palette = {{255, 0, 0}, {0, 255, 0}};
    spec.pixels = {0, 1, 1, 0};
    spec.width = 2, spec.height = 2;
    WriteFileBytes(file, MakeMtx8(spec));
    auto* document = dynamic_cast<app::CDataDoc*>(rig.App().OpenDocumentFile(file));
    if (document) document->SetModifiedFlag(true);
    return document;
}

}  // namespace

class ExitTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        UnloadLanguageLibrary();
        SetBuiltinLanguage(Language::English);
    }

    void yesThenNoSaveKeepsTheDocumentAndTheProgram() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QVERIFY(OpenModifiedPicture(rig));
        // Close: Yes, then the Save As dialog cancelled.
        Answers answers;
        answers.Arm({QMessageBox::Yes});
        AnswerFileDialog(QString());
        rig.Frame().ExecuteCommand(ID_FILE_CLOSE);
        QCOMPARE(answers.texts, QStringList{"Save changes to shot.mtx?"});
        QTest::qWait(50);
        QCOMPARE(OpenWindows(rig), 1);
        // Yes, then a save that fails (its folder is a file, so nothing can
        // be made there, not even by root): still open.
        const std::string notAFolder = rig.Dir().File("not-a-folder");
        WriteFile(notAFolder, "x");
        answers.texts.clear();
        answers.Arm({QMessageBox::Yes, QMessageBox::Ok});
        AnswerFileDialog(QString::fromStdString(notAFolder + "/shot.mtx"));
        rig.Frame().ExecuteCommand(ID_FILE_CLOSE);
        QTRY_COMPARE(answers.texts.size(), 2);
        QVERIFY2(answers.texts[1].startsWith("Cannot save"), qPrintable(answers.texts.join('|')));
        QCOMPARE(OpenWindows(rig), 1);
        // Exit: Yes, then Cancel in the dialog: the program stays.
        answers.texts.clear();
        answers.Arm({QMessageBox::Yes});
        AnswerFileDialog(QString());
        rig.Frame().ExecuteCommand(ID_APP_EXIT);
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY(rig.Frame().isVisible());
        QCOMPARE(OpenWindows(rig), 1);
    }

    void textsFromTheSystemAreAskedAboutAtCloseAndExit() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_MENU));
        QVERIFY(rig.WaitReady(30000));
        app::CDataDoc* menus = ActiveData(rig);
        QVERIFY(menus && menus->GetPathName().empty());
        QTRY_VERIFY(menus->IsModified());
        Answers answers;
        answers.Arm({QMessageBox::Cancel});
        rig.Frame().ExecuteCommand(ID_FILE_CLOSE);
        QCOMPARE(answers.texts, QStringList{"Save changes to TXT1?"});
        QCOMPARE(OpenWindows(rig), 1);

        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_LANGUAGE));
        QVERIFY(rig.WaitReady(30000));
        QTRY_VERIFY(ActiveData(rig)->IsModified());
        // Exit asks about both; Cancel at the second keeps the program.
        answers.texts.clear();
        answers.Arm({QMessageBox::No, QMessageBox::Cancel});
        rig.Frame().ExecuteCommand(ID_APP_EXIT);
        QCOMPARE(answers.texts, (QStringList{"Save changes to TXT1?", "Save changes to TXT2?"}));
        QVERIFY(rig.Frame().isVisible());

        // Saved, a text closes without a question; its title loses the mark.
        const QString saved = QString::fromStdString(rig.Dir().File("menus.txt"));
        rig.Frame().MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(menus->GetFirstView()->Frame()));
        AnswerFileDialog(saved);
        rig.Frame().ExecuteCommand(ID_FILE_SAVE_AS);
        QVERIFY(!menus->IsModified());
        QTRY_VERIFY(!rig.Frame().isWindowModified());
        QCOMPARE(rig.Frame().windowTitle(), QStringLiteral("Brelko - menus.txt[*]"));
        answers.texts.clear();
        answers.Arm({QMessageBox::Cancel}, 500);
        rig.Frame().ExecuteCommand(ID_FILE_CLOSE);
        QTRY_COMPARE(OpenWindows(rig), 1);
        QVERIFY(answers.texts.isEmpty());
    }

    void exitDuringATransferEndsTheProgramOnceTheCourseIsOver() {
        AppRig rig;
        QVERIFY(rig.StartOnSlowSimulator());
        // No, first: the transfer goes on, and the program with it.
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_MENU));
        QTRY_VERIFY(rig.Status().IsBusy());
        Answers answers;
        answers.Arm({QMessageBox::No});
        rig.Frame().ExecuteCommand(ID_APP_EXIT);
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY(answers.texts[0].contains("Stop it and quit when the system is ready again?"));
        QVERIFY(rig.WaitReady(60000));
        QVERIFY(rig.Frame().isVisible());

        // Later, during the next transfer: Yes, and the received text is not
        // kept. The program ends once the system is back.
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_LANGUAGE));
        QTRY_VERIFY_WITH_TIMEOUT(rig.Status().Progress().rfind("Bytes received: ", 0) == 0, 20000);
        answers.texts.clear();
        answers.Arm({QMessageBox::Yes, QMessageBox::No, QMessageBox::No});
        rig.Frame().ExecuteCommand(ID_APP_EXIT);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.Frame().isVisible(), 60000);
        QVERIFY(!rig.Status().IsExchangeRunning());
        QVERIFY(rig.Status().Line().m_bReady);  // the system was brought back first
        QVERIFY2(answers.texts.size() >= 2 && answers.texts[1].startsWith("Save changes to TXT"),
                 qPrintable(answers.texts.join('|')));
    }

    void aSecondRequestWithoutFilesRaisesTheRunningWindow() {
        AppRig rig;
        rig.ListenForOpenRequests(true);
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QTRY_COMPARE(QApplication::activeWindow(), &other);
        bool handed = false;
        std::thread later([&] { handed = app::SingleInstance::SendToRunning(rig.IniPath(), {}); });
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&rig.Frame()));
        later.join();
        QVERIFY(handed);
        QVERIFY(rig.Frame().MdiArea()->subWindowList().isEmpty());  // nothing opened
    }

    void aSecondStartAndSigtermOfTheProgramItself() {
        TempDir dir;
        const std::string ini = dir.File("brelko.ini");
        const std::string locks = dir.File("locks");
        QDir().mkpath(QString::fromStdString(locks));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("BRELKO_LOCK_DIR", QString::fromStdString(locks));
        const QStringList args{"--ini", QString::fromStdString(ini), "--simulate", "--sim-baud", "0", "--lang", "en"};
        // What the program writes is not read here: it must never wait on a full pipe.
        QProcess first;
        first.setProcessEnvironment(env);
        first.setStandardOutputFile(QProcess::nullDevice());
        first.setStandardErrorFile(QProcess::nullDevice());
        first.start(QStringLiteral(BRELKO_APP_BINARY), args);
        QVERIFY(first.waitForStarted());
        // Up once its port is open (and locked) and it takes requests.
        const QDir lockDir(QString::fromStdString(locks));
        QTRY_VERIFY_WITH_TIMEOUT(!lockDir.entryList({"LCK..*"}, QDir::Files).isEmpty(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(app::SingleInstance::SendToRunning(ini, {}), 30000);
        // A second plain start hands over and ends; the first runs on.
        QProcess second;
        second.setProcessEnvironment(env);
        second.setStandardOutputFile(QProcess::nullDevice());
        second.setStandardErrorFile(QProcess::nullDevice());
        second.start(QStringLiteral(BRELKO_APP_BINARY), args);
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        // SIGTERM: the program ends by itself, as Exit ends it.
        ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
        QVERIFY(first.waitForFinished(30000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(lockDir.entryList({"LCK..*"}, QDir::Files).isEmpty());
        const IniFile written(ini);
        QCOMPARE(written.GetInt("Custom", "Status", -1), 0);
        QVERIFY(!written.GetString("Window", "Geometry", "").empty());
    }
};

QTEST_MAIN(ExitTest)
#include "ExitTest.moc"
