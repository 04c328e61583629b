// The encoder's sizes beside gzip -6 on the same bytes (zlib's level 6 with
// the gzip wrapper). Sizes are deterministic, so the targets are asserted.
#include "tests/archive/ArcTestData.h"
#include "archive/ArcWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>

namespace brelko {
namespace {

using arctest::Bytes;

std::size_t GzipSize(const Bytes& data)
{
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY), Z_OK);
    Bytes out(deflateBound(&z, data.size()) + 64);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    const std::size_t n = z.total_out;
    deflateEnd(&z);
    return n;
}

struct Row {
    const char* name;
    Bytes data;
    double limit;  // our size at most limit x gzip's
};

TEST(ArcRatio, SizesBesideGzip)
{
    const Bytes prose = arctest::ProseText();
    const Row rows[] = {
        {"screen picture 640x480x8", arctest::ScreenPicture(), 1.3},
        {"picture file", arctest::PictureFile(), 1.3},
        {"prose, first 4 KiB", Bytes(prose.begin(), prose.begin() + std::min<std::size_t>(prose.size(), 4096)), 1.0},
        {"settings text 4 KiB", arctest::SettingsText(4096), 1.0},
        {"settings text 16 KiB", arctest::SettingsText(16384), 1.0},
        // Prose longer than the 4096-byte window: gzip's 32 KiB window finds repeats that ours cannot.
        {"prose, first 16 KiB", Bytes(prose.begin(), prose.begin() + std::min<std::size_t>(prose.size(), 16384)), 1.02},
        {"prose text 34 KiB", prose, 1.06},
        {"settings text 195 KiB", arctest::SettingsText(200000), 1.01},
    };
    std::printf("%-26s %9s %9s %9s %9s %9s\n", "input", "bytes", "gzip -6", "ours", "lazy", "ours/gzip");
    for (const Row& r : rows) {
        ASSERT_FALSE(r.data.empty()) << r.name;
        const std::size_t gz = GzipSize(r.data);
        const std::size_t ours = ArcEncode(r.data.data(), r.data.size()).size();
        const std::size_t lazy = ArcEncode(r.data.data(), r.data.size(), {false, true, 256}).size();
        const double ratio = static_cast<double>(ours) / static_cast<double>(gz);
        std::printf("%-26s %9zu %9zu %9zu %9zu %9.3f\n", r.name, r.data.size(), gz, ours, lazy, ratio);
        EXPECT_LE(ratio, r.limit) << r.name;
    }
}

}  // namespace
}  // namespace brelko
