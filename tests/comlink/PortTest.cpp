// The tty port over real pseudo-terminals: opening and exclusivity,
// parameters, handshaking, lines, queues, purges, line errors, the status
// dump, and a device that vanishes.
#include <gtest/gtest.h>
#include <termios.h>

#include <string>
#include <vector>

#include "comlink/COMLINK.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/Sandbox.h"
#include "tests/comlink/TestPorts.h"

namespace brelko {
namespace {

using test::InjectingPort;
using test::PtyPair;
using test::TempIni;

termios SlaveTermios(const PtyPair& pty) {
    termios tio {};
    ::tcgetattr(pty.Master(), &tio);  // the master reports the slave's settings
    return tio;
}

TEST(PortOpen, PortNumberUsesThePortsSectionAndFallsBackToTtyS) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TempIni ini("[Ports]\nCOM3=" + pty.SlavePath() + "\n");
    EXPECT_EQ(CPosixPort::DevicePathFor(2), pty.SlavePath());
    EXPECT_EQ(CPosixPort::DevicePathFor(4), "/dev/ttyS4");

    CPosixPort port(2, 4096, 2048, 0);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.PeekError(), 0);
    EXPECT_EQ(port.DevicePath(), pty.SlavePath());
    EXPECT_EQ(CCommPort::OpenCount(2), 1u);
    EXPECT_TRUE(port.OpenFailureReason().empty());
}

TEST(PortOpen, OverrideWinsOverTheSettings) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TempIni ini("[Ports]\nCOM1=/dev/nonexistent-brelko\n");
    CPosixPort::SetDeviceOverride(pty.SlavePath());
    EXPECT_EQ(CPosixPort::DevicePathFor(0), pty.SlavePath());
    {
        CPosixPort port(0, 4096, 2048, 0);
        EXPECT_TRUE(port.IsOpen());
    }
    CPosixPort::SetDeviceOverride("");
    EXPECT_EQ(CPosixPort::DevicePathFor(0), "/dev/nonexistent-brelko");
}

TEST(PortOpen, MissingStandardPortPointsToTheSettings) {
    TempIni ini("");
    CPosixPort port(OPEN_COUNT_TABLE_SIZE - 1, 4096, 2048, 0);  // no /dev/ttyS255 here
    EXPECT_EQ(port.PeekError(), LINK_GENERAL_ERROR);
    EXPECT_EQ(port.OpenFailureKind(), OpenFailure::NoSuchDevice);
    EXPECT_EQ(port.OpenFailureReason(), "No such device: /dev/ttyS255 (COM256; another device can be named with "
                                        "COM256= in the [Ports] section of " + ini.Path() + ")");
}

TEST(PortOpen, NumbersOutsideTheTableAreRefused) {
    for (int number : {-1, -7, OPEN_COUNT_TABLE_SIZE, 100000}) {
        CPosixPort port(number, 4096, 2048, 0);
        EXPECT_FALSE(port.IsOpen()) << number;
        EXPECT_EQ(port.PeekError(), LINK_GENERAL_ERROR) << number;
        EXPECT_EQ(port.OpenFailureKind(), OpenFailure::NotInTable) << number;
        EXPECT_FALSE(port.OpenFailureReason().empty());
    }
}

TEST(PortOpen, SecondObjectGetsAlreadyOpenAndTheFirstStaysUsable) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TempIni ini("[Ports]\nCOM2=" + pty.SlavePath() + "\nCOM3=" + pty.SlavePath() + "\n");
    CPosixPort first(1, 4096, 2048, 0);
    ASSERT_TRUE(first.IsOpen());
    {
        CPosixPort second(1, 4096, 2048, 0);
        EXPECT_EQ(second.TakeError(), LINK_ALREADY_OPEN);
        EXPECT_EQ(second.OpenFailureKind(), OpenFailure::AlreadyOpen);
        // Another number, or a path, naming the same device is the same device.
        CPosixPort third(2, 4096, 2048, 0);
        EXPECT_EQ(third.PeekError(), LINK_ALREADY_OPEN);
        CPosixPort byPath(pty.SlavePath(), 4096, 2048, 0);
        EXPECT_EQ(byPath.PeekError(), LINK_ALREADY_OPEN);
    }
    EXPECT_EQ(CCommPort::OpenCount(1), 1u);  // the refused ones never counted
    EXPECT_EQ(first.PutString("ok"), 2);
    EXPECT_EQ(pty.Receive(2), "ok");
    pty.Send("x");
    ASSERT_TRUE(test::WaitForReceived(first, 1));
    EXPECT_EQ(first.GetChar(), 'x');
}

TEST(PortOpen, ClosingFreesTheNumberForTheNextObject) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TempIni ini("[Ports]\nCOM4=" + pty.SlavePath() + "\n");
    { CPosixPort port(3, 4096, 2048, 0); }
    EXPECT_EQ(CCommPort::OpenCount(3), 0u);
    CPosixPort again(3, 4096, 2048, 0);
    EXPECT_TRUE(again.IsOpen());
}

TEST(PortOpen, DefaultConfigurationAfterOpen) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    const PortConfig& c = port.Config();
    EXPECT_EQ(c.BaudRate, 19200u);
    EXPECT_EQ(c.ByteSize, 8);
    EXPECT_EQ(c.StopBits, 0);
    EXPECT_EQ(c.XonLim, 1024);
    EXPECT_EQ(c.XoffLim, 128);
    EXPECT_EQ(c.fDtrControl, DTR_CONTROL_ENABLE);
    EXPECT_EQ(c.fRtsControl, RTS_CONTROL_ENABLE);  // raised by the constructor
    termios tio = SlaveTermios(pty);
    EXPECT_EQ(cfgetospeed(&tio), B19200);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
}

TEST(PortParameters, CheckedInOrderAndWrittenToTheDevice) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    ASSERT_EQ(port.SetParameters(9600, 'E', 7, 2), 0);
    // A pty keeps the speed and stop bits; it forces 8 bits without parity,
    // so those are checked in the port's own record.
    termios tio = SlaveTermios(pty);
    EXPECT_EQ(cfgetospeed(&tio), B9600);
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_EQ(port.Config().ByteSize, 7);
    EXPECT_EQ(port.Config().Parity, 2);
    EXPECT_EQ(port.Config().StopBits, 2);

    long baud = 0;
    char parity = 0;
    int data = 0, stop = 0;
    port.GetParameters(baud, parity, data, stop);
    EXPECT_EQ(baud, 9600);
    EXPECT_EQ(parity, 'E');
    EXPECT_EQ(data, 7);
    EXPECT_EQ(stop, 2);

    // A bad parity letter is refused before anything is stored or written.
    EXPECT_EQ(port.SetParameters(4800, 'X', 8, 1), LINK_BAD_PARITY);
    EXPECT_EQ(port.TakeError(), LINK_BAD_PARITY);
    EXPECT_EQ(port.SetParameters(4800, 'n', 8, 1), LINK_BAD_PARITY);  // letters are case-sensitive
    port.GetParameters(baud, parity, data, stop);
    EXPECT_EQ(baud, 9600);
    EXPECT_EQ(parity, 'E');
    EXPECT_EQ(cfgetospeed(&tio), B9600);

    // Five data bits always give one and a half stop bits.
    ASSERT_EQ(port.SetParameters(9600, 'N', 5, 2), 0);
    EXPECT_EQ(port.Config().StopBits, 1);
    port.GetParameters(baud, parity, data, stop);
    EXPECT_EQ(stop, 1);
    EXPECT_EQ(port.Config().ByteSize, 5);

    for (char letter : {'N', 'O', 'E', 'M', 'S'}) {
        ASSERT_EQ(port.SetParameters(9600, letter, 8, 1), 0) << letter;
        port.GetParameters(baud, parity, data, stop);
        EXPECT_EQ(parity, letter);
    }
}

TEST(PortParameters, RefusalsKeepWhatWasStoredBefore) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    struct Case {
        long baud;
        char parity;
        int data;
        int stop;
        int result;
    };
    const Case cases[] = {
        {9600, 'N', 9, 1, LINK_BAD_WORD_LENGTH},
        {9600, 'N', 3, 1, LINK_BAD_WORD_LENGTH},
        {9600, 'N', 8, 0, LINK_BAD_STOP_BITS},
        {9600, 'N', 8, 3, LINK_BAD_STOP_BITS},
        {12345, 'N', 8, 1, LINK_GENERAL_ERROR},  // the driver judges the baud rate
        {9600, 'N', 4, 1, LINK_GENERAL_ERROR},   // four bits pass the check but not the driver
    };
    for (const Case& c : cases) {
        port.TakeError();
        EXPECT_EQ(port.SetParameters(c.baud, c.parity, c.data, c.stop), c.result) << c.baud << c.data << c.stop;
        EXPECT_EQ(port.PeekError(), c.result);
    }
    // The baud and parity of the last call stayed stored though it failed.
    EXPECT_EQ(port.SetParameters(2400, 'O', 8, 9), LINK_BAD_STOP_BITS);
    long baud = 0;
    char parity = 0;
    int data = 0, stop = 0;
    port.GetParameters(baud, parity, data, stop);
    EXPECT_EQ(baud, 2400);
    EXPECT_EQ(parity, 'O');
}

TEST(PortHandshaking, ModesResultsAndRecordedCodes) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    int rx = -1, tx = -1;
    port.GetHandshaking(rx, tx);
    EXPECT_EQ(rx, 0);
    EXPECT_EQ(tx, 0);

    ASSERT_EQ(port.SetHandshaking(4, 12), 0);
    EXPECT_EQ(port.Config().fRtsControl, RTS_CONTROL_HANDSHAKE);
    EXPECT_EQ(port.Config().fOutxCtsFlow, 1u);
    EXPECT_TRUE(SlaveTermios(pty).c_cflag & CRTSCTS);

    struct Case {
        int rx, tx, result, recorded;
    };
    const Case refused[] = {
        {2, 0, LINK_GENERAL_ERROR, LINK_BAD_HANDSHAKE},  // the returned and recorded codes differ
        {13, 0, LINK_NOT_SUPPORTED, LINK_NOT_SUPPORTED},
        {0, 15, LINK_NOT_SUPPORTED, LINK_NOT_SUPPORTED},
        {0, 3, LINK_BAD_ARGUMENT, LINK_BAD_ARGUMENT},
        {12, 0, LINK_GENERAL_ERROR, LINK_BAD_HANDSHAKE},
    };
    for (const Case& c : refused) {
        port.TakeError();
        EXPECT_EQ(port.SetHandshaking(c.rx, c.tx), c.result) << c.rx << "/" << c.tx;
        EXPECT_EQ(port.PeekError(), c.recorded);
        port.GetHandshaking(rx, tx);
        EXPECT_EQ(rx, 4);  // the last successful modes stay
        EXPECT_EQ(tx, 12);
    }
    // Nothing was written for the refusals; the device still has RTS/CTS.
    EXPECT_TRUE(SlaveTermios(pty).c_cflag & CRTSCTS);

    ASSERT_EQ(port.SetHandshaking(1, 1), 0);
    termios tio = SlaveTermios(pty);
    EXPECT_TRUE(tio.c_iflag & IXON);
    EXPECT_TRUE(tio.c_iflag & IXOFF);
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
    ASSERT_EQ(port.SetHandshaking(3, 13), 0);
    EXPECT_EQ(port.Config().fDtrControl, DTR_CONTROL_HANDSHAKE);
    EXPECT_EQ(port.Config().fOutxDsrFlow, 1u);
    ASSERT_EQ(port.SetHandshaking(0, 0), 0);
    EXPECT_EQ(port.Config().fDtrControl, DTR_CONTROL_ENABLE);
    EXPECT_EQ(SlaveTermios(pty).c_iflag & (IXON | IXOFF), 0u);
}

TEST(PortLines, QueriesAndSets) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    // A pty has no modem lines: CTS, DSR and CD read as on, ring as off.
    EXPECT_EQ(port.Line(LINE_CTS, -1), 1);
    EXPECT_EQ(port.Line(LINE_CTS, 0), 1);  // read only: the value is ignored
    EXPECT_EQ(port.Line(LINE_DSR, -1), 1);
    EXPECT_EQ(port.Line(LINE_CD, -1), 1);
    EXPECT_EQ(port.Line(LINE_RI, -1), 0);
    for (int reserved : {17, 18, 19, 20}) EXPECT_EQ(port.Line(reserved, -1), 0) << reserved;
    for (int unknown : {0, 1, 2, 5, 9, 16, 21, 29, 30, 32, -3}) EXPECT_EQ(port.Line(unknown, 1), 2) << unknown;

    EXPECT_EQ(port.Line(LINE_DTR, -1), 1);
    EXPECT_EQ(port.Line(LINE_DTR, 0), 0);
    EXPECT_EQ(port.Config().fDtrControl, DTR_CONTROL_DISABLE);
    EXPECT_EQ(port.Line(LINE_DTR, 5), 1);
    EXPECT_EQ(port.Line(LINE_RTS, 0), 0);
    EXPECT_EQ(port.GetModemLine(2), 0);
    EXPECT_EQ(port.Line(LINE_RTS, 1), 1);
    EXPECT_EQ(port.Config().fRtsControl, RTS_CONTROL_ENABLE);

    EXPECT_EQ(port.Line(LINE_BREAK, -1), 0);
    EXPECT_EQ(port.Line(LINE_BREAK, 1), 1);
    EXPECT_EQ(port.Break(-1), 1);
    EXPECT_EQ(port.Line(LINE_BREAK, 0), 0);
    EXPECT_EQ(port.Break(-1), 0);
}

TEST(PortLines, RealModemLinesWhenTheDeviceHasThem) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    InjectingPort port(pty.SlavePath());
    port.reportModemLines = true;
    port.modemLines = TIOCM_DSR;
    EXPECT_EQ(port.Line(LINE_CTS, -1), 0);
    EXPECT_EQ(port.Line(LINE_DSR, -1), 1);
    EXPECT_EQ(port.Line(LINE_CD, -1), 0);
    EXPECT_EQ(port.GetModemLine(MS_CTS_ON), 0);
    EXPECT_EQ(port.GetModemLine(MS_DSR_ON), 1);
    // Transmission held by a low CTS under CTS flow control.
    ASSERT_EQ(port.SetHandshaking(4, 12), 0);
    CommBufferStatus status;
    port.GetBufferStatus(status, BUFFER_STATUS_ALL);
    EXPECT_EQ(status.flags, BLOCK_RECEIVED);
    port.modemLines = TIOCM_CTS;
    port.GetBufferStatus(status, BUFFER_STATUS_ALL);
    EXPECT_EQ(status.flags, 0);
}

TEST(PortLineStatus, PackedFieldsAndErrorsReportedOnce) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    InjectingPort port(pty.SlavePath());
    unsigned char packed[4];
    ASSERT_EQ(port.GetLineStatus(packed), 0);
    // DTR 1, RTS 1, break 0, DSR 1 | CTS 1, RI 0, CD 1, line 20 0 | 0,0,0 | 0
    EXPECT_EQ(packed[0], 0x01 | 0x04 | 0x40);
    EXPECT_EQ(packed[1], 0x01 | 0x10);
    EXPECT_EQ(packed[2], 0);
    EXPECT_EQ(packed[3], 0);

    struct Case {
        unsigned LineErrorCounters::*counter;
        int line;
        int byte;
        int shift;
    };
    const Case cases[] = {
        {&LineErrorCounters::parity, LINE_PARITY_ERROR, 3, 0},
        {&LineErrorCounters::frame, LINE_FRAMING_ERROR, 3, 2},
        {&LineErrorCounters::bufOverrun, LINE_RX_OVERFLOW, 3, 4},
        {&LineErrorCounters::overrun, LINE_OVERRUN, 3, 6},
        {&LineErrorCounters::brk, LINE_BREAK_DETECTED, 2, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        port.counters.*c.counter += 3;
        EXPECT_EQ(port.Line(c.line, -1), 0);  // not yet polled
        port.UpdateStatus();
        EXPECT_EQ(port.Line(c.line, -1), 1);
        // Accumulated until GetLineStatus reports and clears it.
        port.UpdateStatus();
        ASSERT_EQ(port.GetLineStatus(packed), 0);
        EXPECT_EQ((packed[c.byte] >> c.shift) & 3, 1);
        ASSERT_EQ(port.GetLineStatus(packed), 0);
        EXPECT_EQ((packed[c.byte] >> c.shift) & 3, 0);
        EXPECT_EQ(port.Line(c.line, -1), 0);
    }
}

TEST(PortQueues, BufferStatusAndPurgeCounts) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    CommBufferStatus status;
    ASSERT_EQ(port.GetBufferStatus(status, BUFFER_STATUS_TX), 0);
    EXPECT_EQ(status.rxValid, 1);
    EXPECT_EQ(status.txValid, 1);
    EXPECT_EQ(status.rxSize, 4096);
    EXPECT_EQ(status.txSize, 2048);
    EXPECT_EQ(status.rxCount, 0);

    pty.Send("12345");
    ASSERT_TRUE(test::WaitForReceived(port, 5));
    EXPECT_EQ(port.Purge(0, 3), LINK_GENERAL_ERROR);  // three gone, more may be waiting
    EXPECT_EQ(port.PeekError(), 0);
    port.GetBufferStatus(status, BUFFER_STATUS_ALL);
    EXPECT_EQ(status.rxCount, 2);
    EXPECT_EQ(port.Purge(0, 3), 0);  // ran dry after two
    port.GetBufferStatus(status, BUFFER_STATUS_ALL);
    EXPECT_EQ(status.rxCount, 0);

    pty.Send("abcdef");
    ASSERT_TRUE(test::WaitForReceived(port, 6));
    EXPECT_EQ(port.GetChar(), 'a');  // the rest may now sit in the port's own buffer
    EXPECT_EQ(port.Purge(0, 0), 0);
    port.GetBufferStatus(status, BUFFER_STATUS_ALL);
    EXPECT_EQ(status.rxCount, 0);
    EXPECT_EQ(port.GetChar(), LINK_TIMEOUT);
    EXPECT_EQ(port.Purge(1, 0), 0);

    ASSERT_EQ(port.SetBufferSizes(1000, 300, 0), 0);
    port.GetBufferStatus(status, BUFFER_STATUS_ALL);
    EXPECT_EQ(status.rxSize, 1000);
    EXPECT_EQ(status.txSize, 2048);  // 0 keeps the size
    EXPECT_EQ(port.Config().XonLim, 250);
    EXPECT_EQ(port.Config().XoffLim, 300);
}

TEST(PortReadWrite, BytesBothWaysAndFullQueue) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    InjectingPort port(pty.SlavePath());
    EXPECT_EQ(port.GetChar(), LINK_TIMEOUT);
    char buffer[16] = {};
    EXPECT_EQ(port.Read(buffer, 10), 0);
    EXPECT_EQ(port.Read(nullptr, 10), 0);

    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    pty.Send(all);
    ASSERT_TRUE(test::WaitForReceived(port, 256));
    std::string got;
    for (int i = 0; i < 256; ++i) got.push_back(static_cast<char>(port.GetChar()));
    EXPECT_EQ(got, all);  // every byte value passes unchanged

    EXPECT_EQ(port.PutChar(0), 0);
    EXPECT_EQ(port.PutChar(0x1FF), 0);  // only the low byte counts
    EXPECT_EQ(pty.Receive(2), std::string("\0\xff", 2));

    port.writeBudget = 3;
    EXPECT_EQ(port.PutString("abcdef"), 3);
    EXPECT_EQ(port.TakeError(), LINK_BUFFER_FULL);
    EXPECT_EQ(port.PutChar('z'), LINK_BUFFER_FULL);
    EXPECT_EQ(pty.Receive(3), "abc");
    EXPECT_EQ(port.TransmitImmediate('!'), 0);
    EXPECT_EQ(pty.Receive(1), "!");
}

TEST(PortStatusDump, SixLinesFromTheConfiguration) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    // The program's connection: 9600 8N1 with RTS/CTS.
    ASSERT_EQ(port.SetParameters(9600, 'N', 8, 1), 0);
    ASSERT_EQ(port.SetHandshaking(4, 12), 0);
    std::vector<std::string> lines;
    int calls = 0;
    int result = port.DumpStatus([&](const char* line) {
        lines.emplace_back(line);
        return ++calls * 10;
    });
    EXPECT_EQ(result, 60);  // the value of the last call
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Port type: MS Win32  BaudRate: 9600    ByteSize: 8  Parity: 0");
    EXPECT_EQ(lines[1], "StopBits: 0  fBinary: 1  fRtsControl: 2");
    EXPECT_EQ(lines[2], "Parity: 0  OutCtsFlow: 1  OutDsrFlow: 0  DtrControl: 1  OutX: 0  InX: 0");
    EXPECT_EQ(lines[3], "Null: 0  XonChar: 11  XoffChar: 13");
    EXPECT_EQ(lines[4], "XonLim: 1024  XoffLim: 128   EofChr: 00  EvtChr: 00");
    EXPECT_EQ(lines[5], "RX sz/ct:  4096/0      TX sz/ct:  2048/0      BLOCK SENT:0  BLOCK RECEIVED:0");

    pty.Send("xyz");
    ASSERT_TRUE(test::WaitForReceived(port, 3));
    lines.clear();
    port.DumpStatus([&](const char* line) {
        lines.emplace_back(line);
        return 0;
    });
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[5], "RX sz/ct:  4096/3      TX sz/ct:  2048/0      BLOCK SENT:0  BLOCK RECEIVED:0");
    EXPECT_EQ(port.DumpStatus(DumpLineCallback()), LINK_BAD_ARGUMENT);
}

TEST(PortVanished, ReadsAndWritesFailAtOnceWithARecordedError) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    EXPECT_EQ(port.Idle(), 0);
    pty.CloseMaster();  // the device hangs up
    char buffer[8] = {};
    EXPECT_EQ(port.Read(buffer, 4), 0);
    EXPECT_EQ(port.GetChar(), LINK_TIMEOUT);
    EXPECT_EQ(port.TakeError(), LINK_READ_ERROR);
    EXPECT_EQ(port.Idle(), LINK_READ_ERROR);  // no wait goes on polling a dead device
    EXPECT_EQ(port.PutChar('a'), LINK_WRITE_ERROR);
    EXPECT_EQ(port.PutString("abc"), 0);
    EXPECT_EQ(port.TakeError(), LINK_WRITE_ERROR);
}

TEST(PortEvents, WaitEventSeesReceivedBytes) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    unsigned mask = 99;
    unsigned events = 0;
    EXPECT_EQ(port.GetEventMask(mask), 0);
    EXPECT_EQ(mask, 0u);
    EXPECT_EQ(port.WaitEvent(events), LINK_GENERAL_ERROR);  // nothing to wait for
    ASSERT_EQ(port.SetEventMask(0x03), 0);
    EXPECT_EQ(port.SetEventChar('>'), 1);
    pty.Send("ab>");
    ASSERT_EQ(port.WaitEvent(events), 0);
    EXPECT_TRUE(events & 0x01);
    ASSERT_TRUE(test::WaitForReceived(port, 3));
    port.WaitEvent(events);
    EXPECT_EQ(events, 0x03u);
    EXPECT_EQ(port.TranslateSystemError(), LINK_GENERAL_ERROR);
}

}  // namespace
}  // namespace brelko
