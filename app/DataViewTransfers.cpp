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
    (void)wParam;
    if (msg == WM_DATA_UPDATE) OnDataUpdate(lParam);
}

void CDataView::OnDataUpdate(LPARAM what) {
    viewport()->update();
    switch (what) {
    case 0:  // the text grew
        RequestTextUpdate();
        break;
    case 1:
        OnPictureComplete();
        break;
    case 2:
        RequestTextUpdate();
        OnTextReceived();
        break;
    default:  // 3: a sending ended
        break;
    }
}

}  // namespace brelko::app
