// The view of a picture document (Targa, MTX): a scrolling picture drawn
// through the core's conversion into a cached 32-bit image and scaled
// without smoothing. It carries the zoom commands as actions of its own,
// tells the value under the mouse, copies the picture, and starts Get
// picture into its document.
#pragma once

#include <QImage>
#include <map>
#include <optional>

#include "app/CDataView.h"

class QAction;

namespace brelko::app {

// A picture as converted for the screen.
struct DrawnPicture {
    QImage image;     // the picture at 1:1, rows top to bottom, 32-bit
    QSize drawnSize;  // the displayed size at the current zoom settings
};

class CPictureView final : public CDataView {
    Q_OBJECT
public:
    CPictureView(CMainFrame& mainFrame, CChildFrame& frame);
    ~CPictureView() override;

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender) override;
    // The five zoom commands; Fit screen and Natural scale carry check marks.
    QAction* CommandAction(unsigned id) const override;
    std::vector<QAction*> CommandActions() const override;

    // Get picture: the starter the main frame calls; true when it runs.
    bool FetchPicture();

    const DrawnPicture& Picture() const { return m_picture; }
    // The picture as drawn, at the current zoom.
    QImage RenderPicture() const;
    // The picture's position at a point of the viewport, if it lies on it.
    std::optional<QPoint> PicturePixelAt(const QPoint& viewportPoint) const;
    // "x 12, y 40: index 7 (R 255, G 0, B 0)" or "x 3, y 9: 0x7C00 (R 31, G 0, B 0)".
    QString PixelDescription(const QPoint& picturePoint) const;
    int PaintCount() const { return m_nPaints; }

signals:
    void pixelHovered(const QString& description);

protected:
    void OnPictureComplete() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void MakeZoomActions();
    void UpdateZoomActions();
    void Zoom(unsigned command);
    void RedrawPicture();
    void UpdateScrollBars();
    void ShrinkFrameToPicture();
    void CopyPicture();

    DrawnPicture m_picture;
    int m_nPaints = 0;
    bool m_bShrinkOnShow = true;
    std::map<unsigned, QAction*> m_zoomActions;  // children of the view
};

}  // namespace brelko::app
