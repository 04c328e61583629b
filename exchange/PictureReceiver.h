// The picture reception: the worker that reads a picture from the vision
// system after its request, and the report hook for a checksum mismatch.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "data/CMTX.h"
#include "exchange/Transfers.h"

namespace brelko {

// The picture's part of the transfer context: what the reception worker reads.
struct PictureTransferContext : TransferContext {
    std::string command;
    bool extraByte = false;
    std::chrono::milliseconds headerLineTimeout = kDefaultHeaderLineTimeout;  // the wait for the header line
};


// Receives "Checksum error!" when a picture's checksum does not match (the
// picture is loaded all the same). The GUI shows it in a message box, the
// command-line tool prints it. Without a hook the text goes to stderr.
// Called on the reception worker thread.
using PictureReportHook = std::function<void(const std::string& message)>;
void SetChecksumErrorHook(PictureReportHook hook);

// Limits of the reply.
constexpr long kMaxPictureLength = 2000000;   // bytes of picture the header may announce
constexpr std::size_t kMaxHeaderLine = 256;   // bytes of the header line

// The worker procedure: 0 after the picture was loaded, 1 after a failure
// (then the PictureFailed state went to the status view).
int ReceivePicture(const PictureTransferContext& context);

// Sends the picture request and starts the reception worker into `picture`,
// which must be a shared-owned MTX picture; false for any other object (a
// Targa picture is never received), with nothing sent.
bool StartPictureReceive(CData& picture, CDeviceLine& line, const TransferWindows& windows, std::string command,
                         bool extraByte);

}  // namespace brelko
