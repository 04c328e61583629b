#include "comlink/CWin32PortErrors.h"

#include "comlink/LinkCodes.h"

namespace brelko::win32port {

bool IsDeviceGone(DWORD error) {
    switch (error) {
    case ERROR_DEVICE_REMOVED:        // the adapter was unplugged
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_BAD_COMMAND:           // usbser and most USB adapters after removal
    case ERROR_ACCESS_DENIED:         // an open handle whose device has been removed
    case ERROR_OPERATION_ABORTED:     // requests ended by the driver (fAbortOnError is off)
    case ERROR_GEN_FAILURE:           // the driver failed the request
    case ERROR_INVALID_HANDLE:
    // Beyond the removal errors of the USB drivers: what a pseudo-terminal
    // under Wine answers once its far end has closed (ClearCommError and
    // WriteFile: not ready; a read: a broken pipe), as a pipe-backed
    // virtual port does when its other program ends.
    case ERROR_NOT_READY:
    case ERROR_BROKEN_PIPE: return true;
    default: return false;
    }
}

bool MeansNoModemLines(DWORD error) { return error == ERROR_NOT_SUPPORTED; }

int WriteCompletionCode(BOOL ok, DWORD error, DWORD done, DWORD handed, bool abortedByUs) {
    if (ok && done >= handed) return 0;
    if (abortedByUs && (error == ERROR_OPERATION_ABORTED || (ok && done < handed))) return 0;
    return LINK_WRITE_ERROR;
}

}  // namespace brelko::win32port
