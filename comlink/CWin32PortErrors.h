// How the COM port reads the Win32 errors of its calls: which ones say the
// device has gone (adapter unplugged, driver stopped), which one says only
// that a driver has no modem lines, and what a finished background write
// leaves to record. Kept apart from the port so that each rule has a test.
#pragma once

#include <windows.h>

namespace brelko::win32port {

// After one of these no byte will come or go again: the port reports the
// link error the tty port reports on a hang-up (-835 reading, -834 writing).
// (ERROR_NOT_READY and ERROR_BROKEN_PIPE too: a pty under Wine whose far end
// has closed.)
// Access denied counts only after the device was opened: at open it means
// another program holds the port.
bool IsDeviceGone(DWORD error);

// A failed GetCommModemStatus that means the driver has no modem lines to
// report (a pseudo-terminal under Wine answers ERROR_NOT_SUPPORTED): the
// line is taken as connected. Every other failure is not "CTS on".
bool MeansNoModemLines(DWORD error);

// What a write left to the driver comes back with: 0 when every byte
// handed over has gone, otherwise the link code to record (-834). A write
// that the port itself aborted (purging the transmit side) records nothing.
int WriteCompletionCode(BOOL ok, DWORD error, DWORD done, DWORD handed, bool abortedByUs);

}  // namespace brelko::win32port
