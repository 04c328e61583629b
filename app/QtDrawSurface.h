// The drawing surface of the data view: a 32-bit screen whose client area is
// the view's viewport. The picture's conversion lands in a QImage at the
// picture's own size, kept with the size it is to be shown at; the view scales
// it while painting, without smoothing.
#pragma once

#include <QImage>
#include <QSize>

#include "data/DrawSurface.h"

namespace brelko::app {

class QtDrawSurface final : public DrawSurface {
public:
    explicit QtDrawSurface(QSize clientSize) : m_client(clientSize) {}

    int Depth() const override { return 32; }
    PictureSize ClientSize() const override { return {m_client.width(), m_client.height()}; }
    void StretchCopy(int dstX, int dstY, int dstWidth, int dstHeight, const PixelBuffer& source,
                     bool flipVertical) override;

    // The picture rows top to bottom, as shown.
    const QImage& Image() const { return m_image; }
    QSize DrawnSize() const { return m_drawn; }
    QPoint DrawnAt() const { return m_at; }

private:
    QSize m_client;
    QImage m_image;
    QSize m_drawn;
    QPoint m_at;
};

}  // namespace brelko::app
