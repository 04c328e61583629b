// Picture reception end to end over a pseudo-terminal: the simulated vision
// system in each of its picture forms, and a scripted far end for replies
// the simulator never sends.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <mutex>

#include "platform/ByteArchive.h"
#include "exchange/PictureReceiver.h"
#include "tests/data/ReceptionRig.h"

namespace brelko {
namespace {

using test::Bytes;
using test::FastPreset;
using test::Posted;
using test::ReceptionRig;

// Counts the checksum reports while it lives.
class ChecksumReports {
public:
    ChecksumReports() {
        SetChecksumErrorHook([this](const std::string& message) {
            std::lock_guard lock(m_mutex);
            m_messages.push_back(message);
        });
    }
    ~ChecksumReports() { SetChecksumErrorHook(nullptr); }
    std::vector<std::string> Messages() {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_messages;
};

Bytes Mtx8File(unsigned width, unsigned height, unsigned paletteSize) {
    test::Mtx8Spec layout;
    layout.width = width;
    layout.height = height;
    for (unsigned i = 0; i < paletteSize; ++i)
        layout.palette.push_back({std::uint8_t(i * 3), std::uint8_t(i * 5), std::uint8_t(i * 7)});
    for (unsigned i = 0; i < width * height; ++i) layout.pixels.push_back(std::uint8_t((i * 13 + i / width) % paletteSize));
    return test::MakeMtx8(layout);
}

Bytes Mtx16File(unsigned width, unsigned height) {
    test::Mtx16Spec layout;
    layout.width = width;
    layout.height = height;
    for (unsigned i = 0; i < width * height; ++i) layout.pixels.push_back(std::uint16_t(i * 2654435761u >> 17));
    return test::MakeMtx16(layout);
}

Bytes Stored(CMTX& picture) {
    auto ar = ByteArchive::ToMemory();
    picture.Serialize(*ar);
    return ar->Bytes();
}

// Status-view messages of a good reception of `count` bytes: started, the
// progress every 100 bytes, the last count, done.
void ExpectCourse(const std::vector<Posted>& status, std::size_t count) {
    ASSERT_GE(status.size(), 3u);
    EXPECT_EQ(status.front(), (Posted{WM_EXCHANGE_STATE, 0, 5}));
    EXPECT_EQ(status[1], (Posted{WM_BYTES_RECEIVED, 0, LPARAM(count)}));
    EXPECT_EQ(status[status.size() - 2], (Posted{WM_BYTES_RECEIVED, count, LPARAM(count)}));
    EXPECT_EQ(status.back(), (Posted{WM_TRANSFER_DONE, 0, 0}));
    EXPECT_EQ(status.size(), 3 + (count + 99) / 100);
}

struct SimCase {
    const char* name;
    const char* preset;
    const char* command;
    bool extraByte;
    PictureForm form;
    bool sixteenBit;
    std::size_t lineBytes;  // payload characters on the line
};

TEST(PictureReception, EveryFormTheSystemSendsLoadsThePicture) {
    const Bytes file8 = Mtx8File(40, 30, 200), file16 = Mtx16File(33, 17);
    const SimCase cases[] = {
        {"raw", "tz410-3.2.D", "PICT SEND", false, PictureForm::Raw, false, file8.size()},
        {"raw 16-bit", "tz410-3.2.D", "PICT SEND", false, PictureForm::Raw, true, file16.size()},
        {"hexadecimal", "kaldspot-1.7.A", "GET PICTURE /HEX", false, PictureForm::Raw, true, 2 * file16.size()},
        {"extra byte", "tz220-2.11.A", "PICT SEND", true, PictureForm::Raw, false, file8.size()},
        {"archived", "tz410-3.2.E", "GET PICTURE", false, PictureForm::Archive, false, 0},
        {"archived 16-bit", "tz220-4.1.A", "GET PICTURE", false, PictureForm::Archive, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReceptionRig rig;
        const Bytes& file = c.sixteenBit ? file16 : file8;
        test::WriteFileBytes(rig.Dir().File("screen.mtx"), file);
        // Files of the user's under the names a reception uses must survive it.
        test::WriteFileBytes(rig.Dir().File("TEMP.MTX"), {1, 2, 3});
        test::WriteFileBytes(rig.Dir().File("SCREEN.MTX"), {4, 5, 6});
        auto config = FastPreset(c.preset);
        config.pictureFile = rig.Dir().File("screen.mtx");
        config.pictureForm = c.form;
        ASSERT_TRUE(rig.StartSim(config));
        ChecksumReports reports;

        auto picture = std::make_shared<CMTX>();
        const auto outcome = rig.Receive(picture, c.command, c.extraByte);
        EXPECT_TRUE(outcome.loaded);
        EXPECT_FALSE(outcome.failed);
        EXPECT_EQ(outcome.data, (std::vector<Posted>{{WM_DATA_UPDATE, 0, 1}}));
        if (c.lineBytes) ExpectCourse(outcome.status, c.lineBytes);
        ASSERT_FALSE(outcome.status.empty());
        EXPECT_EQ(outcome.status.front(), (Posted{WM_EXCHANGE_STATE, 0, 5}));
        EXPECT_EQ(outcome.status.back(), (Posted{WM_TRANSFER_DONE, 0, 0}));
        EXPECT_EQ(picture->m_bValid, 1);
        EXPECT_EQ(Stored(*picture), file);
        EXPECT_TRUE(reports.Messages().empty());
        EXPECT_EQ(test::ReadFileBytes(rig.Dir().File("TEMP.MTX")), (Bytes{1, 2, 3}));
        EXPECT_EQ(test::ReadFileBytes(rig.Dir().File("SCREEN.MTX")), (Bytes{4, 5, 6}));
        EXPECT_TRUE(rig.TempLeftovers().empty());
    }
}

TEST(PictureReception, TheSimulatorsOwnScreenPictureLoads) {
    ReceptionRig rig;
    ASSERT_TRUE(rig.StartSim(FastPreset("tz410-3.2.E")));
    auto picture = std::make_shared<CMTX>();
    const auto outcome = rig.Receive(picture, "GET PICTURE", false);
    EXPECT_TRUE(outcome.loaded);
    EXPECT_EQ(picture->m_bValid, 1);
    EXPECT_EQ(picture->m_strDescription.rfind("16 bit MTX ", 0), 0u) << picture->m_strDescription;
}

TEST(PictureReception, AChecksumMismatchIsReportedOnceAndThePictureStillLoads) {
    ReceptionRig rig;
    const Bytes file = Mtx8File(20, 10, 16);
    test::WriteFileBytes(rig.Dir().File("screen.mtx"), file);
    auto config = FastPreset("tz410-3.2.D");
    config.pictureFile = rig.Dir().File("screen.mtx");
    config.pictureForm = PictureForm::Raw;
    config.faults.request = "PICT SEND";
    config.faults.wrongChecksum = true;
    ASSERT_TRUE(rig.StartSim(config));
    ChecksumReports reports;
    auto picture = std::make_shared<CMTX>();
    const auto outcome = rig.Receive(picture, "PICT SEND", false);
    EXPECT_EQ(reports.Messages(), (std::vector<std::string>{"Checksum error!"}));
    EXPECT_TRUE(outcome.loaded);
    EXPECT_EQ(Stored(*picture), file);
}

TEST(PictureReception, TheExtraByteFlagMustMatchTheSystem) {
    // Either way the checksum digits are read one byte off: a mismatch, reported.
    const struct {
        const char* preset;
        bool flag;
    } cases[] = {{"tz220-2.11.A", false}, {"tz410-3.2.D", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preset);
        ReceptionRig rig;
        test::WriteFileBytes(rig.Dir().File("screen.mtx"), Mtx8File(8, 8, 4));
        auto config = FastPreset(c.preset);
        config.pictureFile = rig.Dir().File("screen.mtx");
        config.pictureForm = PictureForm::Raw;
        ASSERT_TRUE(rig.StartSim(config));
        ChecksumReports reports;
        auto picture = std::make_shared<CMTX>();
        const auto outcome = rig.Receive(picture, "PICT SEND", c.flag);
        EXPECT_EQ(reports.Messages().size(), 1u);
        EXPECT_TRUE(outcome.loaded);
    }
}

// An 8-bit MTX file of exactly `size` bytes: 95 + 3N + W x H.
Bytes MtxFileOfSize(std::size_t size, unsigned width) {
    const std::size_t rest = size - 95;
    unsigned palette = 0;
    while ((rest - 3 * palette) % width != 0) ++palette;
    test::Mtx8Spec layout;
    layout.width = width;
    layout.height = static_cast<unsigned>((rest - 3 * palette) / width);
    layout.palette.assign(palette, {1, 2, 3});
    layout.pixels.assign(std::size_t(layout.width) * layout.height, 7);
    Bytes bytes = test::MakeMtx8(layout);
    EXPECT_EQ(bytes.size(), size);
    return bytes;
}

TEST(PictureReception, TwoMillionBytesAreTheLongestPictureAccepted) {
    ReceptionRig rig;
    const Bytes file = MtxFileOfSize(2000000, 1600);
    test::WriteFileBytes(rig.Dir().File("big.mtx"), file);
    auto config = FastPreset("tz410-3.2.D");
    config.pictureFile = rig.Dir().File("big.mtx");
    config.pictureForm = PictureForm::Raw;
    ASSERT_TRUE(rig.StartSim(config));
    auto picture = std::make_shared<CMTX>();
    const auto outcome = rig.Receive(picture, "PICT SEND", false);
    EXPECT_TRUE(outcome.loaded);
    ExpectCourse(outcome.status, 2000000);
    EXPECT_EQ(Stored(*picture), file);
}

// Replies the simulator never sends, from a scripted far end. Each fails the
// reception before anything is loaded.
TEST(PictureReception, BadRepliesFailWithThePictureError) {
    const struct {
        const char* name;
        const char* command;
        std::string reply;
        bool readsPayload;  // progress was posted before it failed
    } cases[] = {
        {"length above two million", "GET PICTURE", " SIZE 2000001\r\n", false},
        {"negative length", "GET PICTURE", " SIZE -1\r\n", false},
        {"no length", "GET PICTURE", " SIZE\r\n", false},
        {"a word only", "GET PICTURE", "\r\n", false},
        {"a hex pair that is not hex", "GET PICTURE /HEX", " SIZE 3\r\n0A0G0C0021", true},
        {"a hex pair with a sign", "GET PICTURE /HEX", " SIZE 3\r\n0A+B0C0021", true},
        {"not an MTX file", "GET PICTURE", " SIZE 3\r\n\x01\x02\x03" "0006", true},
        {"an empty picture", "GET PICTURE", " SIZE 0\r\n0000", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReceptionRig rig;
        test::ScriptedDevice device(c.reply);
        ASSERT_TRUE(device.Ok());
        ASSERT_TRUE(rig.StartOn(device.DevicePath()));
        ChecksumReports reports;
        auto picture = std::make_shared<CMTX>();
        const auto outcome = rig.Receive(picture, c.command, false);
        EXPECT_TRUE(outcome.failed);
        EXPECT_FALSE(outcome.loaded);
        EXPECT_TRUE(outcome.data.empty());
        EXPECT_EQ(picture->m_bValid, 0);
        ASSERT_FALSE(outcome.status.empty());
        EXPECT_EQ(outcome.status.front(), (Posted{WM_EXCHANGE_STATE, 0, 5}));
        EXPECT_EQ(outcome.status.back(), (Posted{WM_EXCHANGE_STATE, 0, 4}));
        bool progress = false;
        for (const auto& p : outcome.status) progress |= p.message == WM_BYTES_RECEIVED;
        EXPECT_EQ(progress, c.readsPayload);
        EXPECT_TRUE(reports.Messages().empty());
        EXPECT_TRUE(rig.TempLeftovers().empty());
    }
}

TEST(PictureReception, GoodChecksumsOfHexAndExtraBytePass) {
    // Hex: 0A 0B 0C sum 0x21. Raw with the extra byte: 1 + 2 + 0xFFFF = 2.
    const struct {
        const char* command;
        bool extra;
        std::string reply;
    } cases[] = {{"GET PICTURE /HEX", false, " SIZE 3\r\n0A0B0C0021"},
                 {"GET PICTURE", true, std::string(" SIZE 2\r\n\x01\x02\xFF") + "0002"},
                 {"GET PICTURE /HEX", true, " SIZE 3\r\n0a0b0c" "\xFF" "0021"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        ReceptionRig rig;
        test::ScriptedDevice device(c.reply);
        ASSERT_TRUE(rig.StartOn(device.DevicePath()));
        ChecksumReports reports;
        auto picture = std::make_shared<CMTX>();
        rig.Receive(picture, c.command, c.extra);
        EXPECT_TRUE(reports.Messages().empty());  // the bytes are no picture, but the sum is right
    }
}

TEST(PictureReception, ASilentLineMidPayloadFails) {
    ReceptionRig rig;
    test::WriteFileBytes(rig.Dir().File("screen.mtx"), Mtx8File(40, 30, 200));
    auto config = FastPreset("tz410-3.2.D");
    config.pictureFile = rig.Dir().File("screen.mtx");
    config.pictureForm = PictureForm::Raw;
    config.faults.request = "PICT SEND";
    config.faults.silentAfter = 600;  // the header line and part of the picture
    ASSERT_TRUE(rig.StartSim(config));
    auto picture = std::make_shared<CMTX>();
    const auto outcome = rig.Receive(picture, "PICT SEND", false);
    EXPECT_TRUE(outcome.failed);
    EXPECT_FALSE(outcome.loaded);
    EXPECT_EQ(picture->m_bValid, 0);
    EXPECT_NE(outcome.status.end(), std::find(outcome.status.begin(), outcome.status.end(),
                                              Posted{WM_BYTES_RECEIVED, 500, LPARAM(95 + 600 + 1200)}));
    EXPECT_TRUE(rig.TempLeftovers().empty());
}

TEST(PictureReception, ACancelRequestEndsAWaitingReception) {
    ReceptionRig rig;
    test::ScriptedDevice device("");  // echoes, then says nothing: the header line never comes
    ASSERT_TRUE(rig.StartOn(device.DevicePath()));
    auto picture = std::make_shared<CMTX>();
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        rig.Line().RequestCancel();
    });
    // Without the cancel the header line would be awaited for a minute.
    const auto outcome = rig.Receive(picture, "GET PICTURE", false);
    canceller.join();
    EXPECT_TRUE(outcome.failed);
    EXPECT_FALSE(outcome.loaded);
}

TEST(PictureReception, TheWaitForTheHeaderLineCanBeShortened) {
    EXPECT_EQ(CMTX().HeaderLineTimeout(), std::chrono::seconds(60));
    ReceptionRig rig;
    test::ScriptedDevice device("");  // echoes, then says nothing
    ASSERT_TRUE(rig.StartOn(device.DevicePath()));
    auto picture = std::make_shared<CMTX>();
    picture->SetHeaderLineTimeout(std::chrono::milliseconds(800));
    // Far below the default minute: a reception that kept the default would
    // still be waiting when the limit runs out.
    const auto outcome = rig.Receive(picture, "GET PICTURE", false, std::chrono::seconds(30));
    EXPECT_TRUE(outcome.failed);
    EXPECT_FALSE(outcome.loaded);
    EXPECT_EQ(picture->m_bValid, 0);
}

TEST(PictureReception, AnObjectNotOwnedBySharedPointerDoesNotStart) {
    ReceptionRig rig;
    test::ScriptedDevice device("");
    ASSERT_TRUE(rig.StartOn(device.DevicePath()));
    CMTX picture;
    EXPECT_FALSE(StartPictureReceive(picture, rig.Line(), {}, "GET PICTURE", false));
}

}  // namespace
}  // namespace brelko
