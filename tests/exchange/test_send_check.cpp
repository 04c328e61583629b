// Which files may go to the vision system, and what sending them takes.
#include <gtest/gtest.h>

#include <string>

#include "exchange/BlockWatch.h"
#include "exchange/SendFileCheck.h"
#include "platform/Strings.h"

namespace brelko {
namespace {

TEST(SendFileCheck, TextAndSizeByKind) {
    SetBuiltinLanguage(Language::English);
    const std::string text = "[SYSTEM]\r\nGAIN=4\tX\r\nNAME=M\xe6lk\xf8\r\n[END]\r\nafter";
    struct Case {
        const char* name;
        SendFileKind kind;
        std::string bytes;
        SendFileVerdict verdict;
        std::size_t bad;
    } cases[] = {
        {"text with tabs and the code page's letters", SendFileKind::Backup, text, SendFileVerdict::Ok, 0},
        {"empty", SendFileKind::Backup, "", SendFileVerdict::Empty, 0},
        {"a zero byte", SendFileKind::Backup, std::string("AB\0C", 4), SendFileVerdict::NotText, 2},
        {"an escape", SendFileKind::Language, "TEXT 001 \x1b[1m", SendFileVerdict::NotText, 9},
        {"delete", SendFileKind::Language, "\x7f", SendFileVerdict::NotText, 0},
        {"form feed", SendFileKind::Backup, "A\fB", SendFileVerdict::NotText, 1},
        {"a backup of exactly 1 MiB", SendFileKind::Backup, std::string(1u << 20, 'x'), SendFileVerdict::Ok, 0},
        {"one byte more", SendFileKind::Backup, std::string((1u << 20) + 1, 'x'), SendFileVerdict::TooLarge, 0},
        {"a language of 64 KiB", SendFileKind::Language, std::string(65536, 'x'), SendFileVerdict::Ok, 0},
        {"one byte more", SendFileKind::Language, std::string(65537, 'x'), SendFileVerdict::TooLarge, 0},
        // Not text is told first: it is the likelier mistake.
        {"large and binary", SendFileKind::Language, std::string(70000, '\x01'), SendFileVerdict::NotText, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SendFileCheck check = CheckSendFile(c.kind, c.bytes);
        EXPECT_EQ(check.verdict, c.verdict);
        EXPECT_EQ(check.Ok(), c.verdict == SendFileVerdict::Ok);
        EXPECT_EQ(check.Reason().empty(), c.verdict == SendFileVerdict::Ok);
        if (c.verdict == SendFileVerdict::NotText) {
            EXPECT_EQ(check.badOffset, c.bad);
        }
        EXPECT_EQ(check.Overridable(),
                  c.verdict == SendFileVerdict::NotText || c.verdict == SendFileVerdict::TooLarge);
    }
}

TEST(SendFileCheck, WhatGoesOnTheLineAndHowLongItTakes) {
    SetBuiltinLanguage(Language::English);
    // A backup ends at its first "[END]", and a line feed follows it.
    SendFileCheck check = CheckSendFile(SendFileKind::Backup, "ABC[END]tail[END]");
    EXPECT_EQ(check.fileSize, 17u);
    EXPECT_EQ(check.bytesToSend, 9u);
    EXPECT_EQ(check.seconds, 1);
    // 20 KB at 9600 baud, 960 bytes a second: 22 seconds, rounded up.
    check = CheckSendFile(SendFileKind::Backup, std::string(20 * 1024 - 1, 'x'));
    EXPECT_EQ(check.bytesToSend, 20u * 1024);
    EXPECT_EQ(check.seconds, 22);
    EXPECT_EQ(check.SizeAndTime(), "20480 bytes to send, about 22 seconds at 9600 baud");
    check = CheckSendFile(SendFileKind::Language, std::string(1920, 'x'), 19200);
    EXPECT_EQ(check.seconds, 1);
    EXPECT_EQ(BytesPerSecond(9600), 960);
    EXPECT_EQ(BytesPerSecond(0), 1) << "never a division by zero";

    SetBuiltinLanguage(Language::Danish);
    check = CheckSendFile(SendFileKind::Backup, std::string("A\0", 2));
    EXPECT_EQ(check.Reason(), "det er ikke en tekstfil (byte 1 er 0x00)");
    SetBuiltinLanguage(Language::English);
    EXPECT_EQ(check.Reason(), "it is not a text file (byte 1 is 0x00)");
}

}  // namespace
// A restore block taken by the driver all at once (a pseudo-terminal or a USB
// adapter that counts nothing queued) is still on the line until the line,
// at 960 bytes a second, can have carried it. The total counts the closing
// line feed.
TEST(BlockWatch, UnderWayUntilTheLineCanHaveCarriedTheBlock) {
    using namespace std::chrono_literals;
    const BlockWatch::Clock::time_point t0{};
    struct Case {
        const char* what;
        std::size_t sent;
        int queued;
        bool ended, whole;
        std::chrono::milliseconds at;
        bool underWay;
        long secondsLeft;
    } cases[] = {
        {"nothing sent yet", 0, -1, false, false, 0ms, false, 10},
        {"first bytes handed over", 100, -1, false, false, 100ms, true, 10},
        {"the port counts what it still holds", 5000, 4000, false, false, 5s, true, 9},
        {"all with the driver at once", 9600, -1, true, true, 200ms, true, 10},
        {"the line halfway through it", 9600, -1, true, true, 5s, true, 5},
        {"the line has carried it", 9600, -1, true, true, 10s + 1ms, false, 0},
        {"given up halfway", 4000, -1, true, false, 1s, false, 9},
    };
    for (const Case& c : cases) {
        BlockWatch watch;
        watch.Begin(9600, 9600, t0);
        watch.Sent(c.sent, c.queued);
        if (c.ended) watch.End(c.whole);
        EXPECT_EQ(watch.UnderWay(t0 + c.at), c.underWay) << c.what;
        EXPECT_EQ(watch.SecondsLeft(t0 + c.at), c.secondsLeft) << c.what;
    }
}

// Stopped in the driver after the handover: no longer under way. What the
// purge did not take back is what the system can have received; a port
// that cannot tell leaves what the line can have carried by then.
TEST(BlockWatch, AStopAfterTheHandoverCountsWhatThePurgeLeft) {
    using namespace std::chrono_literals;
    const BlockWatch::Clock::time_point t0{};
    struct Case {
        const char* what;
        int purged;
        std::size_t carried;
    } cases[] = {
        {"the port took 5000 back", 5000, 4600},
        {"the port took nothing back", 0, 9600},
        {"the port took back more than the block", 20000, 0},
        {"the port cannot tell", -1, 1920},
    };
    for (const Case& c : cases) {
        BlockWatch watch;
        watch.Begin(9600, 9600, t0);
        watch.Sent(9600, 0);
        watch.End(true);
        ASSERT_TRUE(watch.UnderWay(t0 + 2s)) << c.what;
        watch.Stop(c.purged, t0 + 2s);
        EXPECT_FALSE(watch.UnderWay(t0 + 3s)) << c.what;
        EXPECT_EQ(watch.CarriedAtStop(), c.carried) << c.what;
    }
}

}  // namespace brelko
