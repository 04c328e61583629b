// The window as a technician handles it: child windows with the program's
// icon that cascade, the Window menu, unique mnemonics and "..." on commands
// that open a dialog, file dialogs with the right filters and a size of their
// own, the strip as a splitter pane, the remembered geometry, toolbars named
// in words, accessible names, and device commands that wait for a system.
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QHeaderView>
#include <set>

#include "tests/support/AppRig.h"
#include "app/COptionsDlg.h"
#include "app/Icons.h"
#include "app/CDataDocument.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"

using namespace brelko;
using namespace brelko::test;

namespace {

QMdiSubWindow* OpenText(AppRig& rig, const std::string& name) {
    const std::string file = rig.Dir().File(name);
    WriteFile(file, name + "\r\n");
    auto* document = rig.App().OpenDocumentFile(file);
    return document ? qobject_cast<QMdiSubWindow*>(document->GetFirstView()->Frame()) : nullptr;
}

QMenu* MenuNamed(AppRig& rig, const QString& title) {
    for (QAction* action : rig.Frame().menuBar()->actions())
        if (action->menu() && action->text() == title) return action->menu();
    return nullptr;
}

QStringList Items(QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions()) items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return items;
}

QImage IconImage(const QIcon& icon) { return icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32); }

// The accessible name a screen reader would read for the widget.
QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

// The widgets of a window that a user operates or reads as a control.
QList<QWidget*> Controls(QWidget* top) {
    QList<QWidget*> controls;
    for (QWidget* widget : top->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(top) || widget->objectName().startsWith(QStringLiteral("qt_"))) continue;
        const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
                             qobject_cast<QLineEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget) ||
                             qobject_cast<QProgressBar*>(widget) || qobject_cast<QMdiArea*>(widget) ||
                             (qobject_cast<QLabel*>(widget) && widget->objectName().startsWith(QStringLiteral("pane")));
        if (control) controls << widget;
    }
    return controls;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        UnloadLanguageLibrary();
        SetBuiltinLanguage(Language::English);
    }

    void childWindowsCarryTheProgramsIconAndCascade() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QMdiSubWindow* first = OpenText(rig, "a.txt");
        QMdiSubWindow* second = OpenText(rig, "b.txt");
        QMdiSubWindow* third = OpenText(rig, "c.txt");
        QVERIFY(first && second && third);
        const QImage program = IconImage(app::ProgramIcon(QStringLiteral("brelko")));
        for (QMdiSubWindow* window : {first, second, third}) QCOMPARE(IconImage(window->windowIcon()), program);
        // The first takes the area; the next ones step down and right, each
        // title in sight.
        QCOMPARE(first->pos(), QPoint(0, 0));
        const int step = second->x();
        QVERIFY2(step >= 16, qPrintable(QString::number(step)));
        QCOMPARE(second->pos(), QPoint(step, step));
        QCOMPARE(third->pos(), QPoint(2 * step, 2 * step));
        QCOMPARE(third->geometry().right(), first->geometry().right());
    }

    void windowMenuListsCyclesAndArranges() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QStringList menus;
        for (QAction* action : rig.Frame().menuBar()->actions()) menus << action->text();
        QCOMPARE(menus, (QStringList{"&File", "&View", "&Get", "&Send", "&Picture", "&Window", "&Help"}));
        QMdiSubWindow* a = OpenText(rig, "a.txt");
        QMdiSubWindow* b = OpenText(rig, "b.txt");
        QMdiSubWindow* c = OpenText(rig, "c.txt");
        QMenu* window = MenuNamed(rig, "&Window");
        QVERIFY(window);
        QMetaObject::invokeMethod(window, "aboutToShow");
        QCOMPARE(Items(window), (QStringList{"&Cascade", "&Tile", "-", "Ne&xt Window\tCtrl+F6",
                                             "Pre&vious Window\tCtrl+Shift+F6", "-", "&1 a.txt", "&2 b.txt", "&3 c.txt"}));
        QVERIFY(window->actions().last()->isChecked());  // c, the active one
        // Ctrl+F6 goes round, Ctrl+Shift+F6 back.
        QCOMPARE(rig.Frame().MdiArea()->currentSubWindow(), c);
        rig.PressKey(Qt::Key_F6, Qt::ControlModifier);
        QTRY_COMPARE(rig.Frame().MdiArea()->currentSubWindow(), a);
        rig.PressKey(Qt::Key_F6, Qt::ControlModifier);
        QTRY_COMPARE(rig.Frame().MdiArea()->currentSubWindow(), b);
        rig.PressKey(Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE(rig.Frame().MdiArea()->currentSubWindow(), a);
        // A window picked from the list becomes the active one.
        QMetaObject::invokeMethod(window, "aboutToShow");
        window->actions().last()->trigger();
        QCOMPARE(rig.Frame().MdiArea()->currentSubWindow(), c);
        // Tile: side by side, none over another.
        QVERIFY(rig.Frame().ExecuteCommand(ID_WINDOW_TILE));
        for (QMdiSubWindow* one : {a, b, c})
            for (QMdiSubWindow* other : {a, b, c})
                if (one != other) QVERIFY(!one->geometry().intersects(other->geometry()));
        QVERIFY(rig.Frame().ExecuteCommand(ID_WINDOW_CASCADE));
        QVERIFY(a->pos() != b->pos() && b->pos() != c->pos());
        // Nothing to arrange without windows.
        rig.Frame().MdiArea()->closeAllSubWindows();
        QTRY_VERIFY(rig.Frame().MdiArea()->subWindowList().isEmpty());
        QVERIFY(!rig.Frame().QueryCommand(ID_WINDOW_CASCADE).enabled);
    }

    void menusHaveUniqueMnemonicsAndDialogsSayDots_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("english") << "en";
        QTest::newRow("danish") << "da";
    }
    void menusHaveUniqueMnemonicsAndDialogsSayDots() {
        QFETCH(QString, language);
        AppRig rig;
        app::AppOptions options = AppRig::OnDevice();
        options.language = language.toStdString();
        QVERIFY(rig.Start(options));
        // The commands that open a dialog before they do anything.
        const std::set<unsigned> dialogs = {ID_FILE_OPEN, ID_FILE_SAVE_AS, ID_OPTIONS, ID_APP_ABOUT, ID_GET_SETUP,
                                            ID_SEND_SETUP, ID_SEND_LANGUAGE, ID_COMPARE_SYSTEM};
        QSet<QChar> topLetters;
        for (QAction* top : rig.Frame().menuBar()->actions()) {
            const QString title = top->text();
            const qsizetype amp = title.indexOf('&');
            QVERIFY2(amp >= 0 && !topLetters.contains(title[amp + 1].toLower()), qPrintable(title));
            topLetters << title[amp + 1].toLower();
            QSet<QChar> letters;
            for (QAction* item : top->menu()->actions()) {
                if (item->isSeparator() || item->menu()) continue;
                const QString text = item->text().section('\t', 0, 0);
                const unsigned id = item->data().toUInt();
                if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + 4) continue;
                const qsizetype at = text.indexOf('&');
                if (at < 0) continue;
                const QChar letter = text[at + 1].toLower();
                QVERIFY2(!letters.contains(letter), qPrintable(title + ": " + text));
                letters << letter;
                QCOMPARE(text.endsWith(QStringLiteral("...")), dialogs.count(id) == 1);
            }
        }
    }

    void fileDialogsOfferTheRightFiltersAndRememberTheirSize() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        FileDialogSeen seen;
        AnswerFileDialog(QString(), &seen);
        rig.Frame().ExecuteCommand(ID_FILE_OPEN);
        QCOMPARE(seen.filters, (QStringList{"All supported files (*.tga *.mtx *.asc *.txt)", "Picture (*.tga)",
                                            "Picture (*.mtx)", "Backup-file (*.asc)", "text-file (*.txt)",
                                            "All Files (*)"}));
        // Wide enough for the columns of the detail view, each as wide as
        // what it shows.
        QVERIFY2(seen.size.width() >= 800 && seen.size.height() >= 500, qPrintable(QString("%1x%2").arg(seen.size.width()).arg(seen.size.height())));
        QStringList narrow;
        AnswerNext<QFileDialog>([&](QFileDialog* dialog) {
            auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
            QTest::qWaitFor([&] { return list && list->model()->rowCount(list->rootIndex()) > 0; }, 5000);
            QTest::qWait(200);
            for (int column = 1; list && column < list->header()->count(); ++column)
                if (list->header()->sectionSize(column) < static_cast<QAbstractItemView*>(list)->sizeHintForColumn(column)) narrow << QString::number(column);
            dialog->reject();
        });
        rig.Frame().ExecuteCommand(ID_FILE_OPEN);
        QVERIFY2(narrow.isEmpty(), qPrintable(narrow.join(',')));
        // The commands name their dialogs.
        AnswerFileDialog(QString(), &seen);
        rig.Frame().ExecuteCommand(ID_GET_SETUP);
        QCOMPARE(seen.title, QStringLiteral("Back up"));
        AnswerFileDialog(QString(), &seen);
        rig.Frame().ExecuteCommand(ID_SEND_SETUP);
        QCOMPARE(seen.title, QStringLiteral("Restore"));
        // The size the user gave one dialog is the next one's.
        AnswerNext<QFileDialog>([](QFileDialog* dialog) {
            dialog->resize(1010, 655);
            dialog->reject();
        });
        rig.Frame().ExecuteCommand(ID_FILE_OPEN);
        AnswerFileDialog(QString(), &seen);
        rig.Frame().ExecuteCommand(ID_SEND_LANGUAGE);
        QCOMPARE(seen.size, QSize(1010, 655));
        QCOMPARE(seen.title, QStringLiteral("Send language"));
    }

    void stripIsASplitterPaneAndTheWindowRemembersItsGeometry() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        rig.Frame().resize(1000, 700);
        QWidget* strip = rig.Frame().m_pStatusFrame;
        auto* splitter = qobject_cast<QSplitter*>(strip->parentWidget());
        QVERIFY(splitter);
        QTRY_COMPARE(strip->width(), rig.Frame().ClientArea()->width() / 4);
        // The user drags the handle to the right.
        QWidget* handle = splitter->handle(1);
        const int before = strip->width();
        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(2, 20));
        QTest::mouseMove(handle, QPoint(152, 20));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(152, 20));
        QTRY_VERIFY2(strip->width() > before + 100, qPrintable(QString::number(strip->width())));
        const double share = static_cast<double>(strip->width()) / rig.Frame().ClientArea()->width();
        // It stays the user's share when the window changes size, and the
        // documents keep to the right of it.
        rig.Frame().resize(1200, 760);
        QTRY_VERIFY(std::abs(static_cast<double>(strip->width()) / rig.Frame().ClientArea()->width() - share) < 0.01);
        QVERIFY(rig.Frame().MdiArea()->x() > strip->geometry().right());
        const QSize size = rig.Frame().size();
        const int width = strip->width();
        // The next start has the window and the strip as they were.
        rig.Stop();
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QTRY_COMPARE(rig.Frame().size(), size);
        QTRY_VERIFY(std::abs(rig.Frame().m_pStatusFrame->width() - width) <= 2);
    }

    void toolbarsAreNamedInWords_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("standard");
        QTest::addColumn<QString>("transfer");
        QTest::newRow("english") << "en" << "Standard" << "Transfer";
        QTest::newRow("danish") << "da" << "Standard" << "Overførsel";
    }
    void toolbarsAreNamedInWords() {
        QFETCH(QString, language);
        QFETCH(QString, standard);
        QFETCH(QString, transfer);
        AppRig rig;
        app::AppOptions options = AppRig::OnDevice();
        options.language = language.toStdString();
        QVERIFY(rig.Start(options));
        QCOMPARE(rig.Frame().FileToolBar()->windowTitle(), standard);
        QCOMPARE(rig.Frame().TransferToolBar()->windowTitle(), transfer);
        // As the menu that hides and shows them lists them.
        std::unique_ptr<QMenu> bars(rig.Frame().createPopupMenu());
        QVERIFY(bars);
        QVERIFY(Items(bars.get()).contains(standard));
        QVERIFY(Items(bars.get()).contains(transfer));
    }

    void everyControlHasAnAccessibleName() {
        AppRig rig;
        QVERIFY(rig.Start());
        QVERIFY(rig.WaitReady());
        QVERIFY(OpenText(rig, "a.txt"));
        for (QWidget* control : Controls(&rig.Frame()))
            QVERIFY2(!AccessibleName(control).isEmpty(),
                     qPrintable(QString("%1 (%2) in %3").arg(control->objectName(), control->metaObject()->className(),
                                                            control->parentWidget()->objectName())));
        QStringList unnamed;
        AnswerNext<app::COptionsDlg>([&](app::COptionsDlg* dialog) {
            for (QWidget* control : Controls(dialog))
                if (AccessibleName(control).isEmpty())
                    unnamed << QString("%1 (%2)").arg(control->objectName(), control->metaObject()->className());
            dialog->reject();
        });
        rig.Frame().ExecuteCommand(ID_OPTIONS);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
    }

    void deviceCommandsWaitForAReadySystem() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QTRY_COMPARE(rig.Frame().Pane(0)->text(), QStringLiteral("Unable to Open COM Port!"));
        rig.Frame().UpdateCommandUI();
        // No system: nothing that needs one runs, and no dialog opens for it;
        // Connect stays, to try again.
        for (unsigned id : {ID_GET_SETUP, ID_SEND_SETUP, ID_GET_PICTURE, ID_GET_MENU, ID_GET_LANGUAGE, ID_SEND_LANGUAGE,
                            ID_COMPARE_SYSTEM}) {
            QVERIFY2(!rig.Frame().QueryCommand(id).enabled, qPrintable(QString::number(id)));
            for (QAction* action : rig.Frame().ActionsFor(id)) QVERIFY(!action->isEnabled());
        }
        QVERIFY(rig.Frame().QueryCommand(ID_CONNECT).enabled);
        QVERIFY(!rig.Frame().ExecuteCommand(ID_GET_SETUP));
        QVERIFY(rig.Frame().MdiArea()->subWindowList().isEmpty());
        // A backup opened by name says why nothing goes.
        const std::string backup = rig.Dir().File("line3.asc");
        WriteFile(backup, "A=1\r\n[END]\r\n");
        QString told;
        AnswerMessageBox(QMessageBox::Ok, &told);
        rig.App().OpenDocumentFile(backup);
        QTRY_COMPARE(told, QStringLiteral("line3.asc was not sent: the vision system is not ready (Unable to Open COM Port!)."));
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
