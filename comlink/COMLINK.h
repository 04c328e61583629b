// The serial link library: link codes and texts, the abstract port and the
// tty port, the link with its time-outs, and the line-status and
// port-settings helpers, and the trace of the line.
#pragma once

#include "CCommLink.h"
#include "CCommPort.h"
#include "CLineStatus.h"
#include "CPortSettings.h"
#include "CPosixPort.h"
#include "LineTrace.h"
#include "LinkCodes.h"
