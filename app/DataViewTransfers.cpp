// The data views' part in the transfers that both kinds share: no empty
// window is left behind once a course has ended, however it ended, and the
// workers' data-update messages reach the kind of view they concern.
#include <QPointer>
#include <QTimer>

#include "app/CChildFrame.h"
#include "app/CDataDocument.h"
#include "app/CDataView.h"
#include "app/CMainFrame.h"
#include "data/CText.h"

namespace brelko::app {

// ---------------------------------------------------------------- transfers

void CDataView::CloseLater(CDataDoc* document, QWidget* frame) {
    QPointer<QWidget> guard(frame);
    QTimer::singleShot(0, frame, [guard, document] {
        if (guard && !document->IsClosing()) document->OnCloseDocument();
    });
}

void CDataView::CloseIfEmptyAfterCourse() {
    // A failed or cancelled reception leaves no empty window: a picture that
    // did not come closes, so does a text of which nothing came. A text cut
    // short stays, asked about before it closes.
    CDataDoc* document = Document();
    m_mainFrame.WhenCourseEnds(&m_frame, [this, document] {
        if (!document || document->IsClosing()) return;
        const auto text = std::dynamic_pointer_cast<CText>(document->m_pData);
        const bool empty = document->IsPicture() ? !document->m_pData || !document->m_pData->m_bValid
                                                 : !text || text->GetLength() == 0;
        if (empty) CloseLater(document, &m_frame);
    });
}

void CDataView::OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (const std::optional<DataUpdate> update = DecodeDataUpdate(msg, wParam, lParam)) OnDataUpdate(update->kind);
}

void CDataView::OnDataUpdate(DataUpdateKind what) {
    viewport()->update();
    switch (what) {
    case DataUpdateKind::ContentGrew:
        RequestTextUpdate();
        break;
    case DataUpdateKind::PictureComplete:
        OnPictureComplete();
        break;
    case DataUpdateKind::TextReceived:
        RequestTextUpdate();
        OnTextReceived();
        break;
    case DataUpdateKind::TextSent:
        break;
    }
}

}  // namespace brelko::app
