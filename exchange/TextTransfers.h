// The three text transfers of a `CText`: reception up to the system's
// prompt, block sending of a backup up to its end marker, and line-by-line
// sending of a language file.
#pragma once

#include <memory>
#include <string>

#include "data/CText.h"
#include "exchange/Transfers.h"

namespace brelko {

class BlockWatch;

// The text's part of the transfer context: what the sending workers read.
struct TextTransferContext : TransferContext {
    std::string terminator;              // block sending stops after it ("[END]")
    std::shared_ptr<BlockWatch> watch;   // progress for the cancel rule; none: nobody watches
};

// Sends the request and starts the reception worker. False, with nothing
// sent or posted, when the text is not shared-owned or a transfer of it
// still runs. Once the request is out the course always ends with the usual
// messages, even when no worker thread could be made.
bool StartTextReceive(CText& text, CDeviceLine& line, const TransferWindows& windows, std::string command);
// With a request: sends it and starts block sending up to "[END]", reporting
// to `watch` when given. Without: starts line-by-line sending of a language
// file.
bool StartTextSend(CText& text, CDeviceLine& line, const TransferWindows& windows, std::string command,
                   std::shared_ptr<BlockWatch> watch = {});

// The workers; each takes its own copy of the context and returns 0.
int TextReceiveThread(TextTransferContext ctx);
int TextSendThread(TextTransferContext ctx);
int LanguageSendThread(TextTransferContext ctx);

}  // namespace brelko
