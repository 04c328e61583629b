// What the text commands share: a text file loaded as the document loads
// it, and the course of a text reception (backup, menus, language), whose
// result goes to a file or stays in memory.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "cli/Console.h"
#include "exchange/DeviceCommands.h"
#include "cli/DeviceConnection.h"
#include "cli/ExitStatus.h"

namespace brelko {
class CText;
}

namespace brelko::cli {

// Whether the path ends in `suffix` (lower case, e.g. ".asc"), ignoring case.
bool HasSuffix(const std::string& path, const char* suffix);

// The file's bytes up to the first zero byte, as the document loads them.
// An unreadable or empty file is reported and gives null.
std::shared_ptr<CText> LoadText(Console& console, const std::string& path);

using TextFetch = std::function<CommandStart(CStatusView& view, CText& text)>;

// Connects and identifies, runs the reception that `fetch` starts and waits
// for its course. Ok: the course ran; how the reception went is the view's
// LastOutcome(). Any other status has been reported.
ExitStatus RunTextReception(DeviceConnection& connection, const TextFetch& fetch, CText& text);

}  // namespace brelko::cli
