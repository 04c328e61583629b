// The COM port and the link over it, against the Linux simulator on the pty
// that the Wine prefix maps to COM<BRELKO_TEST_COM> (tests/windows/with-sim
// starts it). Each suite needs the simulator started its own way; CTest runs
// one suite per simulator (tests/windows/CMakeLists.txt).
//
// A pty has no modem lines under Wine: GetCommModemStatus fails. The port
// then reports CTS, DSR and CD on, as the tty port does for a device without
// modem lines, so the CTS case below checks the modem status as it comes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "comlink/CCommLink.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "comlink/CLineStatus.h"
#include "comlink/CPortSettings.h"
#include "comlink/CWin32Port.h"
#include "platform/Clock.h"
#include "comlink/LinkCodes.h"

namespace brelko {
namespace {

int TestComNumber() {
    const char* text = std::getenv("BRELKO_TEST_COM");
    return text && *text ? std::atoi(text) : 1;
}

std::unique_ptr<CWin32Port> OpenTestPort() {
    return std::make_unique<CWin32Port>(TestComNumber() - 1, 4096, 2048, 0);
}

// Waits until the port holds at least `count` received bytes (10 s at most).
bool WaitForReceived(CCommPort& port, int count) {
    const std::uint32_t start = brelko::GetTickCount();
    CommBufferStatus status;
    while (brelko::GetTickCount() - start < 10000) {
        port.GetBufferStatus(status, BUFFER_STATUS_ALL);
        if (status.rxCount >= count) return true;
        port.Idle();
    }
    return false;
}

// The link reads what the simulator sends after a request, up to its prompt.
std::string ReadToPrompt(CCommLink& link) {
    std::vector<char> buffer(4097);
    const int n = link.ReadUntil(buffer.data(), 4096, '>', 3000);
    return n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : std::string();
}

class ComPortTest : public testing::Test {
protected:
    void SetUp() override {
        port = OpenTestPort();
        ASSERT_TRUE(port->IsOpen()) << port->OpenFailureReason();
        ASSERT_EQ(port->PeekError(), 0);
        link = std::make_unique<CCommLink>(port.get());
        link->PurgeReceive(0);
    }
    std::unique_ptr<CWin32Port> port;
    std::unique_ptr<CCommLink> link;
};

TEST_F(ComPortTest, OpensWithTheDefaultConfigurationAndTheLinksParameters) {
    const DCB* dcb = port->Config();
    ASSERT_NE(dcb, nullptr);
    EXPECT_EQ(dcb->BaudRate, 9600u);  // the link's, over the port's 19200
    EXPECT_EQ(dcb->ByteSize, 8);
    EXPECT_EQ(dcb->Parity, NOPARITY);
    EXPECT_EQ(dcb->StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb->fBinary, 1u);
    EXPECT_EQ(dcb->XonLim, 1024);
    EXPECT_EQ(dcb->XoffLim, 128);
    EXPECT_EQ(dcb->fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));  // raised by the constructor
    std::vector<std::string> dump;
    port->DumpStatus([&dump](const char* line) {
        dump.emplace_back(line);
        return 0;
    });
    ASSERT_EQ(dump.size(), 6u);
    EXPECT_EQ(dump[0], "Port type: MS Win32  BaudRate: 9600    ByteSize: 8  Parity: 0");
    EXPECT_EQ(dump[4], "XonLim: 1024  XoffLim: 128   EofChr: 00  EvtChr: 00");
    EXPECT_EQ(dump[5].rfind("RX sz/ct:  4096/0      TX sz/ct:  2048/", 0), 0u) << dump[5];
}

TEST_F(ComPortTest, ASecondObjectOnTheSamePortIsRefusedAndTheFirstStaysUsable) {
    CWin32Port second(TestComNumber() - 1, 4096, 2048, 0);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.PeekError(), LINK_ALREADY_OPEN);
    EXPECT_EQ(second.OpenFailureKind(), OpenFailure::AlreadyOpen);
    EXPECT_STREQ(ErrorText(second.PeekError()), "Comm link is already open");
    // By name too: "COM<n>" is the same port.
    CWin32Port byName("COM" + std::to_string(TestComNumber()), 4096, 2048, 0);
    EXPECT_EQ(byName.PeekError(), LINK_ALREADY_OPEN);
    EXPECT_EQ(byName.PortNumber(), TestComNumber() - 1);

    EXPECT_EQ(link->PutLine(""), 1);
    EXPECT_EQ(ReadToPrompt(*link), "\r\n>");
}

TEST(ComPortOpen, MissingPortsAndNumbersOutsideTheTableAreRefusedWithAReason) {
    CWin32Port missing(40, 4096, 2048, 0);  // COM41: not mapped in the prefix
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.PeekError(), LINK_GENERAL_ERROR);
    EXPECT_EQ(missing.OpenFailureKind(), OpenFailure::NoSuchDevice);
    EXPECT_EQ(missing.OpenFailureReason(), "No such device: COM41");

    CWin32Port outside(-1, 4096, 2048, 0);
    EXPECT_EQ(outside.PeekError(), LINK_GENERAL_ERROR);
    EXPECT_EQ(outside.OpenFailureKind(), OpenFailure::NotInTable);

    // A link over a port that did not open makes no helpers and reports the
    // port's code through CheckErrors.
    CCommLink link(&missing);
    EXPECT_EQ(link.Settings(), nullptr);
    std::uint16_t flags = 0;
    EXPECT_EQ(link.CheckErrors(flags), LINK_GENERAL_ERROR);
    EXPECT_EQ(link.GetChar(0), LINK_TIMEOUT);
}

TEST_F(ComPortTest, PurgeCountsDiscardAtMostCountBytes) {
    // Two bare line feeds: two prompts, six bytes.
    ASSERT_EQ(link->PutString("\n\n", ENDING_NONE), 2);
    ASSERT_TRUE(WaitForReceived(*port, 6));
    EXPECT_EQ(port->Purge(0, 3), LINK_GENERAL_ERROR);  // three gone, more may wait
    CommBufferStatus status;
    port->GetBufferStatus(status, BUFFER_STATUS_ALL);
    EXPECT_EQ(status.rxCount, 3);
    EXPECT_EQ(port->Purge(0, 5), 0);  // ran dry first
    EXPECT_EQ(port->GetChar(), LINK_TIMEOUT);
}

TEST_F(ComPortTest, TimeOutsCountFromTheCallAndZeroMakesOneAttempt) {
    EXPECT_EQ(link->GetChar(0), LINK_TIMEOUT);
    const std::uint32_t start = brelko::GetTickCount();
    EXPECT_EQ(link->GetChar(200), LINK_TIMEOUT);
    EXPECT_GE(brelko::GetTickCount() - start, 200u);
    char buffer[8] = {'x', 'x'};
    EXPECT_EQ(link->Read(buffer, 0, 100), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(link->Read(nullptr, 4, 100), 0);
}

TEST_F(ComPortTest, ReadUntilStopsAfterTheTerminatorOrTheMaximum) {
    ASSERT_EQ(link->PutLine(""), 1);
    char buffer[16];
    EXPECT_EQ(link->ReadUntil(buffer, 15, '>', 2000), 3);
    EXPECT_STREQ(buffer, "\r\n>");
    ASSERT_EQ(link->PutLine(""), 1);
    EXPECT_EQ(link->ReadUntil(buffer, 2, '>', 2000), 2);
    EXPECT_STREQ(buffer, "\r\n");
    EXPECT_EQ(link->GetChar(2000), '>');
}

TEST_F(ComPortTest, ParametersAreCheckedInOrderAndRefusalsLeaveTheDeviceAlone) {
    EXPECT_EQ(port->SetParameters(9600, 'X', 8, 1), LINK_BAD_PARITY);
    EXPECT_EQ(port->SetParameters(9600, 'N', 9, 1), LINK_BAD_WORD_LENGTH);
    EXPECT_EQ(port->SetParameters(9600, 'N', 8, 3), LINK_BAD_STOP_BITS);
    EXPECT_EQ(port->SetParameters(9600, 'N', 5, 2), 0);
    EXPECT_EQ(port->Config()->StopBits, ONE5STOPBITS);
    long baud = 0;
    char parity = 0;
    int data = 0, stop = 0;
    port->GetParameters(baud, parity, data, stop);
    EXPECT_EQ(baud, 9600);
    EXPECT_EQ(parity, 'N');
    EXPECT_EQ(data, 5);
    EXPECT_EQ(stop, 1);
}

TEST_F(ComPortTest, HandshakeModesAndTheirRefusals) {
    struct Case {
        int receive, transmit, result, recorded;
    };
    const Case cases[] = {
        {2, 0, LINK_GENERAL_ERROR, LINK_BAD_HANDSHAKE},  // returned and recorded codes differ
        {13, 0, LINK_NOT_SUPPORTED, LINK_NOT_SUPPORTED},
        {0, 15, LINK_NOT_SUPPORTED, LINK_NOT_SUPPORTED},
        {0, 7, LINK_BAD_ARGUMENT, LINK_BAD_ARGUMENT},
        {4, 12, 0, 0},
    };
    for (const Case& c : cases) {
        port->TakeError();
        EXPECT_EQ(port->SetHandshaking(c.receive, c.transmit), c.result) << c.receive << "/" << c.transmit;
        EXPECT_EQ(port->PeekError(), c.recorded) << c.receive << "/" << c.transmit;
    }
    int receive = 0, transmit = 0;
    port->GetHandshaking(receive, transmit);
    EXPECT_EQ(receive, 4);
    EXPECT_EQ(transmit, 12);
    EXPECT_EQ(port->Config()->fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
    EXPECT_EQ(port->Config()->fOutxCtsFlow, 1u);
}

TEST_F(ComPortTest, LinesAnswerByTheTableAndCtsAsTheModemStatusComes) {
    EXPECT_EQ(port->Line(LINE_DTR, -1), 1);
    EXPECT_EQ(port->Line(LINE_DTR, 0), 0);
    EXPECT_EQ(port->Config()->fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
    EXPECT_EQ(port->Line(LINE_DTR, 1), 1);
    EXPECT_EQ(port->Line(18, -1), 0);
    EXPECT_EQ(port->Line(9, -1), 2);
    // As the modem status comes: a device without modem lines reads as
    // connected; one with them reports its CTS.
    const int cts = port->Line(LINE_CTS, 1);  // a set does not change CTS
    if (port->HasModemLines()) {
        EXPECT_TRUE(cts == 0 || cts == 1);
    } else {
        EXPECT_EQ(cts, 1);
        EXPECT_EQ(port->Line(LINE_DSR, -1), 1);
        EXPECT_EQ(port->Line(LINE_RI, -1), 0);
    }
    unsigned char packed[4];
    EXPECT_EQ(port->GetLineStatus(packed), 0);
    EXPECT_EQ(packed[3], 0);  // no line errors on a clean line
}

TEST_F(ComPortTest, IdleSleepsInTheSystemAndWakesForAByte) {
    // A silent line: ten Idle calls take at least a grain each.
    const std::uint32_t start = brelko::GetTickCount();
    for (int i = 0; i < 10; ++i) EXPECT_EQ(port->Idle(), 0);
    EXPECT_GE(brelko::GetTickCount() - start, 9 * CWin32Port::IDLE_WAIT_MS);
    ASSERT_EQ(link->PutLine(""), 1);
    EXPECT_EQ(link->GetChar(2000), '\r');
}

TEST_F(ComPortTest, WritesNeverTakeMoreThanTheTransmitQueue) {
    // A restore-sized block goes out in pieces the queue can take; what is
    // refused is recorded as a full buffer, never lost silently.
    std::string block(6000, 'A');
    int taken = port->Write(block.data(), static_cast<int>(block.size()));
    EXPECT_GT(taken, 0);
    EXPECT_LE(taken, 2048);
    if (taken < static_cast<int>(block.size())) {
        EXPECT_EQ(port->TakeError(), LINK_BUFFER_FULL);
    }
    // End the line, so that the simulator is ready for the next request.
    while (link->TxCount() > 0) port->Idle();
    ASSERT_EQ(link->PutLine(""), 1);
    std::vector<char> reply(8193);
    const int n = link->ReadUntil(reply.data(), 8192, '>', 5000);
    EXPECT_GT(n, taken);
    EXPECT_EQ(reply[static_cast<std::size_t>(n) - 1], '>');
}

TEST_F(ComPortTest, BytesWrittenOneByOneGoOutWholeAndInOrder) {
    // A restore is sent byte by byte: bytes taken while a write is in
    // flight go out together as the next one, in the order they came.
    std::string line;
    for (int i = 0; i < 1500; ++i) line += static_cast<char>('A' + i % 26);
    for (char c : line) {
        while (link->TxCount() > 1024) port->Idle();
        ASSERT_EQ(link->PutChar(static_cast<unsigned char>(c)), 0);
    }
    ASSERT_EQ(link->PutChar('\n'), 0);
    EXPECT_LE(port->WriteCalls(), line.size() + 1);
    std::vector<char> reply(4097);
    const int n = link->ReadUntil(reply.data(), 4096, '>', 5000);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(reply.data(), static_cast<std::size_t>(n)).find(line), 0u);
    EXPECT_EQ(port->TakeError(), 0);
}

// The device line opens the test's COM port whatever the settings say.
class DeviceLineOnCom : public testing::Test {
protected:
    void SetUp() override {
        CDeviceLine::SetPortFactory([](int, int receiveSize, int transmitSize) {
            return CDeviceLine::MakeSystemPort(TestComNumber() - 1, receiveSize, transmitSize);
        });
    }
    void TearDown() override { CDeviceLine::SetPortFactory({}); }
};
using ComPortWrongEcho = DeviceLineOnCom;
using ComPortDeviceLine = DeviceLineOnCom;
using ComPortSilence = DeviceLineOnCom;

// Needs the simulator started with --fault-wrong-echo.
TEST_F(ComPortWrongEcho, AWrongEchoFailsTheCommandAndTheReplyStartsAfterIt) {
    CDeviceLine line;
    ASSERT_TRUE(line.Reopen()) << line.OpenFailureReason();
    EXPECT_FALSE(line.SendCommand("GET VERSION"));
}

// Needs the plain simulator: the device line's primitives through CWin32Port.
TEST_F(ComPortDeviceLine, EchoAndReplyLines) {
    CDeviceLine line;
    ASSERT_TRUE(line.Reopen()) << line.OpenFailureReason();
    EXPECT_NE(dynamic_cast<CWin32Port*>(line.Port()), nullptr);
    EXPECT_EQ(line.m_bPortOpen, 1);
    ASSERT_TRUE(line.SendCommand("GET VERSION"));
    // The reply: CR LF, the version line, the prompt.
    EXPECT_EQ(line.ReadLine(), "\r\n");
    EXPECT_EQ(line.ReadLine(), "TZ410 Vision 3.2.E\r\n");
    line.LineStatus()->Refresh();
    EXPECT_EQ(line.LineStatus()->Cts(), 1);
    // A second device line on the same port cannot open it.
    CDeviceLine second;
    EXPECT_FALSE(second.Reopen());
    EXPECT_EQ(second.Port()->PeekError(), 0);  // taken by CheckErrors
    EXPECT_EQ(second.Port()->OpenFailureKind(), OpenFailure::AlreadyOpen);
}

// Needs the simulator started with --fault-silent-after 5 --fault-request "GET VERSION".
TEST_F(ComPortSilence, AReplyThatStopsComesBackWithoutItsLineFeed) {
    CDeviceLine line;
    ASSERT_TRUE(line.Reopen()) << line.OpenFailureReason();
    ASSERT_TRUE(line.SendCommand("GET VERSION"));
    EXPECT_EQ(line.ReadLine(), "\r\n");
    const std::uint32_t start = brelko::GetTickCount();
    EXPECT_EQ(line.ReadLine(), "TZ4");  // five bytes of the reply, then nothing
    EXPECT_GE(brelko::GetTickCount() - start, static_cast<DWORD>(CDeviceLine::BYTE_TIMEOUT_MS));
}

}  // namespace
}  // namespace brelko
