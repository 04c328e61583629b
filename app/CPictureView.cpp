#include "app/CPictureView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

#include "app/CChildFrame.h"
#include "app/CDataDocument.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "app/CMainFrame.h"
#include "data/CPicture.h"
#include "exchange/CStatusView.h"
#include "exchange/DeviceCommands.h"
#include "app/QtDrawSurface.h"
#include "res/ResourceIds.h"
#include "app/framework/QtText.h"

namespace brelko::app {

CPictureView::CPictureView(CMainFrame& mainFrame, CChildFrame& frame) : CDataView(mainFrame, frame) {
    MapCommand(ID_EDIT_COPY, [this](unsigned) { CopyPicture(); }, [this](CCmdUI& ui) {
        ui.Enable(!m_picture.image.isNull());
    });
}

CPictureView::~CPictureView() = default;

// ---------------------------------------------------------------- updates

void CPictureView::OnInitialUpdate() {
    MakeZoomActions();
    CDataView::OnInitialUpdate();
}

void CPictureView::OnUpdate(CView* sender) {
    (void)sender;
    if (!Document()) return;
    RedrawPicture();
    UpdateZoomActions();
    OnTitleChanged();
}

void CPictureView::RedrawPicture() {
    CDataDoc* document = Document();
    auto picture = document ? std::dynamic_pointer_cast<CPicture>(document->m_pData) : nullptr;
    m_picture = DrawnPicture{};
    if (picture && picture->m_bValid) {
        // One conversion per picture and zoom state; painting only scales.
        QtDrawSurface surface(viewport()->size());
        picture->Draw(surface);
        m_picture.image = surface.Image();
        m_picture.drawnSize = surface.DrawnSize();
    }
    UpdateScrollBars();
    ShrinkFrameToPicture();
    viewport()->update();
}

void CPictureView::UpdateScrollBars() {
    const QSize total = m_picture.image.isNull() ? QSize(0, 0) : m_picture.drawnSize;
    const QSize page = viewport()->size();
    // The scroll steps: a page is a tenth of the total, a line a tenth of a page.
    auto set = [](QScrollBar* bar, int totalSize, int pageSize) {
        bar->setRange(0, std::max(0, totalSize - pageSize));
        bar->setPageStep(std::max(1, std::max(pageSize, totalSize / 10)));
        bar->setSingleStep(std::max(1, totalSize / 100));
    };
    set(horizontalScrollBar(), total.width(), page.width());
    set(verticalScrollBar(), total.height(), page.height());
}

void CPictureView::ShrinkFrameToPicture() {
    // Only a shown frame has its real size; a new one shrinks when it shows.
    if (m_picture.image.isNull() || !m_frame.isVisible() || m_frame.isMaximized() || m_frame.isMinimized()) return;
    // The frame shrinks to the picture, never grows.
    const QSize picture = m_picture.drawnSize;
    const QSize client = viewport()->size();
    const int dw = std::max(0, client.width() - picture.width());
    const int dh = std::max(0, client.height() - picture.height());
    if (dw == 0 && dh == 0) return;
    m_frame.resize(m_frame.width() - dw, m_frame.height() - dh);
}

// ---------------------------------------------------------------- painting

void CPictureView::paintEvent(QPaintEvent* event) {
    ++m_nPaints;
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    painter.fillRect(exposed, palette().base());
    if (m_picture.image.isNull() || m_picture.drawnSize.isEmpty()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QPoint origin(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    const QRect target(origin, m_picture.drawnSize);
    const QRect area = exposed & target;
    if (area.isEmpty()) return;
    // The picture pixels under the exposed area, widened to whole pixels, and
    // where their blocks lie: the same edges whatever part is repainted.
    const int iw = m_picture.image.width(), ih = m_picture.image.height();
    const int tw = target.width(), th = target.height();
    const auto toPicture = [](int offset, int size, int picture) {
        return static_cast<int>(static_cast<long long>(offset) * picture / size);
    };
    const auto toScreen = [](int pixel, int size, int picture) {
        return static_cast<int>(static_cast<long long>(pixel) * size / picture);
    };
    // [a0, a1) is the exposed span in the picture's screen coordinates.
    const int ax0 = area.left() - target.left(), ax1 = area.right() + 1 - target.left();
    const int ay0 = area.top() - target.top(), ay1 = area.bottom() + 1 - target.top();
    const int sx0 = toPicture(ax0, tw, iw), sy0 = toPicture(ay0, th, ih);
    const int sx1 = std::min(iw, static_cast<int>((static_cast<long long>(ax1) * iw + tw - 1) / tw));
    const int sy1 = std::min(ih, static_cast<int>((static_cast<long long>(ay1) * ih + th - 1) / th));
    const QRect source(sx0, sy0, sx1 - sx0, sy1 - sy0);
    const QRect blocks(QPoint(target.left() + toScreen(sx0, tw, iw), target.top() + toScreen(sy0, th, ih)),
                       QPoint(target.left() + toScreen(sx1, tw, iw) - 1, target.top() + toScreen(sy1, th, ih) - 1));
    painter.setClipRect(area);
    painter.drawImage(blocks, m_picture.image, source);
}

void CPictureView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    CDataDoc* document = Document();
    if (document && document->m_pData && document->m_pData->m_bFitToWindow) RedrawPicture();
    else UpdateScrollBars();
}

void CPictureView::scrollContentsBy(int dx, int dy) { viewport()->scroll(dx, dy); }

void CPictureView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    if (m_bShrinkOnShow) {
        m_bShrinkOnShow = false;
        // The frame has its size now: the first drawing's shrinking happens here.
        QTimer::singleShot(0, this, [this] {
            UpdateScrollBars();
            ShrinkFrameToPicture();
        });
    }
}

QImage CPictureView::RenderPicture() const {
    if (m_picture.image.isNull()) return {};
    return m_picture.image.scaled(m_picture.drawnSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// ---------------------------------------------------------------- the mouse

std::optional<QPoint> CPictureView::PicturePixelAt(const QPoint& point) const {
    if (m_picture.image.isNull() || m_picture.drawnSize.isEmpty()) return std::nullopt;
    const int x = point.x() + horizontalScrollBar()->value();
    const int y = point.y() + verticalScrollBar()->value();
    if (x < 0 || y < 0 || x >= m_picture.drawnSize.width() || y >= m_picture.drawnSize.height()) return std::nullopt;
    return QPoint(static_cast<int>(static_cast<long long>(x) * m_picture.image.width() / m_picture.drawnSize.width()),
                  static_cast<int>(static_cast<long long>(y) * m_picture.image.height() / m_picture.drawnSize.height()));
}

QString CPictureView::PixelDescription(const QPoint& at) const {
    CDataDoc* document = Document();
    auto picture = document ? std::dynamic_pointer_cast<CPicture>(document->m_pData) : nullptr;
    if (!picture) return {};
    const std::optional<PixelInfo> pixel = picture->PixelAt(at.x(), at.y());
    if (!pixel) return {};
    const RgbQuad& c = pixel->color;
    if (pixel->bitsPerPixel == 8)
        return Q(FormatArgs(LoadString(IDS_PIXEL_INDEXED), {std::to_string(at.x()), std::to_string(at.y()),
                                                             std::to_string(pixel->index), std::to_string(c.red),
                                                             std::to_string(c.green), std::to_string(c.blue)}));
    char value[8];
    std::snprintf(value, sizeof value, "0x%04X", pixel->value);
    return Q(FormatArgs(LoadString(IDS_PIXEL_15BIT),
                        {std::to_string(at.x()), std::to_string(at.y()), value, std::to_string((pixel->value >> 10) & 31),
                         std::to_string((pixel->value >> 5) & 31), std::to_string(pixel->value & 31)}));
}

void CPictureView::mouseMoveEvent(QMouseEvent* event) {
    QAbstractScrollArea::mouseMoveEvent(event);
    const std::optional<QPoint> at = PicturePixelAt(event->position().toPoint());
    const QString text = at ? PixelDescription(*at) : QString();
    if (text.isEmpty()) m_mainFrame.statusBar()->clearMessage();
    else m_mainFrame.statusBar()->showMessage(text);
    emit pixelHovered(text);
}

void CPictureView::wheelEvent(QWheelEvent* event) {
    // Ctrl and the wheel zoom, as in every picture viewer.
    if (event->modifiers().testFlag(Qt::ControlModifier) && Document() && Document()->IsPicture()) {
        const int steps = event->angleDelta().y();
        if (steps != 0) m_mainFrame.ExecuteCommand(steps > 0 ? ID_ZOOM_IN : ID_ZOOM_OUT);
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

// ---------------------------------------------------------------- zoom and copy

void CPictureView::MakeZoomActions() {
    // Only a picture zooms: a text or backup window carries no zoom command,
    // and the menu's items are greyed and unticked there.
    CDataDoc* document = Document();
    if (!m_zoomActions.empty() || !document || !document->IsPicture()) return;
    for (unsigned id : {ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_1TO1, ID_ZOOM_FIT, ID_ZOOM_NATURAL}) {
        auto* action = new QAction(this);
        action->setData(id);
        action->setCheckable(id == ID_ZOOM_FIT || id == ID_ZOOM_NATURAL);
        connect(action, &QAction::triggered, this, [this, id] { Zoom(id); });
        m_zoomActions.emplace(id, action);
    }
    UpdateZoomActions();
}

void CPictureView::UpdateZoomActions() {
    CDataDoc* document = Document();
    const CData* data = document ? document->m_pData.get() : nullptr;
    for (const auto& [id, action] : m_zoomActions) {
        if (id == ID_ZOOM_FIT) action->setChecked(data && data->m_bFitToWindow);
        if (id == ID_ZOOM_NATURAL) action->setChecked(data && data->m_bNaturalScale);
    }
}

QAction* CPictureView::CommandAction(unsigned id) const {
    const auto it = m_zoomActions.find(id);
    return it == m_zoomActions.end() ? nullptr : it->second;
}

std::vector<QAction*> CPictureView::CommandActions() const {
    std::vector<QAction*> actions;
    for (const auto& [id, action] : m_zoomActions) actions.push_back(action);
    return actions;
}

void CPictureView::Zoom(unsigned command) {
    CDataDoc* document = Document();
    if (!document || !document->m_pData) return;
    CData& data = *document->m_pData;
    switch (command) {
    case ID_ZOOM_IN: data.ZoomIn(); break;
    case ID_ZOOM_OUT: data.ZoomOut(); break;
    case ID_ZOOM_1TO1: data.ZoomActualSize(); break;
    case ID_ZOOM_FIT: data.ToggleFitToWindow(); break;
    case ID_ZOOM_NATURAL: data.ToggleNaturalScale(); break;
    default: return;
    }
    document->CDocument::UpdateAllViews(nullptr);
}

void CPictureView::CopyPicture() {
    if (m_picture.image.isNull()) return;
    QApplication::clipboard()->setImage(m_picture.image);
}

// ---------------------------------------------------------------- Get picture

bool CPictureView::FetchPicture() {
    CDataDoc* document = Document();
    brelko::CStatusView* status = m_mainFrame.StatusLogic();
    if (!document || !status || !document->m_pData) return false;
    if (!status->Line().m_bReady) {
        // The empty picture window goes again.
        CloseLater(document, &m_frame);
        return false;
    }
    const CommandStart started = brelko::FetchPicture(*status, *document->m_pData, Handle());
    if (started == CommandStart::NotReady) CloseLater(document, &m_frame);
    if (started == CommandStart::Started) CloseIfEmptyAfterCourse();
    return started == CommandStart::Started;
}

void CPictureView::OnPictureComplete() {
    CDataDoc* document = Document();
    if (!document) return;
    RedrawPicture();
    OnTitleChanged();
    document->SetModifiedFlag(true);
    // The question waits for any message box already up (a checksum error).
    QPointer<QWidget> guard(&m_frame);
    m_mainFrame.RunWhenNoModal([guard, document] {
        if (guard && !document->IsClosing()) document->SaveModified();
    });
}

}  // namespace brelko::app
