// brelko-cli diff: two backup files, and a backup file against the vision
// system (what a restore would change), with diff's exit statuses.
#include <gtest/gtest.h>

#include "tests/cli/CliRunner.h"
#include "sim/SimConfig.h"
#include "tests/cli/TestFiles.h"
#include "sim/VisionSimulator.h"

namespace {

struct FileCase {
    const char* name;
    std::string a;
    std::string b;
    int status;
    std::vector<std::string> shown;  // lines the difference must hold
};

TEST(DiffCommandTest, TwoFiles) {
    const std::string settings = "\r\n[CAMERA]\r\nEXPOSURE=2400\r\nGAIN=4\r\n[END]\r\n";
    const FileCase cases[] = {
        {"equal", settings, settings, 0, {}},
        {"changed", settings, "\r\n[CAMERA]\r\nEXPOSURE=2400\r\nGAIN=7\r\n[END]\r\n", 1, {"-GAIN=4", "+GAIN=7"}},
        {"reordered", settings, "\r\n[CAMERA]\r\nGAIN=4\r\nEXPOSURE=2400\r\n[END]\r\n", 1,
         {"-EXPOSURE=2400", " GAIN=4", "+EXPOSURE=2400"}},
        {"CR LF against LF", settings, "\n[CAMERA]\nEXPOSURE=2400\nGAIN=4\n[END]\n", 1,
         {"-GAIN=4<CR><LF>", "+GAIN=4<LF>"}},
        {"both empty", "", "", 0, {}},
        {"one empty", "", settings, 1, {"@@ -0,0 +1,5 @@", "+GAIN=4"}},
    };
    for (const FileCase& c : cases) {
        TempDir dir;
        Put(dir.File("a.asc"), c.a);
        Put(dir.File("b.asc"), c.b);
        const CliResult r = RunCli({"--lang", "en", "diff", dir.File("a.asc"), dir.File("b.asc")});
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        EXPECT_TRUE(r.err.empty()) << c.name << ": " << r.err;
        if (c.status == 0) {
            EXPECT_TRUE(Contains(r.out, "are the same")) << c.name << ": " << r.out;
            continue;
        }
        EXPECT_EQ(r.out.rfind("--- " + dir.File("a.asc") + "\n+++ " + dir.File("b.asc") + "\n", 0), 0u) << r.out;
        for (const std::string& line : c.shown) EXPECT_TRUE(Contains(r.out, "\n" + line + "\n")) << c.name << r.out;
    }
}

TEST(DiffCommandTest, TroubleHasItsOwnStatus) {
    TempDir dir;
    Put(dir.File("a.asc"), "x\n");
    const CliResult missing = RunCli({"--lang", "en", "diff", dir.File("a.asc"), dir.File("none.asc")});
    EXPECT_EQ(missing.status, 10);
    EXPECT_TRUE(Contains(missing.err, "Cannot read " + dir.File("none.asc"))) << missing.err;
    EXPECT_TRUE(missing.out.empty());

    const CliResult one = RunCli({"--lang", "en", "diff", dir.File("a.asc")});
    EXPECT_EQ(one.status, 2);
    const CliResult three = RunCli({"--lang", "en", "diff", "--system", dir.File("a.asc"), dir.File("a.asc")});
    EXPECT_EQ(three.status, 2);

    // What a restore would refuse is refused before the line is used.
    Put(dir.File("empty.asc"), "");
    const CliResult empty = RunCli({"--lang", "en", "--simulate", "diff", "--system", dir.File("empty.asc")});
    EXPECT_EQ(empty.status, 10);
    EXPECT_TRUE(Contains(empty.err, "empty")) << empty.err;
    Put(dir.File("settings.txt"), "GAIN=4\n");
    EXPECT_EQ(RunCli({"--lang", "en", "--simulate", "diff", "--system", dir.File("settings.txt")}).status, 10);

    // A system that cannot be identified: its exit status, no difference.
    const CliResult mute = RunCli({"--lang", "en", "--simulate=mute", "diff", "--system", dir.File("a.asc")});
    EXPECT_EQ(mute.status, 6);
    EXPECT_TRUE(mute.out.empty()) << mute.out;
}

// One simulated system for several commands, so a restore stays restored.
TEST(DiffCommandTest, AgainstTheSystemShowsWhatARestoreWouldChange) {
    brelko::SimConfig config;
    config.baudRate = 0;
    config.restartSilence = std::chrono::milliseconds(0);
    brelko::VisionSimulator sim(config);
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    const std::vector<std::string> on = {"--lang", "en", "--device", sim.DevicePath()};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> args = on;
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };

    TempDir dir;
    ASSERT_EQ(RunCli(with({"backup", dir.File("now.asc")})).status, 0);
    std::string changed = Slurp(dir.File("now.asc"));
    const std::size_t gain = changed.find("\r\nGAIN=4\r\n");
    ASSERT_NE(gain, std::string::npos);
    changed.replace(gain, 10, "\r\nGAIN=9\r\n");
    Put(dir.File("changed.asc"), changed + "a note after the end marker\r\n");

    const CliResult before = RunCli(with({"diff", "--system", dir.File("changed.asc")}));
    EXPECT_EQ(before.status, 1) << before.err;
    EXPECT_TRUE(Contains(before.out, "\n-GAIN=4\n+GAIN=9\n")) << before.out;
    EXPECT_TRUE(Contains(before.out, "--- vision system TZ410 3.2.E")) << before.out;
    EXPECT_FALSE(Contains(before.out, "a note")) << "a restore does not send it: " << before.out;
    EXPECT_EQ(dir.Entries().size(), 2u) << "no file is written";

    ASSERT_EQ(RunCli(with({"restore", dir.File("changed.asc")})).status, 0);
    const CliResult after = RunCli(with({"diff", "--system", dir.File("changed.asc")}));
    EXPECT_EQ(after.status, 0) << after.out << after.err;
    EXPECT_TRUE(Contains(after.out, "would change nothing")) << after.out;

    const CliResult back = RunCli(with({"diff", "--system", dir.File("now.asc")}));
    EXPECT_EQ(back.status, 1);
    EXPECT_TRUE(Contains(back.out, "\n-GAIN=9\n+GAIN=4\n")) << back.out;
}

}  // namespace
