// The status view's texts and computations, without a vision system.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "comlink/deviceline/CDeviceLine.h"
#include "comlink/CPosixPort.h"
#include "exchange/CStatusView.h"
#include "data/CText.h"
#include "platform/Profile.h"
#include "exchange/ProgressText.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/Sandbox.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"

namespace brelko {
namespace {

TEST(ProgressText, CountsTotalsAndSecondsLeft) {
    SetBuiltinLanguage(Language::English);
    struct Case {
        unsigned id;
        std::uint64_t count, total;
        std::string text;
    } cases[] = {
        {IDS_BYTES_RECEIVED, 1500, 3632, "Bytes received: 001500\nOf Total :    003632\nSeconds left 2"},
        {IDS_BYTES_RECEIVED, 0, 0, "Bytes received: 000000"},
        {IDS_BYTES_RECEIVED, 42, 0, "Bytes received: 000042"},
        {IDS_BYTES_RECEIVED, 1234567, 0, "Bytes received: 1234567"},
        {IDS_BYTES_SENT, 0, 1066, "Bytes sent: 000000\nOf Total :    001066\nSeconds left 1"},
        {IDS_BYTES_SENT, 1, 1066, "Bytes sent: 000001\nOf Total :    001066\nSeconds left 0"},
        {IDS_BYTES_SENT, 250, 250, "Bytes sent: 000250\nOf Total :    000250\nSeconds left 0"},
        // More than the total never shows a wrapped, huge estimate.
        {IDS_BYTES_SENT, 300, 250, "Bytes sent: 000300\nOf Total :    000250\nSeconds left 0"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatProgress(c.id, c.count, c.total), c.text);

    SetBuiltinLanguage(Language::Danish);
    EXPECT_EQ(FormatProgress(IDS_BYTES_RECEIVED, 1500, 3632),
              "Bytes modtaget: 001500\naf i alt :    003632\nSekunder tilbage 2");
    SetBuiltinLanguage(Language::English);
}

TEST(ProgressText, NumbersGoIntoTheTextWithoutPrintf) {
    EXPECT_EQ(ReplaceNumber("left %d s", 7), "left 7 s");
    EXPECT_EQ(ReplaceNumber("%s %n %d", 3), "%s %n 3");
    EXPECT_EQ(ReplaceNumber("no number", 3), "no number");
}

class StatusView : public ::testing::Test {
protected:
    void SetUp() override {
        SetBuiltinLanguage(Language::English);
        ini = std::make_unique<test::TempIni>("[Custom]\nComport=3\n");
        CPosixPort::SetDeviceOverride("/nonexistent/ttyBRELKO");
        view = std::make_unique<CStatusView>(loop, window);
        window.Attach(view.get());
    }
    void TearDown() override {
        view.reset();
        CPosixPort::SetDeviceOverride("");
        ini.reset();
    }
    // The message as a worker posts it.
    void Send(const StatusMessage& message) {
        brelko::Post(view->Handle(), message);
        loop.Pump();
    }
    // The words as the queue carries them, for values no worker posts.
    void Post(unsigned msg, WPARAM w, LPARAM l) {
        view->Handle().Post(msg, w, l);
        loop.Pump();
    }

    EventLoop loop;
    HeadlessStatusWindow window;
    std::unique_ptr<CStatusView> view;
    std::unique_ptr<test::TempIni> ini;
};

TEST_F(StatusView, FiveLinesAndTheStatePane) {
    view->Connect();
    ASSERT_EQ(view->Lines().size(), 5u);
    EXPECT_EQ(view->Lines()[1], "COM port 3 not open");
    EXPECT_EQ(view->Lines()[3], "Unable to Open COM Port!");
    EXPECT_EQ(window.m_strPane, "Unable to Open COM Port!");
    EXPECT_EQ(window.m_strText, "\n\nCOM port 3 not open\n\n\n\nUnable to Open COM Port!\n\n\n\n");
    EXPECT_GE(window.m_nErasing, 1);
}

TEST_F(StatusView, StateLineShowsTheFirstUnsetFlag) {
    CDeviceLine& line = view->Line();
    struct Case {
        int open, contact, right, known, ready;
        const char* text;
    } cases[] = {
        {0, 1, 1, 1, 1, "Unable to Open COM Port!"},
        {1, 0, 1, 1, 1, "No contact to vision system. Choose correct COM port and check serial cable."},
        {1, 1, 0, 1, 1, "Wrong com port selected on vision system"},
        {1, 1, 1, 0, 1, "Unknown vision system"},
        {1, 1, 1, 1, 1, "Ready"},
        {1, 1, 1, 1, 0, "Ready"},
    };
    for (const Case& c : cases) {
        line.m_bPortOpen = c.open;
        line.m_bContact = c.contact;
        line.m_bRightPort = c.right;
        line.m_bKnownSystem = c.known;
        line.m_bReady = c.ready;
        view->OnDraw();
        EXPECT_EQ(view->Lines()[3], c.text);
        EXPECT_EQ(window.m_strPane, c.text);
    }
    EXPECT_EQ(view->Lines()[1], "COM port 3 open");
}

TEST_F(StatusView, StateMessagesSetTheBusyStateAndItsText) {
    view->OnDraw();
    Send(ExchangeState{ExchangeStateKind::Receiving});
    EXPECT_TRUE(view->IsBusy());
    EXPECT_EQ(view->Lines()[3], "Recieving data");
    EXPECT_FALSE(view->IsCtsOn()) << "the port is not open";
    Send(ExchangeState{ExchangeStateKind::Sending});
    EXPECT_EQ(view->Lines()[3], "Sending Data");
    Post(WM_EXCHANGE_STATE, 0, 99);  // an unknown kind shows nothing
    EXPECT_EQ(view->Lines()[3], "");
    EXPECT_TRUE(view->IsBusy());

    // Connect while busy rebuilds nothing.
    const CCommPort* port = view->Line().Port();
    view->Connect();
    EXPECT_EQ(view->Line().Port(), port);
}

TEST_F(StatusView, ProgressAndErrorTexts) {
    const int erasing = window.m_nErasing;
    Send(BytesReceived{1500, 3632});
    EXPECT_EQ(view->Progress(), "Bytes received: 001500\nOf Total :    003632\nSeconds left 2");
    EXPECT_EQ(view->Lines()[4], view->Progress());
    Send(BytesSent{7});
    EXPECT_EQ(view->Progress(), "Bytes sent: 000007");
    for (WPARAM which : {0u, 1u, 3u}) {
        Post(WM_TRANSFER_ERROR, which, 0);
        EXPECT_EQ(view->Progress(), "Error recieving data!");
    }
    Send(TransferError{TransferDirection::Sending});
    EXPECT_EQ(view->Progress(), "Error sending data!");
    EXPECT_EQ(window.m_nErasing, erasing) << "progress repaints without erasing";
}

TEST_F(StatusView, TheErrorsReasonGoesIntoTheOutcomeAndLineFourSaysWhatHappened) {
    struct Case {
        WPARAM which;
        LPARAM why;
        TransferFailure failure;
        const char* text;
    };
    const Case cases[] = {
        {1, 1, TransferFailure::LineErrors, "Error recieving data!"},
        {1, 2, TransferFailure::Silence, "Error recieving data!\nthe system fell silent: nothing came for 30 seconds"},
        {1, 3, TransferFailure::DeviceGone, "Error recieving data!\nthe device vanished (unplugged?)"},
        {2, 3, TransferFailure::DeviceGone, "Error sending data!\nthe device vanished (unplugged?)"},
        {1, 4, TransferFailure::Cancelled, "Cancelled"},  // the user's own cancel is no error
        {2, 4, TransferFailure::Cancelled, "Cancelled"},
        {2, 5, TransferFailure::Stalled, "Error sending data!"},
        {1, 0, TransferFailure::None, "Error recieving data!"},  // unnamed
        {2, 99, TransferFailure::None, "Error sending data!"},   // unknown: unnamed
        {1, -1, TransferFailure::None, "Error recieving data!"},
    };
    for (const Case& c : cases) {
        view->BeginCourse();
        Post(WM_TRANSFER_ERROR, c.which, c.why);
        EXPECT_EQ(view->LastOutcome().failure, c.failure) << c.why;
        EXPECT_EQ(view->LastOutcome().sendFailed, c.which == 2) << c.why;
        EXPECT_EQ(view->Progress(), c.text) << c.why;
    }
    view->AbandonCourse();
}

TEST_F(StatusView, ALanguageSendingEndsWithItsSummaryOnLineFour) {
    view->BeginCourse();
    Send(BytesSent{10, 100});
    Send(LanguageLine{4, LanguageLineFault::Refused});
    Send(LanguageLine{9, LanguageLineFault::NotEchoed});
    Send(LanguageLine{17, LanguageLineFault::Refused});
    Send(LanguageDone{120, true});
    const LanguageOutcome& language = view->LastOutcome().language;
    EXPECT_TRUE(language.done);
    EXPECT_EQ(language.lines, 120);
    EXPECT_EQ(language.refused, 2);
    EXPECT_EQ(language.refusedLines, (std::vector<int>{4, 17}));
    EXPECT_EQ(language.notEchoedLines, (std::vector<int>{9}));
    EXPECT_FALSE(language.Failed());
    EXPECT_EQ(view->Progress(), "2 of 120 lines refused (lines 4, 17); 1 not echoed (line 9)");
    EXPECT_EQ(view->Lines()[4], view->Progress());

    view->BeginCourse();
    Send(TransferError{TransferDirection::Sending, TransferFailure::Refused});
    Send(LanguageDone{3, false});
    EXPECT_TRUE(view->LastOutcome().language.Failed());
    EXPECT_EQ(view->Progress(),
              "Error sending data!\n0 of 3 lines refused; the system did not take the order to store the texts");
    view->AbandonCourse();
}

TEST(LanguageSummaryText, ListsAreShortAndInTheUsersLanguage) {
    LanguageOutcome language;
    language.done = true;
    language.saved = true;
    language.lines = 40;
    for (int i = 1; i <= 25; ++i) language.refusedLines.push_back(i);
    language.refused = 25;
    SetBuiltinLanguage(Language::English);
    EXPECT_EQ(LanguageSummary(language),
              "25 of 40 lines refused (lines 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, ...)");
    language.refusedLines = {3};
    language.refused = 1;
    SetBuiltinLanguage(Language::Danish);
    EXPECT_EQ(LanguageSummary(language), "1 af 40 linjer afvist (linje 3)");
    SetBuiltinLanguage(Language::English);
}

TEST_F(StatusView, ActiveDocumentDescription) {
    auto text = CText::Create();
    text->m_strDescription = "Backup File 10 Byte";
    window.m_activeDocument = ActiveDocument{true, text};
    view->OnDraw();
    EXPECT_EQ(view->Lines()[2], "Backup File 10 Byte");
    window.m_activeDocument = ActiveDocument{true, nullptr};  // no data object: keeps the last
    view->OnDraw();
    EXPECT_EQ(view->Lines()[2], "Backup File 10 Byte");
    window.m_activeDocument = ActiveDocument{false, nullptr};
    view->OnDraw();
    EXPECT_EQ(view->Lines()[2], "");
}

TEST_F(StatusView, RequestWordsFollowTheIdentification) {
    auto identify = [&](const char* reply, int number) {
        const std::string text = reply;
        view->ApplyIdentification(IdentifyResult{IdentifyOutcome::Identified, text, text.substr(0, text.find(' ')),
                                                 text.substr(text.rfind(' ') + 1), number, {}});
    };
    identify("TZ410 V 3.2.E", 302010);
    EXPECT_EQ(view->GetPictureCommand(), "GET PICTURE");
    EXPECT_EQ(view->GetBackupCommand(), "UPLOAD");
    identify("TZ410 V 3.2.D", 302009);
    EXPECT_EQ(view->GetPictureCommand(), "PICT SEND");
    identify("KALDspot V 1.7.I", 107009);
    view->SetServiceData(1);
    EXPECT_EQ(view->GetBackupCommand(), "GET ALL LEARN");
    EXPECT_TRUE(view->IsHexPictureSystem());
    EXPECT_TRUE(view->MatchModel("KALDspot", 107009, 107009));
}

// Identification against a scripted far end: the paths the simulator does not take.
class Identification : public StatusView {
protected:
    void Start(std::unique_ptr<test::PtyPeer> p) {
        view.reset();
        peer = std::move(p);
        CPosixPort::SetDeviceOverride(peer->DevicePath());
        view = std::make_unique<CStatusView>(loop, window);
        window.Attach(view.get());
        view->Connect();
        ASSERT_TRUE(view->WaitForCourse(loop, std::chrono::seconds(20)));
    }
    void TearDown() override {
        StatusView::TearDown();
        peer.reset();
    }
    std::unique_ptr<test::PtyPeer> peer;
};

TEST_F(Identification, BothVersionRequestsRefusedIsAnUnknownSystem) {
    Start(std::make_unique<test::PtyPeer>([](const std::string& l) {
        return l.empty() ? std::string("\r\n>") : std::string(" ??\r\n>");
    }));
    EXPECT_TRUE(peer->WaitFor("GET VERSION\n"));
    EXPECT_TRUE(peer->WaitFor("VERSION\n"));
    EXPECT_EQ(view->Lines()[3], "Unknown vision system");
    EXPECT_EQ(view->Line().m_bRightPort, 1);
    EXPECT_EQ(view->Line().m_bReady, 0);
    EXPECT_FALSE(view->LastOutcome().ready);
}

TEST_F(Identification, NoEchoIsTheWrongPort) {
    Start(std::make_unique<test::PtyPeer>([](const std::string&) { return std::string(); }, false));
    EXPECT_EQ(view->Lines()[3], "Wrong com port selected on vision system");
    EXPECT_EQ(view->Lines()[0], "");
    EXPECT_EQ(view->Line().m_bContact, 1);
    EXPECT_EQ(view->Line().m_bReady, 0);
}

TEST_F(Identification, RepliesOfFewWordsOrOverlongWords) {
    struct Case {
        std::string reply;
        std::string product;
        int version;
    } cases[] = {
        {"TZ220 2.11.A", "TZ220", 211014},
        {"AVERYLONGPRODUCTNAMEINDEED Vision 1.6.L", "AVERYLONGPRODUCTNAM", 106019},
    };
    for (const Case& c : cases) {
        Start(std::make_unique<test::PtyPeer>([&](const std::string& l) {
            return l == "GET VERSION" ? "\r\n" + c.reply + "\r\n\r\n>" : std::string("\r\n>");
        }));
        EXPECT_EQ(view->Lines()[3], "Ready") << c.reply;
        EXPECT_EQ(view->Lines()[0], c.reply);
        EXPECT_EQ(view->Product(), c.product);
        EXPECT_EQ(view->VersionNumber(), c.version);
    }
    // A product without a version: no request words can be chosen.
    Start(std::make_unique<test::PtyPeer>([&](const std::string& l) {
        return l == "GET VERSION" ? std::string("\r\nKALDspot\r\n\r\n>") : std::string("\r\n>");
    }));
    EXPECT_EQ(view->Lines()[3], "Unknown vision system");
    EXPECT_EQ(view->Lines()[0], "KALDspot");
    EXPECT_EQ(view->Line().m_bReady, 0);
}

}  // namespace
}  // namespace brelko
