// "Compare with vision system…": what a restore of a backup file would change
// on the system. The system's current settings are fetched with the backup
// request into memory (the user's file is only read), compared line by line
// with the part of the file a restore sends, and shown in a text window: a
// summary, then every line, those a restore would take away marked "- ",
// those it would bring marked "+ ".
#pragma once

#include <memory>
#include <string>

namespace brelko {
class CText;
}

namespace brelko::app {

class CMainFrame;

// Restore's confirmation, when the user asked for it in Options: the
// comparison's summary, the whole comparison behind "Show Details...", and
// the question whether to send the file. True: send it.
bool AskBeforeRestore(const std::string& fileName, const std::string& current, const std::string& file);
// Custom/ConfirmRestore: off unless the user turned it on.
bool ConfirmRestoreEnabled();

// The text of the comparison window, in the system's own bytes.
std::string ComparisonText(const std::string& fileName, const std::string& systemBackup, const std::string& fileBackup);

class CompareWithSystem {
public:
    // Fetches the system's settings and opens the comparison with `file`
    // when they have come; the object ends itself then. False when nothing
    // could start (the reason is told to the user).
    static bool Start(CMainFrame& frame, const std::string& file);
};

}  // namespace brelko::app
