// The link over a real pseudo-terminal: what it puts on the port, its timed
// reads, line endings, the error check, cancelling, and a vanished device.
#include <gtest/gtest.h>
#include <termios.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "comlink/COMLINK.h"
#include "tests/support/PtyPeer.h"
#include "tests/comlink/TestPorts.h"

namespace brelko {
namespace {

using test::InjectingPort;
using test::MillisecondsSince;
using test::PtyPair;

class LinkTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        port = std::make_unique<InjectingPort>(pty.SlavePath());
        ASSERT_TRUE(port->IsOpen());
        link = std::make_unique<CCommLink>(port.get());
    }
    // The device sends after the reader has started waiting.
    std::thread SendLater(std::string bytes, int delayMs) {
        return std::thread([this, bytes, delayMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            pty.Send(bytes);
        });
    }

    PtyPair pty;
    std::unique_ptr<InjectingPort> port;
    std::unique_ptr<CCommLink> link;
};

TEST_F(LinkTest, ConstructionSetsTheLineAndDestructionPutsItBack) {
    long baud = 0;
    char parity = 0;
    int data = 0, stop = 0;
    port->GetParameters(baud, parity, data, stop);
    EXPECT_EQ(baud, 9600);
    EXPECT_EQ(parity, 'N');
    EXPECT_EQ(data, 8);
    EXPECT_EQ(stop, 1);
    ASSERT_NE(link->LineStatus(), nullptr);
    ASSERT_NE(link->Settings(), nullptr);
    EXPECT_EQ(link->Settings()->SavedBaud(), 19200);  // what the port had at open

    ASSERT_EQ(port->SetHandshaking(1, 1), 0);  // the helper saved 0/0
    link.reset();
    port->GetParameters(baud, parity, data, stop);
    EXPECT_EQ(baud, 19200);
    int rx = -1, tx = -1;
    port->GetHandshaking(rx, tx);
    EXPECT_EQ(rx, 0);
    EXPECT_EQ(tx, 0);
}

TEST_F(LinkTest, PortWithARecordedErrorGetsNoHelpers) {
    CPosixPort failed("/dev/nonexistent-brelko-tty", 4096, 2048, 0);
    CCommLink broken(&failed);
    EXPECT_EQ(broken.LineStatus(), nullptr);
    EXPECT_EQ(broken.Settings(), nullptr);
    std::uint16_t flags = 0xFFFF;
    EXPECT_EQ(broken.CheckErrors(flags), LINK_GENERAL_ERROR);
    EXPECT_EQ(flags, 0);
    EXPECT_EQ(broken.CheckErrors(flags), 0);  // taken: the next check finds nothing recorded
}

TEST_F(LinkTest, GetCharTimeOuts) {
    EXPECT_EQ(link->GetChar(0), LINK_TIMEOUT);
    EXPECT_EQ(link->GetChar(30), LINK_TIMEOUT);
    std::thread device = SendLater("K", 50);
    EXPECT_EQ(link->GetChar(5000), 'K');
    device.join();
    pty.Send("\xff");
    EXPECT_EQ(link->GetChar(5000), 0xFF);  // bytes are 0..255, never negative
}

TEST_F(LinkTest, ReadWaitsForTheCountOrTheTimeOut) {
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(link->Read(buffer, 0, 1000), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(link->Read(nullptr, 5, 10), 0);

    std::thread device = SendLater("\r\n>", 30);
    EXPECT_EQ(link->Read(buffer, 3, 5000), 3);
    device.join();
    EXPECT_STREQ(buffer, "\r\n>");

    pty.Send("ab");
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(link->Read(buffer, 5, 100), 2);  // the time-out ends it with what came
    EXPECT_STREQ(buffer, "ab");
}

TEST_F(LinkTest, ReadUntilTerminatorMaximumAndTimeOut) {
    char buffer[16];
    pty.Send("ab>cd");
    EXPECT_EQ(link->ReadUntil(buffer, 10, '>', 2000), 3);
    EXPECT_STREQ(buffer, "ab>");
    EXPECT_EQ(link->ReadUntil(buffer, 10, '>', 100), 2);  // no terminator: the time-out ends it
    EXPECT_STREQ(buffer, "cd");

    pty.Send("12345");
    EXPECT_EQ(link->ReadUntil(buffer, 3, '>', 2000), 3);  // the maximum ends it
    EXPECT_STREQ(buffer, "123");
    EXPECT_EQ(link->ReadUntil(buffer, 3, -1, 100), 2);
    EXPECT_STREQ(buffer, "45");

    // -1 means no terminator: 0xFF bytes are data.
    pty.Send("\xff\xff");
    EXPECT_EQ(link->ReadUntil(buffer, 2, -1, 2000), 2);
    pty.Send("Z");
    EXPECT_EQ(link->ReadUntil(buffer, 0, -1, 100), 0);  // room for nothing but the NUL
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(link->GetChar(1000), 'Z');

    std::thread device = SendLater("x>", 30);
    EXPECT_EQ(link->ReadUntil(buffer, 3, '>', 5000), 2);
    device.join();
    EXPECT_STREQ(buffer, "x>");
}

TEST_F(LinkTest, PutStringEndings) {
    struct Case {
        const char* text;
        int ending;
        int result;
        std::string wire;
    };
    const Case cases[] = {
        {"GET", ENDING_NONE, 3, "GET"},
        {"GET", ENDING_LF, 4, "GET\n"},
        {"GET", ENDING_CRLF, 5, "GET\r\n"},
        {"GET", '>', 4, "GET>"},
        {"GET", 0, 4, std::string("GET\0", 4)},
        {"GET", 255, 4, "GET\xff"},
        {"", ENDING_LF, 1, "\n"},
        {"GET", -4, 0, ""},
        {"GET", 256, 0, ""},
        {nullptr, ENDING_LF, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ending);
        EXPECT_EQ(link->PutString(c.text, c.ending), c.result);
        EXPECT_EQ(pty.Receive(c.wire.size() + 1, 100), c.wire);
    }
    EXPECT_EQ(link->PutLine("PICT SEND"), 10);
    EXPECT_EQ(pty.Receive(11, 100), "PICT SEND\n");
}

TEST_F(LinkTest, PutStringOnAFullQueueCountsWhatWasTaken) {
    struct Case {
        int budget;
        int result;
    };
    // "ABCD" with CR LF: the text alone, the text and the CR, everything,
    // and a text that did not fit.
    const Case cases[] = {{4, 4}, {5, 5}, {6, 6}, {2, 2}, {0, 0}};
    for (const Case& c : cases) {
        port->writeBudget = c.budget;
        EXPECT_EQ(link->PutString("ABCD", ENDING_CRLF), c.result) << c.budget;
        pty.Receive(16, 50);
    }
    port->writeBudget = 0;
    EXPECT_EQ(link->PutChar('a'), LINK_BUFFER_FULL);
}

TEST_F(LinkTest, QueuesAndPurges) {
    CommBufferStatus status;
    ASSERT_EQ(link->GetBufferStatus(status), 0);
    EXPECT_EQ(status.txSize, 2048);
    EXPECT_EQ(link->TxCount(), 0);
    pty.Send("12345");
    ASSERT_TRUE(test::WaitForReceived(*port, 5));
    EXPECT_EQ(link->PurgeReceive(3), LINK_GENERAL_ERROR);
    EXPECT_EQ(link->GetChar(1000), '4');
    EXPECT_EQ(link->PurgeReceive(0), 0);
    EXPECT_EQ(link->GetChar(0), LINK_TIMEOUT);
    EXPECT_EQ(link->PurgeTransmit(), 0);
}

TEST_F(LinkTest, CheckErrorsReportsEachErrorOnce) {
    std::uint16_t flags = 0xFFFF;
    ASSERT_EQ(link->CheckErrors(flags), 0);
    EXPECT_EQ(flags, 0);

    struct Case {
        std::uint32_t LineErrorCounters::*counter;
        std::uint16_t flag;
    };
    const Case cases[] = {
        {&LineErrorCounters::parity, LINK_FLAG_PARITY},      {&LineErrorCounters::frame, LINK_FLAG_FRAMING},
        {&LineErrorCounters::bufOverrun, LINK_FLAG_RX_OVERFLOW}, {&LineErrorCounters::overrun, LINK_FLAG_OVERRUN},
        {&LineErrorCounters::brk, LINK_FLAG_BREAK},
    };
    for (const Case& c : cases) {
        port->counters.*c.counter += 1;
        ASSERT_EQ(link->CheckErrors(flags), 0);
        EXPECT_EQ(flags, c.flag);
        ASSERT_EQ(link->CheckErrors(flags), 0);
        EXPECT_EQ(flags, 0);
    }
    // Several at once, picked up by an ordinary read on the way.
    port->counters.parity += 1;
    port->counters.overrun += 2;
    pty.Send("q");
    EXPECT_EQ(link->GetChar(1000), 'q');
    ASSERT_EQ(link->CheckErrors(flags), 0);
    EXPECT_EQ(flags, LINK_FLAG_PARITY | LINK_FLAG_OVERRUN);

    // A recorded error comes first, and is taken.
    port->SetHandshaking(2, 0);
    EXPECT_EQ(link->CheckErrors(flags), LINK_BAD_HANDSHAKE);
    EXPECT_EQ(flags, 0);
    EXPECT_EQ(link->CheckErrors(flags), 0);
}

TEST_F(LinkTest, LineStatusHelper) {
    CLineStatus* status = link->LineStatus();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->Cts(), 1);  // a pty reports CTS on
    EXPECT_EQ(status->Dtr(-1), 1);
    EXPECT_EQ(status->Dtr(0), 0);
    EXPECT_EQ(status->Snapshot()[0] & 3, 0);
    EXPECT_EQ(status->Dtr(1), 1);

    port->reportModemLines = true;
    port->modemLines = 0;
    EXPECT_EQ(status->Cts(), 1);  // the snapshot is not touched until a refresh
    ASSERT_EQ(status->Refresh(), 0);
    EXPECT_EQ(status->Cts(), 0);
    port->counters.frame += 1;
    ASSERT_EQ(status->Refresh(), 0);
    EXPECT_EQ(status->FramingError(), 1);
    EXPECT_EQ(status->ParityError(), 0);
    ASSERT_EQ(status->Refresh(), 0);
    EXPECT_EQ(status->FramingError(), 0);

    ASSERT_EQ(status->SetHandshaking(4, 12), 0);
    int rx = 0, tx = 0;
    status->GetHandshaking(rx, tx);
    EXPECT_EQ(rx, 4);
    EXPECT_EQ(tx, 12);
    ASSERT_EQ(status->Restore(), 0);
    status->GetHandshaking(rx, tx);
    EXPECT_EQ(rx, 0);
    EXPECT_EQ(tx, 0);
}

TEST_F(LinkTest, PortSettingsHelper) {
    CPortSettings settings(link.get());
    // Attaching puts its own defaults on the port until the owner sets values.
    long baud = 0;
    char parity = 0;
    int data = 0, stop = 0;
    port->GetParameters(baud, parity, data, stop);
    EXPECT_EQ(baud, 1200);
    EXPECT_EQ(settings.SavedBaud(), 9600);
    EXPECT_EQ(settings.SetBaud(115200), 0);
    EXPECT_EQ(settings.SetBaud(12345), LINK_GENERAL_ERROR);  // refused: the old baud stays current
    EXPECT_EQ(settings.Baud(), 115200);
    EXPECT_EQ(settings.Restore(), 0);
    port->GetParameters(baud, parity, data, stop);
    EXPECT_EQ(baud, 9600);

    CPortSettings loose;
    EXPECT_EQ(loose.Capture(), LINK_GENERAL_ERROR);
    EXPECT_EQ(loose.Apply(), LINK_GENERAL_ERROR);
    EXPECT_EQ(loose.Restore(), 0);
}

TEST_F(LinkTest, CancelEndsEveryWait) {
    std::atomic<bool> cancel {false};
    link->SetCancelFlag(&cancel);
    std::thread canceller([&cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        cancel = true;
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link->GetChar(60000), LINK_TIMEOUT);
    canceller.join();
    EXPECT_LT(MillisecondsSince(start), 30000);
    char buffer[8];
    EXPECT_EQ(link->Read(buffer, 4, 60000), 0);
    EXPECT_EQ(link->ReadUntil(buffer, 4, '>', 60000), 0);
    cancel = false;
    pty.Send("a");
    EXPECT_EQ(link->GetChar(5000), 'a');
}

TEST_F(LinkTest, VanishedDeviceEndsTheWaitWithAnError) {
    std::thread unplug([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty.CloseMaster();
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link->GetChar(60000), LINK_READ_ERROR);
    unplug.join();
    EXPECT_LT(MillisecondsSince(start), 30000);
    char buffer[8];
    EXPECT_EQ(link->ReadUntil(buffer, 4, '>', 60000), LINK_READ_ERROR);
    EXPECT_EQ(link->Read(buffer, 4, 60000), LINK_READ_ERROR);
    EXPECT_EQ(link->PutLine("X"), 0);
    std::uint16_t flags = 0;
    EXPECT_LT(link->CheckErrors(flags), 0);
}

TEST_F(LinkTest, InterCharacterDelayKeepsARefusal) {
    link->SetDelay(5);
    EXPECT_EQ(link->PutChar('a'), 0);
    EXPECT_EQ(pty.Receive(1), "a");
    port->writeBudget = 0;
    EXPECT_EQ(link->PutChar('b'), LINK_BUFFER_FULL);
}

TEST_F(LinkTest, InterCharacterDelayLastsWhileReceivedBytesWaitUnread) {
    // Bytes on the receive side do not cut the delay short (nor, as the
    // link bench shows, make it spin).
    pty.Send("unread");
    ASSERT_GE(link->GetChar(5000), 0);
    link->SetDelay(60);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(link->PutChar('x'), 0);
    EXPECT_GE(MillisecondsSince(start), 5 * 60);
    EXPECT_EQ(pty.Receive(5), "xxxxx");
    EXPECT_EQ(link->GetChar(1000), 'n') << "the unread bytes are still there";
}

TEST_F(LinkTest, AHangUpDuringTheDelayEndsIt) {
    link->SetDelay(60000);
    std::thread unplug([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty.CloseMaster();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_LT(link->PutChar('x'), 0);
    unplug.join();
    EXPECT_LT(MillisecondsSince(start), 30000);
}

}  // namespace
}  // namespace brelko
