// The line discipline and request words of every preset, over a real pty.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

#include "tests/sim/SimClient.h"

using namespace brelko;
using namespace brelko::simtest;

namespace {

struct Served {
    explicit Served(const SimConfig& config) : sim(config) {
        std::string error;
        started = sim.Start(&error);
        EXPECT_TRUE(started) << error;
        client = std::make_unique<SimClient>(sim.DevicePath());
    }
    VisionSimulator sim;
    bool started = false;
    std::unique_ptr<SimClient> client;
};

const std::vector<std::string> kAllWords = {
    "GET VERSION", "VERSION",       "GET PICTURE", "PICT SEND",   "GET PICTURE /HEX", "PICT SEND /HEX",
    "GET MENUS",   "GETSETUP",      "GET MENUS 255", "GET LANGUAGE", "GETALLMENUS",   "GET ALL",
    "UPLOAD",      "GET ALL LEARN", "UPLOAD LEARN", "SET ALL",     "DOWNLOAD",        "SAVE LANGUAGE",
};

struct PresetWords {
    std::string preset;
    std::string versionLine;
    std::set<std::string> accepted;
};

const std::vector<PresetWords> kPresets = {
    {"tz410-3.2.E", "TZ410 Vision 3.2.E",
     {"GET VERSION", "VERSION", "GET PICTURE", "GET MENUS", "GET LANGUAGE", "UPLOAD", "DOWNLOAD", "SAVE LANGUAGE"}},
    {"tz410-3.2.D", "TZ410 Vision 3.2.D",
     {"GET VERSION", "VERSION", "PICT SEND", "GET MENUS", "GET LANGUAGE", "UPLOAD", "DOWNLOAD", "SAVE LANGUAGE"}},
    {"tz220-2.11.A", "TZ220 Vision 2.11.A",
     {"GET VERSION", "VERSION", "PICT SEND", "GETSETUP", "GETALLMENUS", "UPLOAD", "DOWNLOAD", "SAVE LANGUAGE"}},
    {"tz220-4.1.A", "TZ220 Color 4.1.A",
     {"GET VERSION", "VERSION", "GET PICTURE", "GET MENUS", "GET LANGUAGE", "UPLOAD", "DOWNLOAD", "SAVE LANGUAGE"}},
    {"kaldspot-1.7.A", "KALDspot Sensor 1.7.A",
     {"GET VERSION", "VERSION", "GET PICTURE /HEX", "GET MENUS 255", "GET LANGUAGE", "GET ALL", "GET ALL LEARN",
      "SET ALL", "SAVE LANGUAGE"}},
    {"tz410-old", "TZ410 Vision 1.0.F",
     {"VERSION", "GET PICTURE", "GET MENUS", "GET LANGUAGE", "GET ALL", "SET ALL", "SAVE LANGUAGE"}},
    {"unknown", "QX300 Vision 5.0.B",
     {"GET VERSION", "VERSION", "GET PICTURE", "GET MENUS", "GET LANGUAGE", "GET ALL", "SET ALL", "SAVE LANGUAGE"}},
};

}  // namespace

TEST(SimProtocol, BareLineFeedIsAnsweredWithThePrompt) {
    Served s(FastConfig("tz410-3.2.E"));
    s.client->Send("\n");
    EXPECT_EQ(s.client->ReadUntil(kPrompt), "\r\n>");
    s.client->Send("\n\n");
    EXPECT_EQ(s.client->ReadQuiet(), "\r\n>\r\n>");
}

TEST(SimProtocol, EchoesEveryRequestByteForByte) {
    Served s(FastConfig("tz410-3.2.E"));
    const std::vector<std::string> lines = {
        "GET VERSION", "get version", "X", std::string("Tab\tDel\x7f\xe6\xf8\xe5 end"), "  spaced  ",
    };
    for (const auto& line : lines) {
        std::string reply = s.client->Request(line);
        ASSERT_GE(reply.size(), line.size()) << line;
        EXPECT_EQ(reply.substr(0, line.size()), line);
    }
    // A carriage return is echoed too but is no part of the request.
    std::string reply = s.client->Request("GET VERSION\r");
    EXPECT_EQ(reply, "GET VERSION\r\r\nTZ410 Vision 3.2.E\r\n>");
}

TEST(SimProtocol, RefusalCarriesTheQuestionMarkOnTheEchoLineAndAsThirdByte) {
    Served s(FastConfig("tz410-3.2.E"));
    std::string after = AfterEcho(s.client->Request("NO SUCH WORD"), "NO SUCH WORD");
    ASSERT_EQ(after, " ??\r\n>");
    EXPECT_EQ(after[2], '?');  // what a language sender looks at
    const std::string firstLine = after.substr(0, after.find('\n') + 1);
    EXPECT_NE(firstLine.find('?'), std::string::npos);  // what identification looks at
    // Word case matters to the firmware.
    EXPECT_EQ(AfterEcho(s.client->Request("upload"), "upload"), " ??\r\n>");
}

TEST(SimProtocol, OverlongRequestIsEchoedAndRefused) {
    Served s(FastConfig("tz410-3.2.E"));
    const std::string line = "GET VERSION" + std::string(5000, 'x');
    std::string reply = s.client->Request(line);
    EXPECT_EQ(reply, line + " ??\r\n>");
    EXPECT_EQ(AfterEcho(s.client->Request("GET VERSION"), "GET VERSION"), "\r\nTZ410 Vision 3.2.E\r\n>");
}

TEST(SimProtocol, VersionReplyOfEveryPreset) {
    for (const auto& p : kPresets) {
        SCOPED_TRACE(p.preset);
        Served s(FastConfig(p.preset));
        EXPECT_EQ(s.sim.VersionLine(), p.versionLine);
        // The line a client reads: product, a second word, major.minor.letter.
        char product[64], model[64], version[64];
        ASSERT_EQ(std::sscanf(p.versionLine.c_str(), "%63s%63s%63s", product, model, version), 3);
        EXPECT_LE(std::string(product).size(), 19u);
        EXPECT_LE(std::string(model).size(), 7u);
        int major = 0, minor = 0;
        char letter = 0;
        EXPECT_EQ(std::sscanf(version, "%d.%d.%c", &major, &minor, &letter), 3);
        EXPECT_EQ(AfterEcho(s.client->Request("VERSION"), "VERSION"), "\r\n" + p.versionLine + "\r\n>");
    }
}

TEST(SimProtocol, OldFirmwareRefusesGetVersionButKnowsVersion) {
    Served s(FastConfig("tz410-old"));
    // The client's path: refused, one more line dropped, then VERSION.
    EXPECT_EQ(AfterEcho(s.client->Request("GET VERSION"), "GET VERSION"), " ??\r\n>");
    EXPECT_EQ(AfterEcho(s.client->Request("VERSION"), "VERSION"), "\r\nTZ410 Vision 1.0.F\r\n>");
}

TEST(SimProtocol, MuteSystemRefusesBothVersionRequests) {
    Served s(FastConfig("mute"));
    for (int round = 0; round < 2; ++round) {  // the client's path, twice: it stays refused
        EXPECT_EQ(AfterEcho(s.client->Request("GET VERSION"), "GET VERSION"), " ??\r\n>");
        EXPECT_EQ(AfterEcho(s.client->Request("VERSION"), "VERSION"), " ??\r\n>");
    }
    // Everything else is its firmware's as usual.
    EXPECT_NE(AfterEcho(s.client->Request("GET MENUS"), "GET MENUS").find("MENU 01"), std::string::npos);
}

TEST(SimProtocol, EveryPresetAcceptsItsOwnWordsAndRefusesTheRest) {
    for (const auto& p : kPresets) {
        Served s(FastConfig(p.preset));
        for (const auto& word : kAllWords) {
            SCOPED_TRACE(p.preset + ": " + word);
            const bool expected = p.accepted.count(word) > 0;
            s.client->Send(word + "\n");
            std::string reply = s.client->ReadUntil(kPrompt, 400);
            ASSERT_EQ(reply.substr(0, word.size()), word);
            const std::string after = reply.substr(word.size());
            if (!expected) {
                EXPECT_EQ(after, " ??\r\n>");
                continue;
            }
            EXPECT_NE(after.substr(0, 3), " ??");
            if (word == "SET ALL" || word == "DOWNLOAD") {
                // Waiting for a block: end it (an empty block keeps the settings) and
                // wait out the restart.
                EXPECT_EQ(after, "\r\n");
                s.client->Send("[END]\n");
                for (int tries = 0; tries < 50; ++tries) {
                    s.client->Send("\n");
                    if (s.client->ReadQuiet(100).find('>') != std::string::npos) break;
                }
                s.client->ReadQuiet(100);
            } else {
                EXPECT_EQ(reply.substr(reply.size() - 3), kPrompt);
            }
        }
    }
}
