// Every device command end to end: a status view on a real pseudo-terminal,
// the simulated vision system on the far end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/exchange/ExchangeRig.h"
#include "res/ResourceIds.h"
#include "platform/Workers.h"
#include "platform/Strings.h"

namespace brelko::test {
namespace {

class Exchange : public ::testing::Test {
protected:
    void SetUp() override { SetBuiltinLanguage(Language::English); }

    // After a transfer: its end, the clearing state and the identification.
    void ExpectClearingAndIdentification(std::size_t from, FollowUp followUp, ExchangeStateKind identifyKind) {
        std::vector<Seen> seen = rig.SeenSince(from);
        auto done = std::find_if(seen.begin(), seen.end(), [](const Seen& s) { return s.Is<TransferDone>(); });
        ASSERT_NE(done, seen.end());
        EXPECT_EQ(done->As<TransferDone>()->followUp, followUp);
        auto clearing = std::find_if(done, seen.end(), [](const Seen& s) {
            return s.IsState(ExchangeStateKind::Clearing);
        });
        ASSERT_NE(clearing, seen.end());
        EXPECT_EQ(clearing->stateLine, "Clearing System buffer");
        auto identified = std::find_if(clearing, seen.end(), [&](const Seen& s) { return s.IsState(identifyKind); });
        ASSERT_NE(identified, seen.end());
        EXPECT_EQ(identified + 1, seen.end()) << "the identification ends the course";
    }

    ExchangeRig rig;
};

// ------------------------------------------------------------ per preset

struct PresetCase {
    const char* preset;
    const char* product;
    const char* version;
    int number;
    const char* backup;
};

void PrintTo(const PresetCase& c, std::ostream* os) {
    *os << c.preset;
}

class EveryPreset : public Exchange, public ::testing::WithParamInterface<PresetCase> {};

TEST_P(EveryPreset, ConnectsIdentifiesAndFetchesMenusAndLanguage) {
    const PresetCase& c = GetParam();
    rig.Start(Preset(c.preset));
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.StateLine(), "Ready");
    EXPECT_EQ(rig.window.m_strPane, "Ready");
    EXPECT_EQ(rig.view->Lines()[0], rig.sim->VersionLine());
    EXPECT_EQ(rig.view->Lines()[1], "COM port 1 open");
    EXPECT_EQ(rig.view->Product(), c.product);
    EXPECT_EQ(rig.view->Version(), c.version);
    EXPECT_EQ(rig.view->VersionNumber(), c.number);
    EXPECT_EQ(rig.view->GetBackupCommand(), c.backup);
    EXPECT_TRUE(rig.view->LastOutcome().ready);
    ASSERT_GE(rig.window.seen.size(), 2u);
    EXPECT_TRUE(rig.window.seen.front().IsState(ExchangeStateKind::Clearing));
    EXPECT_TRUE(rig.window.seen.back().IsState(ExchangeStateKind::Identify));

    // The words the rules choose are the ones this firmware knows: a refusal
    // would come back as " ??".
    auto menus = CText::Create();
    std::size_t from = rig.window.seen.size();
    ASSERT_EQ(FetchMenus(*rig.view, *menus, rig.dataWindow->Handle()), CommandStart::Started);
    ASSERT_TRUE(rig.Wait());
    EXPECT_GT(menus->GetLength(), 100u);
    EXPECT_EQ(menus->GetText().find("??"), std::string::npos);
    EXPECT_FALSE(rig.view->LastOutcome().receiveFailed);
    ExpectClearingAndIdentification(from, FollowUp::Identify, ExchangeStateKind::Identify);

    auto language = CText::Create();
    from = rig.window.seen.size();
    ASSERT_EQ(FetchLanguage(*rig.view, *language, rig.dataWindow->Handle()), CommandStart::Started);
    ASSERT_TRUE(rig.Wait());
    EXPECT_NE(language->GetText().find("\r\nLANGUAGE ENGLISH\r\nTEXT 001 MAIN MENU\r\n"), std::string::npos);
    EXPECT_EQ(language->GetText().find("??"), std::string::npos);
    ExpectClearingAndIdentification(from, FollowUp::Identify, ExchangeStateKind::Identify);
    EXPECT_EQ(rig.StateLine(), "Ready");
}

INSTANTIATE_TEST_SUITE_P(
    Presets, EveryPreset,
    ::testing::Values(PresetCase{"tz410-3.2.E", "TZ410", "3.2.E", 302010, "UPLOAD"},
                      PresetCase{"tz410-3.2.D", "TZ410", "3.2.D", 302009, "UPLOAD"},
                      PresetCase{"tz220-2.11.A", "TZ220", "2.11.A", 211014, "UPLOAD"},
                      PresetCase{"tz220-4.1.A", "TZ220", "4.1.A", 401006, "UPLOAD"},
                      PresetCase{"kaldspot-1.7.A", "KALDspot", "1.7.A", 107009, "GET ALL"},
                      // Refuses "GET VERSION": identified through "VERSION".
                      PresetCase{"tz410-old", "TZ410", "1.0.F", 100007, "GET ALL"},
                      // No rule knows it: the oldest words.
                      PresetCase{"unknown", "QX300", "5.0.B", 500007, "GET ALL"}),
    [](const ::testing::TestParamInfo<PresetCase>& info) {
        std::string name = info.param.preset;
        std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

// ------------------------------------------------------------ connection failures

TEST_F(Exchange, NoCtsMeansNoContactAndClearsTheIdentification) {
    rig.Start(Preset("tz410-3.2.E"));
    ASSERT_TRUE(rig.Connect());
    ASSERT_EQ(rig.StateLine(), "Ready");
    const std::string versionLine = rig.view->Lines()[0];

    rig.faults.ctsOff = true;
    EXPECT_FALSE(rig.view->IsCtsOn());
    rig.view->Connect();
    EXPECT_FALSE(rig.view->IsExchangeRunning());
    EXPECT_EQ(rig.StateLine(), "No contact to vision system. Choose correct COM port and check serial cable.");
    EXPECT_EQ(rig.view->Lines()[0], versionLine) << "the old version reply stays";
    EXPECT_EQ(rig.view->Line().m_bContact, 0);
    EXPECT_EQ(rig.view->Line().m_bReady, 0);
    auto text = CText::Create();
    EXPECT_EQ(FetchBackup(*rig.view, *text), CommandStart::NotReady);
}

TEST_F(Exchange, PortThatCannotBeOpened) {
    rig.StartOn("/nonexistent/ttyBRELKO");
    rig.view->Connect();
    EXPECT_FALSE(rig.view->IsExchangeRunning());
    EXPECT_EQ(rig.StateLine(), "Unable to Open COM Port!");
    EXPECT_EQ(rig.view->Lines()[1], "COM port 1 not open");
    EXPECT_FALSE(rig.view->IsCtsOn());
    EXPECT_FALSE(rig.view->IsDtrOn());
    EXPECT_FALSE(rig.view->Line().OpenFailureReason().empty());
    auto text = CText::Create();
    EXPECT_EQ(FetchBackup(*rig.view, *text), CommandStart::NotReady);
    EXPECT_EQ(SendBackup(*rig.view, *text), CommandStart::NotReady);
}

// ------------------------------------------------------------ backup and restore

TEST_F(Exchange, BackupRestoreBackupGivesTheRestoredBytes) {
    rig.Start(Preset("tz410-3.2.E"));
    ASSERT_TRUE(rig.Connect());

    std::size_t from = rig.window.seen.size();
    auto first = rig.Backup();
    const std::string original = first->GetText();
    ASSERT_GT(original.size(), 19000u);
    ASSERT_EQ(original.substr(original.size() - 7), "[END]\r\n");
    ExpectClearingAndIdentification(from, FollowUp::Identify, ExchangeStateKind::Identify);
    // The data view heard of the growing text and of its end.
    ASSERT_FALSE(rig.dataSink.seen.empty());
    EXPECT_EQ(rig.dataSink.seen.back(), DataUpdateKind::TextReceived);
    EXPECT_GE(std::count(rig.dataSink.seen.begin(), rig.dataSink.seen.end(), DataUpdateKind::ContentGrew), 10);

    std::string changed = original;
    const std::size_t gain = changed.find("GAIN=4");
    ASSERT_NE(gain, std::string::npos);
    changed.replace(gain, 6, "GAIN=7");
    from = rig.window.seen.size();
    rig.Restore(changed + "trailing bytes after the end marker are not sent\r\n");
    EXPECT_FALSE(rig.view->LastOutcome().sendFailed);
    EXPECT_EQ(rig.view->Progress().substr(0, 12), "Bytes sent: ");
    ExpectClearingAndIdentification(from, FollowUp::IdentifyAfterRestore, ExchangeStateKind::IdentifyAfterRestore);
    EXPECT_EQ(rig.dataSink.seen.back(), DataUpdateKind::TextSent);
    EXPECT_EQ(rig.StateLine(), "Ready");

    auto second = rig.Backup();
    EXPECT_EQ(second->GetText(), changed);
}

TEST_F(Exchange, RestoreProgressAndTheWaitForARestartingSystem) {
    SimConfig config = Preset("tz220-4.1.A");
    config.restartSilence = std::chrono::milliseconds(2500);  // longer than the first passes
    rig.Start(config);
    ASSERT_TRUE(rig.Connect());
    auto backup = rig.Backup();
    // Up to "[END]", without its CR LF, and the closing line feed.
    const std::size_t count = backup->GetLength() - 1;

    const std::size_t from = rig.window.seen.size();
    rig.Restore(backup->GetText());
    ASSERT_TRUE(rig.view->LastOutcome().ready) << "identified once the system was back";
    std::vector<Seen> seen = rig.SeenSince(from);
    std::vector<std::size_t> progress;
    for (const Seen& s : seen) {
        if (s.IsState(ExchangeStateKind::Sending)) {
            EXPECT_EQ(s.stateLine, "Sending Data");
        }
        const BytesSent* sent = s.As<BytesSent>();
        if (!sent) continue;
        EXPECT_EQ(sent->toSend, count);
        progress.push_back(sent->count);
        EXPECT_EQ(s.progress.substr(0, 12), "Bytes sent: ");
        EXPECT_NE(s.progress.find("\nOf Total :    0" + std::to_string(count)), std::string::npos) << s.progress;
    }
    ASSERT_GE(progress.size(), 3u);
    for (std::size_t i = 0; i + 1 < progress.size(); ++i) EXPECT_EQ(progress[i], i * 100);
    EXPECT_EQ(progress.back(), count) << "the last progress reports every byte sent";
    EXPECT_NE(seen.back().stateLine, "Sending Data");
    EXPECT_EQ(rig.StateLine(), "Ready");
}

TEST_F(Exchange, RestoreOfAFileWithoutEndMarker) {
    rig.Start(Preset("tz410-3.2.D"));
    ASSERT_TRUE(rig.Connect());
    const std::size_t from = rig.window.seen.size();
    rig.Restore("\r\n[SYSTEM]\r\nNAME=NO END MARKER\r\n");
    EXPECT_FALSE(rig.view->LastOutcome().sendFailed);
    // The clearing ends the block with its own end marker; the system stores
    // it, restarts and is identified again.
    ExpectClearingAndIdentification(from, FollowUp::IdentifyAfterRestore, ExchangeStateKind::IdentifyAfterRestore);
    EXPECT_EQ(rig.StateLine(), "Ready");
    auto after = rig.Backup();
    EXPECT_EQ(after->GetText(), "\r\n[SYSTEM]\r\nNAME=NO END MARKER\r\n[END]\r\n");
}

TEST_F(Exchange, KaldspotRestoreWithServiceData) {
    rig.Start(Preset("kaldspot-1.7.A"));
    ASSERT_TRUE(rig.Connect());
    rig.view->SetServiceData(1);
    EXPECT_EQ(rig.view->GetBackupCommand(), "GET ALL LEARN");
    auto backup = rig.Backup();
    ASSERT_NE(backup->GetText().find("[LEARN]"), std::string::npos);
    std::string changed = backup->GetText();
    changed.replace(changed.find("GAIN=4"), 6, "GAIN=2");
    const std::size_t from = rig.window.seen.size();
    rig.Restore(changed);
    ExpectClearingAndIdentification(from, FollowUp::IdentifyAfterRestore, ExchangeStateKind::IdentifyAfterRestore);
    EXPECT_EQ(rig.Backup()->GetText(), changed);
}

// ------------------------------------------------------------ progress

TEST_F(Exchange, ReceptionProgressInOrderWithItsTexts) {
    rig.Start(Preset("tz220-2.11.A"));
    ASSERT_TRUE(rig.Connect());
    const std::size_t from = rig.window.seen.size();
    auto text = rig.Backup();
    std::vector<Seen> seen = rig.SeenSince(from);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(seen.front().IsState(ExchangeStateKind::Receiving));
    EXPECT_EQ(seen.front().stateLine, "Recieving data");
    std::size_t last = 0;
    std::size_t updates = 0;
    for (const Seen& s : seen) {
        if (s.Is<TransferDone>()) break;
        const BytesReceived* received = s.As<BytesReceived>();
        if (!received) continue;
        ++updates;
        EXPECT_GE(received->count, last);
        last = received->count;
        char expected[32];
        std::snprintf(expected, sizeof expected, "Bytes received: %06zu", received->count);
        EXPECT_EQ(s.progress, expected);
        EXPECT_EQ(s.stateLine, "Recieving data");
    }
    EXPECT_GT(updates, 100u) << "one per line";
    EXPECT_EQ(last, text->GetLength()) << "the last count is the text's length";
    EXPECT_EQ(rig.view->Progress(), "Bytes received: 0" + std::to_string(text->GetLength()));
    EXPECT_FALSE(rig.view->LastOutcome().receiveFailed);
}

// ------------------------------------------------------------ sending a language

TEST_F(Exchange, SentLanguageComesBackFromTheSystem) {
    rig.Start(Preset("tz410-3.2.E"));
    ASSERT_TRUE(rig.Connect());
    auto file = CText::Create();
    // CR LF line ends, a line the system refuses, a last line without end.
    file->SetText("LANGUAGE DANSK\r\nTEXT 001 HOVEDMENU\r\nTEXT 999 UKENDT\r\n\r\nTEXT 002 KOER\r\nTEXT 003 STOP NU");
    const std::size_t from = rig.window.seen.size();
    ASSERT_EQ(SendLanguage(*rig.view, *file, rig.dataWindow->Handle()), CommandStart::Started);
    ASSERT_TRUE(rig.Wait());
    EXPECT_FALSE(rig.view->LastOutcome().sendFailed);
    ExpectClearingAndIdentification(from, FollowUp::Identify, ExchangeStateKind::Identify);
    std::vector<std::size_t> progress;
    for (const Seen& s : rig.SeenSince(from))
        if (const BytesSent* sent = s.As<BytesSent>()) progress.push_back(sent->count);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), file->GetLength());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));

    auto language = CText::Create();
    ASSERT_EQ(FetchLanguage(*rig.view, *language), CommandStart::Started);
    ASSERT_TRUE(rig.Wait());
    const std::string got = language->GetText();
    EXPECT_NE(got.find("\r\nLANGUAGE DANSK\r\nTEXT 001 HOVEDMENU\r\nTEXT 002 KOER\r\nTEXT 003 STOP NU\r\nTEXT 004 PROGRAM\r\n"),
              std::string::npos)
        << got.substr(0, 200);
    EXPECT_EQ(got.find("UKENDT"), std::string::npos);
}

// ------------------------------------------------------------ failures of a transfer

TEST_F(Exchange, LineErrorsDuringAReceptionShowTheReceiveError) {
    rig.Start(Preset("tz410-3.2.E"));
    ASSERT_TRUE(rig.Connect());
    const std::size_t from = rig.window.seen.size();
    rig.faults.parityErrors = 3;  // the driver counted parity errors
    auto text = rig.Backup();
    EXPECT_TRUE(rig.view->LastOutcome().receiveFailed);
    EXPECT_EQ(rig.view->LastOutcome().failure, TransferFailure::LineErrors);
    EXPECT_NE(text->GetText().find("[END]"), std::string::npos) << "the text stays as received";
    bool shown = false;
    for (const Seen& s : rig.SeenSince(from))
        if (s.Is<TransferError>()) shown = s.progress == "Error recieving data!";
    EXPECT_TRUE(shown);
    ExpectClearingAndIdentification(from, FollowUp::Identify, ExchangeStateKind::Identify);
    EXPECT_EQ(rig.StateLine(), "Ready");
}

TEST_F(Exchange, StalledTransmitQueueShowsTheSendError) {
    rig.Start(Preset("tz410-3.2.E"));
    ASSERT_TRUE(rig.Connect());
    rig.faults.transmitStalled = true;
    const std::size_t from = rig.window.seen.size();
    rig.Restore("\r\nGAIN=1\r\n[END]\r\n");
    EXPECT_TRUE(rig.view->LastOutcome().sendFailed);
    EXPECT_EQ(rig.view->LastOutcome().failure, TransferFailure::Stalled);
    EXPECT_EQ(rig.view->Progress(), "Error sending data!");
    std::vector<Seen> seen = rig.SeenSince(from);
    auto sent = std::find_if(seen.rbegin(), seen.rend(), [](const Seen& s) { return s.Is<BytesSent>(); });
    ASSERT_NE(sent, seen.rend());
    EXPECT_EQ(sent->As<BytesSent>()->count, 0u) << "nothing left the stalled queue";
    ExpectClearingAndIdentification(from, FollowUp::IdentifyAfterRestore, ExchangeStateKind::IdentifyAfterRestore);
    EXPECT_EQ(rig.StateLine(), "Ready");
}

TEST_F(Exchange, SilentSystemEndsTheReceptionAfterTheLimit) {
    SimConfig config = Preset("tz410-3.2.E");
    config.faults.request = "UPLOAD";
    config.faults.noPrompt = true;
    rig.Start(config);
    ASSERT_TRUE(rig.Connect());
    rig.view->SetReceiveSilenceLimit(std::chrono::milliseconds(1500));
    const std::size_t from = rig.window.seen.size();
    auto text = rig.Backup();
    EXPECT_TRUE(rig.view->LastOutcome().receiveFailed);
    EXPECT_EQ(rig.view->LastOutcome().failure, TransferFailure::Silence);
    EXPECT_EQ(text->GetText().substr(text->GetLength() - 5), "[END]") << "what came is kept, to the last byte";
    ExpectClearingAndIdentification(from, FollowUp::Identify, ExchangeStateKind::Identify);
    EXPECT_EQ(rig.StateLine(), "Ready");
}

TEST_F(Exchange, HangUpDuringAReception) {
    SimConfig config = Preset("tz410-3.2.E");
    config.faults.request = "UPLOAD";
    config.faults.hangUpAfter = 500;
    rig.Start(config);
    ASSERT_TRUE(rig.Connect());
    const std::size_t from = rig.window.seen.size();
    auto text = rig.Backup();
    EXPECT_TRUE(rig.sim->HungUp());
    EXPECT_TRUE(rig.view->LastOutcome().receiveFailed);
    EXPECT_EQ(rig.view->LastOutcome().failure, TransferFailure::DeviceGone);
    // The pty may drop what was still in flight when the line closed.
    EXPECT_LE(text->GetLength(), 500u);
    ExpectClearingAndIdentification(from, FollowUp::Identify, ExchangeStateKind::Identify);
    EXPECT_FALSE(rig.view->LastOutcome().ready);
    EXPECT_NE(rig.StateLine(), "Ready");
}

TEST_F(Exchange, HangUpWhileSendingALanguageIsASendingFailure) {
    // The system takes a line and hangs up before it answers; the lines
    // after it never arrive, and the language must not count as sent.
    for (const char* request : {"TEXT 001", "TEXT 002"}) {  // the middle line, the last line
        SCOPED_TRACE(request);
        ExchangeRig one;
        SimConfig config = Preset("tz410-3.2.E");
        config.faults.request = request;
        config.faults.hangUpAfter = 0;
        one.Start(config);
        ASSERT_TRUE(one.Connect());
        auto file = CText::Create();
        file->SetText("LANGUAGE DANSK\r\nTEXT 001 HOVEDMENU\r\nTEXT 002 KOER\r\n");
        ASSERT_EQ(SendLanguage(*one.view, *file, one.dataWindow->Handle()), CommandStart::Started);
        ASSERT_TRUE(one.Wait());
        EXPECT_TRUE(one.sim->HungUp());
        EXPECT_TRUE(one.view->LastOutcome().sendFailed);
        EXPECT_EQ(one.view->LastOutcome().failure, TransferFailure::DeviceGone);
        EXPECT_EQ(one.view->Progress(), "Error sending data!\nthe device vanished (unplugged?)");
        EXPECT_FALSE(one.view->LastOutcome().ready);
    }
}

TEST_F(Exchange, HangUpDuringARestoreIsASendingFailure) {
    SimConfig config = Preset("tz410-3.2.E");
    config.faults.request = "DOWNLOAD";
    config.faults.hangUpAfter = 0;
    rig.Start(config);
    ASSERT_TRUE(rig.Connect());
    ClearingTimings timings = FastTimings();
    timings.restartRounds = 2;  // a dead line never comes back: no need to wait for it long
    rig.view->SetClearingTimings(timings);
    // More than a pseudo-terminal holds (about 24 KB): however late the
    // simulator reads its first byte and hangs up, part of the block is still
    // to be handed over then, so the hang-up always falls inside the sending.
    std::string block = "\r\n";
    while (block.size() < 64000) block += "COMMENT=PADDING PADDING PADDING\r\n";
    rig.Restore(block + "[END]\r\n");
    EXPECT_TRUE(rig.view->LastOutcome().sendFailed);
    EXPECT_EQ(rig.view->LastOutcome().failure, TransferFailure::DeviceGone);
}

TEST_F(Exchange, ASystemThatRefusesBothVersionRequestsIsUnknown) {
    rig.Start(Preset("mute"));
    rig.view->Connect();
    ASSERT_TRUE(rig.Wait());
    EXPECT_EQ(rig.StateLine(), "Unknown vision system");
    EXPECT_EQ(rig.window.m_strPane, "Unknown vision system");
    EXPECT_EQ(rig.view->Line().m_bRightPort, 1) << "the echoes came: the port is right";
    EXPECT_EQ(rig.view->Line().m_bKnownSystem, 0);
    EXPECT_EQ(rig.view->Line().m_bReady, 0);
    EXPECT_FALSE(rig.view->LastOutcome().ready);
    EXPECT_TRUE(rig.view->Product().empty());
    auto text = CText::Create();
    EXPECT_EQ(FetchBackup(*rig.view, *text), CommandStart::NotReady);
}

TEST_F(Exchange, CancelEndsAReceptionAsFailed) {
    ASSERT_TRUE(rig.ConnectAt("tz410-3.2.E", 38400));
    bool asked = false;
    rig.window.onEvent = [&](const StatusMessage& e) {
        if (ReceivedMoreThan(e, 2000) && !asked) {
            asked = true;
            rig.view->RequestCancel();
        }
    };
    auto text = rig.Backup();
    rig.window.onEvent = nullptr;
    EXPECT_TRUE(rig.view->LastOutcome().cancelled);
    EXPECT_TRUE(rig.view->LastOutcome().receiveFailed);
    EXPECT_EQ(rig.view->LastOutcome().failure, TransferFailure::Cancelled);
    EXPECT_LT(text->GetLength(), 15000u) << "the reception stopped early";
    EXPECT_TRUE(rig.view->LastOutcome().ready) << "clearing and identification after the cancel";
    EXPECT_EQ(rig.StateLine(), "Ready");
    // The next command starts afresh.
    auto again = rig.Backup();
    EXPECT_FALSE(rig.view->LastOutcome().cancelled);
    EXPECT_EQ(rig.view->LastOutcome().failure, TransferFailure::None) << "a new course forgets the old failure";
    EXPECT_GT(again->GetLength(), 19000u);
}

// The system's own settings (about 20 KB) with one of them changed.
std::string ChangedSettings(ExchangeRig& rig, const std::string& from, const std::string& to) {
    std::string settings = rig.Backup()->GetText();
    const std::size_t at = settings.find(from);
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos) settings.replace(at, from.size(), to);
    return settings;
}

TEST_F(Exchange, ACancelDuringARestoreDoesNotCutIt) {
    ASSERT_TRUE(rig.ConnectAt("tz410-3.2.E", 38400));
    const std::string restored = ChangedSettings(rig, "GAIN=4", "GAIN=9");
    std::vector<CancelReply> replies;
    rig.window.onEvent = [&](const StatusMessage& e) {
        if (SentAtLeast(e, 1000) && replies.empty()) replies.push_back(rig.view->RequestCancel());
    };
    rig.Restore(restored);
    rig.window.onEvent = nullptr;
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].answer, CancelAnswer::RestoreCannotStop);
    const CourseOutcome outcome = rig.view->LastOutcome();
    // What was left when asked, at the line's 960 bytes a second (the port
    // is set to 9600 baud whatever the far end of a pty does).
    const long whole = static_cast<long>(outcome.bytesToSend / 960);
    EXPECT_GE(replies[0].secondsLeft, whole - 6);
    EXPECT_LE(replies[0].secondsLeft, whole + 3);
    EXPECT_FALSE(outcome.sendFailed);
    EXPECT_FALSE(outcome.forced);
    EXPECT_EQ(outcome.bytesSent, outcome.bytesToSend);
    EXPECT_TRUE(outcome.ready);
    // The system holds the new settings, whole.
    const std::string after = rig.Backup()->GetText();
    EXPECT_EQ(after, restored);
}

TEST_F(Exchange, ASecondRequestSoonAfterTheFirstStopsTheRestoreAtOnce) {
    ASSERT_TRUE(rig.ConnectAt("tz410-3.2.E", 38400));
    const std::string restored = ChangedSettings(rig, "GAIN=4", "GAIN=9");
    std::vector<CancelReply> replies;
    rig.window.onEvent = [&](const StatusMessage& e) {
        if (SentAtLeast(e, 1000) && replies.empty()) {
            replies.push_back(rig.view->RequestCancel());
            replies.push_back(rig.view->RequestCancel());
        }
    };
    rig.Restore(restored);
    rig.window.onEvent = nullptr;
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].answer, CancelAnswer::RestoreCannotStop);
    EXPECT_EQ(replies[1].answer, CancelAnswer::Forced);
    const CourseOutcome outcome = rig.view->LastOutcome();
    EXPECT_TRUE(outcome.sendFailed);
    EXPECT_TRUE(outcome.forced);
    EXPECT_EQ(outcome.failure, TransferFailure::Cancelled);
    EXPECT_LT(outcome.bytesSent, outcome.bytesToSend / 2) << "stopped soon after the second request";
    EXPECT_GE(outcome.bytesSent, 1000u);
    EXPECT_EQ(rig.view->Progress(), "The restore was stopped halfway.");
    EXPECT_FALSE(rig.view->IsExchangeRunning());
}

TEST_F(Exchange, TheForceWindowCountsFromTheLastPutOffRequest) {
    ASSERT_TRUE(rig.ConnectAt("tz410-3.2.E", 9600));
    std::string block;
    while (block.size() < 20000) block += "COMMENT=PADDING PADDING PADDING\r\n";
    block += "[END]\r\n";
    using std::chrono::seconds;
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<CancelReply> replies;
    rig.window.onEvent = [&](const StatusMessage& e) {
        if (SentAtLeast(e, 500) && replies.empty()) {
            // Requests on a clock of the test's own: 4 s apart, then 2 s.
            replies.push_back(rig.view->RequestCancel(t0));
            replies.push_back(rig.view->RequestCancel(t0 + seconds(4)));
            replies.push_back(rig.view->RequestCancel(t0 + seconds(6)));
        }
    };
    rig.Restore(block);
    rig.window.onEvent = nullptr;
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0].answer, CancelAnswer::RestoreCannotStop);
    EXPECT_EQ(replies[1].answer, CancelAnswer::RestoreCannotStop) << "more than 3 s after the first";
    EXPECT_EQ(replies[2].answer, CancelAnswer::Forced);
    EXPECT_TRUE(rig.view->LastOutcome().forced);
}

TEST_F(Exchange, BeforeTheBlockAndOutsideRestoresACancelIsACancel) {
    rig.Start(Preset("tz410-3.2.E"));
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.view->RequestCancel().answer, CancelAnswer::Cancelling) << "nothing runs";
    rig.view->BeginCourse();  // the next course forgets it
    rig.view->AbandonCourse();
    EXPECT_FALSE(rig.view->Block()->UnderWay());
    std::vector<CancelReply> replies;
    rig.window.onEvent = [&](const StatusMessage& e) {
        if (std::holds_alternative<BytesReceived>(e) && replies.empty()) replies.push_back(rig.view->RequestCancel());
    };
    rig.Backup();
    rig.window.onEvent = nullptr;
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].answer, CancelAnswer::Cancelling);
    EXPECT_TRUE(rig.view->LastOutcome().cancelled);
}

TEST_F(Exchange, ConnectWhileBusyDoesNothing) {
    ASSERT_TRUE(rig.ConnectAt("tz410-3.2.E", 115200));
    auto text = CText::Create();
    ASSERT_EQ(FetchBackup(*rig.view, *text), CommandStart::Started);
    CCommPort* port = rig.view->Line().Port();
    rig.view->Connect();  // before the busy state has even arrived
    EXPECT_EQ(rig.view->Line().Port(), port);
    auto other = CText::Create();
    EXPECT_EQ(FetchMenus(*rig.view, *other), CommandStart::Busy);
    ASSERT_TRUE(rig.Wait());
    EXPECT_EQ(rig.view->Line().Port(), port);
    EXPECT_GT(text->GetLength(), 19000u);
}

TEST_F(Exchange, ATextOutlivesItsDocument) {
    ASSERT_TRUE(rig.ConnectAt("tz410-3.2.E", 115200));
    std::weak_ptr<CText> watch;
    {
        auto text = CText::Create();
        watch = text;
        ASSERT_EQ(FetchBackup(*rig.view, *text), CommandStart::Started);
    }  // the document closes while its worker runs
    EXPECT_FALSE(watch.expired()) << "the worker holds it";
    ASSERT_TRUE(rig.Wait());
    ASSERT_TRUE(JoinWorkers(std::chrono::seconds(5)));
    EXPECT_TRUE(watch.expired()) << "and lets it go at the end";
}

}  // namespace
}  // namespace brelko::test
