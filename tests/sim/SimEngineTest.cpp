// The engine around the firmware: starting, stopping, reopening, firmware
// knowledge for any identity.
#include <gtest/gtest.h>

#include "tests/sim/SimClient.h"
#include "sim/SimFirmware.h"
#include "sim/SimPresets.h"

#include <thread>

using namespace brelko;
using namespace brelko::simtest;

TEST(SimEngine, StartRefusesABadConfiguration) {
    struct Case {
        const char* name;
        void (*set)(SimConfig&);
    };
    const std::vector<Case> cases = {
        {"unknown preset", [](SimConfig& c) { c.preset = "tz999"; }},
        {"missing picture", [](SimConfig& c) { c.pictureFile = "/nonexistent/picture.mtx"; }},
        {"empty picture", [](SimConfig& c) { c.pictureFile = "/dev/null"; }},
        {"depth", [](SimConfig& c) { c.pictureBits = 24; }},
        {"negative baud", [](SimConfig& c) { c.baudRate = -1; }},
        {"two-word product", [](SimConfig& c) { c.product = "TZ 410"; }},
        {"long version", [](SimConfig& c) { c.version = "12.345.A"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimConfig config = FastConfig("tz410-3.2.E");
        c.set(config);
        VisionSimulator sim(config);
        std::string error;
        EXPECT_FALSE(sim.Start(&error));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(sim.IsRunning());
        EXPECT_TRUE(sim.DevicePath().empty());
    }
}

TEST(SimEngine, PresetNamesIgnoreCase) {
    ASSERT_NE(FindSimPreset("TZ410-3.2.e"), nullptr);
    EXPECT_EQ(FindSimPreset("TZ410-3.2.e")->name, "tz410-3.2.E");
    EXPECT_EQ(FindSimPreset("tz410"), nullptr);
}

TEST(SimEngine, ClientMayCloseAndReopenThePort) {
    VisionSimulator sim(FastConfig("tz220-4.1.A"));
    ASSERT_TRUE(sim.Start());
    for (int round = 0; round < 3; ++round) {
        SimClient client(sim.DevicePath());
        ASSERT_TRUE(client.IsOpen());
        EXPECT_EQ(client.Request("GET VERSION"), "GET VERSION\r\nTZ220 Color 4.1.A\r\n>");
    }
    EXPECT_TRUE(sim.IsRunning());
}

TEST(SimEngine, StopEndsAReplyAtLineSpeed) {
    SimConfig config = FastConfig("tz410-3.2.E");
    config.baudRate = 9600;  // the backup would take about 21 seconds
    VisionSimulator sim(config);
    ASSERT_TRUE(sim.Start());
    SimClient client(sim.DevicePath());
    client.Send("UPLOAD\n");
    EXPECT_EQ(client.ReadAtLeast(100).size(), 100u);
    sim.Stop();
    // The rest of the backup never comes: the line is closed.
    const std::string rest = client.ReadQuiet(200);
    EXPECT_LT(rest.size(), 1000u);
    EXPECT_FALSE(sim.IsRunning());
    sim.Stop();  // twice is harmless
}

TEST(SimEngine, ReplyRunsOnWhenTheClientGoesAway) {
    SimConfig config = FastConfig("tz410-3.2.D");
    config.baudRate = 921600;  // the 150 KB picture takes under 2 seconds
    VisionSimulator sim(config);
    ASSERT_TRUE(sim.Start());
    {
        SimClient first(sim.DevicePath());
        first.Send("PICT SEND\n");
        EXPECT_EQ(first.ReadAtLeast(100).size(), 100u);
    }
    // A real system sends on while nobody listens; the next client, after
    // throwing away what is left in its queue, finds it at the prompt.
    std::this_thread::sleep_for(std::chrono::milliseconds(4000));
    SimClient second(sim.DevicePath());
    second.Flush();
    second.Send("\n");
    const std::string got = second.ReadUntil(kPrompt, 500);
    EXPECT_TRUE(got == "\r\n>") << got.size() << " bytes came instead of the prompt";
}

TEST(SimEngine, TwoSimulatorsServeTwoLines) {
    VisionSimulator a(FastConfig("tz410-3.2.E")), b(FastConfig("kaldspot-1.7.A"));
    ASSERT_TRUE(a.Start());
    ASSERT_TRUE(b.Start());
    EXPECT_NE(a.DevicePath(), b.DevicePath());
    SimClient ca(a.DevicePath()), cb(b.DevicePath());
    EXPECT_EQ(AfterEcho(cb.Request("GET VERSION"), "GET VERSION"), "\r\nKALDspot Sensor 1.7.A\r\n>");
    EXPECT_EQ(AfterEcho(ca.Request("GET VERSION"), "GET VERSION"), "\r\nTZ410 Vision 3.2.E\r\n>");
}

TEST(SimEngine, IdentityOverrideTakesThatFirmwaresWords) {
    SimConfig config = FastConfig("tz220-2.11.A");
    config.version = "2.20.N";
    VisionSimulator sim(config);
    ASSERT_TRUE(sim.Start());
    SimClient client(sim.DevicePath());
    EXPECT_EQ(AfterEcho(client.Request("VERSION"), "VERSION"), "\r\nTZ220 Vision 2.20.N\r\n>");
    EXPECT_EQ(AfterEcho(client.Request("GET MENUS"), "GET MENUS"), " ??\r\n>");
    EXPECT_NE(AfterEcho(client.Request("GETSETUP"), "GETSETUP"), " ??\r\n>");
}

TEST(SimFirmware, ReleaseHistoryAtItsBoundaries) {
    struct Case {
        const char* product;
        const char* version;
        const char* picture;
        const char* menus;
        const char* backup;
        bool extra;
        bool getVersion;
    };
    const std::vector<Case> cases = {
        {"TZ220", "2.10.Z", "GET PICTURE", "GET MENUS", "GET ALL", true, true},
        {"TZ220", "2.11.A", "PICT SEND", "GETSETUP", "UPLOAD", true, true},
        {"TZ220", "2.11.Z", "PICT SEND", "GETSETUP", "UPLOAD", true, true},
        {"TZ220", "2.12.A", "PICT SEND", "GETSETUP", "UPLOAD", false, true},
        {"TZ220", "2.20.N", "PICT SEND", "GETSETUP", "UPLOAD", true, true},
        {"TZ220", "2.20.O", "PICT SEND", "GETSETUP", "UPLOAD", false, true},
        {"TZ220", "3.0.A", "GET PICTURE", "GET MENUS", "GET ALL", false, true},
        {"TZ220", "4.2.E", "GET PICTURE", "GET MENUS", "UPLOAD", false, true},
        {"TZ220", "4.2.F", "GET PICTURE", "GET MENUS", "GET ALL", false, true},
        {"TZ410", "1.0.Z", "GET PICTURE", "GET MENUS", "GET ALL", true, false},
        {"TZ410", "1.1.A", "PICT SEND", "GETSETUP", "UPLOAD", true, true},
        {"TZ410", "1.3.A", "PICT SEND", "GETSETUP", "UPLOAD", false, true},
        {"TZ410", "1.20.A", "PICT SEND", "GETSETUP", "UPLOAD", true, true},
        {"TZ410", "2.9.Z", "GET PICTURE", "GET MENUS", "GET ALL", false, true},
        {"TZ410", "3.0.A", "PICT SEND", "GET MENUS", "UPLOAD", false, true},
        {"TZ410", "3.2.D", "PICT SEND", "GET MENUS", "UPLOAD", false, true},
        {"TZ410", "3.2.E", "GET PICTURE", "GET MENUS", "UPLOAD", false, true},
        {"TZ410", "3.2.F", "GET PICTURE", "GET MENUS", "GET ALL", false, true},
        {"tz410", "3.2.D", "GET PICTURE", "GET MENUS", "GET ALL", false, true},
        {"KALDspot", "1.6.K", "GET PICTURE", "GET MENUS 255", "GET ALL", false, true},
        {"KALDspot", "1.6.L", "GET PICTURE /HEX", "GET MENUS 255", "GET ALL", false, true},
        {"KALDspot", "1.8.C", "GET PICTURE /HEX", "GET MENUS 255", "GET ALL", false, true},
        {"KALDspot", "1.8.D", "GET PICTURE", "GET MENUS 255", "GET ALL", false, true},
        {"TZ410", "3.2", "GET PICTURE", "GET MENUS", "GET ALL", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.version);
        const FirmwareWords w = DescribeFirmware(c.product, c.version);
        EXPECT_EQ(w.picture, c.picture);
        EXPECT_EQ(w.menus, c.menus);
        EXPECT_EQ(w.backup, c.backup);
        EXPECT_EQ(w.restore, w.backup == "GET ALL" ? "SET ALL" : "DOWNLOAD");
        EXPECT_EQ(w.extraPictureByte, c.extra);
        EXPECT_EQ(w.knowsGetVersion, c.getVersion);
    }
}

TEST(SimFirmware, VersionTextMustReadAsMajorMinorLetter) {
    FirmwareVersion v;
    EXPECT_TRUE(ParseFirmwareVersion("2.11.A", v));
    EXPECT_EQ(v.major, 2);
    EXPECT_EQ(v.minor, 11);
    EXPECT_EQ(v.letter, 'A');
    for (const char* bad : {"", "2.11", "2.11.", "2.11.AB", "2..A", ".1.A", "2.11.a", "2.11.1", "x.1.A"})
        EXPECT_FALSE(ParseFirmwareVersion(bad, v)) << bad;
}
