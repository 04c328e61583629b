// Each fault switch plays its fault, and only on the requests it names.
#include <gtest/gtest.h>

#include <thread>

#include "tests/sim/SimClient.h"

using namespace brelko;
using namespace brelko::simtest;

namespace {

const std::string kVersionReply = "\r\nTZ410 Vision 3.2.E\r\n>";

struct Served {
    explicit Served(const SimFaults& faults, const std::string& preset = "tz410-3.2.E") : sim([&] {
        SimConfig c = FastConfig(preset);
        c.faults = faults;
        return c;
    }()) {
        std::string error;
        EXPECT_TRUE(sim.Start(&error)) << error;
        client = std::make_unique<SimClient>(sim.DevicePath());
    }
    std::string After(const std::string& request, int quietMs = 300) {
        client->Send(request + "\n");
        return AfterEcho(client->ReadUntil(kPrompt, quietMs), request);
    }
    VisionSimulator sim;
    std::unique_ptr<SimClient> client;
};

SimFaults Only(const std::string& request) {
    SimFaults f;
    f.request = request;
    return f;
}

}  // namespace

TEST(SimFaults, ByteFaultsHitTheNamedOffsetOfTheReply) {
    struct Case {
        const char* name;
        void (*set)(SimFaults&);
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"silent after 10", [](SimFaults& f) { f.silentAfter = 10; }, kVersionReply.substr(0, 10)},
        {"silent after 0", [](SimFaults& f) { f.silentAfter = 0; }, ""},
        {"drop byte 2", [](SimFaults& f) { f.dropByteAt = 2; }, "\r\nZ410 Vision 3.2.E\r\n>"},
        {"corrupt byte 2", [](SimFaults& f) { f.corruptByteAt = 2; },
         "\r\n" + std::string(1, static_cast<char>(~'T')) + "Z410 Vision 3.2.E\r\n>"},
        {"drop last byte", [](SimFaults& f) { f.dropByteAt = 22; }, kVersionReply.substr(0, 22)},
        {"offset beyond the reply", [](SimFaults& f) { f.dropByteAt = 500; }, kVersionReply},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimFaults f = Only("GET VERSION");
        c.set(f);
        Served s(f);
        EXPECT_EQ(s.After("GET VERSION"), c.expected);
        // Other requests are untouched, and the system is back at its prompt.
        EXPECT_EQ(s.After("VERSION"), kVersionReply);
        s.client->Send("\n");
        EXPECT_EQ(s.client->ReadUntil(kPrompt, 300), "\r\n>");
    }
}

TEST(SimFaults, WrongChecksumIsOneOff) {
    Served good(SimFaults{}, "tz410-3.2.D");
    SimFaults f = Only("PICT SEND");
    f.wrongChecksum = true;
    Served bad(f, "tz410-3.2.D");
    const std::string a = good.After("PICT SEND", 1000), b = bad.After("PICT SEND", 1000);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GT(a.size(), 7u);
    const unsigned ca = std::stoul(a.substr(a.size() - 7, 4), nullptr, 16);
    const unsigned cb = std::stoul(b.substr(b.size() - 7, 4), nullptr, 16);
    EXPECT_EQ(cb, (ca + 1) & 0xFFFF);
    EXPECT_EQ(a.substr(0, a.size() - 7), b.substr(0, b.size() - 7));
}

TEST(SimFaults, WrongEchoSpoilsOneByteOfTheNamedRequest) {
    SimFaults f = Only("GET VERSION");
    f.wrongEcho = true;
    Served s(f);
    s.client->Send("GET VERSION\n");
    EXPECT_EQ(s.client->ReadUntil(kPrompt, 300), "GET VERSIO#" + kVersionReply);
    s.client->Send("VERSION\n");
    EXPECT_EQ(s.client->ReadUntil(kPrompt, 300), "VERSION" + kVersionReply);

    SimFaults all;
    all.wrongEcho = true;
    Served t(all);
    t.client->Send("UPLOAD\n");
    EXPECT_EQ(t.client->ReadUntil(kPrompt, 300).substr(0, 6), "#PLOAD");
    t.client->Send("\n");  // nothing to echo: the prompt as ever
    EXPECT_EQ(t.client->ReadUntil(kPrompt, 300), "\r\n>");
}

TEST(SimFaults, NoiseComesBeforeThePromptAndNeverLooksLikeIt) {
    SimFaults f = Only("GET VERSION");
    f.noiseBytes = 40;
    Served s(f);
    const std::string after = s.After("GET VERSION");
    ASSERT_EQ(after.size(), kVersionReply.size() + 40);
    EXPECT_EQ(after.substr(0, kVersionReply.size() - 3), kVersionReply.substr(0, kVersionReply.size() - 3));
    const std::string noise = after.substr(kVersionReply.size() - 3, 40);
    EXPECT_EQ(noise.find_first_of(">\n"), std::string::npos);
    EXPECT_EQ(after.substr(after.size() - 3), kPrompt);
}

TEST(SimFaults, NoPromptLeavesRepliesOpen) {
    SimFaults f;
    f.noPrompt = true;
    Served s(f);
    EXPECT_EQ(s.After("GET VERSION"), "\r\nTZ410 Vision 3.2.E");
    s.client->Send("\n");
    EXPECT_EQ(s.client->ReadQuiet(300), "");
}

TEST(SimFaults, HangUpClosesTheLineMidTransfer) {
    SimFaults f = Only("UPLOAD");
    f.hangUpAfter = 100;
    Served s(f);
    EXPECT_EQ(s.After("GET VERSION"), kVersionReply);  // short replies stay whole
    s.client->Send("UPLOAD\n");
    const std::string got = s.client->ReadQuiet(500);
    EXPECT_EQ(got.size(), 6u + 100u);
    EXPECT_TRUE(s.client->HungUp());
    for (int i = 0; i < 100 && s.sim.IsRunning(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(s.sim.HungUp());
    EXPECT_FALSE(s.sim.IsRunning());
}

TEST(SimFaults, HangUpInTheMiddleOfARestore) {
    SimFaults f = Only("DOWNLOAD");
    f.hangUpAfter = 500;
    Served s(f);
    EXPECT_EQ(s.After("UPLOAD", 300).substr(0, 2), "\r\n");  // other requests whole
    s.client->Send("DOWNLOAD\n");
    EXPECT_EQ(s.client->ReadAtLeast(10, 500), "DOWNLOAD\r\n");
    s.client->Send(std::string(499, 'A'));
    s.client->ReadQuiet(200);
    EXPECT_FALSE(s.sim.HungUp());
    s.client->Send("AA[END]\n");
    s.client->ReadQuiet(500);
    EXPECT_TRUE(s.client->HungUp());
    for (int i = 0; i < 100 && s.sim.IsRunning(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(s.sim.HungUp());
}

TEST(SimFaults, FaultsOffByDefault) {
    EXPECT_FALSE(SimFaults{}.Any());
    Served s(SimFaults{});
    EXPECT_EQ(s.After("GET VERSION"), kVersionReply);
}
