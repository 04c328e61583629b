// Loading, preparing and converting 640 x 480 screen pictures to a 32-bit
// screen, the work behind every drawing of a picture window.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/ByteArchive.h"
#include "data/CMTX.h"
#include "data/PixelConvert.h"
#include "data/SoftwareSurface.h"

namespace brelko {
namespace {

constexpr unsigned kWidth = 640, kHeight = 480, kPixels = kWidth * kHeight;

struct Writer {
    std::vector<std::uint8_t> bytes;
    void u8(unsigned v) { bytes.push_back(std::uint8_t(v)); }
    void u16(unsigned v) { u8(v & 0xFF), u8(v >> 8); }
    void u32(std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); }
    void zeros(int n) { bytes.insert(bytes.end(), std::size_t(n), 0); }
};

// A picture with many colours and little repetition, as a camera view is.
std::vector<std::uint8_t> MakeMtx(int bits) {
    Writer w;
    w.zeros(14);
    w.u8(0), w.u16(0), w.u16(0), w.u16(kWidth), w.u16(kHeight), w.zeros(3), w.u8(bits), w.zeros(15);
    std::uint32_t x = 12345;
    auto next = [&x] { return x = x * 1664525u + 1013904223u; };
    if (bits == 8) {
        w.u8(0), w.u16(256), w.zeros(12);
        w.u8(0), w.u8(0), w.u8(3), w.u32(256), w.zeros(12);
        for (int i = 0; i < 256; ++i) w.u8(i), w.u8(255 - i), w.u8(i * 7);
        w.zeros(19);
        for (unsigned i = 0; i < kPixels; ++i) w.u8(next() >> 24);
    } else {
        w.zeros(19);
        for (unsigned i = 0; i < kPixels; ++i) w.u16((next() >> 16) & 0x7FFF);
    }
    return w.bytes;
}

std::shared_ptr<CMTX> Load(const std::vector<std::uint8_t>& file) {
    auto picture = std::make_shared<CMTX>();
    auto ar = ByteArchive::FromBytes(file);
    picture->Serialize(*ar);
    return picture;
}

void BM_LoadAndPrepare(benchmark::State& state) {
    const auto file = MakeMtx(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(Load(file));
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kPixels);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}
BENCHMARK(BM_LoadAndPrepare)->Arg(8)->Arg(16)->Unit(benchmark::kMicrosecond);

// The shared conversion routine alone; items are pixels.
void BM_ConvertTo32(benchmark::State& state) {
    const int bits = int(state.range(0));
    auto picture = Load(MakeMtx(bits));
    const MtxContent content = picture->Content();
    ColorTable table{};
    for (int i = 0; i < 256; ++i)
        table[i] = RgbQuad{content.paletteTriples.empty() ? std::uint8_t(0) : content.paletteTriples[3 * i + 2],
                           std::uint8_t(i), std::uint8_t(255 - i), 0};
    std::vector<std::uint8_t> out(std::size_t(kPixels) * 4);
    for (auto _ : state) {
        ConvertPixels(out.data(), 32, content.pixels8.data(), table.data(), content.pixels16.data(), bits, kPixels);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kPixels);
}
BENCHMARK(BM_ConvertTo32)->Arg(8)->Arg(16)->Unit(benchmark::kMicrosecond);

// Load, prepare and one drawing at 1:1 on a 32-bit screen.
void BM_LoadPrepareDraw32(benchmark::State& state) {
    const auto file = MakeMtx(int(state.range(0)));
    SoftwareSurface surface(32, kWidth, kHeight);
    for (auto _ : state) {
        auto picture = Load(file);
        picture->Draw(surface);
        benchmark::DoNotOptimize(surface.RawPixel(1, 1));
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kPixels);
}
BENCHMARK(BM_LoadPrepareDraw32)->Arg(8)->Arg(16)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brelko

BENCHMARK_MAIN();
