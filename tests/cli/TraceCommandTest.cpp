// --trace FILE: the record of the line that a device command leaves for
// support, read back with a reader of its own.
#include <gtest/gtest.h>

#include "tests/cli/CliRunner.h"
#include "tests/cli/TestFiles.h"
#include "tests/comlink/TraceReader.h"

using brelko::test::ReadTrace;
using brelko::test::TraceEntry;
using brelko::test::TraceStream;

namespace {

std::vector<std::string> Sim(std::vector<std::string> more) {
    std::vector<std::string> args = {"--lang", "en", "--simulate=tz410-3.2.E", "--sim-restart", "0"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

}  // namespace

TEST(TraceCommandTest, ATraceOfABackupHoldsEveryByteOfTheBackupInOrder) {
    TempDir dir;
    const std::string trace = dir.File("line.trace");
    const CliResult r = RunCli(Sim({"--trace", trace, "backup", dir.File("b.asc")}));
    ASSERT_EQ(0, r.status) << r.err;
    const std::string backup = Slurp(dir.File("b.asc"));
    ASSERT_GT(backup.size(), 20000u);

    const auto entries = ReadTrace(trace);
    std::string previousTime;
    for (const TraceEntry& e : entries) {
        EXPECT_TRUE(e.wellFormed) << e.bytes;
        EXPECT_GE(e.time, previousTime) << "timestamps go forward";
        previousTime = e.time;
    }
    // The backup is what came between the request's echo and the prompt.
    const std::string received = TraceStream(entries, '<');
    EXPECT_NE(received.find("UPLOAD" + backup + ">"), std::string::npos);
    const std::string sent = TraceStream(entries, '>');
    EXPECT_NE(sent.find("GET VERSION\n"), std::string::npos);
    EXPECT_NE(sent.find("UPLOAD\n"), std::string::npos);
    EXPECT_TRUE(Contains(Slurp(trace), "# ")) << "notes name the port";

    // A second command appends.
    const std::string first = Slurp(trace);
    ASSERT_EQ(0, RunCli(Sim({"--trace", trace, "identify"})).status);
    const std::string after = Slurp(trace);
    EXPECT_GT(after.size(), first.size());
    EXPECT_EQ(after.substr(0, first.size()), first);
}

TEST(TraceCommandTest, WithoutTraceNothingIsWrittenBesidesTheBackup) {
    TempDir dir;
    CliRun run;
    run.args = Sim({"backup", dir.File("b.asc")});
    run.cwd = dir.Path();
    ASSERT_EQ(0, RunCli(run).status);
    EXPECT_EQ(1u, dir.Entries().size());
}

TEST(TraceCommandTest, AnUnwritableTraceStopsTheCommandBeforeTheLineIsUsed) {
    TempDir dir;
    const CliResult r = RunCli(Sim({"--trace", dir.File("no/folder/t.trace"), "backup", dir.File("b.asc")}));
    EXPECT_EQ(11, r.status);
    EXPECT_TRUE(Contains(r.err, "Cannot write " + dir.File("no/folder/t.trace"))) << r.err;
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
    EXPECT_EQ(0u, dir.Entries().size());
}
