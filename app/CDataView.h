// The view of every data document: a scrolling picture drawn through the
// core's conversion into a cached 32-bit image and scaled without smoothing,
// or a read-only fixed-pitch text control for texts and backups. It carries
// the zoom commands, starts the transfers into and out of its document's data
// object, and takes the data-update messages of those transfers.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <map>
#include <memory>
#include <optional>

#include "Messages.h"
#include "framework/CDocument.h"

class QPlainTextEdit;

namespace brelko {
class CText;
class RestoreCourse;
}

namespace brelko::app {

class CChildFrame;
class CDataDoc;
class CMainFrame;
class OemText;

// A picture as converted for the screen.
struct DrawnPicture {
    QImage image;     // the picture at 1:1, rows top to bottom, 32-bit
    QSize drawnSize;  // the displayed size at the current zoom settings
};

class CDataView final : public QAbstractScrollArea, public CView, public MessageSink {
    Q_OBJECT
public:
    CDataView(CMainFrame& mainFrame, CChildFrame& frame);
    ~CDataView() override;

    CDataDoc* Document() const;
    QWidget* Widget() override { return this; }
    QWidget* Frame() override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* sender) override;
    void OnTitleChanged() override;
    // A picture's zoom commands, null and empty for a text.
    QAction* CommandAction(unsigned id) const override;
    std::vector<QAction*> CommandActions() const override;

    // The transfer starters; each returns true when the transfer runs.
    bool FetchPicture();
    bool FetchBackup();
    bool FetchMenus();
    bool FetchLanguage();
    bool SendBackup();
    bool SendLanguage();
    // A second Esc stopped the restore of this view halfway: the user is
    // told at once.
    void OnRestoreForced();

    // The window that the transfers' data-update messages reach.
    WindowHandle Handle() const;
    void OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void OnDataUpdate(LPARAM what);

    // What the view shows: the text control (texts) or the picture.
    QPlainTextEdit* TextControl() const { return m_wndText; }
    const DrawnPicture& Picture() const { return m_picture; }
    // The picture as drawn, at the current zoom, in a window of `clientSize`.
    QImage RenderPicture() const;
    // The picture's position at a point of the viewport, if it lies on it.
    std::optional<QPoint> PicturePixelAt(const QPoint& viewportPoint) const;
    // "x 12, y 40: index 7 (R 255, G 0, B 0)" or "x 3, y 9: 0x7C00 (R 31, G 0, B 0)".
    QString PixelDescription(const QPoint& picturePoint) const;
    int PaintCount() const { return m_nPaints; }

signals:
    void pixelHovered(const QString& description);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void MapCommands();
    void MakeZoomActions();
    void UpdateZoomActions();
    void Zoom(unsigned command);
    void RedrawPicture();
    void ShowText(bool reset);
    void RequestTextUpdate();
    static constexpr std::size_t kAppendSlice = 32 * 1024;
    void UpdateScrollBars();
    void ShrinkFrameToPicture();
    void OnPictureComplete();
    void OnTextReceived();
    void CopyPicture();
    std::shared_ptr<CText> Text() const;
    // Asks "send anyway?" for a file the system should not get; true to send.
    bool ConfirmSendFile(int kind);
    void OnRestoreStage(int stage);
    void CloseIfEmptyAfterCourse();

    CMainFrame& m_mainFrame;
    CChildFrame& m_frame;
    QPlainTextEdit* m_wndText = nullptr;
    std::unique_ptr<OemText> m_oem;
    std::size_t m_nShownBytes = 0;  // text: the bytes shown so far
    DrawnPicture m_picture;
    int m_nPaints = 0;
    bool m_bShrinkOnShow = true;
    bool m_bTextUpdatePending = false;
    std::unique_ptr<RestoreCourse> m_pRestore;  // the restore of this document, while it runs
    bool m_bForcedTold = false;                 // its stop halfway was told as it was decided
    std::map<unsigned, QAction*> m_zoomActions;  // children of the view
    std::unique_ptr<Window> m_pWnd;  // last: messages reach a complete view
};

}  // namespace brelko::app
