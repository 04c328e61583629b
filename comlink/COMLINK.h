// The serial link library: link codes and texts, the abstract port and this
// system's port (the COM device on Windows, the tty elsewhere), the link with
// its time-outs, the line-status and port-settings helpers, and the trace of
// the line.
#pragma once

#include "comlink/CCommLink.h"
#include "comlink/CCommPort.h"
#include "comlink/CLineStatus.h"
#include "comlink/CPortSettings.h"
#ifdef _WIN32
#include "comlink/CWin32Port.h"
#else
#include "comlink/CPosixPort.h"
#endif
#include "comlink/LineTrace.h"
#include "comlink/LinkCodes.h"
