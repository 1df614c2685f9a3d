// Decoding speed over an in-memory stream, with an output that discards bytes,
// so that only the decoder is measured.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "audio/xa_decoder.h"
#include "audio/xa_layout.h"
#include "platform/file.h"

namespace {

class CDiscardingFile : public CFile {
public:
    void Write(const void* data, uint32_t count) override {
        benchmark::DoNotOptimize(data);
        m_count += count;
    }
    void Flush() override {}
    std::uint64_t m_count = 0;
};

// About 16 MB of stream with random codes and valid headers (filters 0 to 4).
std::vector<std::uint8_t> RandomStream(std::uint32_t channels) {
    const std::size_t groups = 16'000'000 / channels / xa::kBlockSize * xa::kBlockSize;
    std::vector<std::uint8_t> stream(groups * channels);
    std::mt19937 random(42);
    for (auto& byte : stream) byte = static_cast<std::uint8_t>(random());
    for (std::size_t group = 0; group < groups; group += xa::kBlockSize)
        for (std::uint32_t c = 0; c < channels; ++c) {
            std::uint8_t& header = stream[group * channels + c];
            header = static_cast<std::uint8_t>((header % 5) << 4 | (header & 15));
        }
    return stream;
}

void BM_Decode(benchmark::State& state) {
    const auto channels = static_cast<std::uint32_t>(state.range(0));
    const std::vector<std::uint8_t> stream = RandomStream(channels);
    CDiscardingFile output;
    CXaDecoder decoder;
    for (auto _ : state) {
        decoder.Init(channels, stream.data(), static_cast<std::uint32_t>(stream.size()), &output);
        if (!decoder.Decode()) state.SkipWithError("decode failed");
    }
    const double samples = static_cast<double>(decoder.GetBytesWritten() / 2);
    state.counters["Msamples"] =
        benchmark::Counter(samples / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

}  // namespace

BENCHMARK(BM_Decode)->Arg(1)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
