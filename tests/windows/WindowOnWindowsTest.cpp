// The window's Windows parts, under Wine: the icons from the PNG resources,
// the lock panes from the keys' state, the Options dialog's COM list from the
// system, the recent files in the system's own form, and brelko.exe itself:
// a second start hands its files over the named pipe, and the close message
// ends the program as Exit does.
#include <QComboBox>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStandardItemModel>

#include "app/COptionsDlg.h"
#include "app/Icons.h"
#include "app/KeyboardLocks.h"
#include "app/SingleInstance.h"
#include "platform/WideText.h"
#include "res/ResourceIds.h"
#include "tests/support/AppRig.h"

// Last: its IDOK and IDCANCEL are macros.
#include <windows.h>

using namespace brelko;
using namespace brelko::test;

namespace {

// What the system itself says COM<n> leads to, empty when it knows no COM<n>.
QString DosDeviceOf(int com) {
    wchar_t target[1024];
    const std::wstring name = L"COM" + std::to_wstring(com);
    if (QueryDosDeviceW(name.c_str(), target, sizeof target / sizeof target[0]) == 0) return {};
    return QString::fromWCharArray(target);
}

}  // namespace

class WindowOnWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void iconsComeFromTheRenderedPngs() {
        for (const char* name : {"brelko", "open", "save", "about", "connect", "restore", "backup", "picture", "cancel"}) {
            const QIcon icon = app::ProgramIcon(QLatin1String(name));
            QVERIFY2(!icon.isNull(), name);
            const QList<QSize> sizes = icon.availableSizes();
            for (int size : {16, 24, 32, 48, 64, 256}) QVERIFY2(sizes.contains(QSize(size, size)), name);
            // Drawn, not empty: some pixel of the middle row is opaque.
            const QImage image = icon.pixmap(32, 32).toImage();
            bool drawn = false;
            for (int x = 0; x < image.width() && !drawn; ++x) drawn = qAlpha(image.pixel(x, image.height() / 2)) > 0;
            QVERIFY2(drawn, name);
        }
    }

    void lockPanesReadTheKeysToggleState() {
        app::KeyboardLocks locks;
        QVERIFY(locks.Available());
        const app::KeyboardLocks::State state = locks.Query();
        QCOMPARE(state.capsLock, (GetKeyState(VK_CAPITAL) & 1) != 0);
        QCOMPARE(state.numLock, (GetKeyState(VK_NUMLOCK) & 1) != 0);
    }

    void optionsListTheSystemsComPorts() {
        AppRig rig;
        rig.WriteIni("[Custom]\nComport=2\n");
        QVERIFY(rig.Start(AppRig::OnDevice()));
        int known = 0;
        QStringList texts;
        AnswerNext<app::COptionsDlg>([&](app::COptionsDlg* dialog) {
            auto* model = static_cast<QStandardItemModel*>(dialog->PortList()->model());
            for (int row = 0; row < model->rowCount(); ++row) texts << model->item(row, 1)->text();
            dialog->reject();
        });
        rig.Frame().ExecuteCommand(ID_OPTIONS);
        QCOMPARE(texts.size(), 4);
        for (int com = 1; com <= 4; ++com) {
            const QString target = DosDeviceOf(com);
            const QString text = texts[com - 1];
            if (target.isEmpty()) {
                QCOMPARE(text, QStringLiteral("COM%1 (not present)").arg(com));
            } else {
                ++known;
                QCOMPARE(text, QStringLiteral("COM%1, %2").arg(com).arg(target));
            }
        }
        // The test prefix maps COM1 to COM6 (scripts/build-windows).
        QVERIFY(known >= 1);
    }

    void recentFilesShowTheSystemsSeparators() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        const TempDir elsewhere;
        const std::string file = elsewhere.File("notes.txt");
        WriteFile(file, "notes\r\n");
        QVERIFY(rig.App().OpenDocumentFile(file));
        // The File menu lists the recent files as it opens.
        QMenu* fileMenu = rig.Frame().menuBar()->actions().first()->menu();
        QVERIFY(fileMenu);
        Q_EMIT fileMenu->aboutToShow();
        QStringList shown;
        for (QAction* action : rig.Frame().findChildren<QAction*>())
            if (action->property("recentFile").isValid()) shown << action->text() << action->statusTip();
        QCOMPARE(shown.size(), 2);
        for (const QString& text : shown) {
            QVERIFY2(text.contains('\\') && !text.contains('/'), qPrintable(text));
            QVERIFY2(text.endsWith(QStringLiteral("notes.txt")), qPrintable(text));
        }
    }

    void aSecondStartHandsOverAndTheCloseMessageEndsTheProgram() {
        TempDir dir;
        const std::string ini = dir.File("brelko.ini");
        WriteFile(ini, "[Custom]\nComport=9\n");  // a port nothing leads to
        const std::string picture = dir.File("hand-over.txt");
        WriteFile(picture, "handed over\r\n");
        QProcess first;
        first.setStandardOutputFile(QProcess::nullDevice());
        first.setStandardErrorFile(QProcess::nullDevice());
        // The program on the test's own platform, which it takes as an argument.
        first.start(QStringLiteral(BRELKO_APP_EXE), {"-platform", "offscreen", "--ini", QString::fromStdString(ini), "--lang", "en"});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(app::SingleInstance::SendToRunning(ini, {}), 60000);

        // A second start with a file hands it over and ends at once.
        QProcess second;
        second.start(QStringLiteral(BRELKO_APP_EXE),
                     {"-platform", "offscreen", "--ini", QString::fromStdString(ini), "--open", QString::fromStdString(picture)});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        // The close message (what Task Manager and a logout send) ends it as
        // Exit does: the settings written, with the file just opened.
        first.terminate();
        QVERIFY(first.waitForFinished(30000));
        QCOMPARE(first.exitCode(), 0);
        const IniFile written(ini);
        QCOMPARE(written.GetInt("Custom", "Status", -1), 0);
        QVERIFY(!written.GetString("Window", "Geometry", "").empty());
        const QString recent = QString::fromStdString(written.GetString("Recent File List", "File1", ""));
        QCOMPARE(QFileInfo(recent).canonicalFilePath(), QFileInfo(QString::fromStdString(picture)).canonicalFilePath());
    }
};

QTEST_MAIN(WindowOnWindowsTest)
#include "WindowOnWindowsTest.moc"
