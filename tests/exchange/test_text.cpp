// The text object: its file format and description, and each transfer
// against a scripted far end on a real pseudo-terminal.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ByteArchive.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "comlink/CPosixPort.h"
#include "data/CText.h"
#include "exchange/ExchangeMessages.h"
#include "tests/support/PostedRecorder.h"
#include "exchange/TextTransfers.h"
#include "exchange/TransferFailure.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/Sandbox.h"
#include "platform/Strings.h"
#include "platform/Workers.h"

namespace brelko::test {
namespace {

// ------------------------------------------------------------ file and description

TEST(TextFile, LoadAndStoreGiveBackEveryByte) {
    SetBuiltinLanguage(Language::English);
    std::string bytes = "\r\nline one\r\n[END]\r\n";
    bytes += std::string("zero\0byte", 9);  // a zero byte is kept, not a cut
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    auto text = CText::Create();
    auto in = ByteArchive::FromBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), "x.asc");
    text->Serialize(*in);
    EXPECT_EQ(text->GetText(), bytes);
    EXPECT_EQ(text->m_strDescription, "Text File " + std::to_string(bytes.size()) + " Byte");

    auto out = ByteArchive::ToMemory("y.asc");
    text->Serialize(*out);
    EXPECT_EQ(std::string(out->Bytes().begin(), out->Bytes().end()), bytes);
}

TEST(TextFile, DescriptionFollowsTheLanguageAndTheLength) {
    SetBuiltinLanguage(Language::English);
    auto text = CText::Create();
    EXPECT_EQ(text->m_strDescription, "Text File");
    auto in = ByteArchive::FromBytes(std::vector<std::uint8_t>(2048, 'x'));
    text->Serialize(*in);
    EXPECT_EQ(text->m_strDescription, "Text File 2048 Byte");
    SetBuiltinLanguage(Language::Danish);
    EXPECT_EQ(CText::Create()->m_strDescription, "Tekst Fil");
    auto empty = ByteArchive::FromBytes({});
    text->Serialize(*empty);
    EXPECT_EQ(text->m_strDescription, "Tekst Fil 0 Byte");
    SetBuiltinLanguage(Language::English);
}

TEST(TextFile, AnObjectThatIsNotSharedRefusesToStart) {
    CPosixPort::SetDeviceOverride("/nonexistent/ttyBRELKO");
    CDeviceLine line;
    CText text;  // a worker could outlive it
    EventLoop loop;
    PostedRecorder sink;
    Window status(loop, sink);
    // Refused before anything is sent or posted.
    EXPECT_FALSE(StartTextReceive(text, line, {status.Handle(), {}}, "GET ALL"));
    EXPECT_FALSE(StartTextSend(text, line, {status.Handle(), {}}, "SET ALL"));
    EXPECT_EQ(loop.Pump(), 0);
    EXPECT_EQ(RunningWorkers(), 0u);
    CPosixPort::SetDeviceOverride("");
}

// ------------------------------------------------------------ transfers on a pty

class TextTransfer : public ::testing::Test {
protected:
    void Open(PtyPeer::Responder respond) {
        SetBuiltinLanguage(Language::English);
        ini = std::make_unique<test::TempIni>("[Custom]\nComport=1\n");
        peer = std::make_unique<PtyPeer>(std::move(respond));
        ASSERT_FALSE(peer->DevicePath().empty());
        CPosixPort::SetDeviceOverride(peer->DevicePath());
        line = std::make_unique<CDeviceLine>();
        ASSERT_TRUE(line->Reopen());
    }
    void TearDown() override {
        JoinWorkers(std::chrono::seconds(10));
        line.reset();
        peer.reset();
        CPosixPort::SetDeviceOverride("");
        ini.reset();
    }
    TransferWindows Windows() { return {statusWindow.Handle(), dataWindow.Handle()}; }
    bool WaitDone() {
        return loop.RunUntil([&] { return status.Has(WM_TRANSFER_DONE); }, std::chrono::seconds(20));
    }
    std::vector<Posted> Of(unsigned msg) const {
        std::vector<Posted> out;
        for (const Posted& m : status.seen)
            if (m.message == msg) out.push_back(m);
        return out;
    }

    EventLoop loop;
    PostedRecorder status;
    PostedRecorder data;
    Window statusWindow{loop, status};
    Window dataWindow{loop, data};
    std::unique_ptr<PtyPeer> peer;
    std::unique_ptr<CDeviceLine> line;
    std::unique_ptr<test::TempIni> ini;
};

struct ReceptionCase {
    const char* name;
    std::string reply;  // after the echo
    std::string text;   // what the object holds afterwards
};

TEST_F(TextTransfer, ReceptionEndsAtThePrompt) {
    const std::string longLine(10000, 'L');
    const ReceptionCase cases[] = {
        {"line end before the prompt stays", "\r\nA=1\r\nB=2\r\n>", "\r\nA=1\r\nB=2\r\n"},
        {"prompt after a pause", std::string("\r\nA=1\r\n") + PtyPeer::kPause + ">", "\r\nA=1\r\n"},
        {"'>' inside a flowing line", "\r\nA>B\r\nC\r\n>", "\r\nA>B\r\nC\r\n"},
        {"a line longer than the line buffer", "\r\n" + longLine + "\r\n>", "\r\n" + longLine + "\r\n"},
    };
    std::string reply;
    Open([&](const std::string& l) { return l == "GET ALL" ? reply : std::string(); });
    for (const ReceptionCase& c : cases) {
        reply = c.reply;
        status.seen.clear();
        auto text = CText::Create();
        ASSERT_TRUE(StartTextReceive(*text, *line, Windows(), "GET ALL")) << c.name;
        ASSERT_TRUE(WaitDone()) << c.name;
        ASSERT_TRUE(JoinWorkers(std::chrono::seconds(5)));
        EXPECT_EQ(text->GetText(), c.text) << c.name;
        EXPECT_FALSE(status.Has(WM_TRANSFER_ERROR)) << c.name;
        EXPECT_EQ(Of(WM_BYTES_RECEIVED).back().wParam, c.text.size()) << c.name;
        EXPECT_EQ(status.seen.front().message, WM_EXCHANGE_STATE);
        EXPECT_EQ(status.seen.front().lParam, 5);
        EXPECT_EQ(status.seen.back().message, WM_TRANSFER_DONE);
        EXPECT_EQ(status.seen.back().lParam, 0);
    }
}

TEST_F(TextTransfer, SilentSystemEndsTheReceptionAndKeepsWhatCame) {
    Open([](const std::string& l) { return l == "GET MENUS" ? std::string("\r\nMENU 1\r\nMENU") : std::string(); });
    auto text = CText::Create();
    text->SetSilenceLimit(std::chrono::milliseconds(1200));
    ASSERT_TRUE(StartTextReceive(*text, *line, Windows(), "GET MENUS"));
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(text->GetText(), "\r\nMENU 1\r\nMENU");
    ASSERT_EQ(Of(WM_TRANSFER_ERROR).size(), 1u);
    EXPECT_EQ(Of(WM_TRANSFER_ERROR)[0].wParam, 1u);
}

TEST_F(TextTransfer, CancelEndsAReceptionAtOnce) {
    Open([](const std::string& l) { return l == "GET ALL" ? std::string("\r\nA=1\r\n") : std::string(); });
    auto text = CText::Create();
    text->SetSilenceLimit(std::chrono::minutes(5));
    ASSERT_TRUE(StartTextReceive(*text, *line, Windows(), "GET ALL"));
    ASSERT_TRUE(peer->WaitFor("GET ALL\n"));
    loop.RunUntil([&] { return !Of(WM_BYTES_RECEIVED).empty() && Of(WM_BYTES_RECEIVED).back().wParam >= 7; },
                  std::chrono::seconds(5));
    line->RequestCancel();
    ASSERT_TRUE(WaitDone()) << "ends long before the silence limit";
    line->ClearCancel();
    EXPECT_EQ(text->GetText(), "\r\nA=1\r\n");
    EXPECT_EQ(Of(WM_TRANSFER_ERROR).size(), 1u);
}

struct BlockCase {
    const char* name;
    std::string text;
    std::string sent;  // after the request line
};

TEST_F(TextTransfer, BlockSendingStopsAfterTheEndMarker) {
    const BlockCase cases[] = {
        {"a, marker, b: b is not sent", "a[END]b", "a[END]\n"},
        {"no marker: everything and a line feed", "x\r\ny", "x\r\ny\n"},
        {"empty text: the line feed alone", "", "\n"},
        {"only the first marker counts", "1[END]2[END]", "1[END]\n"},
    };
    Open([](const std::string&) { return std::string(); });
    for (const BlockCase& c : cases) {
        status.seen.clear();
        const std::size_t before = peer->Heard().size();
        auto text = CText::Create();
        text->SetText(c.text);
        ASSERT_TRUE(StartTextSend(*text, *line, Windows(), "SET ALL")) << c.name;
        ASSERT_TRUE(WaitDone()) << c.name;
        ASSERT_TRUE(JoinWorkers(std::chrono::seconds(5)));
        ASSERT_TRUE(peer->WaitFor("SET ALL\n" + c.sent)) << c.name;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(peer->Heard().substr(before), "SET ALL\n" + c.sent) << c.name;
        EXPECT_EQ(Of(WM_BYTES_SENT).back().wParam, c.sent.size()) << "the closing line feed counts: " << c.name;
        EXPECT_EQ(status.seen.back().message, WM_TRANSFER_DONE);
        EXPECT_EQ(status.seen.back().lParam, 6) << "a restore's follow-up";
        EXPECT_FALSE(status.Has(WM_TRANSFER_ERROR)) << c.name;
        EXPECT_EQ(data.seen.back().lParam, 3);
    }
}

TEST_F(TextTransfer, BlockProgressEveryHundredBytes) {
    Open([](const std::string&) { return std::string(); });
    auto text = CText::Create();
    text->SetText(std::string(245, 'b') + "[END]");
    ASSERT_TRUE(StartTextSend(*text, *line, Windows(), "DOWNLOAD"));
    ASSERT_TRUE(WaitDone());
    std::vector<std::pair<WPARAM, LPARAM>> progress;
    for (const Posted& m : Of(WM_BYTES_SENT)) progress.emplace_back(m.wParam, m.lParam);
    // 250 bytes of the block and its closing line feed: one count throughout.
    const std::vector<std::pair<WPARAM, LPARAM>> expected = {{0, 251}, {100, 251}, {200, 251}, {251, 251}};
    EXPECT_EQ(progress, expected);
}

TEST_F(TextTransfer, LanguageLinesAreSentOnceEachThenSaved) {
    Open([](const std::string& l) -> std::string {
        if (l == "GET VERSION") return "\r\nTZ410 Vision 3.2.E\r\n>";
        if (l.rfind("TEXT 9", 0) == 0) return " ??\r\n>";  // refused
        return "\r\n>";
    });
    auto text = CText::Create();
    text->SetText("LANGUAGE DANSK\r\nTEXT 001 EN\r\nTEXT 999 NEJ\r\n\r\nTEXT 002 TO");
    ASSERT_TRUE(StartTextSend(*text, *line, Windows(), ""));
    ASSERT_TRUE(WaitDone());
    ASSERT_TRUE(peer->WaitFor("SAVE LANGUAGE\n"));
    EXPECT_EQ(peer->Heard(),
              "LANGUAGE DANSK\nTEXT 001 EN\nTEXT 999 NEJ\nTEXT 002 TO\nGET VERSION\nSAVE LANGUAGE\n");
    EXPECT_FALSE(status.Has(WM_TRANSFER_ERROR));
    EXPECT_TRUE(data.seen.empty()) << "line sending tells the data view nothing";
    const std::vector<Posted> progress = Of(WM_BYTES_SENT);
    ASSERT_EQ(progress.size(), 5u);  // one per line sent, and the last
    EXPECT_EQ(progress.back().wParam, text->GetLength());
    EXPECT_EQ(progress.back().lParam, static_cast<LPARAM>(text->GetLength()));
    EXPECT_EQ(status.seen.back().message, WM_TRANSFER_DONE);
    EXPECT_EQ(status.seen.back().lParam, 0);
}

TEST_F(TextTransfer, RefusedLinesAreCountedWithTheirLineNumbers) {
    // Refusals in several forms.
    Open([](const std::string& l) -> std::string {
        if (l == "GET VERSION") return "\r\nTZ410 Vision 3.2.E\r\n>";
        if (l == "TEXT 2 A") return " ??\r\n>";
        if (l == "TEXT 3 B") return " ?\r\n>";
        if (l == "TEXT 4 C") return " ?? NO SUCH TEXT\r\n>";
        if (l == "TEXT 6 D") return "?";  // no prompt at all
        return "\r\n>";
    });
    auto text = CText::Create();
    // Line ends: CR LF, LF, a lone CR, and an empty line (number 5) between.
    text->SetText("TEXT 1 OK\r\nTEXT 2 A\nTEXT 3 B\rTEXT 4 C\n\nTEXT 6 D\r\nTEXT 7 OK");
    ASSERT_TRUE(StartTextSend(*text, *line, Windows(), ""));
    ASSERT_TRUE(WaitDone());
    std::vector<std::pair<WPARAM, LPARAM>> lines;
    for (const Posted& m : Of(WM_LANGUAGE_LINE)) lines.emplace_back(m.wParam, m.lParam);
    const std::vector<std::pair<WPARAM, LPARAM>> expected = {{2, 0}, {3, 0}, {4, 0}, {6, 0}};
    EXPECT_EQ(lines, expected);
    const std::vector<Posted> done = Of(WM_LANGUAGE_DONE);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].wParam, 6u) << "six lines sent";
    EXPECT_EQ(done[0].lParam, 1) << "and stored";
    EXPECT_FALSE(status.Has(WM_TRANSFER_ERROR)) << "some lines were taken";
}

TEST_F(TextTransfer, ALanguageTheSystemTakesNothingOfFails) {
    struct Case {
        const char* name;
        bool muteAfterFirst;  // the system stops echoing after the first line
        std::vector<std::pair<WPARAM, LPARAM>> lines;
        LPARAM saved;
    } cases[] = {
        {"every line refused", false, {{1, 0}, {2, 0}}, 1},
        {"the system stops echoing", true, {{2, 1}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        status.seen.clear();
        Open([this, &c](const std::string& l) -> std::string {
            if (l == "TEXT 1 A" && c.muteAfterFirst) {
                peer->Mute();
                return "\r\n>";
            }
            if (l == "SAVE LANGUAGE") return "\r\nLANGUAGE SAVED\r\n>";
            return l.rfind("TEXT", 0) == 0 ? " ??\r\n>" : "\r\n>";
        });
        auto text = CText::Create();
        text->SetText("TEXT 1 A\nTEXT 2 B\n");
        ASSERT_TRUE(StartTextSend(*text, *line, Windows(), ""));
        ASSERT_TRUE(WaitDone());
        std::vector<std::pair<WPARAM, LPARAM>> lines;
        for (const Posted& m : Of(WM_LANGUAGE_LINE)) lines.emplace_back(m.wParam, m.lParam);
        EXPECT_EQ(lines, c.lines);
        const std::vector<Posted> errors = Of(WM_TRANSFER_ERROR);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].wParam, 2u);
        EXPECT_EQ(errors[0].lParam, static_cast<LPARAM>(TransferFailure::Refused));
        const std::vector<Posted> done = Of(WM_LANGUAGE_DONE);
        ASSERT_EQ(done.size(), 1u);
        EXPECT_EQ(done[0].lParam, c.saved);
    }
}

}  // namespace
}  // namespace brelko::test
