// An independent decoder agrees with ours: liblhasa's "-lh4-" decoder reads
// every stream that our encoder writes to the same bytes. Our streams never
// reach back before their first byte, so its space-filled window does not matter.
#include "archive/ArcDecoder.h"
#include "tests/archive/ArcTestData.h"
#include "archive/ArcWriter.h"

#include <gtest/gtest.h>
#include <lha_decoder.h>

#include <cstring>

namespace brelko {
namespace {

using arctest::Bytes;

struct Feed {
    const Bytes* data;
    std::size_t pos = 0;
};

std::size_t ReadFeed(void* buf, std::size_t len, void* user)
{
    Feed* feed = static_cast<Feed*>(user);
    const std::size_t n = std::min(len, feed->data->size() - feed->pos);
    std::memcpy(buf, feed->data->data() + feed->pos, n);
    feed->pos += n;
    return n;
}

Bytes ReferenceDecode(const Bytes& stream, std::size_t size)
{
    char name[] = "-lh4-";
    LHADecoderType* type = lha_decoder_for_name(name);
    EXPECT_NE(type, nullptr);
    Feed feed{&stream};
    LHADecoder* decoder = lha_decoder_new(type, ReadFeed, &feed, size);
    Bytes out(size);
    std::size_t got = 0;
    while (got < size) {
        const std::size_t n = lha_decoder_read(decoder, out.data() + got, size - got);
        if (n == 0)
            break;
        got += n;
    }
    lha_decoder_free(decoder);
    out.resize(got);
    return out;
}

Bytes OurDecode(const Bytes& stream, std::size_t size)
{
    CArcDecoder decoder;
    CArcMemorySource source(stream.data(), stream.size());
    decoder.Start(&source, static_cast<std::uint32_t>(stream.size()), nullptr);
    std::uint8_t buffer[4096] = {};
    Bytes out;
    while (out.size() < size) {
        const int n = static_cast<int>(std::min<std::size_t>(4096, size - out.size()));
        if (decoder.Decode(n, buffer) != kArcOk)
            break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

TEST(ArcReference, LhasaDecodesOurStreamsToTheSameBytes)
{
    Bytes runs;
    for (int i = 0; i < 60; ++i)
        runs.insert(runs.end(), static_cast<std::size_t>(97 * i + 3), static_cast<std::uint8_t>(i * 29));
    const std::pair<const char*, Bytes> inputs[] = {
        {"one byte", {'x'}},
        {"4095 text", arctest::SettingsText(4095)},
        {"4096 text", arctest::SettingsText(4096)},
        {"4097 text", arctest::SettingsText(4097)},
        {"one value", Bytes(100000, 'A')},
        {"zeros", Bytes(9000, 0)},
        {"runs", runs},
        {"random", arctest::RandomBytes(70000)},
        {"prose", arctest::ProseText()},
        {"screen", arctest::ScreenPicture()},
        {"picture file", arctest::PictureFile()},
        {"long text", arctest::SettingsText(1200000)},
    };
    const ArcEncodeOptions settings[] = {{}, {false, false, 16}};
    for (const auto& [name, data] : inputs) {
        for (const ArcEncodeOptions& o : settings) {
            SCOPED_TRACE(std::string(name) + (o.optimalParse ? " optimal" : " lazy"));
            const Bytes stream = ArcEncode(data.data(), data.size(), o);
            const Bytes ours = OurDecode(stream, data.size());
            const Bytes theirs = ReferenceDecode(stream, data.size());
            EXPECT_TRUE(ours == data);
            EXPECT_EQ(theirs.size(), data.size());
            EXPECT_TRUE(theirs == ours);
        }
    }
}

}  // namespace
}  // namespace brelko
