// The frame of a document window in the document area. It keeps its left
// edge inside the area (never under the status strip beside it), hides a
// backup document's window as soon as it becomes active (the main frame sees to that), asks the document
// before it closes, and makes the status window show the active document.
#pragma once

#include <QMdiSubWindow>

namespace brelko::app {

class CMainFrame;
class CView;

class CChildFrame final : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(CMainFrame& mainFrame);
    // The base class still reports a state change while it is torn down,
    // when this part of the object is gone: the connection ends first.
    ~CChildFrame() override;
    CView* View() const { return m_pView; }
    void SetView(CView* view, QWidget* widget);
    // The caption follows the document's title and modified flag.
    void UpdateTitle();

protected:
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);

    CMainFrame& m_mainFrame;
    CView* m_pView = nullptr;
};

}  // namespace brelko::app
