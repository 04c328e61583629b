// The window fetches a picture from a system and saves it: Get Picture, and
// the picture saved as the Save command saves it. The same test program is built for Linux and for Windows, so that
// tests/windows/window-same-as-linux can run it on both systems against the
// same simulator and compare the two files byte for byte. The line is the
// one named by BRELKO_TEST_DEVICE (a pseudo-terminal on Linux, COMn under
// Wine), the file is BRELKO_TEST_SAVE_TO.
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include "tests/support/AppRig.h"
#include "res/ResourceIds.h"

using namespace brelko;
using namespace brelko::test;

class SavedPictureTest : public QObject {
    Q_OBJECT
private slots:
    void pictureFetchedAndSaved() {
        const QString device = qEnvironmentVariable("BRELKO_TEST_DEVICE");
        const QString target = qEnvironmentVariable("BRELKO_TEST_SAVE_TO");
        if (device.isEmpty() || target.isEmpty())
            QSKIP("run by tests/windows/window-same-as-linux (BRELKO_TEST_DEVICE, BRELKO_TEST_SAVE_TO)");
        // A file left by an earlier run would be asked about, and would look saved.
        QFile::remove(target);
        QVERIFY(!QFileInfo::exists(target));
        AppRig rig;
        rig.UseDevice(device.toStdString());
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QVERIFY2(rig.WaitReady(60000), rig.Status().ConnectionStateText().c_str());
        QTRY_COMPARE(rig.Frame().Pane(0)->text(), QStringLiteral("Ready"));

        // The question to save comes once the picture is in; the picture is
        // then saved as the Save command saves it.
        QString question;
        AnswerMessageBox(QMessageBox::No, &question);
        QVERIFY(rig.Frame().ExecuteCommand(ID_GET_PICTURE));
        QTRY_VERIFY_WITH_TIMEOUT(!question.isEmpty(), 120000);
        QVERIFY(question.startsWith(QStringLiteral("Save changes to MTX")));
        QVERIFY(rig.WaitReady(30000));
        app::CDataDoc* document = ActiveData(rig);
        QVERIFY(document && document->IsModified() && document->m_pData->m_bValid);
        QVERIFY(document->OnSaveDocument(target.toStdString(), nullptr));
        QVERIFY(QFileInfo(target).size() > 0);
    }
};

QTEST_MAIN(SavedPictureTest)
#include "SavedPictureTest.moc"
