// What the status view says happened, against the simulator: what a stopped
// restore really put on the line, the user's own cancel, a device that
// vanished during a course.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "comlink/CPosixPort.h"
#include "tests/exchange/ExchangeRig.h"
#include "platform/Strings.h"

namespace brelko::test {
namespace {

class Outcomes : public ::testing::Test {
protected:
    void SetUp() override { SetBuiltinLanguage(Language::English); }
    ExchangeRig rig;
};

std::string BigSettings(std::size_t size) {
    std::string text;
    for (int i = 0; text.size() < size; ++i) text += "\r\nSETTING" + std::to_string(i) + "=NEW VALUE";
    return text + "\r\n[END]\r\n";
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A trace of the line in the temporary folder, started; the caller stops it.
std::string StartTrace(ExchangeRig& rig, const std::string& name) {
    const std::string trace =
        (std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()) + ".trace")).string();
    EXPECT_TRUE(rig.view->Line().Trace().Start(trace));
    return trace;
}

// The count of a stopped block against what the system heard of it. It may
// never say less than the system heard: the user is told what the system
// may hold. It may say more by what a pseudo-terminal keeps for its far
// end after a purge (counted as still arriving): the kernel holds that
// part back from the far end while the machine is busy, and then the purge
// takes it too.
void ExpectCountAgreesWithWhatWasHeard(const CourseOutcome& outcome, std::size_t heard) {
    EXPECT_GE(outcome.bytesSent + 200, heard - std::min<std::size_t>(heard, 10));
    EXPECT_LE(outcome.bytesSent, heard + 200 + static_cast<std::size_t>(CPosixPort::PTY_FAR_BUFFER));
}

// The trace says how much of the block was purged and how much reached the line.
void ExpectTraceMarksThePurge(const std::string& trace, const CourseOutcome& outcome) {
    const std::string text = ReadAll(trace);
    std::remove(trace.c_str());
    EXPECT_NE(text.find("of these bytes were purged from the output queue: " + std::to_string(outcome.bytesSent) +
                        " of " + std::to_string(outcome.bytesToSend) + " reached the line"),
              std::string::npos)
        << text.substr(text.size() > 2000 ? text.size() - 2000 : 0);
}

// A pseudo-terminal takes in far more than the line carries; a stop purges
// what has not left, and the count says what did, as the system heard it.
TEST_F(Outcomes, AStoppedRestoreCountsWhatReallyLeftAndTheTraceMarksThePurge) {
    ASSERT_TRUE(rig.ConnectAt("tz410-3.2.E", 9600));
    const std::string trace = StartTrace(rig, "brelko-outcomes");

    bool stopped = false;
    rig.window.onEvent = [&](const StatusMessage& e) {
        if (SentAtLeast(e, 25000) && !stopped) {
            stopped = true;
            rig.view->RequestCancel();
            rig.view->RequestCancel();  // insisted: the block stops at once
        }
    };
    rig.Restore(BigSettings(40000));
    rig.window.onEvent = nullptr;
    ASSERT_TRUE(stopped);
    const CourseOutcome outcome = rig.view->LastOutcome();
    ASSERT_TRUE(outcome.forced);
    rig.view->Line().Trace().Stop();

    // Handed to the port: 25000 bytes and more. Heard by the system: what
    // the line carried until the stop, and what the far end had taken in
    // already; then the few bytes of the clearing that end the block.
    const std::size_t heard = rig.sim->BlockBytesHeard();
    EXPECT_LT(outcome.bytesSent, 25000u) << "not the bytes handed to the pseudo-terminal";
    ExpectCountAgreesWithWhatWasHeard(outcome, heard);
    ExpectTraceMarksThePurge(trace, outcome);
}

// A block the pseudo-terminal took whole at once is still on the line; two
// requests then purge it in the driver. The far end keeps what it took in
// already, so what really left is more than the line carried till the stop,
// and the count and the trace say so.
TEST_F(Outcomes, AStopAfterTheHandoverCountsWhatReallyLeftAndTheTraceMarksThePurge) {
    ASSERT_TRUE(rig.ConnectAt("tz410-3.2.E", 9600));
    const std::string trace = StartTrace(rig, "brelko-handover");

    CancelReply second;
    bool handedOver = false;
    rig.window.onEvent = [&](const StatusMessage& e) {
        // The sender's last count: the whole block is with the driver.
        if (SentWhole(e) && !handedOver) {
            handedOver = rig.view->Block()->HandedOver();
            rig.view->RequestCancel();
            second = rig.view->RequestCancel();
        }
    };
    rig.Restore(BigSettings(12000));
    rig.window.onEvent = nullptr;
    ASSERT_TRUE(handedOver) << "the pseudo-terminal took the block at once";
    EXPECT_EQ(second.answer, CancelAnswer::Forced);
    const CourseOutcome outcome = rig.view->LastOutcome();
    ASSERT_TRUE(outcome.forced);
    rig.view->Line().Trace().Stop();

    const std::size_t heard = rig.sim->BlockBytesHeard();
    EXPECT_LT(outcome.bytesSent, outcome.bytesToSend);
    ExpectCountAgreesWithWhatWasHeard(outcome, heard);
    ExpectTraceMarksThePurge(trace, outcome);
}

TEST_F(Outcomes, TheUsersOwnCancelSaysItWasCancelled) {
    ASSERT_TRUE(rig.ConnectAt("tz410-3.2.E", 9600));
    bool asked = false;
    rig.window.onEvent = [&](const StatusMessage& e) {
        if (ReceivedMoreThan(e, 100) && !asked) {
            asked = true;
            rig.view->RequestCancel();
        }
    };
    rig.Backup();
    rig.window.onEvent = nullptr;
    ASSERT_TRUE(asked);
    EXPECT_TRUE(rig.view->LastOutcome().cancelled);
    EXPECT_EQ(rig.view->Progress(), "Cancelled");
    EXPECT_EQ(rig.view->Lines()[4], "Cancelled");
    EXPECT_EQ(rig.StateLine(), "Ready") << "the system answers again after it";
}

TEST_F(Outcomes, ADeviceThatVanishesDuringACourseSaysSoOnLineFour) {
    SimConfig config = Preset("tz410-3.2.E");
    config.faults.request = "UPLOAD";
    config.faults.hangUpAfter = 3000;
    rig.Start(config);
    ASSERT_TRUE(rig.Connect());
    rig.view->SetReceiveSilenceLimit(std::chrono::seconds(2));
    rig.Backup();
    EXPECT_EQ(rig.view->LastOutcome().failure, TransferFailure::DeviceGone);
    EXPECT_EQ(rig.view->Lines()[4], "Error recieving data!\nthe device vanished (unplugged?)");
    EXPECT_EQ(rig.view->LastLineFault().fault, LineFault::Vanished);
    EXPECT_EQ(rig.view->WhatHappenedText(), "the device vanished (unplugged?)");
}

}  // namespace
}  // namespace brelko::test
