#include "app/CTextView.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSyntaxHighlighter>
#include <QTextCursor>
#include <QTimer>

#include "app/CDataDocument.h"
#include "data/CText.h"
#include "app/OemText.h"
#include "res/ResourceIds.h"
#include "exchange/RestoreCourse.h"
#include "app/framework/QtText.h"

namespace brelko::app {

namespace {

// The changed lines of a comparison: taken away in red, brought in green.
class ComparisonMarks final : public QSyntaxHighlighter {
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

protected:
    void highlightBlock(const QString& text) override {
        QTextCharFormat format;
        if (text.startsWith(QStringLiteral("- "))) format.setBackground(QColor(255, 214, 214));
        else if (text.startsWith(QStringLiteral("+ "))) format.setBackground(QColor(208, 244, 208));
        else return;
        setFormat(0, static_cast<int>(text.size()), format);
    }
};

}  // namespace

CTextView::CTextView(CMainFrame& mainFrame, CChildFrame& frame)
    : CDataView(mainFrame, frame), m_oem(std::make_unique<OemText>()) {
    m_wndText = new QPlainTextEdit(this);
    m_wndText->setObjectName(QStringLiteral("documentText"));
    m_wndText->setReadOnly(true);
    m_wndText->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_wndText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_wndText->setAccessibleName(Str(IDS_NAME_DOCUMENT_TEXT));
    m_wndText->hide();
    // A text has no zoom: its window greys the zoom items and shows the two
    // modes unticked (the commands themselves are the picture view's).
    MapUpdate(ID_ZOOM_IN, ID_ZOOM_NATURAL, [](CCmdUI& ui) {
        ui.Enable(false);
        if (ui.id == ID_ZOOM_FIT || ui.id == ID_ZOOM_NATURAL) ui.SetCheck(false);
    });
}

CTextView::~CTextView() = default;

std::shared_ptr<CText> CTextView::Text() const {
    CDataDoc* document = Document();
    return document ? std::dynamic_pointer_cast<CText>(document->m_pData) : nullptr;
}

// ---------------------------------------------------------------- updates

void CTextView::OnUpdate(CView* sender) {
    (void)sender;
    if (!Document()) return;
    if (Text()) ShowText(true);
    OnTitleChanged();
}

void CTextView::RequestTextUpdate() {
    // Many updates in a row make one append, once the event loop gets to it.
    if (m_bTextUpdatePending) return;
    m_bTextUpdatePending = true;
    QTimer::singleShot(0, this, [this] {
        m_bTextUpdatePending = false;
        ShowText(false);
    });
}

void CTextView::ShowText(bool reset) {
    std::shared_ptr<CText> text = Text();
    if (!text) return;
    if (CDataDoc* document = Document(); document && document->m_bComparison && !m_wndText->property("marked").isValid()) {
        new ComparisonMarks(m_wndText->document());
        m_wndText->setProperty("marked", true);
    }
    // A backup's window never shows: its text need not be laid out.
    if (CDataDoc* document = Document(); document && document->Kind() == DataDocKind::Backup) return;
    m_wndText->setGeometry(rect());
    m_wndText->show();
    m_wndText->raise();
    horizontalScrollBar()->hide();
    verticalScrollBar()->hide();
    // Only what is new since the last look is converted and appended, so a
    // growing reception costs in proportion to what arrived.
    if (reset || text->GetLength() < m_nShownBytes) {
        m_nShownBytes = 0;
        m_oem = std::make_unique<OemText>();
        m_wndText->clear();
    }
    // At most a slice at a time: a long text arrives in the window over a
    // few turns of the event loop, never in one long stall.
    std::size_t length = 0;
    const std::string bytes = text->Slice(m_nShownBytes, kAppendSlice, &length);
    m_nShownBytes += bytes.size();
    if (m_nShownBytes < length) RequestTextUpdate();
    if (bytes.empty()) return;
    QTextCursor cursor(m_wndText->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(Q(m_oem->ToDisplay(bytes)));
}

void CTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (Text()) m_wndText->setGeometry(rect());
}

}  // namespace brelko::app
