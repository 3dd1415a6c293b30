// Region building and combining on 1024 x 1024 pictures.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "platform/gfx/region.h"

namespace {

constexpr int kSize = 1024;

// The single-row runs of a picture given as a predicate on pixels, top to bottom and left
// to right, as a scan of the picture produces them.
template <typename TInside>
std::vector<TRect> Runs(TInside inside) {
    std::vector<TRect> runs;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize;) {
            if (!inside(x, y)) {
                ++x;
                continue;
            }
            int start = x;
            while (x < kSize && inside(x, y))
                ++x;
            runs.push_back({start, y, x, y + 1});
        }
    }
    return runs;
}

// A disc filling the picture: one run per row.
const std::vector<TRect>& DiscRuns() {
    static const std::vector<TRect> runs = Runs([](int x, int y) {
        long dx = 2 * x + 1 - kSize, dy = 2 * y + 1 - kSize;
        return dx * dx + dy * dy <= long{kSize} * kSize;
    });
    return runs;
}

// Random pixels, half of them set: about 256 runs per row.
std::vector<TRect> NoiseRuns(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<bool> bits(kSize * kSize);
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = rng() & 1;
    return Runs([&](int x, int y) { return bits[y * kSize + x]; });
}

const std::vector<TRect>& Noise1Runs() {
    static const std::vector<TRect> runs = NoiseRuns(1);
    return runs;
}

TRegion Build(const std::vector<TRect>& runs) {
    TRegion region;
    for (const TRect& run : runs)
        region.Combine(TRegion(run), RGN_OR);
    return region;
}

void OrRuns(benchmark::State& state, const std::vector<TRect>& runs) {
    size_t rects = 0;
    for (auto _ : state) {
        TRegion region = Build(runs);
        rects = region.Rects().size();
        benchmark::DoNotOptimize(region);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * runs.size()));
    state.counters["runs"] = static_cast<double>(runs.size());
    state.counters["rects"] = static_cast<double>(rects);
}

void BM_OrRunsDisc(benchmark::State& state) {
    OrRuns(state, DiscRuns());
}
BENCHMARK(BM_OrRunsDisc)->Unit(benchmark::kMillisecond);

void BM_OrRunsNoise(benchmark::State& state) {
    OrRuns(state, Noise1Runs());
}
BENCHMARK(BM_OrRunsNoise)->Unit(benchmark::kMillisecond);

// Two complex regions: the noise picture, and another noise picture moved by a few pixels
// so that their bands do not line up.
void BM_CombineNoise(benchmark::State& state) {
    static const TRegion a = Build(Noise1Runs());
    static const TRegion b = [] {
        TRegion r = Build(NoiseRuns(2));
        r.Offset(3, 1);
        return r;
    }();
    const int mode = static_cast<int>(state.range(0));
    size_t rects = 0;
    for (auto _ : state) {
        TRegion result = CombineRegions(a, b, mode);
        rects = result.Rects().size();
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(
        static_cast<int64_t>(state.iterations() * (a.Rects().size() + b.Rects().size())));
    state.counters["rects"] = static_cast<double>(rects);
}
BENCHMARK(BM_CombineNoise)
    ->ArgName("mode")
    ->Arg(RGN_AND)
    ->Arg(RGN_OR)
    ->Arg(RGN_XOR)
    ->Arg(RGN_DIFF)
    ->Unit(benchmark::kMillisecond);

// A disc and the noise picture: a simple-edged region against a complex one.
void BM_CombineDiscNoise(benchmark::State& state) {
    static const TRegion disc = Build(DiscRuns());
    static const TRegion noise = Build(Noise1Runs());
    const int mode = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(CombineRegions(noise, disc, mode));
}
BENCHMARK(BM_CombineDiscNoise)
    ->ArgName("mode")
    ->Arg(RGN_AND)
    ->Arg(RGN_OR)
    ->Arg(RGN_DIFF)
    ->Unit(benchmark::kMillisecond);

void BM_RegionDataRoundTrip(benchmark::State& state) {
    static const TRegion noise = Build(Noise1Runs());
    for (auto _ : state) {
        std::vector<uint8_t> data = noise.GetRegionData();
        benchmark::DoNotOptimize(TRegion::FromRegionData(data));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * noise.Rects().size()));
}
BENCHMARK(BM_RegionDataRoundTrip)->Unit(benchmark::kMillisecond);

void BM_ContainsNoise(benchmark::State& state) {
    static const TRegion noise = Build(Noise1Runs());
    std::mt19937 rng(3);
    std::vector<TPoint> points(4096);
    for (TPoint& p : points)
        p = {static_cast<int>(rng() % kSize), static_cast<int>(rng() % kSize)};
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(noise.Contains(points[i]));
        i = (i + 1) % points.size();
    }
}
BENCHMARK(BM_ContainsNoise);

}  // namespace
