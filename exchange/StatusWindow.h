// What the status view needs of the window it lives in. The GUI implements it
// with its widgets, the command-line tool and the tests with plain objects.
#pragma once

#include <memory>
#include <string>

#include "exchange/ExchangeMessages.h"

namespace brelko {

class CData;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect&) const = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
};

// The active document as the status window sees it.
struct ActiveDocument {
    bool isDataDocument = false;          // a picture, text or backup document
    std::shared_ptr<const CData> data;    // its data object; null while it has none
};

class IStatusWindow {
public:
    virtual ~IStatusWindow() = default;
    // Asks for a refresh: the window calls CStatusView::OnDraw soon, on the
    // user-interface thread (it may do so at once). Erasing is for state
    // changes; progress texts repaint without it.
    virtual void Invalidate(bool erase) = 0;
    // The content of the read-only text control: the five status lines.
    virtual void SetStatusText(const std::string& text) = 0;
    // Pane 0 (the message pane) of the main frame's status bar, updated at once.
    virtual void SetMessagePane(const std::string& text) = 0;
    // The main frame's active document.
    virtual ActiveDocument GetActiveDocument() = 0;
    // Called after the view has handled a message, for tools that show
    // progress their own way (a progress bar, exit statuses); nothing to do
    // by default.
    virtual void Notify(const StatusMessage& message) { (void)message; }
};

// A window with no display: keeps the last texts and refreshes at once.
// For the command-line tool and the tests; Notify can be replaced to watch
// progress.
class HeadlessStatusWindow : public IStatusWindow {
public:
    void Attach(class CStatusView* view) { m_pView = view; }
    void Invalidate(bool erase) override;
    void SetStatusText(const std::string& text) override { m_strText = text; }
    void SetMessagePane(const std::string& text) override { m_strPane = text; }
    ActiveDocument GetActiveDocument() override { return m_activeDocument; }

    std::string m_strText;
    std::string m_strPane;
    ActiveDocument m_activeDocument;
    int m_nInvalidations = 0;
    int m_nErasing = 0;

private:
    class CStatusView* m_pView = nullptr;
};

}  // namespace brelko
