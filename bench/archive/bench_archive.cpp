// Decode throughput of our decoder beside liblhasa's "-lh4-" decoder on the
// same compressed picture and text, our CRC-32 beside zlib's, and the
// encoder's speed. Ends with a summary of the ratios.
#include "archive/ArcCrc32.h"
#include "archive/ArcDecoder.h"
#include "tests/archive/ArcTestData.h"
#include "archive/ArcWriter.h"

#include <benchmark/benchmark.h>
#include <lha_decoder.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

using brelko::arctest::Bytes;

struct Sample {
    Bytes original;
    Bytes stream;
};

const Sample& Data(int which)
{
    static const Sample samples[2] = {
        [] {
            Sample s{brelko::arctest::PictureFile(), {}};
            s.stream = brelko::ArcEncode(s.original.data(), s.original.size());
            return s;
        }(),
        [] {
            Bytes text = brelko::arctest::ProseText();
            const Bytes settings = brelko::arctest::SettingsText(300000);
            text.insert(text.end(), settings.begin(), settings.end());
            Sample s{text, {}};
            s.stream = brelko::ArcEncode(s.original.data(), s.original.size());
            return s;
        }(),
    };
    return samples[which];
}

const char* kNames[2] = {"picture", "text"};

void BM_DecodeOurs(benchmark::State& state)
{
    const Sample& s = Data(static_cast<int>(state.range(0)));
    static brelko::CArcDecoder decoder;
    static std::uint8_t buffer[4096];
    for (auto _ : state) {
        brelko::CArcMemorySource source(s.stream.data(), s.stream.size());
        std::uint32_t crc = 0xFFFFFFFF;
        decoder.Start(&source, static_cast<std::uint32_t>(s.stream.size()), &crc);
        std::size_t left = s.original.size();
        while (left > 0) {
            const int n = static_cast<int>(left < 4096 ? left : 4096);
            decoder.Decode(n, buffer);
            left -= static_cast<std::size_t>(n);
        }
        benchmark::DoNotOptimize(buffer[0]);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.original.size()));
    state.SetLabel(kNames[state.range(0)]);
}

struct Feed {
    const Bytes* data;
    std::size_t pos;
};

std::size_t ReadFeed(void* buf, std::size_t len, void* user)
{
    Feed* f = static_cast<Feed*>(user);
    const std::size_t n = std::min(len, f->data->size() - f->pos);
    std::memcpy(buf, f->data->data() + f->pos, n);
    f->pos += n;
    return n;
}

void BM_DecodeLhasa(benchmark::State& state)
{
    const Sample& s = Data(static_cast<int>(state.range(0)));
    char name[] = "-lh4-";
    LHADecoderType* type = lha_decoder_for_name(name);
    static std::uint8_t buffer[4096];
    for (auto _ : state) {
        Feed feed{&s.stream, 0};
        LHADecoder* d = lha_decoder_new(type, ReadFeed, &feed, s.original.size());
        while (lha_decoder_read(d, buffer, sizeof buffer) > 0) {
        }
        benchmark::DoNotOptimize(buffer[0]);
        lha_decoder_free(d);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.original.size()));
    state.SetLabel(kNames[state.range(0)]);
}

void BM_Encode(benchmark::State& state)
{
    const Sample& s = Data(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(brelko::ArcEncode(s.original.data(), s.original.size()).size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.original.size()));
    state.SetLabel(kNames[state.range(0)] + std::string(", ") + std::to_string(s.stream.size()) + " bytes out");
}

const Bytes& CrcData()
{
    static const Bytes data = brelko::arctest::RandomBytes(1 << 20);
    return data;
}

void BM_Crc32Ours(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(brelko::ArcCrc32(CrcData().data(), CrcData().size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * CrcData().size()));
}

void BM_Crc32Zlib(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32(0, CrcData().data(), static_cast<uInt>(CrcData().size())));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * CrcData().size()));
}

BENCHMARK(BM_DecodeOurs)->Arg(0)->Arg(1);
BENCHMARK(BM_DecodeLhasa)->Arg(0)->Arg(1);
BENCHMARK(BM_Crc32Ours);
BENCHMARK(BM_Crc32Zlib);
BENCHMARK(BM_Encode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The console report, plus the throughputs kept for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const auto it = r.counters.find("bytes_per_second");
            if (it != r.counters.end())
                m_rates[r.benchmark_name()] = it->second.value;
        }
    }
    void Summary() const
    {
        auto rate = [&](const std::string& n) {
            const auto it = m_rates.find(n);
            return it == m_rates.end() ? 0.0 : it->second / 1e6;
        };
        std::printf("\nsummary (MB/s of original bytes)\n");
        for (int i = 0; i < 2; ++i) {
            const std::string arg = "/" + std::to_string(i);
            const double ours = rate("BM_DecodeOurs" + arg), theirs = rate("BM_DecodeLhasa" + arg);
            std::printf("  decode %-8s ours %8.1f  liblhasa %8.1f  ratio %5.2f (target >= 2)  %zu -> %zu bytes\n",
                        kNames[i], ours, theirs, theirs > 0 ? ours / theirs : 0.0, Data(i).original.size(),
                        Data(i).stream.size());
        }
        const double crcOurs = rate("BM_Crc32Ours"), crcZlib = rate("BM_Crc32Zlib");
        std::printf("  crc-32  ours %8.1f  zlib %8.1f  ratio %5.2f\n", crcOurs, crcZlib,
                    crcZlib > 0 ? crcOurs / crcZlib : 0.0);
    }

private:
    std::map<std::string, double> m_rates;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.Summary();
    benchmark::Shutdown();
    return 0;
}
