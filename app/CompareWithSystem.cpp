#include "CompareWithSystem.h"

#include <QFileInfo>
#include <QTimer>

#include "ByteArchive.h"
#include "CBrelkoApp.h"
#include "CDataDocument.h"
#include "CDataView.h"
#include "CMainFrame.h"
#include "CStatusView.h"
#include "CText.h"
#include "DeviceCommands.h"
#include "ResourceIds.h"
#include "RestoreDiff.h"
#include "framework/CDocTemplate.h"
#include "framework/Dialogs.h"
#include "framework/QtText.h"

namespace brelko::app {

std::string ComparisonText(const std::string& fileName, const std::string& systemBackup, const std::string& fileBackup) {
    const TextDiff diff = CompareForRestore(systemBackup, fileBackup, TextDiff::WHOLE_TEXT);
    std::string text = diff.Equal() ? FormatArgs(LoadString(IDS_COMPARE_SAME), {fileName})
                                    : FormatArgs(LoadString(IDS_COMPARE_SUMMARY),
                                                 {fileName, std::to_string(diff.RemovedCount()),
                                                  std::to_string(diff.AddedCount())});
    text += "\r\n\r\n";
    if (diff.Equal()) return text;
    for (const DiffLine& line : diff.Hunks().front().lines) {
        text += line.kind == DiffKind::Removed ? "- " : line.kind == DiffKind::Added ? "+ " : "  ";
        text += DisplayText(line) + "\r\n";
    }
    return text;
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
