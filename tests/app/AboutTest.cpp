// The About box: the product line as it always was, and the build's version
// below it, the same version --version prints, in both languages.
#include <QLabel>
#include <QtTest>

#include "BrelkoVersion.h"
#include "app/CAboutDlg.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"

using namespace brelko;

namespace {

QString LineText(const app::CAboutDlg& dialog, unsigned id) {
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("aboutLine%1").arg(id));
    return label ? label->text() : QStringLiteral("(no line %1)").arg(id);
}

}  // namespace

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void productLineAndTheBuildsVersion() {
        const struct {
            Language language;
            const char* build;
        } cases[] = {{Language::English, "This build: "}, {Language::Danish, "Denne udgave: "}};
        for (const auto& c : cases) {
            SetBuiltinLanguage(c.language);
            app::CAboutDlg dialog(nullptr);
            QCOMPARE(LineText(dialog, IDC_ABOUT_VERSION), QStringLiteral("Brelko Version 1.3"));
            QCOMPARE(LineText(dialog, IDC_ABOUT_BUILD), QString::fromUtf8(c.build) + QString::fromLatin1(kBuildVersion));
        }
    }
};

QTEST_MAIN(AboutTest)
#include "AboutTest.moc"
