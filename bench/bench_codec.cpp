// Throughput of the codec on 64 MiB, with memcpy of the same size as the
// yardstick. Bytes per second count the input of each routine.

#include "communal/Base64.h"
#include "system/AllocatorPolicy.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t Size = 64u << 20;

const std::string& randomBytes() {
    static const std::string bytes = [] {
        std::string b(Size, '\0');
        std::mt19937_64 random(64);
        for (std::size_t i = 0; i + 8 <= b.size(); i += 8) {
            const auto v = random();
            std::memcpy(&b[i], &v, 8);
        }
        return b;
    }();
    return bytes;
}

const std::string& encodedText() {
    static const std::string text = communal::Base64Encode(randomBytes().substr(0, Size / 4 * 3));
    return text;
}

void BM_memcpy(benchmark::State& state) {
    const std::string& source = randomBytes();
    std::string target(Size, '\0');
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), Size);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(Size));
}

void BM_Base64Encode(benchmark::State& state) {
    const std::string& input = randomBytes();
    for (auto _ : state) {
        std::string encoded = communal::Base64Encode(input);
        benchmark::DoNotOptimize(encoded.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(input.size()));
}

void BM_Base64Decode(benchmark::State& state) {
    const std::string& input = encodedText();
    for (auto _ : state) {
        std::string decoded = communal::Base64Decode(input);
        benchmark::DoNotOptimize(decoded.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(input.size()));
}

} // namespace

BENCHMARK(BM_memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Base64Encode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Base64Decode)->Unit(benchmark::kMillisecond)->UseRealTime();

// With --fresh-pages the allocator keeps its default and every result lands
// in pages fresh from the system; without it, as in the program, freed
// blocks are kept and reused.
int main(int argc, char** argv) {
    bool freshPages = false;
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--fresh-pages")
            freshPages = true;
    if (!freshPages)
        platform::keepLargeAllocations();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
