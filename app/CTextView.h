// The view of a text document (menus, languages, backups, comparisons): a
// read-only fixed-pitch text control filling the view, showing the device's
// text converted from its code page as it arrives. It starts the text
// transfers into and out of its document: Back up, Get menu, Get language,
// Restore and Send language.
#pragma once

#include <memory>

#include "app/CDataView.h"

class QPlainTextEdit;

namespace brelko {
class CText;
class RestoreCourse;
}

namespace brelko::app {

class OemText;

class CTextView final : public CDataView {
    Q_OBJECT
public:
    CTextView(CMainFrame& mainFrame, CChildFrame& frame);
    ~CTextView() override;

    void OnUpdate(CView* sender) override;

    // The transfer starters; each returns true when the transfer runs.
    bool FetchBackup();
    bool FetchMenus();
    bool FetchLanguage();
    bool SendBackup();
    // Only a language text is sent as it stands; any other window asks for
    // the file, as the main frame does.
    bool SendLanguage() override;
    // A second Esc stopped the restore of this view halfway: the user is
    // told at once.
    void OnRestoreForced();

    QPlainTextEdit* TextControl() const { return m_wndText; }

protected:
    void RequestTextUpdate() override;
    void OnTextReceived() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowText(bool reset);
    static constexpr std::size_t kAppendSlice = 32 * 1024;
    std::shared_ptr<CText> Text() const;
    // Asks "send anyway?" for a file the system should not get; true to send.
    bool ConfirmSendFile(int kind);
    void OnRestoreStage(int stage);

    QPlainTextEdit* m_wndText = nullptr;
    std::unique_ptr<OemText> m_oem;
    std::size_t m_nShownBytes = 0;  // the bytes shown so far
    bool m_bTextUpdatePending = false;
    std::unique_ptr<RestoreCourse> m_pRestore;  // the restore of this document, while it runs
    bool m_bForcedTold = false;                 // its stop halfway was told as it was decided
};

}  // namespace brelko::app
