// The Options dialog: how it fills its lists from the settings file, what OK
// writes and does after, that Cancel writes nothing, and OK while a transfer
// runs.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <filesystem>

#include "tests/support/AppRig.h"
#include "app/COptionsDlg.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"

using namespace brelko;
using namespace brelko::test;
namespace fs = std::filesystem;

namespace {

QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

// Opens the dialog through the Options command and lets `inside` look at it
// and close it.
void RunOptions(AppRig& rig, std::function<void(app::COptionsDlg*)> inside) {
    AnswerNext<app::COptionsDlg>(std::move(inside));
    rig.Frame().ExecuteCommand(ID_OPTIONS);
}

}  // namespace

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        UnloadLanguageLibrary();
        SetBuiltinLanguage(Language::English);
    }

    void listsFromTheSettings_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<int>("languageRow");
        QTest::addColumn<int>("portRow");
        QTest::newRow("no keys") << "" << QStringList() << -1 << -1;
        QTest::newRow("a missing name shows as None")
            << "[Language]\nLanguagecount=2\n1=English\nCurrentLanguage=2\n[Custom]\nComport=3\n"
            << QStringList{"English", "None"} << 1 << 2;
        QTest::newRow("values beyond the lists select nothing")
            << "[Language]\nLanguagecount=1\n1=Dansk\nCurrentLanguage=5\n[Custom]\nComport=9\n" << QStringList{"Dansk"}
            << -1 << -1;
        // Insertion order, not sorted.
        QTest::newRow("order kept") << "[Language]\nLanguagecount=3\n1=Zulu\n2=Alpha\n3=Mid\nCurrentLanguage=1\n"
                                    << QStringList{"Zulu", "Alpha", "Mid"} << 0 << -1;
    }
    void listsFromTheSettings() {
        QFETCH(QString, ini);
        QFETCH(QStringList, languages);
        QFETCH(int, languageRow);
        QFETCH(int, portRow);
        AppRig rig;
        rig.WriteIni(ini.toStdString());
        QVERIFY(rig.Start(AppRig::OnDevice()));
        bool seen = false;
        RunOptions(rig, [&](app::COptionsDlg* dialog) {
            seen = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Options"));
            QCOMPARE(Items(dialog->LanguageList()), languages);
            QCOMPARE(dialog->LanguageList()->currentIndex(), languageRow);
            QCOMPARE(Items(dialog->PortList()), (QStringList{"1", "2", "3", "4"}));
            QCOMPARE(dialog->PortList()->currentIndex(), portRow);
            dialog->reject();
        });
        QVERIFY(seen);
    }

    void okWritesTheChoicesAndReconnects() {
        AppRig rig;
        rig.WriteIni("[Language]\nLanguagecount=2\n1=English\n2=Dansk\nEnglish=english.lng\nDansk=danish.lng\n"
                     "CurrentLanguage=1\n[Custom]\nComport=1\n");
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        const std::string folder = rig.Dir().Path();
        RunOptions(rig, [&](app::COptionsDlg* dialog) {
            dialog->LanguageList()->setCurrentIndex(1);
            dialog->FolderEdit()->setText(QString::fromStdString(folder));
            dialog->ServiceDataBox()->setChecked(true);
            dialog->SafetyCopyBox()->setChecked(false);
            dialog->accept();
        });
        const IniFile ini(rig.IniPath());
        QCOMPARE(ini.GetInt("Language", "CurrentLanguage", -1), 2);
        QCOMPARE(ini.GetInt("Custom", "Comport", -1), 1);
        QCOMPARE(ini.GetString("Custom", "Directory", ""), folder);
        QCOMPARE(ini.GetInt("Custom", "SafetyCopy", -1), 0);
        QCOMPARE(QDir::currentPath().toStdString(), folder);
        QVERIFY(rig.Status().ServiceData());
        // The menu bar speaks the new language at once, and the line was
        // identified again on the port chosen.
        QCOMPARE(rig.Frame().menuBar()->actions().first()->text(), QStringLiteral("&Filer"));
        QVERIFY(rig.Status().IsExchangeRunning());
        QVERIFY(rig.WaitReady());
        QTRY_COMPARE(rig.Frame().Pane(0)->text(), QStringLiteral("Klar"));
    }

    void okWithNothingSelectedWritesZero() {
        AppRig rig;
        rig.WriteIni("[Language]\nLanguagecount=1\n1=Dansk\nDansk=danish.lng\n");
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        QString tieLabel;
        bool tieEnabled = true;
        RunOptions(rig, [&](app::COptionsDlg* dialog) {
            for (QLabel* label : dialog->findChildren<QLabel*>())
                if (dialog->TieList() && label->buddy() == dialog->TieList()) tieLabel = label->text();
            tieEnabled = dialog->TieList() && dialog->TieList()->isEnabled();
            dialog->accept();
        });
        const IniFile ini(rig.IniPath());
        QCOMPARE(ini.GetInt("Language", "CurrentLanguage", -1), 0);
        QCOMPARE(ini.GetInt("Custom", "Comport", -1), 0);
        // Language 0 names no library: the Danish of start-up stays; port 0
        // cannot be opened.
        QCOMPARE(rig.Frame().menuBar()->actions().first()->text(), QStringLiteral("&Filer"));
        QTRY_COMPARE(rig.Frame().Pane(0)->text(), QStringLiteral("Ikke istand til at åbne COM Porten!"));
        QCOMPARE(rig.Status().Line().m_bPortOpen, 0);
#ifdef BRELKO_HAVE_SERIALDEVICES
        // No COM number chosen: nothing to tie.
        QCOMPARE(tieLabel, QStringLiteral("Knyt COM porten til:"));
        QVERIFY(!tieEnabled);
#endif
    }

    void cancelWritesNothing() {
        AppRig rig;
        const std::string ini = "; kept as it is\n[Custom]\nComport=1\nDirectory=\n[Language]\nLanguagecount=1\n1=Dansk\n";
        rig.WriteIni(ini);
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        rig.Status().SetServiceData(0);
        const auto before = ReadFile(rig.IniPath());
        RunOptions(rig, [&](app::COptionsDlg* dialog) {
            dialog->LanguageList()->setCurrentIndex(0);
            dialog->PortList()->setCurrentIndex(3);
            dialog->FolderEdit()->setText("/tmp");
            dialog->ServiceDataBox()->setChecked(true);
            dialog->SafetyCopyBox()->setChecked(false);
            dialog->TraceBox()->setChecked(true);
            dialog->TraceFileEdit()->setText("/tmp/line.txt");
            dialog->reject();
        });
        QCOMPARE(ReadFile(rig.IniPath()), before);
        QVERIFY(!rig.Status().ServiceData());
        QVERIFY(!rig.Status().IsExchangeRunning());  // no reconnect
    }

    void okWhileBusyStoresButDoesNotReconnect() {
        AppRig rig;
        QVERIFY(rig.StartOnSlowSimulator());
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_MENU));
        QTRY_VERIFY(rig.Status().IsBusy());
        const CCommPort* portBefore = rig.Status().Line().Port();
        RunOptions(rig, [&](app::COptionsDlg* dialog) {
            dialog->PortList()->setCurrentIndex(2);
            dialog->accept();
        });
        QCOMPARE(IniFile(rig.IniPath()).GetInt("Custom", "Comport", -1), 3);
        // The port was not rebuilt under the running transfer.
        QCOMPARE(rig.Status().Line().Port(), portBefore);
        QVERIFY(rig.WaitIdle(60000));
    }

    void portListShowsTheDevices() {
        AppRig rig;
        const std::string device = rig.Dir().File("adapter");
        WriteFile(device, "");
        rig.WriteIni("[Ports]\nCOM2=" + device + "\nCOM3=" + rig.Dir().File("gone") + "\n[Custom]\nComport=2\n");
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QCOMPARE(app::COptionsDlg::PortDeviceText(2), device);
        QCOMPARE(app::COptionsDlg::PortDeviceText(3), rig.Dir().File("gone") + " (not present)");
        QCOMPARE(app::COptionsDlg::PortDeviceText(4).rfind("/dev/ttyS3", 0), 0u);
        RunOptions(rig, [&](app::COptionsDlg* dialog) {
            QVERIFY(dialog->PortDeviceLabel()->text().contains(QString::fromStdString(device)));
            dialog->PortList()->setCurrentIndex(2);
            QVERIFY(dialog->PortDeviceLabel()->text().contains(QStringLiteral("not present")));
            dialog->reject();
        });
    }

    void tieAndTraceAreWrittenOnOkOnly() {
        AppRig rig;
        const std::string adapter = rig.Dir().File("usb-FTDI_FT232R_A5XK3RJT-if00-port0");
        WriteFile(adapter, "");
        rig.WriteIni("[Ports]\nCOM2=" + adapter + "\n[Custom]\nComport=1\n");
        QVERIFY(rig.Start(AppRig::OnDevice()));
        const std::string trace = rig.Dir().File("support.txt");
        struct Seen {
            bool tieEnabled = false;
            int startRow = -1;
            int adapterRow = -1;
            QString label;
        };
        auto choose = [&](Seen& seen, bool ok) {
            return [&seen, ok, &adapter, &trace](app::COptionsDlg* dialog) {
                dialog->PortList()->setCurrentIndex(0);
                QComboBox* tie = dialog->TieList();
                seen.tieEnabled = tie && tie->isEnabled();
                seen.startRow = tie ? tie->currentIndex() : -1;
                seen.adapterRow = tie ? tie->findText(QString::fromStdString(adapter)) : -1;
                seen.label = dialog->PortDeviceLabel()->text();
                if (tie) tie->setCurrentIndex(seen.adapterRow);
                dialog->TraceBox()->setChecked(true);
                dialog->TraceFileEdit()->setText(QString::fromStdString(trace));
                ok ? dialog->accept() : dialog->reject();
            };
        };
        const std::string before = ReadFile(rig.IniPath());
        Seen cancelled;
        RunOptions(rig, choose(cancelled, false));
        QVERIFY(cancelled.tieEnabled);
        QCOMPARE(cancelled.startRow, 0);  // "(as it is)"
        QVERIFY(cancelled.adapterRow > 0);
        QVERIFY(cancelled.label.contains(QStringLiteral("/dev/ttyS0")));
        QCOMPARE(ReadFile(rig.IniPath()), before);
        QVERIFY(!rig.Status().Line().Trace().IsActive());

        Seen accepted;
        RunOptions(rig, choose(accepted, true));
        IniFile ini(rig.IniPath());
        QCOMPARE(ini.GetString("Ports", "COM1", ""), adapter);
        QCOMPARE(ini.GetString("Ports", "COM2", ""), adapter);
        QCOMPARE(ini.GetInt("Custom", "Trace", 0), 1);
        QCOMPARE(ini.GetString("Custom", "TraceFile", ""), trace);
        QVERIFY(rig.Status().Line().Trace().IsActive());
        QCOMPARE(rig.Status().Line().Trace().Path(), trace);

        // Off again: the recording stops; the file chosen stays for next time.
        RunOptions(rig, [](app::COptionsDlg* dialog) {
            dialog->TraceBox()->setChecked(false);
            dialog->accept();
        });
        QVERIFY(!rig.Status().Line().Trace().IsActive());
        QCOMPARE(IniFile(rig.IniPath()).GetString("Custom", "TraceFile", ""), trace);
        QVERIFY(fs::exists(trace));
    }

    void dialogInDanish() {
        AppRig rig;
        rig.WriteIni("[Language]\nCurrentLanguage=1\n1=Dansk\nDansk=danish.lng\n");
        QVERIFY(rig.Start(AppRig::OnDevice()));
        RunOptions(rig, [&](app::COptionsDlg* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Indstillinger"));
            QVERIFY(dialog->findChild<QPushButton*>("cancel")->text() == QStringLiteral("Annuller"));
            dialog->reject();
        });
    }
};

QTEST_MAIN(OptionsTest)
#include "OptionsTest.moc"
