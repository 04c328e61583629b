// What every transfer with the vision system carries: the windows it reports
// to and the context its worker thread holds.
#pragma once

#include <memory>

#include "data/CData.h"
#include "platform/Messages.h"

namespace brelko {

class CDeviceLine;

// The pair of windows a transfer reports to: the status view first, the data
// view second.
struct TransferWindows {
    WindowHandle status;
    WindowHandle data;
};

// What a transfer hands to its worker thread. The worker holds `data`, so
// the object outlives its transfer even when its document is closed meanwhile.
struct TransferContext {
    CDeviceLine* line = nullptr;  // not owned; the status view keeps it alive
    std::shared_ptr<CData> data;
    WindowHandle dataView;
    WindowHandle statusView;
};

}  // namespace brelko
