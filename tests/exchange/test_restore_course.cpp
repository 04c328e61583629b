// Restores with a safety copy against the simulator: the system ends with its
// old settings or its new ones, never a mix, unless the user insists, and
// then the safety copy brings the old ones back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/exchange/ExchangeRig.h"
#include "tests/support/Sandbox.h"
#include "exchange/RestoreCourse.h"
#include "platform/Strings.h"

namespace brelko::test {
namespace {

namespace fs = std::filesystem;

constexpr std::time_t kWhen = 1700000000;  // the clock the safety copy is named by

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class RestoreCourseTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetBuiltinLanguage(Language::English);
        ASSERT_FALSE(dir.empty());
    }

    RestoreOptions Options() const {
        RestoreOptions options;
        options.restoredFile = dir + "/new.asc";
        options.clock = [] { return kWhen; };
        return options;
    }
    // Runs a restore course to its end, with `onEvent` watching the status view.
    RestoreOutcome Run(const std::string& content, RestoreOptions options,
                       std::function<void(const StatusMessage&)> onEvent = nullptr) {
        auto text = CText::Create();
        text->SetText(content);
        RestoreCourse course(*rig.view, text, std::move(options));
        std::vector<RestoreStage> stages;
        course.OnStage([&](RestoreStage stage) { stages.push_back(stage); });
        rig.window.onEvent = std::move(onEvent);
        if (course.Start()) {
            EXPECT_TRUE(rig.loop.RunUntil([&] { return course.Finished(); }, std::chrono::seconds(180)));
        }
        rig.window.onEvent = nullptr;
        EXPECT_FALSE(stages.empty());
        if (!stages.empty()) {
            EXPECT_EQ(stages.back(), RestoreStage::Done);
        }
        this->stages = stages;
        return course.Outcome();
    }
    std::string Changed(const std::string& settings) const {
        std::string changed = settings;
        changed.replace(changed.find("GAIN=4"), 6, "GAIN=9");
        return changed;
    }
    std::string SafetyCopyPath() const {
        return dir + "/safety/" + SafetyCopyName("TZ410", "3.2.E", kWhen);
    }

    ExchangeRig rig;
    const test::TempDir m_dir;
    const std::string dir = m_dir.Path();
    std::vector<RestoreStage> stages;
};

TEST(SafetyCopyName, ProductVersionAndTimeAsASafeFileName) {
    std::tm local {};
    const std::time_t when = kWhen;
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string t = stamp;
    EXPECT_EQ(SafetyCopyName("TZ410", "3.2.E", kWhen), "TZ410-3.2.E-" + t + ".asc");
    EXPECT_EQ(SafetyCopyName("../etc", "1/2", kWhen), "_._etc-1_2-" + t + ".asc");
    EXPECT_EQ(SafetyCopyName("", "", kWhen), "unknown-unknown-" + t + ".asc");
    EXPECT_EQ(SafetyCopyName("A B\\C:*", "\xe6", kWhen), "A_B_C__-_-" + t + ".asc");
    RestoreOptions options;
    options.restoredFile = "/srv/line3/night.asc";
    EXPECT_EQ(SafetyFolder(options), "/srv/line3/safety");
    options.restoredFile = "night.asc";
    EXPECT_EQ(SafetyFolder(options), "./safety");
    options.safetyFolder = "/var/copies";
    EXPECT_EQ(SafetyFolder(options), "/var/copies");
}

TEST_F(RestoreCourseTest, AnInterruptedRestoreAt9600BaudEndsWithTheNewSettingsWhole) {
    ASSERT_TRUE(rig.ConnectAt("tz410-3.2.E", 9600));
    std::vector<CancelReply> replies;
    // 20 KB of settings, as the system's backups give them back.
    std::string restored;
    for (int i = 0; restored.size() < 20000; ++i) restored += "\r\nSETTING" + std::to_string(i) + "=NEW VALUE";
    restored += "\r\n[END]\r\n";
    const RestoreOutcome outcome = Run(restored, Options(), [&](const StatusMessage& e) {
        if (SentAtLeast(e, 2000) && replies.empty()) replies.push_back(rig.view->RequestCancel());
    });
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].answer, CancelAnswer::RestoreCannotStop);
    EXPECT_GT(replies[0].secondsLeft, 5);
    EXPECT_EQ(stages, (std::vector<RestoreStage>{RestoreStage::SafetyCopy, RestoreStage::Sending, RestoreStage::Done}));
    EXPECT_EQ(outcome.end, RestoreEnd::Completed);
    EXPECT_FALSE(outcome.Partial());
    EXPECT_EQ(outcome.bytesReceivable, restored.size() - 1) << "up to and including its end marker, and a line feed";
    EXPECT_EQ(outcome.bytesToSend, outcome.bytesReceivable);
    EXPECT_TRUE(outcome.ready);
    EXPECT_EQ(outcome.safetyCopy, SafetyCopyPath());
    const std::string copy = Read(outcome.safetyCopy);
    EXPECT_NE(copy.find("GAIN=4"), std::string::npos) << "the safety copy holds the settings from before";
    EXPECT_EQ(copy.find("NEW VALUE"), std::string::npos);
    EXPECT_EQ(rig.Backup()->GetText(), restored) << "the new settings, whole";
}

TEST_F(RestoreCourseTest, AForcedStopSaysSoAndTheSafetyCopyBringsTheOldSettingsBack) {
    ASSERT_TRUE(rig.ConnectAt("tz410-3.2.E", 38400));
    const std::string old = rig.Backup()->GetText();
    std::vector<CancelReply> replies;
    const RestoreOutcome outcome = Run(Changed(old), Options(), [&](const StatusMessage& e) {
        if (SentAtLeast(e, 2000) && replies.empty()) {
            replies.push_back(rig.view->RequestCancel());
            replies.push_back(rig.view->RequestCancel());
        }
    });
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[1].answer, CancelAnswer::Forced);
    EXPECT_EQ(outcome.end, RestoreEnd::Forced);
    EXPECT_TRUE(outcome.Partial());
    EXPECT_GE(outcome.bytesReceivable, 2000u);
    EXPECT_LT(outcome.bytesReceivable, outcome.bytesToSend);
    const std::vector<std::string> messages = outcome.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "The restore was stopped halfway.");
    EXPECT_EQ(messages[1], "The system can have received " + std::to_string(outcome.bytesReceivable) + " of " +
                               std::to_string(outcome.bytesToSend) + " bytes.");
    EXPECT_EQ(messages[2], "The vision system may now hold part of the new settings. Restore " + SafetyCopyPath() +
                               " to bring the old ones back.");
    EXPECT_NE(rig.Backup()->GetText(), old) << "what the simulator stored of half a block";

    // The way back: the safety copy restored, without a copy of its own.
    RestoreOptions back = Options();
    back.safetyCopy = false;
    const RestoreOutcome restoredBack = Run(Read(outcome.safetyCopy), back);
    EXPECT_EQ(restoredBack.end, RestoreEnd::Completed);
    EXPECT_TRUE(restoredBack.safetyCopy.empty());
    EXPECT_EQ(rig.Backup()->GetText(), old);
}

TEST_F(RestoreCourseTest, WithoutASafetyCopyNothingIsSent) {
    // The system falls silent during its backup: the copy is incomplete.
    SimConfig config = Preset("tz410-3.2.E");
    config.faults.request = "UPLOAD";
    config.faults.silentAfter = 500;
    rig.Start(config);
    rig.view->SetReceiveSilenceLimit(std::chrono::milliseconds(800));
    ASSERT_TRUE(rig.Connect());
    const std::size_t from = rig.window.seen.size();
    RestoreOutcome outcome = Run("GAIN=9\r\n[END]\r\n", Options());
    EXPECT_EQ(outcome.end, RestoreEnd::NotStarted);
    EXPECT_EQ(outcome.why, RestoreNotStarted::SafetyCopyFailed);
    EXPECT_EQ(outcome.Messages(),
              std::vector<std::string>{"No safety copy could be made (the current settings did not come whole); "
                                       "nothing was sent."});
    EXPECT_FALSE(fs::exists(dir + "/safety/" + SafetyCopyName("TZ410", "3.2.E", kWhen)));
    for (const Seen& s : rig.SeenSince(from)) EXPECT_FALSE(s.Is<BytesSent>()) << "not one byte of the file";

    // A copy that came whole but cannot be saved: nothing is sent either.
    rig.sim.reset();
    rig.view.reset();
    rig.Start(Preset("tz410-3.2.E"));
    ASSERT_TRUE(rig.Connect());
    std::ofstream(dir + "/file") << "a file where the folder should be";
    RestoreOptions options = Options();
    options.safetyFolder = dir + "/file";
    const std::size_t again = rig.window.seen.size();
    outcome = Run("GAIN=9\r\n[END]\r\n", options);
    EXPECT_EQ(outcome.end, RestoreEnd::NotStarted);
    EXPECT_EQ(outcome.why, RestoreNotStarted::SafetyCopyNotSaved);
    EXPECT_NE(outcome.safetyError.find(dir + "/file: "), std::string::npos) << outcome.safetyError;
    for (const Seen& s : rig.SeenSince(again)) EXPECT_FALSE(s.Is<BytesSent>());
}

TEST_F(RestoreCourseTest, ACancelDuringTheSafetyCopyStopsEverything) {
    ASSERT_TRUE(rig.ConnectAt("tz410-3.2.E", 38400));
    std::vector<CancelReply> replies;
    const RestoreOutcome outcome = Run("GAIN=9\r\n[END]\r\n", Options(), [&](const StatusMessage& e) {
        if (ReceivedMoreThan(e, 1000) && replies.empty()) replies.push_back(rig.view->RequestCancel());
    });
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].answer, CancelAnswer::Cancelling);
    EXPECT_EQ(outcome.end, RestoreEnd::NotStarted);
    EXPECT_EQ(outcome.why, RestoreNotStarted::Cancelled);
    EXPECT_TRUE(outcome.safetyCopy.empty());
    EXPECT_FALSE(fs::exists(dir + "/safety/" + SafetyCopyName("TZ410", "3.2.E", kWhen)));
}

TEST_F(RestoreCourseTest, TheUserSeesTheCurrentSettingsAndDecides) {
    struct Case {
        bool safetyCopy;
        bool send;
    };
    for (const Case c : {Case{true, false}, Case{true, true}, Case{false, false}, Case{false, true}}) {
        SCOPED_TRACE(std::string(c.safetyCopy ? "with" : "without") + " a safety copy, " + (c.send ? "sent" : "declined"));
        rig.sim.reset();
        rig.view.reset();
        rig.Start(Preset("tz410-3.2.E"));
        ASSERT_TRUE(rig.Connect());
        const std::string old = rig.Backup()->GetText();
        fs::remove_all(dir + "/safety");
        RestoreOptions options = Options();
        options.safetyCopy = c.safetyCopy;
        std::string shown;
        std::function<void(bool)> answer;
        options.confirm = [&](const std::string& current, std::function<void(bool)> reply) {
            shown = current;
            answer = std::move(reply);  // answered later, as a dialog does
        };
        auto text = CText::Create();
        text->SetText(Changed(old));
        RestoreCourse course(*rig.view, text, options);
        ASSERT_TRUE(course.Start());
        ASSERT_TRUE(rig.loop.RunUntil([&] { return course.Stage() == RestoreStage::Confirming; }, std::chrono::seconds(60)));
        EXPECT_EQ(shown, old);
        EXPECT_EQ(fs::exists(SafetyCopyPath()), c.safetyCopy) << "the copy is safe before the question";
        EXPECT_FALSE(rig.view->IsExchangeRunning()) << "nothing waits on the line while the user reads";
        answer(c.send);
        ASSERT_TRUE(rig.loop.RunUntil([&] { return course.Finished(); }, std::chrono::seconds(180)));
        EXPECT_EQ(course.Outcome().end, c.send ? RestoreEnd::Completed : RestoreEnd::NotStarted);
        if (!c.send) {
            EXPECT_EQ(course.Outcome().why, RestoreNotStarted::Cancelled);
            EXPECT_TRUE(course.Outcome().Messages().empty()) << "the user knows: they said no";
        }
        EXPECT_EQ(rig.Backup()->GetText(), c.send ? Changed(old) : old);
    }

    // An answer that comes after the course has gone does nothing.
    std::function<void(bool)> late;
    {
        RestoreOptions options = Options();
        options.confirm = [&](const std::string&, std::function<void(bool)> reply) { late = std::move(reply); };
        auto text = CText::Create();
        text->SetText("GAIN=9\r\n[END]\r\n");
        RestoreCourse course(*rig.view, text, options);
        ASSERT_TRUE(course.Start());
        ASSERT_TRUE(rig.loop.RunUntil([&] { return static_cast<bool>(late); }, std::chrono::seconds(60)));
    }
    late(true);
    EXPECT_FALSE(rig.view->IsExchangeRunning());
}

TEST_F(RestoreCourseTest, ASystemThatIsNotReadyGetsNothing) {
    SimConfig config = Preset("mute");
    rig.Start(config);
    ASSERT_TRUE(rig.Connect());
    auto text = CText::Create();
    text->SetText("GAIN=9\r\n[END]\r\n");
    RestoreCourse course(*rig.view, text, Options());
    EXPECT_FALSE(course.Start());
    EXPECT_TRUE(course.Finished());
    EXPECT_EQ(course.Outcome().why, RestoreNotStarted::NotReady);
    EXPECT_FALSE(rig.view->IsExchangeRunning());
}

}  // namespace
}  // namespace brelko::test
