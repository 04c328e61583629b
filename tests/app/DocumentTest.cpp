// Data documents and their views in the window: Save As with its filters,
// folders and proposed names, the MTX picture that becomes Targa on the way,
// the question before a modified document closes, zoom and its commands, the
// picture drawn in sharp blocks, the value under the mouse, and device text
// shown with its Danish letters.
#include <QAction>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "tests/support/AppRig.h"
#include "app/CDataDocument.h"
#include "app/CPictureView.h"
#include "app/CTextView.h"
#include "data/CMTX.h"
#include "data/CText.h"
#include "app/OemText.h"
#include "app/framework/CDocTemplate.h"
#include "tests/data/PictureFiles.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"

using namespace brelko;
using namespace brelko::test;

namespace {

// 4 x 3, 8 bits: red, green, blue and white in distinct places.
Bytes SmallMtx8() {
    Mtx8Spec spec;
    spec.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    spec.pixels = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 3, 3};
    return MakeMtx8(spec);
}

struct Opened {
    app::CDataDoc* document = nullptr;
    app::CDataView* view = nullptr;
    app::CPictureView* pictureView = nullptr;  // the same view, of a picture
    app::CTextView* textView = nullptr;        // the same view, of a text
};

Opened OpenFile(AppRig& rig, const std::string& name, const Bytes& bytes) {
    const std::string file = rig.Dir().File(name);
    WriteFileBytes(file, bytes);
    Opened opened;
    opened.document = dynamic_cast<app::CDataDoc*>(rig.App().OpenDocumentFile(file));
    if (opened.document) opened.view = dynamic_cast<app::CDataView*>(opened.document->GetFirstView());
    opened.pictureView = dynamic_cast<app::CPictureView*>(opened.view);
    opened.textView = dynamic_cast<app::CTextView*>(opened.view);
    return opened;
}

QMdiSubWindow* FrameOf(const Opened& opened) { return qobject_cast<QMdiSubWindow*>(opened.view->Frame()); }

// A file or folder by what it is, whatever form its name was given in
// (Windows names one with either slash and in more than one spelling).
QString Canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }
QString Canonical(const std::string& path) { return Canonical(QString::fromStdString(path)); }

}  // namespace

class DocumentTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        UnloadLanguageLibrary();
        SetBuiltinLanguage(Language::English);
    }

    void saveAsFilters_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("filters");
        QTest::newRow("mtx") << "a.mtx" << QStringList{"Picture (*.mtx)", "Picture (*.tga)", "PNG (*.png)"};
        QTest::newRow("tga") << "a.tga" << QStringList{"Picture (*.tga)", "PNG (*.png)"};
        QTest::newRow("txt") << "a.txt" << QStringList{"text-file (*.txt)"};
    }
    void saveAsFilters() {
        QFETCH(QString, name);
        QFETCH(QStringList, filters);
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        Opened opened;
        if (name.endsWith(".txt")) {
            opened = OpenFile(rig, "a.txt", Bytes{'h', 'i', '\n'});
        } else {
            opened = OpenFile(rig, "src.mtx", SmallMtx8());
            if (name.endsWith(".tga")) {
                // A Targa document: saved once as Targa, then opened as such.
                QVERIFY(opened.document->OnSaveDocument(rig.Dir().File("a.tga"), nullptr));
                opened = OpenFile(rig, "a.tga", ReadFileBytes(rig.Dir().File("a.tga")));
            }
        }
        QVERIFY(opened.document);
        FileDialogSeen seen;
        AnswerFileDialog(QString(), &seen);
        rig.Frame().ExecuteCommand(ID_FILE_SAVE_AS);
        QCOMPARE(seen.filters, filters);
    }

    void saveAsFoldersAndProposedName() {
        AppRig rig;
        const std::string data = rig.Dir().File("data");
        QDir().mkpath(QString::fromStdString(data));
        rig.WriteIni("[Custom]\nDirectory=" + data + "\n");
        QVERIFY(rig.Start(AppRig::OnDevice()));
        // A picture never saved (as received) proposes no name and starts in
        // the data folder.
        auto* received = dynamic_cast<app::CDataDoc*>(rig.App().m_pPictureTemplate->OpenDocumentFile(""));
        QVERIFY(received);
        auto mtx = std::make_shared<CMTX>();
        WriteFileBytes(rig.Dir().File("in.mtx"), SmallMtx8());
        QVERIFY(mtx->LoadFile(rig.Dir().File("in.mtx")));
        received->m_pData = mtx;
        FileDialogSeen seen;
        const QString target = QString::fromStdString(rig.Dir().File("saved/x.mtx"));
        QDir().mkpath(QFileInfo(target).absolutePath());
        AnswerFileDialog(target, &seen);
        rig.Frame().ExecuteCommand(ID_FILE_SAVE_AS);
        QCOMPARE(Canonical(seen.directory), Canonical(data));
        QVERIFY(QFileInfo(seen.selected).isDir() || seen.selected.isEmpty() || QFileInfo(seen.selected).fileName().isEmpty());
        QCOMPARE(seen.suffix, QStringLiteral("mtx"));
        QVERIFY(QFileInfo::exists(target));
        QCOMPARE(Canonical(received->GetPathName()), Canonical(target));
        QCOMPARE(Canonical(rig.App().m_strPicturePath), Canonical(target));
        // A saved picture proposes its path without the last four characters,
        // which leads the dialog to its folder.
        AnswerFileDialog(QString(), &seen);
        rig.Frame().ExecuteCommand(ID_FILE_SAVE_AS);
        QCOMPARE(Canonical(seen.directory), Canonical(QFileInfo(target).absolutePath()));
        QCOMPARE(QFileInfo(seen.selected).completeBaseName(), QStringLiteral("x"));
        // The next new picture starts where the last one was saved.
        auto* another = dynamic_cast<app::CDataDoc*>(rig.App().m_pPictureTemplate->OpenDocumentFile(""));
        another->m_pData = mtx;
        AnswerFileDialog(QString(), &seen);
        rig.Frame().ExecuteCommand(ID_FILE_SAVE_AS);
        QCOMPARE(Canonical(seen.directory), Canonical(QFileInfo(target).absolutePath()));
        // A new text document starts in the data folder until a text was saved.
        auto* text = dynamic_cast<app::CDataDoc*>(rig.App().m_pTextTemplate->OpenDocumentFile(""));
        text->m_pData = CText::Create();
        AnswerFileDialog(QString(), &seen);
        rig.Frame().ExecuteCommand(ID_FILE_SAVE_AS);
        QCOMPARE(Canonical(seen.directory), Canonical(data));
    }

    void mtxSavedAsTargaStaysTarga() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        Opened picture = OpenFile(rig, "shot.mtx", SmallMtx8());
        const QString tga = QString::fromStdString(rig.Dir().File("x.tga"));
        AnswerFileDialog(tga);
        rig.Frame().ExecuteCommand(ID_FILE_SAVE_AS);
        const Bytes targa = ReadFileBytes(tga.toStdString());
        QVERIFY(targa.size() > 18);
        QCOMPARE(int(targa[2]), 1);  // colour-mapped Targa
        // Saved again under an MTX name, it is still the Targa picture.
        const QString mtx = QString::fromStdString(rig.Dir().File("y.mtx"));
        AnswerFileDialog(mtx);
        rig.Frame().ExecuteCommand(ID_FILE_SAVE_AS);
        QVERIFY(ReadFileBytes(mtx.toStdString()) == targa);
        QVERIFY(picture.document->Kind() == app::DataDocKind::Mtx);
    }

    void saveAsFollowsTheChosenFilter_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("format");
        // No extension: the filter decides; a known one decides itself; an
        // unknown one gets the filter's, never a third format.
        QTest::newRow("png, no extension") << "PNG (*.png)" << "pic2" << "pic2.png" << "png";
        QTest::newRow("targa, no extension") << "Picture (*.tga)" << "pic2" << "pic2.tga" << "tga";
        QTest::newRow("mtx, no extension") << "Picture (*.mtx)" << "pic2" << "pic2.mtx" << "mtx";
        QTest::newRow("png filter, .tga name") << "PNG (*.png)" << "pic2.tga" << "pic2.tga" << "tga";
        QTest::newRow("targa filter, unknown extension") << "Picture (*.tga)" << "pic2.v3" << "pic2.v3.tga" << "tga";
    }
    void saveAsFollowsTheChosenFilter() {
        QFETCH(QString, filter);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QString, format);
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        Opened picture = OpenFile(rig, "shot.mtx", SmallMtx8());
        QVERIFY(picture.document);
        AnswerFileDialog(QString::fromStdString(rig.Dir().File(typed.toStdString())), nullptr, filter);
        rig.Frame().ExecuteCommand(ID_FILE_SAVE_AS);
        const QDir dir(QString::fromStdString(rig.Dir().Path()));
        QStringList made = dir.entryList({"pic2*"}, QDir::Files);
        QCOMPARE(made, QStringList{written});
        const Bytes bytes = ReadFileBytes(rig.Dir().File(written.toStdString()));
        QVERIFY(bytes.size() > 8);
        if (format == "png") QCOMPARE(QImage(dir.filePath(written)).size(), QSize(4, 3));
        if (format == "tga") QCOMPARE(int(bytes[2]), 1);  // colour-mapped Targa
        if (format == "mtx") QVERIFY(bytes == SmallMtx8());
    }

    void targaMadeFromAnMtxIsDescribedInTheUsersLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("description");
        QTest::newRow("english") << "en" << "8 bit TGA picture 4x3";
        QTest::newRow("danish") << "da" << "8 bit TGA billede 4x3";
    }
    void targaMadeFromAnMtxIsDescribedInTheUsersLanguage() {
        QFETCH(QString, language);
        QFETCH(QString, description);
        AppRig rig;
        app::AppOptions options = AppRig::OnDevice();
        options.language = language.toStdString();
        QVERIFY(rig.Start(options));
        Opened picture = OpenFile(rig, "shot.mtx", SmallMtx8());
        AnswerFileDialog(QString::fromStdString(rig.Dir().File("x.tga")));
        rig.Frame().ExecuteCommand(ID_FILE_SAVE_AS);
        QCOMPARE(QString::fromStdString(picture.document->m_pData->GetDescription()), description);
        // The title and the strip's line about the document say the same.
        QVERIFY2(FrameOf(picture)->windowTitle().endsWith(description), qPrintable(FrameOf(picture)->windowTitle()));
        QTRY_COMPARE(QString::fromStdString(rig.Status().Lines().size() > 2 ? rig.Status().Lines()[2] : ""), description);
    }

    void pngIsACopy() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        Opened picture = OpenFile(rig, "shot.mtx", SmallMtx8());
        const std::string path = picture.document->GetPathName();
        const QString png = QString::fromStdString(rig.Dir().File("shot.png"));
        AnswerFileDialog(png);
        rig.Frame().ExecuteCommand(ID_FILE_SAVE_AS);
        QImage image(png);
        QCOMPARE(image.size(), QSize(4, 3));
        QCOMPARE(image.pixelColor(0, 0), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(3, 0), QColor(255, 255, 255));
        QCOMPARE(picture.document->GetPathName(), path);  // the document keeps its file
    }

    void questionBeforeClosing_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveAsShown");
        QTest::addColumn<bool>("closed");
        QTest::newRow("yes, then cancel the dialog") << int(QMessageBox::Yes) << true << false;
        QTest::newRow("no") << int(QMessageBox::No) << false << true;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false << false;
    }
    void questionBeforeClosing() {
        QFETCH(int, answer);
        QFETCH(bool, saveAsShown);
        QFETCH(bool, closed);
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        Opened picture = OpenFile(rig, "shot.mtx", SmallMtx8());
        picture.document->SetModifiedFlag(true);
        QString question;
        AnswerMessageBox(QMessageBox::StandardButton(answer), &question);
        FileDialogSeen seen;
        if (saveAsShown) AnswerFileDialog(QString(), &seen);
        rig.Frame().ExecuteCommand(ID_FILE_CLOSE);
        QCOMPARE(question, QStringLiteral("Save changes to shot.mtx?"));
        QCOMPARE(!seen.filters.isEmpty(), saveAsShown);
        if (closed) QTRY_VERIFY(rig.Frame().MdiArea()->subWindowList().isEmpty());
        else QCOMPARE(rig.Frame().MdiArea()->subWindowList().size(), 1);
    }

    void zoomActionsBelongToPictureViews() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        auto& frame = rig.Frame();
        // A text window before any picture: the zoom items are greyed, and
        // the two modes show an empty box.
        Opened first = OpenFile(rig, "first.txt", Bytes{'x', '\n'});
        QVERIFY(first.view);
        for (unsigned id = ID_ZOOM_IN; id <= ID_ZOOM_NATURAL; ++id)
            for (QAction* item : frame.ActionsFor(id)) {
                QCOMPARE(item->isEnabled(), false);
                QCOMPARE(item->isCheckable(), id == ID_ZOOM_FIT || id == ID_ZOOM_NATURAL);
                QCOMPARE(item->isChecked(), false);
            }
        Opened picture = OpenFile(rig, "shot.mtx", SmallMtx8());
        QVERIFY(picture.view);
        // A picture view carries the five zoom commands as its own actions;
        // Fit screen and Natural scale are the two with a check mark.
        QCOMPARE(picture.view->CommandActions().size(), std::size_t{5});
        for (unsigned id = ID_ZOOM_IN; id <= ID_ZOOM_NATURAL; ++id) {
            QAction* action = picture.view->CommandAction(id);
            QVERIFY(action);
            QCOMPARE(action->data().toUInt(), id);
            QCOMPARE(action->isCheckable(), id == ID_ZOOM_FIT || id == ID_ZOOM_NATURAL);
        }
        // The menu follows the view's action at once, both ways.
        QVERIFY(frame.ExecuteCommand(ID_ZOOM_FIT));
        QCOMPARE(picture.view->CommandAction(ID_ZOOM_FIT)->isChecked(), true);
        for (QAction* item : frame.ActionsFor(ID_ZOOM_FIT)) {
            QCOMPARE(item->isEnabled(), true);
            QCOMPARE(item->isChecked(), true);
        }
        picture.view->CommandAction(ID_ZOOM_FIT)->trigger();  // as a shortcut of the view would
        QCOMPARE(picture.document->m_pData->m_bFitToWindow, 0);
        for (QAction* item : frame.ActionsFor(ID_ZOOM_FIT)) QCOMPARE(item->isChecked(), false);
        QVERIFY(frame.ExecuteCommand(ID_ZOOM_FIT));

        // A text view has none; with it active the zoom items are greyed and
        // unticked as soon as it is, though the picture still fits its window.
        Opened text = OpenFile(rig, "notes.txt", Bytes{'x', '\n'});
        QVERIFY(text.view);
        QVERIFY(text.view->CommandActions().empty());
        for (unsigned id = ID_ZOOM_IN; id <= ID_ZOOM_NATURAL; ++id) QVERIFY(!text.view->CommandAction(id));
        frame.MdiArea()->setActiveSubWindow(FrameOf(text));
        QCOMPARE(frame.GetActiveView(), static_cast<app::CView*>(text.view));
        for (unsigned id = ID_ZOOM_IN; id <= ID_ZOOM_NATURAL; ++id)
            for (QAction* item : frame.ActionsFor(id)) {
                QCOMPARE(item->isEnabled(), false);
                QCOMPARE(item->isChecked(), false);
            }
        QVERIFY(!frame.ExecuteCommand(ID_ZOOM_IN));
        // Back on the picture, its state is there again at once.
        frame.MdiArea()->setActiveSubWindow(FrameOf(picture));
        for (QAction* item : frame.ActionsFor(ID_ZOOM_FIT)) {
            QCOMPARE(item->isEnabled(), true);
            QCOMPARE(item->isChecked(), true);
        }
    }

    void zoomCommands() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        Opened picture = OpenFile(rig, "shot.mtx", SmallMtx8());
        CData& data = *picture.document->m_pData;
        auto& frame = rig.Frame();
        QVERIFY(frame.ExecuteCommand(ID_ZOOM_NATURAL));
        QVERIFY(frame.ExecuteCommand(ID_ZOOM_IN));
        QVERIFY(frame.ExecuteCommand(ID_ZOOM_IN));
        QCOMPARE(picture.pictureView->Picture().drawnSize.width(), 16);
        QVERIFY(frame.ExecuteCommand(ID_ZOOM_1TO1));
        QCOMPARE(picture.pictureView->Picture().drawnSize.width(), 4);  // back to the stored size
        QCOMPARE(data.m_bNaturalScale, 1);                      // natural scale stays on
        QCOMPARE(frame.QueryCommand(ID_ZOOM_NATURAL).checked.value_or(false), true);
        QVERIFY(frame.ExecuteCommand(ID_ZOOM_FIT));
        QCOMPARE(data.m_bNaturalScale, 0);  // fit turns natural scale off
        QCOMPARE(frame.QueryCommand(ID_ZOOM_FIT).checked.value_or(false), true);
        QCOMPARE(picture.pictureView->Picture().drawnSize, picture.pictureView->viewport()->size());
        QVERIFY(frame.ExecuteCommand(ID_ZOOM_NATURAL));
        QCOMPARE(data.m_bFitToWindow, 0);  // natural scale turns fit off
        QVERIFY(frame.ExecuteCommand(ID_ZOOM_OUT));
        QCOMPARE(data.m_nZoom, -1);
        // Text windows have no zoom.
        OpenFile(rig, "notes.txt", Bytes{'x', '\n'});
        for (unsigned id = ID_ZOOM_IN; id <= ID_ZOOM_NATURAL; ++id) {
            const app::CCmdUI ui = frame.QueryCommand(id);
            QVERIFY(!ui.enabled);
            QVERIFY(!ui.checked.value_or(false));
        }
    }

    void frameShrinksToThePictureAndNeverGrows() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        Opened small = OpenFile(rig, "small.mtx", SmallMtx8());
        QMdiSubWindow* frame = FrameOf(small);
        QTRY_COMPARE(small.pictureView->viewport()->size(), QSize(4, 3));
        // Zoomed past the window's size, the window keeps its size.
        const QSize before = frame->size();
        for (int i = 0; i < 10; ++i) rig.Frame().ExecuteCommand(ID_ZOOM_IN);
        QCOMPARE(frame->size(), before);
        QVERIFY(small.pictureView->horizontalScrollBar()->maximum() > 0);
    }

    void pictureDrawsInSharpBlocks() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        Opened picture = OpenFile(rig, "shot.mtx", SmallMtx8());
        QTRY_COMPARE(picture.pictureView->viewport()->size(), QSize(4, 3));
        // Zoomed in, the shrunk window keeps its size; the user makes it larger.
        for (int i = 0; i < 3; ++i) rig.Frame().ExecuteCommand(ID_ZOOM_IN);  // 8 times: 32 x 24
        FrameOf(picture)->resize(400, 300);
        QTRY_VERIFY(picture.pictureView->viewport()->width() > 32);
        const QImage shown = picture.pictureView->viewport()->grab().toImage();
        // Every picture pixel is an 8 x 8 block of one colour, edges included.
        const QColor expected[3][4] = {{Qt::red, Qt::green, Qt::blue, Qt::white},
                                       {Qt::white, Qt::blue, Qt::green, Qt::red},
                                       {Qt::green, Qt::green, Qt::white, Qt::white}};
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 32; ++x) QCOMPARE(shown.pixelColor(x, y), expected[y / 8][x / 8]);
        // A part repainted alone shows the same as the whole.
        picture.pictureView->viewport()->repaint(QRect(5, 3, 13, 9));
        QCOMPARE(picture.pictureView->viewport()->grab().toImage(), shown);
    }

    void valueUnderTheMouse() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        Opened eight = OpenFile(rig, "eight.mtx", SmallMtx8());
        QCOMPARE(eight.pictureView->PixelDescription(QPoint(2, 0)), QStringLiteral("x 2, y 0: index 2 (R 0, G 0, B 255)"));
        Mtx16Spec spec;
        spec.width = 2, spec.height = 2, spec.bottomUp = 1;
        spec.pixels = {Pack15(31, 0, 0), Pack15(0, 31, 0), Pack15(0, 0, 31), Pack15(1, 2, 3)};
        Opened sixteen = OpenFile(rig, "sixteen.mtx", MakeMtx16(spec));
        // Bottom-up: the first stored row shows at the bottom.
        QCOMPARE(sixteen.pictureView->PixelDescription(QPoint(0, 1)), QStringLiteral("x 0, y 1: 0x7C00 (R 31, G 0, B 0 of 31)"));
        QCOMPARE(sixteen.pictureView->PixelDescription(QPoint(1, 0)), QStringLiteral("x 1, y 0: 0x0443 (R 1, G 2, B 3 of 31)"));
        for (int i = 0; i < 2; ++i) rig.Frame().ExecuteCommand(ID_ZOOM_IN);
        QCOMPARE(sixteen.pictureView->PicturePixelAt(QPoint(5, 2)).value_or(QPoint(-1, -1)), QPoint(1, 0));
        QVERIFY(!sixteen.pictureView->PicturePixelAt(QPoint(9, 2)));
    }

    void copyPutsThePictureOnTheClipboard() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        QVERIFY(OpenFile(rig, "shot.mtx", SmallMtx8()).view);
        rig.Frame().ExecuteCommand(ID_ZOOM_IN);
        QVERIFY(rig.Frame().ExecuteCommand(ID_EDIT_COPY));
        const QImage copied = QApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(4, 3));  // as drawn at 1:1
        QCOMPARE(copied.pixelColor(1, 0), QColor(Qt::green));
    }

    void textShowsDanishLettersAndKeepsItsBytes() {
        AppRig rig;
        QVERIFY(rig.Start(AppRig::OnDevice()));
        // Code page 850: æ 0x91, ø 0x9B, å 0x86, Æ 0x92, Ø 0x9D, Å 0x8F.
        const Bytes bytes = {'K', 0x91, 'r', ' ', 0x9B, 'l', ' ', 0x86, 0x0D, 0x0A, 0x92, 0x9D, 0x8F, 0x0D, 0x0A};
        Opened text = OpenFile(rig, "sprog.txt", bytes);
        QVERIFY(text.view);
        QCOMPARE(text.textView->TextControl()->toPlainText(), QStringLiteral("Kær øl å\nÆØÅ\n"));
        // The document keeps the bytes as they came.
        const std::string saved = rig.Dir().File("copy.txt");
        QVERIFY(text.document->OnSaveDocument(saved, nullptr));
        QVERIFY(ReadFileBytes(saved) == bytes);
    }

    void oemTextIsConvertedPieceByPiece() {
        app::OemText oem;
        // A CR LF pair split between two pieces makes one line end.
        QCOMPARE(QString::fromStdString(oem.ToDisplay("a\r")), QStringLiteral("a\n"));
        QCOMPARE(QString::fromStdString(oem.ToDisplay("\nb\x91")), QStringLiteral("bæ"));
        QCOMPARE(QString::fromStdString(oem.ToDisplay(std::string("c\0d\re", 5))), QStringLiteral("cd\ne"));
        // The program's own words into the code page: a character it lacks
        // (the euro sign, a broken sequence) becomes one '?'.
        QCOMPARE(app::OemText::FromDisplay("ændret Å ø"), std::string("\x91ndret \x8F \x9B"));
        QCOMPARE(app::OemText::FromDisplay("5 €, \xC3 end"), std::string("5 ?, ? end"));
    }
};

QTEST_MAIN(DocumentTest)
#include "DocumentTest.moc"
