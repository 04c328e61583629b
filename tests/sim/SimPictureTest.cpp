// Pictures on the line: header, raw / hexadecimal / archived payload, the
// extra byte and the checksum; and the built-in screen itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

#include "archive/ArcCrc32.h"
#include "archive/ArcDecoder.h"
#include "tests/sim/SimClient.h"
#include "sim/SimPicture.h"

using namespace brelko;
using namespace brelko::simtest;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Picture {
    long length = -1;       // from the header line
    Bytes payload;          // decoded when hexadecimal
    bool hasExtra = false;
    std::uint8_t extra = 0;
    unsigned checksum = 0x10000;
    std::string trailer;    // what follows the checksum
};

unsigned Sum(const Bytes& b) {
    unsigned s = 0;
    for (auto v : b) s += v;
    return s;
}

// Reads a picture reply as a client would: header line, payload, optional
// extra byte, four checksum digits; then whatever is left.
Picture Receive(SimClient& client, const std::string& request, bool hex, bool extra) {
    Picture p;
    client.Send(request + "\n");
    std::string all = client.ReadUntil(kPrompt, 1000);
    std::string after = AfterEcho(all, request);
    auto lf = after.find('\n');
    if (lf == std::string::npos) return p;
    char word[32];
    if (std::sscanf(after.substr(0, lf + 1).c_str(), "%31s%ld", word, &p.length) != 2) return p;
    std::size_t pos = lf + 1;
    const std::size_t count = static_cast<std::size_t>(p.length) * (hex ? 2 : 1);
    if (after.size() < pos + count + (extra ? 1 : 0) + 4) return p;
    for (std::size_t i = 0; i < count; i += hex ? 2 : 1) {
        if (hex) {
            unsigned v = 0;
            std::sscanf(after.substr(pos + i, 2).c_str(), "%02x", &v);
            p.payload.push_back(static_cast<std::uint8_t>(v));
        } else {
            p.payload.push_back(static_cast<std::uint8_t>(after[pos + i]));
        }
    }
    pos += count;
    if (extra) {
        p.hasExtra = true;
        p.extra = static_cast<std::uint8_t>(after[pos++]);
    }
    std::sscanf(after.substr(pos, 4).c_str(), "%04X", &p.checksum);
    p.trailer = after.substr(pos + 4);
    return p;
}

Picture Fetch(const SimConfig& config, const std::string& request, bool hex, bool extra) {
    VisionSimulator sim(config);
    std::string error;
    EXPECT_TRUE(sim.Start(&error)) << error;
    SimClient client(sim.DevicePath());
    return Receive(client, request, hex, extra);
}

struct MtxInfo {
    int width = 0, height = 0, bits = 0;
};

MtxInfo ReadMtx(const Bytes& b) {
    MtxInfo m;
    if (b.size() < 42) return m;
    auto u16 = [&](std::size_t o) { return b[o] | (b[o + 1] << 8); };
    m.width = u16(14 + 5);
    m.height = u16(14 + 7);
    m.bits = b[14 + 12];
    return m;
}

// Extracts the one entry of an ".arq" archive with the archive toolkit's decoder.
Bytes ExtractOnlyEntry(const Bytes& archive, std::string& name) {
    auto u16 = [&](std::size_t o) { return static_cast<unsigned>(archive[o] | (archive[o + 1] << 8)); };
    auto u32 = [&](std::size_t o) { return u16(o) | (u16(o + 2) << 16); };
    if (archive.size() < 41 || std::memcmp(archive.data(), "\x67\x57\x04\x01", 4) != 0) return {};
    const std::size_t n = u16(6);
    name.assign(reinterpret_cast<const char*>(&archive[8]), n);
    const std::uint32_t stored = u32(18 + n), original = u32(22 + n), crc = u32(26 + n);
    const std::uint8_t method = archive[30 + n];
    const std::size_t start = 41 + n + u16(39 + n);
    if (method != 2 || start + stored > archive.size()) return {};
    EXPECT_EQ(ArcCrc32(&archive[start], stored), crc);
    // The end marker follows the entry.
    EXPECT_GE(archive.size(), start + stored + 8);
    EXPECT_EQ(u16(start + stored + 6), 0u);

    CArcMemorySource source(&archive[start], stored);
    CArcDecoder decoder;
    decoder.Start(&source, stored, nullptr);
    Bytes out;
    std::vector<std::uint8_t> chunk(4096);
    while (out.size() < original) {
        int count = static_cast<int>(std::min<std::size_t>(4096, original - out.size()));
        if (decoder.Decode(count, chunk.data()) != 0) return {};
        out.insert(out.end(), chunk.begin(), chunk.begin() + count);
    }
    return out;
}

}  // namespace

TEST(SimPicture, RawPictureWithHeaderAndChecksum) {
    Picture p = Fetch(FastConfig("tz410-3.2.D"), "PICT SEND", false, false);
    ASSERT_EQ(p.length, 61 + 2 * 320 * 240);
    ASSERT_EQ(p.payload.size(), static_cast<std::size_t>(p.length));
    MtxInfo m = ReadMtx(p.payload);
    EXPECT_EQ(m.bits, 16);
    EXPECT_EQ(m.width, 320);
    EXPECT_EQ(m.height, 240);
    EXPECT_EQ(p.checksum, Sum(p.payload) & 0xFFFF);
    EXPECT_EQ(p.trailer, kPrompt);
}

TEST(SimPicture, ExtraByteSystemsCountItInTheChecksum) {
    // Both releases with the filler byte: the client adds 0xFFFF for it.
    for (const char* preset : {"tz220-2.11.A", "tz410-old"}) {
        SCOPED_TRACE(preset);
        const std::string request = std::string(preset) == "tz410-old" ? "GET PICTURE" : "PICT SEND";
        Picture p = Fetch(FastConfig(preset), request, false, true);
        ASSERT_EQ(p.payload.size(), static_cast<std::size_t>(p.length));
        EXPECT_EQ(ReadMtx(p.payload).bits, 8);
        EXPECT_EQ(p.extra, 0xFF);
        EXPECT_EQ(p.checksum, (Sum(p.payload) + 0xFFFF) & 0xFFFF);
        EXPECT_EQ(p.trailer, kPrompt);
    }
}

TEST(SimPicture, HexPictureIsTwoDigitsPerByte) {
    VisionSimulator sim(FastConfig("kaldspot-1.7.A"));
    ASSERT_TRUE(sim.Start());
    SimClient client(sim.DevicePath());
    client.Send("GET PICTURE /HEX\n");
    const std::string all = client.ReadUntil(kPrompt, 1000);
    const std::string after = AfterEcho(all, "GET PICTURE /HEX");
    const std::size_t lf = after.find('\n');
    ASSERT_NE(lf, std::string::npos);
    long length = 0;
    ASSERT_EQ(std::sscanf(after.c_str(), " SIZE %ld", &length), 1);
    const std::string digits = after.substr(lf + 1, 2 * static_cast<std::size_t>(length));
    EXPECT_EQ(digits.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(after.size(), lf + 1 + 2 * static_cast<std::size_t>(length) + 4 + 3);

    Picture p = Receive(client, "GET PICTURE /HEX", true, false);
    EXPECT_EQ(ReadMtx(p.payload).bits, 8);
    EXPECT_EQ(p.checksum, Sum(p.payload) & 0xFFFF);
}

TEST(SimPicture, ArchivedPictureExtractsToTheRawOne) {
    for (const char* preset : {"tz410-3.2.E", "tz220-4.1.A"}) {
        SCOPED_TRACE(preset);
        Picture packed = Fetch(FastConfig(preset), "GET PICTURE", false, false);
        ASSERT_GT(packed.length, 0);
        EXPECT_EQ(packed.checksum, Sum(packed.payload) & 0xFFFF);
        SimConfig raw = FastConfig(preset);
        raw.pictureForm = PictureForm::Raw;
        Picture plain = Fetch(raw, "GET PICTURE", false, false);
        EXPECT_LT(packed.payload.size(), plain.payload.size() / 10);  // flat screens pack well

        std::string name;
        Bytes extracted = ExtractOnlyEntry(packed.payload, name);
        EXPECT_EQ(name, "SCREEN.MTX");
        EXPECT_EQ(extracted, plain.payload);
        EXPECT_EQ(ReadMtx(extracted).bits, 16);
    }
}

TEST(SimPicture, PictureFormAndDepthCanBeChosen) {
    SimConfig c = FastConfig("tz410-3.2.D");
    c.pictureForm = PictureForm::Archive;
    c.pictureBits = 8;
    Picture p = Fetch(c, "PICT SEND", false, false);
    std::string name;
    Bytes extracted = ExtractOnlyEntry(p.payload, name);
    EXPECT_EQ(ReadMtx(extracted).bits, 8);
    EXPECT_EQ(extracted.size(), 95u + 3 * 256 + 320 * 240);
}

TEST(SimPicture, ServesAGivenFileByteForByte) {
    const std::string path = ::testing::TempDir() + "sim_given.mtx";
    Bytes given;
    for (int i = 0; i < 5000; ++i) given.push_back(static_cast<std::uint8_t>(i * 7 + (i >> 8)));
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(given.data()), given.size());
    SimConfig c = FastConfig("tz410-3.2.D");
    c.pictureFile = path;
    Picture p = Fetch(c, "PICT SEND", false, false);
    EXPECT_EQ(p.payload, given);
    EXPECT_EQ(p.checksum, Sum(given) & 0xFFFF);
    std::remove(path.c_str());
}

TEST(SimPicture, ScreenLooksLikeAnOperatorScreenInBothDepths) {
    const Bytes p8 = MakeScreenPicture(8, 320, 240, "TZ410 3.2.E");
    const Bytes p16 = MakeScreenPicture(16, 320, 240, "TZ410 3.2.E");
    ASSERT_EQ(p8.size(), 95u + 3 * 256 + 320 * 240);
    ASSERT_EQ(p16.size(), 61u + 2 * 320 * 240);
    // Palette header: 256 entries; palette block: 3 bytes an entry.
    EXPECT_EQ(p8[42 + 1] | (p8[42 + 2] << 8), 256);
    EXPECT_EQ(p8[57 + 2], 3);

    std::map<int, int> uses;
    const std::size_t pixels8 = 95 + 3 * 256;
    for (std::size_t i = 0; i < 320 * 240; ++i) ++uses[p8[pixels8 + i]];
    EXPECT_GE(uses.size(), 6u);   // a few colours
    EXPECT_LE(uses.size(), 16u);
    int largest = 0;
    for (auto& [c, n] : uses) largest = std::max(largest, n);
    EXPECT_GT(largest, 320 * 240 / 5);  // flat areas

    // Text in the title bar: the bar's rows hold two colours, neither alone.
    std::set<int> titleColours;
    for (int x = 0; x < 160; ++x) titleColours.insert(p8[pixels8 + 8 * 320 + x]);
    EXPECT_EQ(titleColours.size(), 2u);

    // Both depths show the same colours, pixel for pixel.
    for (std::size_t i = 0; i < 320 * 240; ++i) {
        const std::uint8_t* rgb = &p8[76 + 3 * p8[pixels8 + i]];
        const unsigned v = p16[61 + 2 * i] | (p16[61 + 2 * i + 1] << 8);
        ASSERT_EQ(v, ((rgb[0] >> 3) << 10) | ((rgb[1] >> 3) << 5) | (rgb[2] >> 3)) << i;
        ASSERT_EQ(rgb[0] & 7, 0);
    }
}
