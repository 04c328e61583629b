#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "comlink/LibraryErrorReport.h"
#include "comlink/LinkCodes.h"

namespace brelko {

namespace {

struct CodeText {
    int code;
    const char* text;
};

// The one place where the link's texts live.
constexpr CodeText kTexts[] = {
    {0, "Successful operation"},
    {-801, "General system error"},
    {-802, "Timeout error"},
    {-803, "Operation not supported"},
    {-804, "End of file transfer"},
    {-805, "Buffer is full"},
    {-827, "Error setting break condition"},
    {-828, "Comm link couldn't be opened"},
    {-829, "Comm link couldn't be closed"},
    {-830, "Bad handshaking mode requested"},
    {-831, "Attempt to change read only line"},
    {-832, "Argument to function is bad"},
    {-833, "System call failed"},
    {-834, "Error during write operation"},
    {-835, "Error during read operation"},
    {-836, "A memory allocation failed"},
    {-838, "Comm link is already open"},
    {-839, "Used an unsupported baud rate setting"},
    {-840, "Used an unsupported parity setting"},
    {-841, "Used an unsupported stop bits setting"},
    {-842, "Used an unsupported word length setting"},
    {-843, "Device driver not installed"},
    {-844, "This device driver is not supported"},
    {-845, "The driver had a general failure"},
    {-846, "This board number is not installed"},
    {-847, "User aborted operation"},
    {-848, "Modem did not send OK"},
    {-849, "This board has already been configured"},
    {-850, "No Serial object is attached"},
    {-851, "An error occured using DOS extender API"},
    {-852, "This IRQ is already used by another comm port"},
    {-853, "Tried to hook more than the allowed IRQs"},
    {-854, "General Error, non-specfic"},
    {-855, "Error occurred using the NASI interface"},
    {-856, "NASI.EXE or NASI.DLL was not set up properly"},
    {-857, "Unable to connect to a modem on a NASI server"},
    {-858, "Win 32s thunking layer failed to initialize "},
    {-901, "User cancelled transfer"},
    {-902, "Error opening file"},
    {-903, "Error reading from file"},
    {-904, "Error writing to file"},
    {-905, "Error closing file"},
    {-906, "Error tranferring file"},
    {-907, "Too many retries on the packet"},
    {-908, "Too many errors"},
    {-909, "Timeout error"},
    {-910, "Received EOF error"},
    {-911, "Transmitted EOF error"},
    {-912, "End of transfer error"},
    {-913, "Synchronization error"},
    {-914, "Remote end cancelled transfer"},
    {-915, "Init packet was not acknowledged"},
    {-916, "Packet was NAK'ed"},
    {-917, "Duplicate packet was received"},
    {-918, "Incomplete packet was received"},
    {-919, "Invalid file header was received"},
    {-920, "Insufficient memory for transfer"},
    {-921, "Internal logic error"},
    {-922, "Unable to send NACK"},
    {-923, "Unable to send ACK"},
    {-924, "Unable to send data byte"},
    {-925, "Unable to send data buffer"},
    {-926, "Unable to find the file"},
    {-927, "File Engine was not created"},
    {-928, "Protocol error"},
    {-929, "Lost carrier signal"},
    {-930, "Can't get a character from the port"},
    {-931, "General transfer error"},
    {-932, "Sent no files"},
    {-933, "Zmodem receiver should send ZSKIP"},
    {-934, "CompuServe B+ bad packet sequence"},
    {-935, "CompuServe B+ packet arrived"},
    {-950, "File engine pointer not NULL"},
    {-951, "File engine open failed"},
    {-952, "File engine close failed"},
    {-953, "File engine invalid pointer"},
    {-954, "File engine unable to set position"},
    {-955, "File engine unable to get position"},
    {-956, "File engine insufficent memory"},
    {-957, "File engine time/date error"},
};

LibraryErrorHook g_libraryErrorHook = nullptr;

}  // namespace

const char* ErrorText(int code) {
    for (const CodeText& entry : kTexts) {
        if (entry.code == code) return entry.text;
    }
    return "Unknown error code";
}

void SetLibraryErrorHook(LibraryErrorHook hook) {
    g_libraryErrorHook = hook;
}

void LibraryError(const char* sourcePath, int lineNumber) {
    // Large enough for any path the library passes; snprintf cuts the rest.
    char message[512];
    std::snprintf(message, sizeof message, "Pure Virtual function called @%s,%d\nUnable to continue execution",
                  sourcePath ? sourcePath : "", lineNumber);
    if (g_libraryErrorHook) {
        g_libraryErrorHook("Library Error", message);
    } else {
        ShowLibraryError("Library Error", message);
    }
    // Worker threads may still run: end at once rather than run the static
    // destructors under their feet.
    std::fflush(nullptr);
    std::_Exit(1);
}

}  // namespace brelko
