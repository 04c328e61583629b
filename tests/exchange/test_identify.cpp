// Identification against scripted far ends over a real pseudo-terminal: the
// replies the simulator does not give, with the line part on the
// user-interface thread and on a worker.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "comlink/deviceline/CDeviceLine.h"
#include "comlink/CPosixPort.h"
#include "exchange/CStatusView.h"
#include "exchange/Identification.h"
#include "platform/Profile.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/Sandbox.h"
#include "platform/Strings.h"

namespace brelko {
namespace {

using test::PtyPeer;

// Old firmware: refuses "GET VERSION" in the given form, answers "VERSION".
PtyPeer::Responder OldFirmware(std::string refusal) {
    return [refusal](const std::string& line) {
        if (line == "GET VERSION") return refusal;
        if (line == "VERSION") return std::string("\r\nTZ410 Vision 1.0.F\r\n>");
        return std::string("\r\n>");
    };
}

// Answers "GET VERSION" with the given bytes after the echo.
PtyPeer::Responder VersionReply(std::string reply) {
    return [reply](const std::string& line) { return line == "GET VERSION" ? reply : std::string("\r\n>"); };
}

class IdentifyTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        SetBuiltinLanguage(Language::English);
        ini = std::make_unique<test::TempIni>("[Custom]\nComport=1\n");
    }
    void TearDown() override {
        view.reset();
        peer.reset();
        CPosixPort::SetDeviceOverride("");
        ini.reset();
    }
    // Connects to a fresh far end; the parameter says where the line part runs.
    void Connect(PtyPeer::Responder respond) {
        view.reset();
        peer = std::make_unique<PtyPeer>(std::move(respond));
        CPosixPort::SetDeviceOverride(peer->DevicePath());
        view = std::make_unique<CStatusView>(loop, window);
        window.Attach(view.get());
        ClearingTimings fast;
        fast.restartRounds = 2;
        view->SetClearingTimings(fast);
        view->SetIdentifyOnWorker(GetParam());
        ended = 0;
        view->AddCourseListener([this](const CourseOutcome&) { ++ended; });
        view->Connect();
        ASSERT_TRUE(view->WaitForCourse(loop, std::chrono::seconds(30)));
        EXPECT_EQ(ended, 1) << "one course, told once";
    }

    EventLoop loop;
    HeadlessStatusWindow window;
    std::unique_ptr<PtyPeer> peer;
    std::unique_ptr<CStatusView> view;
    int ended = 0;
    std::unique_ptr<test::TempIni> ini;
};

TEST_P(IdentifyTest, EveryFormOfRefusalIdentifiesOldFirmware) {
    const std::string refusals[] = {
        " ?\r\n>",                        // one space
        " ??\r\n>",                       // two
        "?\r\n>",                         // none
        " ??\r\nUNKNOWN COMMAND\r\n>",    // a message line before the prompt
        " ??\r\nUNKNOWN\r\nCOMMAND\r\n>", // two of them
        " ??\r\n",                        // no prompt at all
        " ??",                            // not even the line end
    };
    for (const std::string& refusal : refusals) {
        SCOPED_TRACE(::testing::PrintToString(refusal));
        Connect(OldFirmware(refusal));
        EXPECT_TRUE(peer->WaitFor("VERSION\n"));
        EXPECT_EQ(view->Lines()[3], "Ready");
        EXPECT_EQ(view->Product(), "TZ410");
        EXPECT_EQ(view->VersionNumber(), 100007);
        EXPECT_TRUE(view->LastOutcome().ready);
    }
}

TEST_P(IdentifyTest, AnEchoWithoutAReadableReplyIsAnUnknownSystem) {
    const std::string replies[] = {
        "",                               // the echo, then nothing
        "\r\n\r\n>",                      // an empty reply line
        "\r\n   \t \r\n>",                // blanks only
        "\r\n\x8f\x90\xfe\r\n>",          // line noise
        "\r\n\x02\x03 V 3.2.E\r\n>",      // control bytes for a product word
    };
    for (const std::string& reply : replies) {
        SCOPED_TRACE(::testing::PrintToString(reply));
        Connect(VersionReply(reply));
        EXPECT_EQ(view->Lines()[3], "Unknown vision system");
        EXPECT_EQ(view->Line().m_bRightPort, 1);
        EXPECT_EQ(view->Line().m_bKnownSystem, 0);
        EXPECT_EQ(view->Line().m_bReady, 0);
        EXPECT_EQ(view->Lines()[0], "");
        EXPECT_FALSE(view->LastOutcome().ready);
    }
}

TEST_P(IdentifyTest, AVersionDamagedOnTheLineIsAnUnknownSystemAndLineFourSaysWhy) {
    struct Case {
        std::string reply;
        std::string line0;
        std::string line4;
    };
    const Case cases[] = {
        {"TZ410 VISION 3\xd1" "2.E", "TZ410 VISION 3<D1>2.E", "the line is noisy: 1 byte did not belong to the answer"},
        {"TZ410 Vision 3..E", "TZ410 Vision 3..E",
         "the version \"3..E\" cannot be read: the request words cannot be chosen"},
        {"KALDspot", "KALDspot", "the reply \"KALDspot\" holds no version: the request words cannot be chosen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line0);
        Connect(VersionReply("\r\n" + c.reply + "\r\n>"));
        EXPECT_EQ(view->Lines()[3], "Unknown vision system");
        EXPECT_EQ(view->Lines()[0], c.line0);
        EXPECT_EQ(view->Lines()[4], c.line4);
        EXPECT_EQ(view->Line().m_bReady, 0);
        EXPECT_EQ(view->Line().m_bRightPort, 1);
    }
}

TEST_P(IdentifyTest, AGoodReplyAfterABadOneIsReadyAgain) {
    Connect(VersionReply("\r\n\r\n>"));
    ASSERT_EQ(view->Line().m_bReady, 0);
    peer = std::make_unique<PtyPeer>(VersionReply("\r\nTZ220 Vision 2.11.A\r\n>"));
    CPosixPort::SetDeviceOverride(peer->DevicePath());
    view->Connect();
    ASSERT_TRUE(view->WaitForCourse(loop, std::chrono::seconds(30)));
    EXPECT_EQ(view->Lines()[3], "Ready");
    EXPECT_EQ(view->Lines()[0], "TZ220 Vision 2.11.A");
    EXPECT_EQ(view->VersionNumber(), 211014);
    EXPECT_EQ(ended, 2);
}

INSTANTIATE_TEST_SUITE_P(LinePart, IdentifyTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "OnAWorker" : "OnTheUserInterfaceThread"; });

TEST(ProductWord, PrintableCharactersOnly) {
    EXPECT_TRUE(HasProductWord("TZ410 Vision 3.2.E"));
    EXPECT_TRUE(HasProductWord("  KALDspot"));
    EXPECT_TRUE(HasProductWord("X"));
    EXPECT_FALSE(HasProductWord(""));
    EXPECT_FALSE(HasProductWord(" \t "));
    EXPECT_FALSE(HasProductWord("\x7f"));
    EXPECT_FALSE(HasProductWord("TZ\xc3\xa6 1.0.A"));
    EXPECT_FALSE(HasProductWord("T\rZ"));
}

}  // namespace
}  // namespace brelko
