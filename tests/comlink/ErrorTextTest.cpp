// The link's code table, and the fatal report of the abstract port.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <set>
#include <string>

#include "comlink/COMLINK.h"

namespace brelko {
namespace {

struct CodeText {
    int code;
    const char* text;
};

const CodeText kTable[] = {
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

// The codes that have a text: 0, -801 to -805, -827 to -858 without -837,
// -901 to -935 and -950 to -957.
bool Assigned(int code) {
    return code == 0 || (code >= -805 && code <= -801) || (code >= -858 && code <= -827 && code != -837) ||
           (code >= -935 && code <= -901) || (code >= -957 && code <= -950);
}

TEST(ErrorText, TheTableHoldsEveryAssignedCodeOnce) {
    std::set<int> listed;
    for (const CodeText& entry : kTable) EXPECT_TRUE(listed.insert(entry.code).second) << "code " << entry.code;
    for (int code = -1000; code <= 10; ++code) EXPECT_EQ(listed.count(code) == 1, Assigned(code)) << "code " << code;
}

TEST(ErrorText, EveryCodeHasItsText) {
    for (const CodeText& entry : kTable) {
        EXPECT_STREQ(ErrorText(entry.code), entry.text) << "code " << entry.code;
    }
}

TEST(ErrorText, EverythingElseIsUnknown) {
    // The gaps in and around the ranges, and positive values.
    for (int code = -1000; code <= 10; ++code) {
        if (Assigned(code)) continue;
        ASSERT_STREQ(ErrorText(code), "Unknown error code") << "code " << code;
    }
    EXPECT_STREQ(ErrorText(-837), "Unknown error code");
    EXPECT_STREQ(ErrorText(5), "Unknown error code");
    EXPECT_STREQ(ErrorText(2147483647), "Unknown error code");
    EXPECT_STREQ(ErrorText(-2147483647 - 1), "Unknown error code");
}

TEST(ErrorText, SharedAndPeculiarTexts) {
    EXPECT_STREQ(ErrorText(-909), ErrorText(-802));
    EXPECT_STREQ(ErrorText(0), "Successful operation");
    const char* thunk = ErrorText(-858);
    ASSERT_GT(std::strlen(thunk), 0u);
    EXPECT_EQ(thunk[std::strlen(thunk) - 1], ' ');  // the text ends in a blank
    EXPECT_EQ(ErrorText(-802), ErrorText(-802));     // static storage, not a fresh copy
}

// Every operation the abstract port leaves to a concrete port ends the
// process, naming the source unit and the operation's own line: in slot
// order the odd lines from 241 to 285, without 253.
struct PureOperation {
    const char* name;
    std::function<void(CCommPort&)> call;
};

const PureOperation kPureOperations[] = {
    {"Idle", [](CCommPort& p) { p.Idle(); }},
    {"UpdateStatus", [](CCommPort& p) { p.UpdateStatus(); }},
    {"Open", [](CCommPort& p) { p.Open(); }},
    {"OpenDevice", [](CCommPort& p) { p.OpenDevice(); }},
    {"Close", [](CCommPort& p) { p.Close(); }},
    {"GetBufferStatus", [](CCommPort& p) { CommBufferStatus s; p.GetBufferStatus(s, 7); }},
    {"SetBufferSizes", [](CCommPort& p) { p.SetBufferSizes(1, 2, 3); }},
    {"SetHandshaking", [](CCommPort& p) { p.SetHandshaking(0, 0); }},
    {"GetHandshaking", [](CCommPort& p) { int a, b; p.GetHandshaking(a, b); }},
    {"Break", [](CCommPort& p) { p.Break(1); }},
    {"Line", [](CCommPort& p) { p.Line(3, 1); }},
    {"SetParameters", [](CCommPort& p) { p.SetParameters(9600, 'N', 8, 1); }},
    {"GetParameters", [](CCommPort& p) { long b; char c; int d, s; p.GetParameters(b, c, d, s); }},
    {"GetLineStatus", [](CCommPort& p) { unsigned char x[4]; p.GetLineStatus(x); }},
    {"PutChar", [](CCommPort& p) { p.PutChar('a'); }},
    {"PutString", [](CCommPort& p) { p.PutString("a"); }},
    {"Write", [](CCommPort& p) { p.Write("a", 1); }},
    {"TransmitImmediate", [](CCommPort& p) { p.TransmitImmediate('a'); }},
    {"GetChar", [](CCommPort& p) { p.GetChar(); }},
    {"Read", [](CCommPort& p) { char b[2]; p.Read(b, 1); }},
    {"Purge", [](CCommPort& p) { p.Purge(0, 0); }},
    {"DumpStatus", [](CCommPort& p) { p.DumpStatus([](const char*) { return 0; }); }},
};

TEST(LibraryErrorDeathTest, EachOperationNamesItsLine) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_EQ(std::size(kPureOperations), 22u);
    int line = 241;
    for (const PureOperation& op : kPureOperations) {
        SCOPED_TRACE(op.name);
        const std::string expected = "Pure Virtual function called @\\.\\.\\\\CPP_ALL\\\\COMLINK," +
                                     std::to_string(line) + "\nUnable to continue execution";
        line += line == 251 ? 4 : 2;
        EXPECT_EXIT(
            {
                CCommPort port;
                op.call(port);
            },
            testing::ExitedWithCode(1), expected);
    }
}

TEST(LibraryError, ReservedOperationsAreNotSupported) {
    CCommPort port;
    EXPECT_EQ(port.Reserved1(), LINK_NOT_SUPPORTED);
    EXPECT_EQ(port.Reserved2(), LINK_NOT_SUPPORTED);
    CCommLink link(nullptr);
    EXPECT_EQ(link.Reserved(), LINK_NOT_SUPPORTED);
}

void HookThatReports(const char* caption, const char* message) {
    std::fprintf(stderr, "[%s] %s", caption, message);
}

TEST(LibraryErrorDeathTest, HookSeesCaptionAndMessageBeforeTheEnd) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetLibraryErrorHook(HookThatReports);
            LibraryError("unit", 7);
        },
        testing::ExitedWithCode(1), "\\[Library Error\\] Pure Virtual function called @unit,7\nUnable to continue");
}

}  // namespace
}  // namespace brelko
