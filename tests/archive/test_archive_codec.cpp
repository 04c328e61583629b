// Encoder and decoder together: every input comes back byte for byte, in
// 4096-byte chunks through the one buffer that is also the dictionary.
#include "archive/ArcCrc32.h"
#include "archive/ArcDecoder.h"
#include "tests/archive/ArcTestData.h"
#include "archive/ArcWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace brelko {
namespace {

using arctest::Bytes;

Bytes DecodeAll(const Bytes& stream, std::size_t originalSize, std::uint32_t* crcOut = nullptr)
{
    CArcDecoder decoder;
    CArcMemorySource source(stream.data(), stream.size());
    std::uint32_t crc = 0xFFFFFFFF;
    decoder.Start(&source, static_cast<std::uint32_t>(stream.size()), &crc);
    std::uint8_t buffer[4096] = {};
    Bytes out;
    while (out.size() < originalSize) {
        const int n = static_cast<int>(std::min<std::size_t>(4096, originalSize - out.size()));
        EXPECT_EQ(decoder.Decode(n, buffer), kArcOk);
        out.insert(out.end(), buffer, buffer + n);
    }
    if (crcOut)
        *crcOut = ~crc;
    return out;
}

struct Case {
    const char* name;
    Bytes data;
};

std::vector<Case> Corpus()
{
    Bytes runs;
    for (int i = 0; i < 40; ++i)
        runs.insert(runs.end(), static_cast<std::size_t>(37 * i + 1), static_cast<std::uint8_t>(i * 13));
    Bytes big = arctest::SettingsText(600000);
    Bytes pic = arctest::PictureFile();
    big.insert(big.end(), pic.begin(), pic.end());
    Bytes rnd = arctest::RandomBytes(300000);
    big.insert(big.end(), rnd.begin(), rnd.begin() + 200000);
    return {
        {"empty", {}},
        {"one byte", {0x42}},
        {"4095 text", arctest::SettingsText(4095)},
        {"4096 text", arctest::SettingsText(4096)},
        {"4097 text", arctest::SettingsText(4097)},
        {"4097 random", arctest::RandomBytes(4097)},
        {"zeros", Bytes(70000, 0)},
        {"one byte value", Bytes(5000, 'A')},
        {"runs", runs},
        {"random", arctest::RandomBytes(100000)},
        {"prose", arctest::ProseText()},
        {"screen", arctest::ScreenPicture()},
        {"picture file", pic},
        {"mixed, more than 1 MiB", big},
    };
}

TEST(ArcCrc, StandardCrc32AtEveryLengthAndAlignment)
{
    const std::uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(ArcCrc32(check, sizeof check), 0xCBF43926u);
    EXPECT_EQ(ArcCrc32(nullptr, 0), 0u);
    const Bytes data = arctest::RandomBytes(5000, 9);
    for (std::size_t offset = 0; offset < 9; ++offset)
        for (std::size_t n : {0, 1, 7, 8, 9, 15, 16, 17, 63, 1000, 4991}) {
            const std::uint32_t zlibCrc = static_cast<std::uint32_t>(crc32(0, data.data() + offset, static_cast<uInt>(n)));
            EXPECT_EQ(ArcCrc32(data.data() + offset, n), zlibCrc) << offset << " " << n;
        }
    // Running form: pieces give the same as the whole.
    const std::uint32_t pieces = ~ArcCrcUpdate(ArcCrcUpdate(0xFFFFFFFF, data.data(), 13), data.data() + 13, 4000);
    EXPECT_EQ(pieces, ArcCrc32(data.data(), 4013));
}

TEST(ArcCodec, RoundTripsEveryInputWithEveryEncoderSetting)
{
    const ArcEncodeOptions settings[] = {{}, {false, false, 8}, {false, true, 64}, {true, false, 256}};
    for (const Case& c : Corpus()) {
        for (const ArcEncodeOptions& o : settings) {
            SCOPED_TRACE(std::string(c.name) + (o.optimalParse ? " optimal" : " lazy") +
                         (o.splitBlocks ? " split" : " fixed"));
            const Bytes stream = ArcEncode(c.data.data(), c.data.size(), o);
            std::uint32_t crc = 0;
            EXPECT_TRUE(DecodeAll(stream, c.data.size(), &crc) == c.data);
            EXPECT_EQ(crc, ArcCrc32(stream.data(), stream.size()));
        }
    }
}

}  // namespace
}  // namespace brelko
