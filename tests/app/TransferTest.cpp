// Every device command of the window against the built-in simulator: the
// document each opens, what lands on the system or on disk, and what the user
// is told. The simulator runs at full pty speed unless a case needs the pace.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>

#include "tests/support/AppRig.h"
#include "app/CDataDocument.h"
#include "app/CPictureView.h"
#include "app/CTextView.h"
#include "data/CMTX.h"
#include "data/CText.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"
#include "app/framework/CDocTemplate.h"
#include "app/framework/RecentFileList.h"

using namespace brelko;
using namespace brelko::test;

namespace {

std::string Line(AppRig& rig, std::size_t index) {
    const auto& lines = rig.Status().Lines();
    return index < lines.size() ? lines[index] : std::string();
}

}  // namespace

class TransferTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        UnloadLanguageLibrary();
        SetBuiltinLanguage(Language::English);
    }

    void backUpStoresTheFileAndClosesItsWindow() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string target = rig.Dir().File("line3.asc");
        AnswerFileDialog(QString::fromStdString(target));
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_SETUP));
        QVERIFY(rig.WaitReady(30000));
        QTRY_VERIFY(rig.Frame().MdiArea()->subWindowList().isEmpty());
        const std::string backup = ReadFile(target);
        QVERIFY(backup.size() > 10000);
        QVERIFY(backup.find("[END]") != std::string::npos);
        QCOMPARE(rig.App().m_strBackupPath, target);
        QCOMPARE(rig.App().RecentFiles()[0], target);
    }

    void failedBackUpKeepsTheGoodFile() {
        AppRig rig;
        app::AppOptions options = AppRig::Simulated();
        options.simulatorFaults = {"request=UPLOAD", "hang-up-after=3000"};
        QVERIFY(rig.Start(options));
        QVERIFY(rig.WaitReady());
        const std::string target = rig.Dir().File("nightly.asc");
        const std::string good = "yesterday's good backup\r\n[END]\r\n";
        WriteFile(target, good);
        QString told;
        AnswerFileDialog(QString::fromStdString(target));
        AnswerNext<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });  // replace?
        AnswerNext<QMessageBox>([&](QMessageBox* box) {
            if (!box->text().contains("replace", Qt::CaseInsensitive)) told = box->text();
            box->accept();
        }, 60000);
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_SETUP));
        QVERIFY(rig.WaitIdle(60000));
        QTRY_VERIFY(!told.isEmpty());
        // The good file is there byte for byte; nothing else was made beside it.
        QCOMPARE(ReadFile(target), good);
        QVERIFY(!QFile::exists(QString::fromStdString(rig.Dir().File("nightly.partial.asc"))));
    }

    void getPictureInEveryForm_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("form");
        QTest::addColumn<int>("bits");
        QTest::newRow("archive, 16 bits") << "tz410-3.2.E" << "" << 16;
        QTest::newRow("archive, 8 bits") << "tz410-3.2.E" << "archive" << 8;
        QTest::newRow("raw, 16 bits") << "tz410-3.2.D" << "" << 16;
        QTest::newRow("raw, 8 bits, filler byte") << "tz220-2.11.A" << "" << 8;
        QTest::newRow("hexadecimal, 8 bits") << "kaldspot-1.7.A" << "" << 8;
    }
    void getPictureInEveryForm() {
        QFETCH(QString, preset);
        QFETCH(QString, form);
        QFETCH(int, bits);
        AppRig rig;
        app::AppOptions options = AppRig::Simulated(preset.toStdString());
        options.simulatorForm = form.toStdString();
        if (!form.isEmpty()) options.simulatorBits = bits;
        QVERIFY(rig.Start(options));
        QVERIFY(rig.WaitReady());
        QString question;
        AnswerMessageBox(QMessageBox::No, &question);
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_PICTURE));
        QTRY_VERIFY_WITH_TIMEOUT(!question.isEmpty(), 30000);
        QVERIFY(question.startsWith("Save changes to MTX"));
        app::CDataDoc* document = ActiveData(rig);
        QVERIFY(document && document->Kind() == app::DataDocKind::Mtx);
        QVERIFY(document->IsModified());
        QVERIFY(document->m_pData->m_bValid);
        QCOMPARE(QString::fromStdString(document->m_pData->GetDescription()),
                 QStringLiteral("%1 bit MTX 320x240").arg(bits));
        auto* view = dynamic_cast<app::CPictureView*>(document->GetFirstView());
        QCOMPARE(view->Picture().image.size(), QSize(320, 240));
        QVERIFY(rig.WaitReady());
    }

    // Yes to the question saves the picture, and afterwards nothing says it
    // is unsaved: not the document, not its window's title, not the main
    // window's.
    void pictureSavedFromTheQuestionIsNoLongerUnsaved() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::Simulated("tz410-3.2.E")));
        QVERIFY(rig.WaitReady());
        const QString target = QString::fromStdString(rig.Dir().File("line.mtx"));
        QString question;
        AnswerMessageBox(QMessageBox::Yes, &question);
        AnswerFileDialog(target, nullptr, QString(), 30000);
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_PICTURE));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(target), 30000);
        QVERIFY(question.startsWith("Save changes to MTX"));
        app::CDataDoc* document = ActiveData(rig);
        QVERIFY(document);
        QTRY_VERIFY(!document->IsModified());
        auto* frame = qobject_cast<QMdiSubWindow*>(document->GetFirstView()->Frame());
        QVERIFY(frame);
        QTRY_VERIFY(!frame->isWindowModified());
        QVERIFY2(frame->windowTitle().startsWith(QStringLiteral("line.mtx[*]")), qPrintable(frame->windowTitle()));
        QTRY_VERIFY(!rig.Frame().isWindowModified());
        QVERIFY(rig.WaitReady());
    }

    void checksumErrorIsToldAndThePictureStillOpens() {
        AppRig rig;
        app::AppOptions options = AppRig::Simulated();
        options.simulatorFaults = {"wrong-checksum"};
        QVERIFY(rig.Start(options));
        QVERIFY(rig.WaitReady());
        QString first, second;
        AnswerNext<QMessageBox>([&](QMessageBox* box) {
            first = box->text();
            box->accept();
            // The save question comes only after the error was read.
            AnswerNext<QMessageBox>([&](QMessageBox* next) {
                second = next->text();
                next->button(QMessageBox::No)->click();
            });
        });
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_PICTURE));
        QTRY_VERIFY_WITH_TIMEOUT(!second.isEmpty(), 30000);
        QCOMPARE(first, QStringLiteral("Checksum error!"));
        QVERIFY(second.startsWith("Save changes to"));
        QVERIFY(ActiveData(rig)->m_pData->m_bValid);
    }

    void getPictureWithoutAReadyLineClosesItsWindow() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QVERIFY(!rig.Status().Line().m_bReady);
        // The command waits for a system; reached all the same (a view's
        // starter), the empty picture window goes again.
        QVERIFY(!rig.Frame().ExecuteCommand(ID_GET_PICTURE));
        rig.Frame().OnGetPicture();
        QTRY_VERIFY(rig.Frame().MdiArea()->subWindowList().isEmpty());
        QVERIFY(rig.App().m_pPictureTemplate->Documents().empty());
    }

    void getMenuAndLanguageOpenTextWindows_data() {
        QTest::addColumn<unsigned>("command");
        QTest::addColumn<QString>("expected");
        QTest::newRow("menu") << unsigned(ID_GET_MENU) << "MAIN MENU";
        QTest::newRow("language") << unsigned(ID_GET_LANGUAGE) << "LANGUAGE ENGLISH";
    }
    void getMenuAndLanguageOpenTextWindows() {
        QFETCH(unsigned, command);
        QFETCH(QString, expected);
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        QVERIFY(rig.Frame().ExecuteCommand(command));
        app::CDataDoc* document = ActiveData(rig);
        QVERIFY(document && document->Kind() == app::DataDocKind::Text);
        QVERIFY(rig.WaitReady(30000));
        auto* view = dynamic_cast<app::CTextView*>(document->GetFirstView());
        QTRY_VERIFY(view->TextControl()->toPlainText().contains(expected));
        // The window stays open and untitled: the user saves it when wanted.
        QCOMPARE(rig.Frame().MdiArea()->subWindowList().size(), 1);
        QVERIFY(document->GetPathName().empty());
    }

    void danishLanguageSentAndFetchedBack() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        // Code page 850: Ø 0x9D, Æ 0x92.
        const std::string file = rig.Dir().File("dansk.txt");
        WriteFile(file, "LANGUAGE DANSK\r\nTEXT 002 K\x9DR\r\nTEXT 035 L\x92R MODEL\r\n");
        AnswerFileDialog(QString::fromStdString(file));
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_LANGUAGE));  // no text window active: the dialog asks
        QVERIFY(rig.WaitReady(30000));
        QCOMPARE(rig.App().m_strTextPath, file);
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_LANGUAGE));
        app::CDataDoc* fetched = ActiveData(rig);
        QVERIFY(rig.WaitReady(30000));
        auto* view = dynamic_cast<app::CTextView*>(fetched->GetFirstView());
        QTRY_VERIFY(view->TextControl()->toPlainText().contains(QStringLiteral("KØR")));
        QVERIFY(view->TextControl()->toPlainText().contains(QStringLiteral("LÆR MODEL")));
        // The document keeps the system's bytes.
        auto text = std::dynamic_pointer_cast<CText>(fetched->m_pData);
        QVERIFY(text->GetText().find("K\x9DR") != std::string::npos);
    }

    void sendLanguageFromATextWindow() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string file = rig.Dir().File("sprog.txt");
        WriteFile(file, "LANGUAGE NORSK\nTEXT 003 STOPP\n");
        QVERIFY(rig.App().OpenDocumentFile(file));
        // The active text window is what is sent: no dialog this time.
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_LANGUAGE));
        QTRY_VERIFY(rig.Status().IsBusy());
        QVERIFY(rig.WaitReady(30000));
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_LANGUAGE));
        app::CDataDoc* fetched = ActiveData(rig);
        QVERIFY(rig.WaitReady(30000));
        auto* view = dynamic_cast<app::CTextView*>(fetched->GetFirstView());
        QTRY_VERIFY(view->TextControl()->toPlainText().contains(QStringLiteral("TEXT 003 STOPP")));
    }

    void whereABackupWentStaysOnLineFourUntilTheNextCourse() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        // A long path, as a technician's folders are.
        const std::string folder = rig.Dir().File("backups-of-line-3-vision-system-before-the-summer-service");
        QDir().mkpath(QString::fromStdString(folder));
        const std::string target = folder + "/line3-camera-2-after-new-lens.asc";
        AnswerFileDialog(QString::fromStdString(target));
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_SETUP));
        QVERIFY(rig.WaitReady(30000));
        QTRY_VERIFY(QFile::exists(QString::fromStdString(target)));
        const std::string told = "Backup saved as " + target + " (" + std::to_string(ReadFile(target).size()) + " bytes)";
        QTRY_COMPARE(Line(rig, 4), told);
        // Readable in the strip: wrapped, not cut.
        auto* text = rig.Frame().m_pStatusView->TextControl();
        QTRY_VERIFY(text->toPlainText().contains(QString::fromStdString(told)));
        QCOMPARE(text->horizontalScrollBar()->maximum(), 0);
        QTest::qWait(2500);  // the status bar's message is long gone by now
        QCOMPARE(Line(rig, 4), told);
        // The next course starts afresh.
        QVERIFY(rig.Frame().ExecuteCommand(ID_CONNECT));
        QTRY_VERIFY(Line(rig, 4) != told);
    }

    void sendLanguageSendsOnlyALanguageText() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        // A comparison window is a report: Send Language asks for the file.
        const std::string backup = rig.Dir().File("line3.asc");
        QVERIFY(!BackUp(rig, "line3.asc").empty());
        AnswerFileDialog(QString::fromStdString(backup));
        QVERIFY(rig.Frame().ExecuteCommand(ID_COMPARE_SYSTEM));
        QTRY_VERIFY_WITH_TIMEOUT(ActiveData(rig) && ActiveData(rig)->m_bComparison, 30000);
        QVERIFY(rig.WaitReady());
        FileDialogSeen seen;
        AnswerFileDialog(QString(), &seen);
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_LANGUAGE));
        QCOMPARE(seen.filters, QStringList{"text-file (*.txt)"});
        QVERIFY(!rig.Status().IsExchangeRunning());
        // So does a menu text from the system.
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_MENU));
        QVERIFY(rig.WaitReady(30000));
        seen = FileDialogSeen{};
        AnswerFileDialog(QString(), &seen);
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_LANGUAGE));
        QCOMPARE(seen.filters, QStringList{"text-file (*.txt)"});
        QVERIFY(!rig.Status().IsExchangeRunning());
        // A language from the system goes back as it stands.
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_LANGUAGE));
        QVERIFY(rig.WaitReady(30000));
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_LANGUAGE));
        QTRY_VERIFY(rig.Status().IsExchangeRunning());
        QVERIFY(rig.WaitReady(30000));
    }

    void aFailedPictureLeavesNoProgressAndNoEmptyWindow() {
        AppRig rig;
        QVERIFY(rig.StartOnSlowSimulator({"request=GET PICTURE", "silent-after=400"}));
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_PICTURE));
        QTRY_VERIFY_WITH_TIMEOUT(rig.Frame().TransferProgress()->isVisible() && rig.Frame().TransferProgress()->value() > 0, 20000);
        QCOMPARE(rig.Frame().MdiArea()->subWindowList().size(), 1);
        QVERIFY(rig.WaitReady(60000));
        QCOMPARE(Line(rig, 4), std::string("Error receiving picture"));
        QTRY_VERIFY(!rig.Frame().TransferProgress()->isVisible());
        QTRY_VERIFY(rig.Frame().MdiArea()->subWindowList().isEmpty());
        QVERIFY(rig.App().m_pPictureTemplate->Documents().empty());
    }

    void restoreSendsTheChosenBackup() {
        AppRig rig;
        app::AppOptions options = AppRig::Simulated();
        QVERIFY(rig.Start(options));
        QVERIFY(rig.WaitReady());
        // A backup of the system, changed, and restored.
        const std::string first = rig.Dir().File("first.asc");
        AnswerFileDialog(QString::fromStdString(first));
        rig.Frame().ExecuteCommand(ID_GET_SETUP);
        QVERIFY(rig.WaitReady(30000));
        std::string changed = ReadFile(first);
        const std::size_t at = changed.find('=');
        QVERIFY(at != std::string::npos);
        changed.insert(at + 1, "7");
        const std::string edited = rig.Dir().File("edited.asc");
        WriteFile(edited, changed);
        AnswerFileDialog(QString::fromStdString(edited));
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_SETUP));
        QTRY_VERIFY(rig.Status().IsBusy());
        QVERIFY(rig.WaitReady(60000));
        QCOMPARE(rig.App().m_strBackupPath, edited);
        QVERIFY(!rig.Status().LastOutcome().sendFailed);
        // The system now gives back what was sent.
        const std::string second = rig.Dir().File("second.asc");
        AnswerFileDialog(QString::fromStdString(second));
        rig.Frame().ExecuteCommand(ID_GET_SETUP);
        QVERIFY(rig.WaitReady(30000));
        QTRY_VERIFY(QFile::exists(QString::fromStdString(second)));
        QCOMPARE(ReadFile(second).substr(0, at + 8), changed.substr(0, at + 8));
    }

    void restoreWithAnotherExtensionDoesNothing() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string file = rig.Dir().File("settings.bak");
        WriteFile(file, "A=1\r\n[END]\r\n");
        AnswerFileDialog(QString::fromStdString(file));
        QVERIFY(rig.Frame().ExecuteCommand(ID_SEND_SETUP));
        QVERIFY(!rig.Status().IsExchangeRunning());
        QVERIFY(rig.Frame().MdiArea()->subWindowList().isEmpty());
    }

    void progressShowsInTheStatusWindowAndTheStatusBar() {
        AppRig rig;
        QVERIFY(rig.StartOnSlowSimulator());
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_MENU));
        QTRY_VERIFY_WITH_TIMEOUT(Line(rig, 4).rfind("Bytes received: ", 0) == 0, 10000);
        QCOMPARE(Line(rig, 3), std::string("Recieving data"));
        QTRY_COMPARE(rig.Frame().Pane(0)->text(), QStringLiteral("Recieving data"));
        QVERIFY(rig.Frame().TransferProgress()->isVisible());
        QVERIFY(rig.WaitReady(60000));
        QTRY_VERIFY(!rig.Frame().TransferProgress()->isVisible());
    }

    void cancelStopsAReception() {
        AppRig rig;
        QVERIFY(rig.StartOnSlowSimulator());
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_MENU));
        QTRY_VERIFY(rig.Status().IsBusy());
        QTRY_VERIFY_WITH_TIMEOUT(Line(rig, 4).rfind("Bytes received: ", 0) == 0, 10000);
        rig.PressKey(Qt::Key_Escape);
        QVERIFY(rig.WaitIdle(30000));
        QVERIFY(rig.Status().LastOutcome().cancelled);
        QVERIFY(rig.Status().Line().m_bReady);  // the system came back to its prompt
    }

    // Line 4 of the status window says what happened: the user's own
    // cancel, a device that vanished during the course.
    void theStatusWindowSaysWhatHappened() {
        {
            AppRig rig;
            QVERIFY(rig.StartOnSlowSimulator());
            QVERIFY(rig.Frame().ExecuteCommand(ID_GET_MENU));
            QTRY_VERIFY_WITH_TIMEOUT(Line(rig, 4).rfind("Bytes received: ", 0) == 0, 10000);
            rig.PressKey(Qt::Key_Escape);
            QVERIFY(rig.WaitIdle(30000));
            const QString shown = rig.Frame().m_pStatusView->TextControl()->toPlainText();
            QVERIFY2(shown.contains(QStringLiteral("\n\nCancelled\n\n")), qPrintable(shown));
            QVERIFY2(!shown.contains(QStringLiteral("Error recieving data!")), qPrintable(shown));
        }
        AppRig rig;
        app::AppOptions options = AppRig::Simulated();
        options.simulatorFaults = {"request=UPLOAD", "hang-up-after=3000"};
        QVERIFY(rig.Start(options));
        QVERIFY(rig.WaitReady());
        AnswerFileDialog(QString::fromStdString(rig.Dir().File("cut.asc")));
        // Whatever the window asks or tells about the cut backup.
        QTimer boxes;
        QObject::connect(&boxes, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
        });
        boxes.start(50);
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_SETUP));
        QVERIFY(rig.WaitIdle(60000));
        QTRY_VERIFY_WITH_TIMEOUT(rig.Frame().m_pStatusView->TextControl()->toPlainText().contains(
                                     QStringLiteral("the device vanished (unplugged?)")),
                                 10000);
    }
};

QTEST_MAIN(TransferTest)
#include "TransferTest.moc"
