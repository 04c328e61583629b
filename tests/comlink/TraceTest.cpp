// The trace of the line: how bytes read, where lines break, appending, a
// file that cannot be written, a writer that falls behind, and the link
// feeding it over a real pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

#include "comlink/COMLINK.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/Sandbox.h"
#include "tests/comlink/TraceReader.h"

namespace brelko {
namespace {

using test::ReadTrace;
using test::TempDir;
using test::TraceEntry;
using test::TraceStream;

std::vector<TraceEntry> DataLines(const std::vector<TraceEntry>& entries) {
    std::vector<TraceEntry> out;
    for (const TraceEntry& e : entries)
        if (!e.note) out.push_back(e);
    return out;
}

TEST(TraceFormatTest, PrintableBytesStandAsTextOthersAsHex) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"GET VERSION\n", "GET VERSION<0A>"},
        {"\r\n>", "<0D><0A>>"},
        {"a<b", "a<3C>b"},  // "<" itself, or a reader could not tell it from a hex byte
        {std::string("\0\x7f\x80\xff", 4), "<00><7F><80><FF>"},
        {" ~", " ~"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatTraceBytes(c.bytes), c.text);
        bool ok = true;
        EXPECT_EQ(test::DecodeTraceText(c.text, &ok), c.bytes);
        EXPECT_TRUE(ok);
    }
    const std::string line = FormatTraceLine(1736850225120, TraceDirection::FromDevice, "OK\n");
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.120 < OK<0A>)"))) << line;
    EXPECT_EQ(FormatTraceLine(0, TraceDirection::ToDevice, "x").substr(23), " > x");
}

class TraceFileTest : public testing::Test {
protected:
    std::string Path() const { return dir.File("line.trace"); }
    TempDir dir;
    LineTrace trace;
};

TEST_F(TraceFileTest, BurstsBreakAtADirectionChangeALineFeedAndTheSizeLimit) {
    ASSERT_TRUE(trace.Start(Path()));
    trace.Record(TraceDirection::ToDevice, "GET ", 4);
    trace.Record(TraceDirection::ToDevice, "VERSION\n", 8);
    trace.Record(TraceDirection::FromDevice, "GET VERSION\r\nTZ410", 18);
    trace.Record(TraceDirection::FromDevice, " Vision 3.2.E\r\n\r\n>", 18);
    trace.Record(TraceDirection::ToDevice, '\n');
    const std::string big(LineTrace::MAX_BURST + 10, 'x');
    trace.Record(TraceDirection::FromDevice, big.data(), big.size());
    trace.Stop();

    const auto lines = DataLines(ReadTrace(Path()));
    ASSERT_EQ(lines.size(), 8u);
    const std::pair<char, std::string> expected[] = {
        {'>', "GET VERSION\n"},
        {'<', "GET VERSION\r\n"},
        {'<', "TZ410 Vision 3.2.E\r\n"},
        {'<', "\r\n"},
        {'<', ">"},
        {'>', "\n"},
        {'<', big.substr(0, LineTrace::MAX_BURST)},
        {'<', big.substr(LineTrace::MAX_BURST)},
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].wellFormed) << i;
        EXPECT_EQ(lines[i].direction, expected[i].first) << i;
        EXPECT_EQ(lines[i].bytes, expected[i].second) << i;
    }
}

TEST_F(TraceFileTest, APauseOfTheLineEndsABurst) {
    ASSERT_TRUE(trace.Start(Path()));
    trace.Record(TraceDirection::FromDevice, "AB", 2);
    const auto start = std::chrono::system_clock::now();
    while (std::chrono::system_clock::now() - start < std::chrono::milliseconds(LineTrace::BURST_GAP_MS + 5))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    trace.Record(TraceDirection::FromDevice, "CD", 2);
    trace.Stop();
    const auto lines = DataLines(ReadTrace(Path()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].bytes, "AB");
    EXPECT_EQ(lines[1].bytes, "CD");
}

TEST_F(TraceFileTest, AppendsToWhatIsThereAndNotesStartAndStop) {
    test::WriteFile(Path(), "earlier content\n");
    ASSERT_TRUE(trace.Start(Path()));
    trace.Record(TraceDirection::ToDevice, "one\n", 4);
    trace.Stop();
    ASSERT_TRUE(trace.Start(Path()));
    trace.Note("opened /dev/ttyUSB0");
    trace.Record(TraceDirection::ToDevice, "two\n", 4);
    trace.Stop();

    const std::string text = test::ReadFile(Path());
    EXPECT_EQ(text.rfind("earlier content\n", 0), 0u) << text;
    const auto entries = ReadTrace(Path());
    EXPECT_EQ(TraceStream(entries, '>'), "one\ntwo\n");
    std::vector<std::string> notes;
    for (const TraceEntry& e : entries)
        if (e.note) notes.push_back(e.bytes.substr(0, 13));
    const std::vector<std::string> expected = {"trace started", "trace stopped", "trace started", "opened /dev/t",
                                               "trace stopped"};
    EXPECT_EQ(notes, expected);
}

TEST_F(TraceFileTest, OffItRecordsNothingAndStartFailsWithAReason) {
    trace.Record(TraceDirection::ToDevice, "lost", 4);
    EXPECT_FALSE(trace.IsActive());
    std::string error;
    EXPECT_FALSE(trace.Start(dir.File("no/such/folder/line.trace"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(trace.IsActive());
    trace.Record(TraceDirection::ToDevice, "lost", 4);
    trace.Stop();  // harmless when never started
    EXPECT_TRUE(dir.Entries().empty());
}

TEST_F(TraceFileTest, AFailedWriteStopsTheTraceAndSaysWhy) {
    ASSERT_TRUE(trace.Start(Path()));
    {
        test::FileSizeLimit limit(64);
        const std::string chunk(4096, 'z');
        // The writer reaches the limit soon; recording then stops by itself.
        for (int i = 0; i < 100000 && trace.IsActive(); ++i)
            trace.Record(TraceDirection::FromDevice, chunk.data(), chunk.size());
        EXPECT_FALSE(trace.IsActive());
        trace.Stop();
    }
    EXPECT_FALSE(trace.LastError().empty());
}

// A reader that takes nothing holds the writer up: the queue fills, the
// bytes beyond it are dropped, recording never waits, and the trace says
// how many are missing, and where: behind the next bytes that fit, or at
// its end when none come.
TEST_F(TraceFileTest, AWriterThatFallsBehindDropsBytesAndSaysSo) {
    for (const bool moreAfter : {true, false}) {
        SCOPED_TRACE(moreAfter ? "bytes after the drop" : "the drop at the end");
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        ASSERT_TRUE(trace.Start(::fdopen(pipeEnds[1], "ab"), "pipe"));
        const int reader = pipeEnds[0];

        const std::string chunk(4096, 'q');
        const std::size_t total = LineTrace::QUEUE_LIMIT * 2;
        for (std::size_t sent = 0; sent < total; sent += chunk.size())
            trace.Record(TraceDirection::FromDevice, chunk.data(), chunk.size());
        const std::uint64_t dropped = trace.DroppedBytes();
        EXPECT_GT(dropped, 0u);

        std::string content;
        std::thread drain([&] {
            char buffer[65536];
            ssize_t n;
            while ((n = ::read(reader, buffer, sizeof buffer)) > 0)
                content.append(buffer, static_cast<std::size_t>(n));
        });
        if (moreAfter) {
            while (trace.QueuedBytes() != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            trace.Record(TraceDirection::ToDevice, "after\n", 6);  // carries the note
        }
        trace.Stop();
        drain.join();
        ::close(reader);

        const std::string copy = dir.File("copy.trace");
        test::WriteFile(copy, content);
        const auto entries = ReadTrace(copy);
        EXPECT_EQ(TraceStream(entries, '<').size() + dropped, total);
        EXPECT_EQ(TraceStream(entries, '>'), moreAfter ? "after\n" : "");
        bool noted = false;
        for (const TraceEntry& e : entries)
            if (e.note && e.bytes.rfind(std::to_string(dropped) + " bytes are missing here, from ", 0) == 0)
                noted = true;
        EXPECT_TRUE(noted) << content.substr(content.size() > 400 ? content.size() - 400 : 0);
        EXPECT_EQ(trace.DroppedBytes(), dropped) << "still known after the end, for the command's last word";
        EXPECT_TRUE(entries.back().note && entries.back().bytes.find("trace stopped") != std::string::npos);
    }
}

// A trace file follows the rule of every file the program writes: a FIFO
// (which would hold the writer up), a device or a folder is refused.
TEST_F(TraceFileTest, ATargetThatIsNoFileIsRefused) {
    const std::string fifo = dir.File("slow.trace");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& target : {fifo, std::string("/dev/null"), dir.Path()}) {
        std::string error;
        EXPECT_FALSE(trace.Start(target, &error)) << target;
        EXPECT_FALSE(error.empty()) << target;
        EXPECT_FALSE(trace.IsActive());
    }
}

// The link records what it puts on the port and what it takes off it,
// whichever of its calls moves the bytes.
TEST(TraceLinkTest, EveryByteBothWaysReachesTheTrace) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TempDir dir;
    LineTrace trace;
    ASSERT_TRUE(trace.Start(dir.File("t")));
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    ASSERT_TRUE(port.IsOpen());
    CCommLink link(&port);
    link.SetTrace(&trace);

    link.PutLine("GET VERSION");
    link.PutString("AB", ENDING_CRLF);
    link.PutChar(0x11);
    EXPECT_EQ(pty.Receive(17), std::string("GET VERSION\nAB\r\n\x11"));

    ASSERT_TRUE(pty.Send(std::string("xyz\n\x01\x02\x03>tail", 12)));
    EXPECT_EQ(link.GetChar(1000), 'x');
    char buffer[16];
    EXPECT_EQ(link.Read(buffer, 3, 1000), 3);
    EXPECT_EQ(link.ReadUntil(buffer, 10, '>', 1000), 4);
    EXPECT_EQ(link.Read(buffer, 4, 1000), 4);
    link.SetTrace(nullptr);
    ASSERT_TRUE(pty.Send("unseen"));
    EXPECT_EQ(link.Read(buffer, 6, 1000), 6);
    trace.Stop();

    const auto entries = ReadTrace(dir.File("t"));
    EXPECT_EQ(TraceStream(entries, '>'), std::string("GET VERSION\nAB\r\n\x11"));
    EXPECT_EQ(TraceStream(entries, '<'), std::string("xyz\n\x01\x02\x03>tail", 12));
}

}  // namespace
}  // namespace brelko
