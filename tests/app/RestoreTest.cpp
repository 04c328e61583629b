// Restores and language sendings in the window under the safety rules: a
// safety copy of the system's settings before every restore, files that are
// no fit text asked about, a restore never cut in the middle by one Esc, the
// user told what the system may now hold, and a language sending's summary.
#include <QDir>
#include <QRegularExpression>
#include <QStatusBar>
#include <QMdiArea>

#include "tests/support/AppRig.h"
#include "tests/app/Screenshots.h"
#include "app/CDataDocument.h"
#include "app/CDataView.h"
#include "data/CText.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"
#include "app/framework/RecentFileList.h"

using namespace brelko;
using namespace brelko::test;

namespace {

// The backup with its first value changed.
std::string Changed(std::string backup, const std::string& digit = "7") {
    const std::size_t at = backup.find('=');
    if (at != std::string::npos) backup.insert(at + 1, digit);
    return backup;
}

QStringList SafetyCopies(const AppRig& rig) {
    return QDir(QString::fromStdString(rig.Dir().File("safety"))).entryList({"*.asc"}, QDir::Files);
}

}  // namespace

class RestoreTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        UnloadLanguageLibrary();
        SetBuiltinLanguage(Language::English);
    }

    void restoreKeepsASafetyCopyFirst() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string before = BackUp(rig, "before.asc");
        QVERIFY(before.size() > 1000);
        const std::string edited = rig.Dir().File("edited.asc");
        WriteFile(edited, Changed(before));
        AnswerFileDialog(QString::fromStdString(edited));
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_SETUP));
        QVERIFY(rig.WaitReady(90000));
        // The copy of the settings from before, named by product, version and time.
        QTRY_COMPARE(SafetyCopies(rig).size(), 1);
        const QString name = SafetyCopies(rig).first();
        QVERIFY2(QRegularExpression("^TZ410-3\\.2\\.E-\\d{8}-\\d{6}\\.asc$").match(name).hasMatch(), qPrintable(name));
        // Line 4 names the copy by its full path until the next course.
        const QString copyPath = QString::fromStdString(rig.Dir().File("safety/" + name.toStdString()));
        QTRY_VERIFY(QString::fromStdString(rig.Status().Lines()[4]).contains("The settings from before are in " + copyPath));
        QCOMPARE(ReadFile(rig.Dir().File("safety/" + name.toStdString())), before);
        // The system has the new settings now.
        QCOMPARE(BackUp(rig, "after.asc"), Changed(before));
    }

    void confirmationShowsWhatTheRestoreWouldChange() {
        AppRig rig;
        rig.WriteIni("[Custom]\nConfirmRestore=1\n");
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string before = BackUp(rig, "before.asc");
        const std::string edited = rig.Dir().File("edited.asc");
        WriteFile(edited, Changed(before));
        struct Asked {
            QString text, question, details;
        };
        auto answer = [](Asked* asked, QMessageBox::StandardButton button) {
            AnswerNext<QMessageBox>([asked, button](QMessageBox* box) {
                *asked = {box->text(), box->informativeText(), box->detailedText()};
                // The details opened, as the user would, for the README's folder.
                for (QAbstractButton* b : box->buttons())
                    if (box->buttonRole(b) == QMessageBox::ActionRole) b->click();
                Shoot(box, "restore-confirmation");
                box->button(button)->click();
            }, 60000);
        };
        // Declined: the safety copy is made, the file is not sent.
        Asked declined;
        AnswerFileDialog(QString::fromStdString(edited));
        answer(&declined, QMessageBox::No);
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_SETUP));
        QTRY_VERIFY_WITH_TIMEOUT(!declined.text.isEmpty(), 60000);
        QVERIFY(rig.WaitReady(60000));
        QCOMPARE(declined.text, QStringLiteral("A restore of edited.asc would change the vision system's settings.\n"
                                               "Lines taken away (-): 1. Lines brought in (+): 1."));
        QCOMPARE(declined.question, QStringLiteral("Send edited.asc to the vision system now?"));
        // The line of the first value, as it is and as the file has it.
        const std::size_t at = before.find('=');
        const std::size_t start = before.rfind('\n', at) + 1;
        const std::string line = before.substr(start, before.find('\r', at) - start);
        QVERIFY(line.size() > 2);
        QVERIFY(declined.details.startsWith(QStringLiteral("--- vision system\n+++ edited.asc\n@@ ")));
        const QStringList details = declined.details.split(QLatin1Char('\n'));
        QVERIFY2(details.contains(QStringLiteral("-") + QString::fromStdString(line)), qPrintable(declined.details.left(300)));
        QVERIFY(details.contains(QStringLiteral("+") + QString::fromStdString(Changed(line))));
        QCOMPARE(SafetyCopies(rig).size(), 1);
        QCOMPARE(BackUp(rig, "unchanged.asc"), before);

        // Yes: it goes.
        Asked accepted;
        AnswerFileDialog(QString::fromStdString(edited));
        answer(&accepted, QMessageBox::Yes);
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_SETUP));
        QTRY_VERIFY_WITH_TIMEOUT(!accepted.text.isEmpty(), 60000);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Status().IsBusy(), 10000);
        QVERIFY(rig.WaitReady(90000));
        QCOMPARE(BackUp(rig, "after.asc"), Changed(before));
    }

    void restoreWithoutTheSafetyCopyOption() {
        AppRig rig;
        rig.WriteIni("[Custom]\nSafetyCopy=0\n");
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string file = rig.Dir().File("plain.asc");
        WriteFile(file, "A=1\r\n[END]\r\n");
        AnswerFileDialog(QString::fromStdString(file));
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_SETUP));
        QTRY_VERIFY(rig.Status().IsBusy());
        QVERIFY(rig.WaitReady(90000));
        QVERIFY(SafetyCopies(rig).isEmpty());
    }

    void openingABackupFromTheRecentFilesRestoresIt() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string before = BackUp(rig, "line3.asc");
        const std::string edited = rig.Dir().File("edited.asc");
        WriteFile(edited, Changed(before, "4"));
        rig.App().RecentFiles().Add(edited);
        QVERIFY(rig.Frame().ExecuteCommand(ID_FILE_MRU_FILE1));
        QTRY_VERIFY(rig.Status().IsBusy());
        QVERIFY(rig.WaitReady(90000));
        QTRY_COMPARE(SafetyCopies(rig).size(), 1);
        QCOMPARE(BackUp(rig, "after.asc"), Changed(before, "4"));
    }

    void aFileThatIsNoTextIsAskedAbout_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("sent");
        QTest::newRow("no") << int(QMessageBox::No) << false;
        QTest::newRow("yes") << int(QMessageBox::Yes) << true;
    }
    void aFileThatIsNoTextIsAskedAbout() {
        QFETCH(int, answer);
        QFETCH(bool, sent);
        AppRig rig;
        rig.WriteIni("[Custom]\nSafetyCopy=0\n");
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string file = rig.Dir().File("random.asc");
        std::string bytes = "A=1\r\n";
        for (int i = 0; i < 300; ++i) bytes += static_cast<char>((i * 37) % 32);  // control bytes
        WriteFile(file, bytes + "[END]\r\n");
        QString question;
        AnswerMessageBox(QMessageBox::StandardButton(answer), &question);
        AnswerFileDialog(QString::fromStdString(file));
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_SETUP));
        QVERIFY(question.contains("Send it anyway?"));
        QVERIFY(question.contains("bytes to send"));
        QCOMPARE(rig.Status().IsExchangeRunning(), sent);
        QVERIFY(rig.WaitIdle(60000));
    }

    void oneEscDoesNotCutARestore() {
        AppRig rig;
        rig.WriteIni("[Custom]\nSafetyCopy=0\n");
        QVERIFY(rig.StartOnSlowSimulator());
        std::string block;
        for (int i = 0; block.size() < 30000; ++i) block += "P" + std::to_string(i) + "=" + std::to_string(i % 9) + "\r\n";
        block += "[END]\r\n";
        const std::string file = rig.Dir().File("big.asc");
        WriteFile(file, block);
        AnswerFileDialog(QString::fromStdString(file));
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_SETUP));
        QTRY_VERIFY_WITH_TIMEOUT(rig.Status().Progress().rfind("Bytes sent: ", 0) == 0, 20000);
        rig.PressKey(Qt::Key_Escape);
        QVERIFY(rig.Frame().statusBar()->currentMessage().contains("cannot be stopped halfway"));
        // Readable on status line 4 while the restore runs, below its progress.
        QTRY_VERIFY(QString::fromStdString(rig.Status().Lines()[4]).contains("Press Esc again within 3 seconds"));
        QTest::qWait(3500);
        QVERIFY(QString::fromStdString(rig.Status().Lines()[4]).contains("cannot be stopped halfway"));
        QVERIFY(rig.WaitIdle(90000));
        // The block went out whole: the system holds the new settings.
        QVERIFY(!rig.Status().LastOutcome().forced);
        const std::string after = BackUp(rig, "after.asc");
        QVERIFY(after.find(block.substr(0, 200)) != std::string::npos);
        QVERIFY(after.find(block.substr(block.size() - 200)) != std::string::npos);
    }

    void twoEscsStopARestoreAndTheUserIsTold_data() {
        QTest::addColumn<int>("blockBytes");
        QTest::addColumn<bool>("handedOver");
        // Esc twice while the sender hands the block to the driver, and once
        // the driver holds all of it (a pseudo-terminal, like many USB
        // adapters, takes some 20 KB at once and counts nothing queued): the
        // line still carries it for seconds, and it must stop all the same.
        QTest::newRow("while it is handed over") << 20000 << false;
        QTest::newRow("once the driver holds it") << 12000 << true;
    }
    void twoEscsStopARestoreAndTheUserIsTold() {
        QFETCH(int, blockBytes);
        QFETCH(bool, handedOver);
        AppRig rig;
        QVERIFY(rig.StartOnSlowSimulator({}, 30000));
        std::string block;
        for (int i = 0; block.size() < static_cast<std::size_t>(blockBytes); ++i) block += "Q" + std::to_string(i) + "=1\r\n";
        block += "[END]\r\n";
        const std::string file = rig.Dir().File("big.asc");
        WriteFile(file, block);
        AnswerFileDialog(QString::fromStdString(file));
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_SETUP));
        // After the safety copy, the sending.
        QTRY_VERIFY_WITH_TIMEOUT(rig.Status().Progress().rfind("Bytes sent: ", 0) == 0, 60000);
        if (handedOver) {
            // The sender's last count: all of the block is with the driver,
            // up to its "[END]" and the closing line feed.
            const std::string all = "Bytes sent: " + QString::number(block.size() - 1).rightJustified(6, '0').toStdString();
            QTRY_VERIFY_WITH_TIMEOUT(rig.Status().Progress().rfind(all, 0) == 0, 10000);
        }
        struct Told {
            QString text;
            bool courseRunning = false;
        } told, again;
        AnswerNext<QMessageBox>([&](QMessageBox* box) {
            told = {box->text(), rig.Status().IsExchangeRunning()};
            box->accept();
            // A second box would say it all again, or worse, wait unanswered.
            AnswerNext<QMessageBox>([&](QMessageBox* next) {
                again = {next->text(), false};
                next->accept();
            }, 60000);
        }, 30000);
        rig.PressKey(Qt::Key_Escape);
        rig.PressKey(Qt::Key_Escape);
        // Told when the stop is decided, while the buffers are still cleared.
        QTRY_VERIFY_WITH_TIMEOUT(!told.text.isEmpty(), 10000);
        QVERIFY(told.courseRunning);
        QVERIFY2(told.text.contains("stopped halfway"), qPrintable(told.text));
        QVERIFY(told.text.contains("may now hold part of the new settings"));
        QVERIFY(told.text.contains("The system's buffers are being cleared now"));
        QCOMPARE(SafetyCopies(rig).size(), 1);
        QVERIFY(told.text.contains(SafetyCopies(rig).first()));
        QVERIFY(rig.WaitReady(90000));
        QVERIFY(rig.Status().LastOutcome().forced);
        // The outcome stays on line 4; no second box.
        QTRY_VERIFY(QString::fromStdString(rig.Status().Lines()[4]).contains("stopped halfway"));
        QTest::qWait(500);
        QVERIFY2(again.text.isEmpty(), qPrintable(again.text));
        // Half a block reached the system, not all of it.
        const std::string after = BackUp(rig, "after.asc");
        QVERIFY(!after.empty());
        QVERIFY(after.find(block.substr(block.size() - 40, 30)) == std::string::npos);
    }

    void languageSummaryOnStatusLineFour() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string file = rig.Dir().File("sprog.txt");
        WriteFile(file, "LANGUAGE DANSK\r\nTEXT 001 HOVEDMENU\r\nNONSENSE LINE\r\nTEXT 002 KØR\r\n");
        AnswerFileDialog(QString::fromStdString(file));
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_LANGUAGE));
        QVERIFY(rig.WaitReady(60000));
        QTRY_VERIFY(rig.Status().Lines().size() > 4);
        const QString line = QString::fromStdString(rig.Status().Lines()[4]);
        QVERIFY2(line.contains("1 of 4 lines refused"), qPrintable(line));
        QVERIFY2(line.contains("line 3"), qPrintable(line));
    }
};

QTEST_MAIN(RestoreTest)
#include "RestoreTest.moc"
