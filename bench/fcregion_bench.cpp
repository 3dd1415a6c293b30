// Cutting window regions from pictures: the band builder (CreateRegionFromBitmap) beside
// one region union per run (CreateRegionFromBitmapPerRunUnion), on the clock's 150 x 90
// background, a 1024 x 1024 disc (one run per row) and 1024 x 1024 noise (about 256 runs
// per row).
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "art/clockart.h"
#include "shaped/fcregion.h"
#include "tests/support/fcregion_reference.h"

namespace {

constexpr int kSize = 1024;

const TBitmap& ClockArt() {
    static const TBitmap art = [] {
        RegisterClockArt();
        TBitmap bitmap;
        bitmap.LoadFromResourceID(85);
        return bitmap;
    }();
    return art;
}

// White outside a disc that fills the picture, black inside.
const TBitmap& Disc() {
    static const TBitmap disc = [] {
        TBitmap bitmap(kSize, kSize, pf24bit);
        for (int y = 0; y < kSize; ++y) {
            uint8_t* row = bitmap.ScanLine(y);
            for (int x = 0; x < kSize; ++x) {
                long dx = 2 * x + 1 - kSize, dy = 2 * y + 1 - kSize;
                const uint8_t v = dx * dx + dy * dy <= long{kSize} * kSize ? 0 : 255;
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
            }
        }
        return bitmap;
    }();
    return disc;
}

// Every pixel white or black at random.
const TBitmap& Noise() {
    static const TBitmap noise = [] {
        std::mt19937 rng(1);
        TBitmap bitmap(kSize, kSize, pf24bit);
        for (int y = 0; y < kSize; ++y) {
            uint8_t* row = bitmap.ScanLine(y);
            for (int x = 0; x < kSize; ++x)
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = rng() & 1 ? 255 : 0;
        }
        return bitmap;
    }();
    return noise;
}

template <const TBitmap& (*Picture)(), bool PerRun>
void BM_Region(benchmark::State& state) {
    const TBitmap& picture = Picture();
    size_t rects = 0;
    for (auto _ : state) {
        std::unique_ptr<TRegion> region = PerRun
                                              ? CreateRegionFromBitmapPerRunUnion(picture, clWhite)
                                              : CreateRegionFromBitmap(picture, clWhite);
        rects = region ? region->Rects().size() : 0;
        benchmark::DoNotOptimize(region);
    }
    state.counters["rects"] = double(rects);
    state.counters["pixels/s"] = benchmark::Counter(double(picture.Width()) * picture.Height(),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_Region<ClockArt, false>)->Name("Art150x90/Bands")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Region<ClockArt, true>)->Name("Art150x90/PerRunUnion")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Region<Disc, false>)->Name("Disc1024/Bands")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Region<Disc, true>)->Name("Disc1024/PerRunUnion")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Region<Noise, false>)->Name("Noise1024/Bands")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Region<Noise, true>)->Name("Noise1024/PerRunUnion")->Unit(benchmark::kMillisecond);

}  // namespace
