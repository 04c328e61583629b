// The view of a data document, by kind: a picture view (CPictureView) for
// Targa and MTX documents, a text view (CTextView) for texts and backups.
// What both are: a scrolling area in a document window, placed beside the
// status strip, titled by its document, the window that the transfers'
// data-update messages reach, and the place Send Language goes first.
#pragma once

#include <QAbstractScrollArea>
#include <memory>

#include "exchange/ExchangeMessages.h"
#include "app/framework/CDocument.h"

namespace brelko::app {

class CChildFrame;
class CDataDoc;
class CMainFrame;

class CDataView : public QAbstractScrollArea, public CView, public MessageSink {
    Q_OBJECT
public:
    ~CDataView() override;

    CDataDoc* Document() const;
    QWidget* Widget() override { return this; }
    QWidget* Frame() override;
    void OnInitialUpdate() override;
    void OnTitleChanged() override;

    // Send Language (ID_SEND_LANGUAGE, 32783) with this view active. Here: the main frame's
    // version, which asks for the file; a language text sends itself.
    virtual bool SendLanguage();

    // The window that the transfers' data-update messages reach.
    WindowHandle Handle() const;
    void OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void OnDataUpdate(DataUpdateKind what);

protected:
    CDataView(CMainFrame& mainFrame, CChildFrame& frame);

    // What the data-update messages lead to; each kind of view takes its own.
    virtual void RequestTextUpdate() {}
    virtual void OnPictureComplete() {}
    virtual void OnTextReceived() {}

    // Closes a document once the handler that asked has returned: the view
    // that asks is one of the things that go.
    static void CloseLater(CDataDoc* document, QWidget* frame);
    // A failed or cancelled reception leaves no empty window behind.
    void CloseIfEmptyAfterCourse();

    void leaveEvent(QEvent* event) override;

    CMainFrame& m_mainFrame;
    CChildFrame& m_frame;

private:
    std::unique_ptr<Window> m_pWnd;  // messages come through the event loop, never while a view is made
};

}  // namespace brelko::app
