// The system's state is real: restores change the next backup, saved
// languages change the next language fetch, a restart costs silence.
#include <gtest/gtest.h>

#include <thread>

#include "tests/sim/SimClient.h"

using namespace brelko;
using namespace brelko::simtest;

namespace {

struct Served {
    explicit Served(SimConfig config) : sim(std::move(config)) {
        std::string error;
        EXPECT_TRUE(sim.Start(&error)) << error;
        client = std::make_unique<SimClient>(sim.DevicePath());
    }
    // What a text reception keeps: everything after the echo, without the final ">".
    std::string Fetch(const std::string& request) {
        std::string reply = AfterEcho(client->Request(request), request);
        EXPECT_GE(reply.size(), 3u);
        EXPECT_EQ(reply.substr(reply.size() - 3), kPrompt);
        return reply.substr(0, reply.size() - 1);
    }
    // Sends a block as the restore sender does: up to "[END]", then a line feed.
    void Restore(const std::string& request, const std::string& text) {
        EXPECT_EQ(AfterEcho(client->Request(request, 300), request), "\r\n");
        const auto end = text.find("[END]");
        client->Send(text.substr(0, end == std::string::npos ? text.size() : end + 5) + "\n");
    }
    // Probes with line feeds until the prompt answers; false when it never does.
    bool WaitForPrompt() {
        for (int tries = 0; tries < 100; ++tries) {
            client->Send("\n");
            if (client->ReadQuiet(100).find('>') != std::string::npos) {
                client->ReadQuiet(150);
                return true;
            }
        }
        return false;
    }
    VisionSimulator sim;
    std::unique_ptr<SimClient> client;
};

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    auto pos = s.find(from);
    EXPECT_NE(pos, std::string::npos) << from;
    if (pos != std::string::npos) s.replace(pos, from.size(), to);
    return s;
}

}  // namespace

TEST(SimState, RestoreChangesTheNextBackupAndRestartsSilently) {
    struct Case {
        std::string preset, backup, restore;
    };
    for (const Case& c : {Case{"tz410-3.2.E", "UPLOAD", "DOWNLOAD"}, Case{"kaldspot-1.7.A", "GET ALL", "SET ALL"}}) {
        SCOPED_TRACE(c.preset);
        SimConfig config = FastConfig(c.preset);
        config.restartSilence = std::chrono::milliseconds(1500);
        Served s(config);
        const std::string before = s.Fetch(c.backup);
        ASSERT_GT(before.size(), 19000u);
        ASSERT_EQ(before.substr(before.size() - 7), "[END]\r\n");
        ASSERT_EQ(before.substr(0, 2), "\r\n");  // the rest of the echo line

        const std::string changed = Replace(before, "GAIN=4", "GAIN=7");
        s.Restore(c.restore, changed + "trailing bytes after the marker are not sent");
        // Restarting: a line feed right away gets no prompt.
        s.client->Send("\n");
        EXPECT_EQ(s.client->ReadQuiet(300), "");
        ASSERT_TRUE(s.WaitForPrompt());
        EXPECT_EQ(s.Fetch(c.backup), changed);
    }
}

TEST(SimState, EmptyBlockKeepsTheSettings) {
    Served s(FastConfig("tz410-3.2.D"));
    const std::string before = s.Fetch("UPLOAD");
    // What a buffer clearing sends to end a block the system may be waiting for.
    EXPECT_EQ(AfterEcho(s.client->Request("DOWNLOAD", 300), "DOWNLOAD"), "\r\n");
    s.client->Send("\n[END]\n\n\n");
    ASSERT_TRUE(s.WaitForPrompt());
    EXPECT_EQ(s.Fetch("UPLOAD"), before);
}

TEST(SimState, KaldspotServiceDataOnlyWithLearn) {
    Served s(FastConfig("kaldspot-1.7.A"));
    const std::string plain = s.Fetch("GET ALL");
    const std::string learn = s.Fetch("GET ALL LEARN");
    EXPECT_EQ(plain.find("[LEARN]"), std::string::npos);
    ASSERT_NE(learn.find("[LEARN]"), std::string::npos);
    EXPECT_GT(learn.size(), plain.size());

    // A restore with changed service data changes it; one without keeps it.
    const std::string changed = Replace(learn, "MODELS=4", "MODELS=3");
    s.Restore("SET ALL", changed);
    ASSERT_TRUE(s.WaitForPrompt());
    EXPECT_EQ(s.Fetch("GET ALL LEARN"), changed);
    s.Restore("SET ALL", Replace(plain, "GAIN=4", "GAIN=5"));
    ASSERT_TRUE(s.WaitForPrompt());
    const std::string after = s.Fetch("GET ALL LEARN");
    EXPECT_NE(after.find("MODELS=3"), std::string::npos);
    EXPECT_NE(after.find("GAIN=5"), std::string::npos);
}

TEST(SimState, SavedLanguageChangesTheNextFetch) {
    Served s(FastConfig("tz410-3.2.E"));
    const std::string original = s.Fetch("GET LANGUAGE");
    ASSERT_NE(original.find("\r\nLANGUAGE ENGLISH\r\n"), std::string::npos);
    ASSERT_NE(original.find("\r\nTEXT 002 RUN\r\n"), std::string::npos);

    // Each line is a request; the short answer's third byte tells taken from refused.
    struct Line {
        std::string text;
        bool taken;
    };
    const std::vector<Line> lines = {
        {"LANGUAGE DANSK", true},   {"TEXT 002 K\xd8R", true},    {"TEXT 003 STOP NU", true},
        {"TEXT 999 UNKNOWN", false}, {"TEXT 02 SHORT", false},     {"TEXT 004 " + std::string(41, 'X'), false},
        {"TEXT 005 ", false},        {"a line of prose", false},
    };
    for (const auto& l : lines) {
        SCOPED_TRACE(l.text);
        std::string after = AfterEcho(s.client->Request(l.text, 300), l.text);
        ASSERT_GE(after.size(), 3u);
        if (l.taken) {
            EXPECT_EQ(after, "\r\n>");
        } else {
            EXPECT_EQ(after[2], '?');
        }
    }
    // Not stored until saved.
    EXPECT_EQ(s.Fetch("GET LANGUAGE"), original);
    EXPECT_NE(AfterEcho(s.client->Request("SAVE LANGUAGE"), "SAVE LANGUAGE").find("SAVED"), std::string::npos);
    const std::string saved = s.Fetch("GET LANGUAGE");
    EXPECT_NE(saved.find("\r\nLANGUAGE DANSK\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nTEXT 002 K\xd8R\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nTEXT 003 STOP NU\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nTEXT 004 PROGRAM\r\n"), std::string::npos);  // untouched texts stay
    // The menus show the system's texts.
    EXPECT_NE(s.Fetch("GET MENUS").find("01.01 K\xd8R\r\n"), std::string::npos);
}

TEST(SimState, SendingBackAFetchedLanguageFileIsAcceptedLineByLine) {
    Served s(FastConfig("tz220-2.11.A"));
    const std::string text = s.Fetch("GETALLMENUS");
    std::size_t sent = 0;
    std::string line;
    for (char c : text + "\n") {
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (line.empty()) continue;
        EXPECT_EQ(AfterEcho(s.client->Request(line, 300), line), "\r\n>") << line;
        ++sent;
        line.clear();
    }
    EXPECT_EQ(sent, 41u);
}

TEST(SimState, UnsavedLanguageIsLostOnRestart) {
    Served s(FastConfig("tz410-3.2.E"));
    const std::string original = s.Fetch("GET LANGUAGE");
    EXPECT_EQ(AfterEcho(s.client->Request("TEXT 002 GO", 300), "TEXT 002 GO"), "\r\n>");
    s.Restore("DOWNLOAD", "[END]");
    ASSERT_TRUE(s.WaitForPrompt());
    s.client->Request("SAVE LANGUAGE");
    EXPECT_EQ(s.Fetch("GET LANGUAGE"), original);
}
