// The serial link library: link codes and texts, the abstract port and this
// system's port (the COM device on Windows, the tty elsewhere), the link with
// its time-outs, the line-status and port-settings helpers, and the trace of
// the line.
#pragma once

#include "CCommLink.h"
#include "CCommPort.h"
#include "CLineStatus.h"
#include "CPortSettings.h"
#ifdef _WIN32
#include "CWin32Port.h"
#else
#include "CPosixPort.h"
#endif
#include "LineTrace.h"
#include "LinkCodes.h"
