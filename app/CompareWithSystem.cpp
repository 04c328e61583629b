#include "app/CompareWithSystem.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QTextEdit>
#include <QTimer>

#include "platform/ByteArchive.h"
#include "app/CBrelkoApp.h"
#include "app/CDataDocument.h"
#include "app/CDataView.h"
#include "app/CMainFrame.h"
#include "exchange/CStatusView.h"
#include "data/CText.h"
#include "exchange/DeviceCommands.h"
#include "app/OemText.h"
#include "platform/Profile.h"
#include "res/ResourceIds.h"
#include "compare/RestoreDiff.h"
#include "app/framework/CDocTemplate.h"
#include "app/framework/Dialogs.h"
#include "app/framework/QtText.h"

namespace brelko::app {

namespace {

// "A restore of x.asc would change …": the counts do not depend on the context.
std::string Summary(const std::string& fileName, const TextDiff& diff) {
    if (diff.Equal()) return FormatArgs(LoadString(IDS_COMPARE_SAME), {fileName});
    return FormatArgs(LoadString(IDS_COMPARE_SUMMARY),
                      {fileName, std::to_string(diff.RemovedCount()), std::to_string(diff.AddedCount())});
}

}  // namespace

std::string ComparisonText(const std::string& fileName, const std::string& systemBackup, const std::string& fileBackup) {
    const TextDiff diff = CompareForRestore(systemBackup, fileBackup, TextDiff::WHOLE_TEXT);
    // The program's words in the system's code page, as the lines below are.
    std::string summary = OemText::FromDisplay(Summary(fileName, diff));
    for (std::size_t at = summary.find('\n'); at != std::string::npos; at = summary.find('\n', at + 2))
        summary.replace(at, 1, "\r\n");
    std::string text = summary + "\r\n\r\n";
    if (diff.Equal()) return text;
    for (const DiffLine& line : diff.Hunks().front().lines) {
        text += line.kind == DiffKind::Removed ? "- " : line.kind == DiffKind::Added ? "+ " : "  ";
        text += DisplayText(line) + "\r\n";
    }
    return text;
}

bool ConfirmRestoreEnabled() { return Profile::GetInt("Custom", "ConfirmRestore", 0) != 0; }

bool AskBeforeRestore(const std::string& fileName, const std::string& current, const std::string& file) {
    // The summary above, and behind "Show Details..." only the changed lines
    // with a little of what stands around them: a backup is long.
    const TextDiff diff = CompareForRestore(current, file);
    QMessageBox box(DialogParent());
    box.setWindowTitle(QStringLiteral("Brelko"));
    box.setIcon(QMessageBox::Question);
    box.setText(Q(Summary(fileName, diff)));
    box.setInformativeText(Q(FormatArgs(LoadString(IDS_RESTORE_ASK), {fileName})));
    if (!diff.Equal()) {
        box.setDetailedText(Q(OemText().ToDisplay(diff.Unified(LoadString(IDS_COMPARE_SYSTEM_LABEL), fileName))));
        // In columns, as the text windows show the system's texts.
        if (auto* details = box.findChild<QTextEdit*>()) details->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool CompareWithSystem::Start(CMainFrame& frame, const std::string& file) {
    brelko::CStatusView* status = frame.StatusLogic();
    if (!status) return false;
    std::string error;
    auto archive = ByteArchive::OpenFile(file, ByteArchive::Mode::Load, &error);
    auto fileText = CText::Create();
    if (archive) fileText->Serialize(*archive);
    if (!archive || !archive->Ok()) {
        AfxMessageBox(FormatArgs(LoadString(AFX_IDP_FAILED_TO_OPEN_DOC), {file, archive ? archive->ErrorText() : error}),
                      MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    auto systemText = CText::Create();
    if (FetchBackup(*status, *systemText) != CommandStart::Started) return false;
    // When the course has ended, the comparison opens in a text window.
    auto listener = std::make_shared<int>(0);
    *listener = status->AddCourseListener([&frame, status, listener, systemText, fileText, file](const CourseOutcome& outcome) {
        status->RemoveCourseListener(*listener);
        const std::string name = S(QFileInfo(Q(file)).fileName());
        if (outcome.receiveFailed) {
            frame.RunWhenNoModal([] { AfxMessageBox(LoadString(IDS_COMPARE_FAILED), MessageButtons::Ok, MessageIcon::Warning); });
            return;
        }
        const std::string shown = ComparisonText(name, systemText->GetText(), fileText->GetText());
        QTimer::singleShot(0, &frame, [name, shown] {
            CBrelkoApp* app = BrelkoApp();
            auto* document = dynamic_cast<CDataDoc*>(app->m_pTextTemplate->OpenDocumentFile(std::string(), true));
            if (!document) return;
            auto text = CText::Create();
            text->SetText(shown);
            document->m_pData = text;
            document->m_bComparison = true;
            document->SetTitle(FormatArgs(LoadString(IDS_COMPARE_TITLE), {name}));
            document->CDocument::UpdateAllViews(nullptr);
        });
    });
    return true;
}

}  // namespace brelko::app
