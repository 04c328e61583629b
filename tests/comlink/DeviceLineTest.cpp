// The device line over a real pseudo-terminal: opening the configured port,
// the echo check, reply lines, cancelling, and why a port could not be opened.
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "comlink/deviceline/CDeviceLine.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/Sandbox.h"
#include "tests/comlink/TestPorts.h"

namespace brelko {
namespace {

using test::MillisecondsSince;
using test::PtyPair;
using test::TempIni;

// The line's port is the tty port here; its cached configuration is its own.
const CPosixPort& PosixPort(const CDeviceLine& line) {
    return dynamic_cast<const CPosixPort&>(*line.Port());
}

class DeviceLineTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        ini = std::make_unique<TempIni>("[Custom]\nComport=2\n[Ports]\nCOM2=" + pty.SlavePath() + "\n");
    }
    // Reopen, keeping its diagnostic text.
    bool Reopen(CDeviceLine& line, std::string* out = nullptr) {
        testing::internal::CaptureStdout();
        bool ok = line.Reopen();
        std::string text = testing::internal::GetCapturedStdout();
        if (out) *out = text;
        return ok;
    }
    // The device echoes whatever line arrives (up to the LF), possibly cut short.
    std::thread Echo(std::size_t keep, std::string then = "") {
        return std::thread([this, keep, then] {
            std::string got;
            while (got.empty() || got.back() != '\n') {
                std::string part = pty.Receive(1, 2000);
                if (part.empty()) return;
                got += part;
            }
            got.pop_back();
            pty.Send(got.substr(0, keep) + then);
        });
    }

    PtyPair pty;
    std::unique_ptr<TempIni> ini;
};

TEST_F(DeviceLineTest, ConstructionOpensTheConfiguredPortButChecksNothing) {
    CDeviceLine line;
    ASSERT_NE(line.Port(), nullptr);
    EXPECT_EQ(line.Port()->PortNumber(), 1);
    EXPECT_TRUE(line.Port()->IsOpen());
    EXPECT_NE(line.Link(), nullptr);
    EXPECT_NE(line.LineStatus(), nullptr);
    EXPECT_EQ(line.m_bPortOpen + line.m_bContact + line.m_bRightPort + line.m_bKnownSystem + line.m_bReady, 0);
}

TEST_F(DeviceLineTest, ReopenSelectsRtsCtsAndTellsTheOldMode) {
    CDeviceLine line;
    std::string text;
    ASSERT_TRUE(Reopen(line, &text));
    EXPECT_EQ(text, "\nNo handshaking being used.\n");
    EXPECT_EQ(line.m_bPortOpen, 1);
    EXPECT_EQ(line.m_bReady, 0);  // identification sets it, not Reopen
    EXPECT_TRUE(line.OpenFailureReason().empty());

    const PortConfig& c = PosixPort(line).Config();
    EXPECT_EQ(c.BaudRate, 9600u);
    EXPECT_EQ(c.ByteSize, 8);
    EXPECT_EQ(c.Parity, 0);
    EXPECT_EQ(c.StopBits, 0);
    EXPECT_EQ(c.fRtsControl, RTS_CONTROL_HANDSHAKE);
    EXPECT_EQ(c.fOutxCtsFlow, 1u);
    termios tio {};
    ::tcgetattr(pty.Master(), &tio);
    EXPECT_TRUE(tio.c_cflag & CRTSCTS);
    EXPECT_EQ(cfgetospeed(&tio), B9600);
    int rx = 0, tx = 0;
    line.LineStatus()->GetHandshaking(rx, tx);
    EXPECT_EQ(rx, 4);
    EXPECT_EQ(tx, 12);
    std::vector<std::string> dump;
    line.Port()->DumpStatus([&dump](const char* text) {
        dump.emplace_back(text);
        return 0;
    });
    ASSERT_EQ(dump.size(), 6u);
    EXPECT_EQ(dump[0], "Port type: MS Win32  BaudRate: 9600    ByteSize: 8  Parity: 0");
    EXPECT_EQ(dump[1], "StopBits: 0  fBinary: 1  fRtsControl: 2");
    EXPECT_EQ(dump[4], "XonLim: 1024  XoffLim: 128   EofChr: 00  EvtChr: 00");

    // A second Reopen replaces everything; the first port is closed before
    // the new one opens, so it is not "already open".
    line.m_bContact = 1;
    ASSERT_TRUE(Reopen(line));
    EXPECT_EQ(line.m_bPortOpen, 1);
    EXPECT_EQ(line.m_bContact, 1);  // untouched
    EXPECT_TRUE(PosixPort(line).Config().fOutxCtsFlow);
}

TEST_F(DeviceLineTest, ReopenReadsTheSettingEachTime) {
    CDeviceLine line;
    ASSERT_TRUE(Reopen(line));
    // No Comport key: COM1.
    ini->Rewrite("[Ports]\nCOM1=" + pty.SlavePath() + "\n");
    ASSERT_TRUE(Reopen(line));
    EXPECT_EQ(line.Port()->PortNumber(), 0);

    // Comport 0 asks for port number -1, which is refused.
    ini->Rewrite("[Custom]\nComport=0\n");
    line.m_bReady = 1;
    EXPECT_FALSE(Reopen(line));
    EXPECT_EQ(line.m_bPortOpen, 0);
    EXPECT_EQ(line.m_bReady, 0);
    EXPECT_EQ(line.Port()->OpenFailureKind(), OpenFailure::NotInTable);
    EXPECT_FALSE(line.OpenFailureReason().empty());
    EXPECT_NE(line.Link(), nullptr);  // the new port and link stay, without helper
    EXPECT_EQ(line.LineStatus(), nullptr);
    EXPECT_FALSE(line.SendCommand("GET VERSION"));
}

// A port whose line reports a new parity error at every look.
class NoisyPort : public test::InjectingPort {
public:
    using InjectingPort::InjectingPort;

protected:
    bool QueryLineErrorCounters(LineErrorCounters& out) override {
        ++counters.parity;
        out = counters;
        return true;
    }
};

TEST_F(DeviceLineTest, LineErrorRightAfterOpeningFailsReopen) {
    CDeviceLine::SetPortFactory([](int portNumber, int, int) -> std::unique_ptr<CPosixPort> {
        return std::make_unique<NoisyPort>(CPosixPort::DevicePathFor(portNumber));
    });
    CDeviceLine line;
    line.m_bReady = 1;
    bool ok = Reopen(line);
    CDeviceLine::SetPortFactory(nullptr);
    EXPECT_FALSE(ok);
    EXPECT_EQ(line.m_bPortOpen, 0);
    EXPECT_EQ(line.m_bReady, 0);
    EXPECT_EQ(line.LineStatus(), nullptr);
    EXPECT_TRUE(line.Port()->IsOpen());  // it opened; the line is what failed
    ASSERT_TRUE(Reopen(line));           // a quiet line again
}

TEST_F(DeviceLineTest, NonexistentDeviceSaysSo) {
    ini->Rewrite("[Custom]\nComport=2\n[Ports]\nCOM2=/dev/brelko-no-such-tty\n");
    CDeviceLine line;
    EXPECT_FALSE(Reopen(line));
    EXPECT_EQ(line.Port()->OpenFailureKind(), OpenFailure::NoSuchDevice);
    EXPECT_EQ(line.OpenFailureReason(), "No such device: /dev/brelko-no-such-tty");
    EXPECT_EQ(line.Port()->PeekError(), 0);  // Reopen took it with CheckErrors
}

TEST_F(DeviceLineTest, SecondLineInTheProcessFindsThePortOpen) {
    CDeviceLine first;
    ASSERT_TRUE(Reopen(first));
    CDeviceLine second;
    EXPECT_FALSE(Reopen(second));
    EXPECT_EQ(second.Port()->OpenFailureKind(), OpenFailure::AlreadyOpen);
    EXPECT_NE(second.OpenFailureReason().find("already open"), std::string::npos);
    // The first still works.
    std::thread device = Echo(100);
    EXPECT_TRUE(first.SendCommand("GET VERSION"));
    device.join();
}

TEST_F(DeviceLineTest, BusyDeviceNamesTheHolder) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Another program holding the device as this one does (and not
        // the far end: the master side stays with the test).
        ::close(pty.Master());
        int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ::flock(fd, LOCK_EX | LOCK_NB);
        char ok = fd >= 0 ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(ok, 'y');

    CDeviceLine line;
    EXPECT_FALSE(Reopen(line));
    EXPECT_EQ(line.Port()->OpenFailureKind(), OpenFailure::Busy);
    const std::string reason = line.OpenFailureReason();
    EXPECT_NE(reason.find("busy"), std::string::npos) << reason;
    EXPECT_NE(reason.find("(pid " + std::to_string(child) + ")"), std::string::npos) << reason;

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(Reopen(line));  // free again
}

TEST_F(DeviceLineTest, DeviceWithoutPermissionNamesTheGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to drop to another user";
    int result[2];
    ASSERT_EQ(::pipe(result), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // An ordinary user against a pty slave that belongs to root (mode 620).
        std::string reason = "setuid failed";
        if (::setgid(65534) == 0 && ::setgroups(0, nullptr) == 0 && ::setuid(65534) == 0) {
            CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
            reason = std::to_string(static_cast<int>(port.OpenFailureKind())) + "|" + port.OpenFailureReason();
        }
        (void)!::write(result[1], reason.data(), reason.size());
        ::_exit(0);
    }
    ::close(result[1]);
    std::string reason;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(result[0], buffer, sizeof buffer)) > 0) reason.append(buffer, static_cast<std::size_t>(n));
    ::close(result[0]);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(reason.substr(0, reason.find('|')), std::to_string(static_cast<int>(OpenFailure::NoPermission)))
        << reason;
    EXPECT_NE(reason.find("No permission to open " + pty.SlavePath()), std::string::npos) << reason;
    struct stat st {};
    ASSERT_EQ(::stat(pty.SlavePath().c_str(), &st), 0);
    const group* owner = ::getgrgid(st.st_gid);
    ASSERT_NE(owner, nullptr);
    EXPECT_NE(reason.find("group \"" + std::string(owner->gr_name) + "\""), std::string::npos) << reason;
    EXPECT_NE(reason.find("log in again"), std::string::npos) << reason;
}

TEST(OpenFailureText, EachCauseHasItsOwnReason) {
    struct Case {
        int err;
        OpenFailure kind;
        const char* words;
    };
    const Case cases[] = {
        {ENOENT, OpenFailure::NoSuchDevice, "No such device: /dev/null"},
        {ENXIO, OpenFailure::NoSuchDevice, "No such device"},
        {EIO, OpenFailure::NoSuchDevice, "No such device"},
        {EACCES, OpenFailure::NoPermission, "belongs to group \"root\""},
        {EPERM, OpenFailure::NoPermission, "new login"},
        {EBUSY, OpenFailure::Busy, "/dev/null is busy"},
        {EWOULDBLOCK, OpenFailure::Busy, "another program"},
        {ENOTTY, OpenFailure::NotATty, "not a serial device"},
        {ENOMEM, OpenFailure::Other, "Cannot open /dev/null"},
    };
    for (const Case& c : cases) {
        OpenFailure kind = OpenFailure::None;
        std::string text = CPosixPort::DescribeOpenFailure("/dev/null", c.err, &kind);
        EXPECT_EQ(kind, c.kind) << c.err;
        EXPECT_NE(text.find(c.words), std::string::npos) << text;
    }
    // A regular file is no serial device.
    CPosixPort file("/etc/hostname", 4096, 2048, 0);
    EXPECT_EQ(file.OpenFailureKind(), OpenFailure::NotATty);
    EXPECT_EQ(file.PeekError(), LINK_GENERAL_ERROR);
}

TEST_F(DeviceLineTest, SendCommandChecksTheEcho) {
    CDeviceLine line;
    ASSERT_TRUE(Reopen(line));
    struct Case {
        std::size_t keep;
        std::string then;
        bool ok;
    };
    const Case cases[] = {
        {11, "", true},       // exactly the 11 bytes
        {10, "", false},      // one byte short, then silence
        {10, "X", false},     // a wrong byte
        {11, "\r\n", true},   // what follows is the reply, not the echo
    };
    for (const Case& c : cases) {
        std::thread device = Echo(c.keep, c.then);
        EXPECT_EQ(line.SendCommand("GET VERSION"), c.ok) << c.keep << c.then;
        device.join();
        line.Link()->PurgeReceive(0);
    }
    EXPECT_TRUE(line.SendCommand(""));  // nothing to echo but the LF went out
    EXPECT_EQ(pty.Receive(1), "\n");
    // Bytes above 127 compare as bytes.
    std::thread device = Echo(100);
    EXPECT_TRUE(line.SendCommand("\xe6\xf8\xe5"));
    device.join();
}

// A failed echo says what the line did instead; the far end answers the
// request with these bytes in place of the echo.
TEST_F(DeviceLineTest, AFailedEchoSaysWhatTheLineDidInstead) {
    CDeviceLine line;
    ASSERT_TRUE(Reopen(line));
    struct Case {
        std::string answer;
        LineFaultReport report;
    };
    const Case cases[] = {
        {"", {LineFault::NoAnswer, 0}},
        {"GET #ERSION\r\nTZ410 Vision 3.2.E\r\n>", {LineFault::WrongEcho, 0}},
        {"GET VERS", {LineFault::WrongEcho, 0}},  // cut short, then silence
        {"\x8f\x90\r\n>GET VERSION\r\nTZ410 Vision 3.2.E\r\n>", {LineFault::Noise, 5}},
        {"GET V\xfe\xfeSION\r\n>", {LineFault::Noise, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.answer));
        std::thread device([&] {
            pty.Receive(12, 2000);  // the request and its LF
            pty.Send(c.answer);
        });
        LineFaultReport report;
        EXPECT_FALSE(line.SendCommand("GET VERSION", &report));
        device.join();
        EXPECT_EQ(report, c.report) << static_cast<int>(report.fault) << " " << report.strayBytes;
        line.Link()->PurgeReceive(0);
    }
    // A good echo is no fault.
    std::thread device = Echo(100);
    LineFaultReport report{LineFault::Noise, 3};
    EXPECT_TRUE(line.SendCommand("GET VERSION", &report));
    EXPECT_FALSE(report.Any());
    device.join();
}

TEST(ClassifyEchoTest, AVanishedDeviceAndSilenceComeFirst) {
    EXPECT_EQ(ClassifyEcho("GET VERSION", "GET VER", LINK_READ_ERROR).fault, LineFault::Vanished);
    EXPECT_EQ(ClassifyEcho("GET VERSION", "", LINK_READ_ERROR).fault, LineFault::Vanished);
    EXPECT_EQ(ClassifyEcho("GET VERSION", "", LINK_TIMEOUT).fault, LineFault::NoAnswer);
    const LineFaultReport late = ClassifyEcho("GET VERSION", "\r\n>GET VERSION", 0);
    EXPECT_EQ(late.fault, LineFault::Noise);
    EXPECT_EQ(late.strayBytes, 3u) << "a late prompt is no part of this answer";
}

TEST_F(DeviceLineTest, ReadLineStopsAtLfOrSilence) {
    CDeviceLine line;
    ASSERT_TRUE(Reopen(line));
    pty.Send("hello\nwo");
    EXPECT_EQ(line.ReadLine(), "hello\n");
    EXPECT_EQ(line.ReadLine(), "wo");  // two letters, then 500 ms of silence
    EXPECT_EQ(line.ReadLine(), "");
    pty.Send("\n");
    EXPECT_EQ(line.ReadLine(), "\n");
    // A device that never ends its line does not make the line grow forever.
    std::thread device([this] { pty.Send(std::string(CDeviceLine::MAX_LINE + 10, 'b')); });
    EXPECT_EQ(line.ReadLine().size(), CDeviceLine::MAX_LINE);
    device.join();
    EXPECT_EQ(line.ReadLine(), std::string(10, 'b'));
}

TEST_F(DeviceLineTest, ReadLineIntoABufferNeverPassesItsEnd) {
    CDeviceLine line;
    ASSERT_TRUE(Reopen(line));
    EXPECT_EQ(line.ReadLine(nullptr, 10), nullptr);
    char guard[8];
    EXPECT_EQ(line.ReadLine(guard, 0), nullptr);

    struct Buffer {
        char data[4];
        char canary[4];
    } buffer;
    std::memset(&buffer, '#', sizeof buffer);
    pty.Send("abcdefg\nxy\n");
    char* end = line.ReadLine(buffer.data, sizeof buffer.data);
    EXPECT_EQ(end, buffer.data + 3);
    EXPECT_STREQ(buffer.data, "abc");
    EXPECT_EQ(std::string(buffer.canary, 4), "####");
    EXPECT_STREQ((line.ReadLine(buffer.data, sizeof buffer.data), buffer.data), "def");
    EXPECT_STREQ((line.ReadLine(buffer.data, sizeof buffer.data), buffer.data), "g\n");
    EXPECT_STREQ((line.ReadLine(buffer.data, sizeof buffer.data), buffer.data), "xy\n");
    EXPECT_EQ(std::string(buffer.canary, 4), "####");
    char one[1] = {'#'};
    EXPECT_EQ(line.ReadLine(one, 1), one);  // room for the NUL only
    EXPECT_EQ(one[0], '\0');
    pty.Send("zz");
    char big[16];
    EXPECT_EQ(line.ReadLine(big, sizeof big), big + 2);
    EXPECT_STREQ(big, "zz");
}

TEST_F(DeviceLineTest, CancelMakesThePrimitivesReturnAtOnce) {
    CDeviceLine line;
    ASSERT_TRUE(Reopen(line));
    line.RequestCancel();
    EXPECT_TRUE(line.CancelRequested());
    EXPECT_EQ(line.Link()->GetChar(60000), LINK_TIMEOUT);
    EXPECT_FALSE(line.SendCommand("GET VERSION"));
    EXPECT_EQ(pty.Receive(1, 50), "");  // nothing was sent
    pty.Send("abc\n");
    EXPECT_EQ(line.ReadLine(), "");
    char buffer[8];
    EXPECT_EQ(line.ReadLine(buffer, sizeof buffer), buffer);
    line.ClearCancel();
    EXPECT_EQ(line.ReadLine(), "abc\n");

    // A cancel from another thread ends a wait in progress.
    std::thread canceller([&line] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        line.RequestCancel();
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(line.Link()->GetChar(60000), LINK_TIMEOUT);
    canceller.join();
    EXPECT_LT(MillisecondsSince(start), 30000);
    // The cancel survives a Reopen until it is cleared.
    ASSERT_TRUE(Reopen(line));
    EXPECT_TRUE(line.CancelRequested());
    EXPECT_EQ(line.Link()->GetChar(60000), LINK_TIMEOUT);
}

TEST_F(DeviceLineTest, VanishedDeviceFailsTheCommand) {
    CDeviceLine line;
    ASSERT_TRUE(Reopen(line));
    pty.CloseMaster();
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(line.SendCommand("GET VERSION"));
    EXPECT_EQ(line.ReadLine(), "");
    EXPECT_LT(MillisecondsSince(start), 30000);
    EXPECT_LT(line.Port()->PeekError(), 0);
}

}  // namespace
}  // namespace brelko
