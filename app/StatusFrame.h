// The status window: its document, which can be neither closed nor saved; its
// view, a read-only fixed-pitch text control over the status logic of the
// core; and its frame, a fixed strip left of the document area that takes a
// quarter of the client width at full height and that the user cannot resize.
#pragma once

#include <QFrame>
#include <QWidget>
#include <memory>

#include "exchange/CStatusView.h"   // CancelReply
#include "exchange/StatusWindow.h"  // the core's IStatusWindow
#include "app/framework/CDocument.h"

class QPlainTextEdit;

namespace brelko {
class CStatusView;
}

namespace brelko::app {

class CMainFrame;

class CStatusDoc final : public CDocument {
public:
    CStatusDoc();
};

class CChildFrameStatus;

class CStatusViewWnd final : public QWidget, public CView, public IStatusWindow {
    Q_OBJECT
public:
    CStatusViewWnd(CMainFrame& mainFrame, CChildFrameStatus& frame);
    ~CStatusViewWnd() override;

    // The core status logic: the device line, the flags, the status lines.
    brelko::CStatusView& Logic() const { return *m_pLogic; }
    QPlainTextEdit* TextControl() const { return m_wndText; }

    // CView: the initial update connects.
    QWidget* Widget() override { return this; }
    QWidget* Frame() override;
    void OnInitialUpdate() override;

    // IStatusWindow, for the core.
    void Invalidate(bool erase) override;
    void SetStatusText(const std::string& text) override;
    void SetMessagePane(const std::string& text) override;
    ActiveDocument GetActiveDocument() override;
    void Notify(const StatusMessage& message) override;
    // The strip's place in the client area: the left quarter at full height
    // (empty while it is hidden), and placing it there.
    Rect StatusArea() const;
    void LayOut();

    // Connect, and when the port cannot be opened, the reason (no device, no
    // permission and the group to join, busy and the holder) on line 4 once
    // the diagnosis on its worker is back.
    void Connect();
    class PortDiagnosis* Diagnosis() const { return m_pDiagnosis; }
    // Asks the running transfer to stop; a restore under way is not cut, and
    // line 4 says why and for how long it still runs.
    CancelReply CancelTransfer();

    // Refreshes now if a refresh is pending.
    void RedrawNow();
    int RedrawCount() const { return m_nRedraws; }

private:
    // The left quarter of the client area at full height.
    Rect LeftQuarter() const;
    void OnPortDiagnosed(const QString& text);

    CMainFrame& m_mainFrame;
    CChildFrameStatus& m_frame;
    class PortDiagnosis* m_pDiagnosis = nullptr;  // a child
    QPlainTextEdit* m_wndText = nullptr;
    std::unique_ptr<brelko::CStatusView> m_pLogic;
    bool m_bRedrawPending = false;
    int m_nRedraws = 0;
};

// The frame: no title bar, no border to drag, hidden and shown as a whole.
class CChildFrameStatus final : public QFrame {
    Q_OBJECT
public:
    explicit CChildFrameStatus(QWidget* parent);
    CStatusViewWnd* View() const { return m_pView; }
    void SetView(CStatusViewWnd* view);

private:
    CStatusViewWnd* m_pView = nullptr;
};

}  // namespace brelko::app
