// One paint of the binary clock, for every format and LED shape: the off-screen copy of
// what lies beneath, the art (and its cropped copies), the cells and the blit back. The
// clock paints into a window-sized frame holding its format's aluminium picture, at the
// main window's place for the format; the wall clock stands at 13:47:05. The large
// standard format is also painted at 150, 200 and 300 %, and the window repainted at 200 %.
#include <benchmark/benchmark.h>

#include <array>

#include "art/clockart.h"
#include "clock/binaryclock.h"
#include "platform/gfx/bitmap.h"
#include "platform/native/monitor.h"
#include "platform/os/wallclock.h"
#include "platform/ui/form.h"
#include "tests/support/headless_app.h"
#include "tests/support/picture_control.h"

namespace {

// The clock with its paint entry point reachable from here.
class TBenchClock : public TBinaryClock {
public:
    using TBinaryClock::Paint;
    using TBinaryClock::TBinaryClock;
};

struct TPlace {
    TRect Bounds;  // the clock in the window
    int Picture;   // aluminium background
};

constexpr std::array<TPlace, 7> kPlaces = {{
    {{11, 9, 139, 81}, 62},
    {{6, 6, 70, 41}, 61},
    {{4, 4, 40, 24}, 58},
    {{9, 6, 464, 26}, 60},
    {{6, 4, 231, 13}, 59},
    {{4, 2, 129, 7}, 57},
    {{6, 8, 276, 33}, 66},
}};

constexpr const char* kFormatNames[] = {"LargeStandard", "SmallStandard", "TinyStandard",
                                        "LargeHoriz",    "SmallHoriz",    "TinyHoriz",
                                        "DipSwitch"};
constexpr const char* kShapeNames[] = {"round", "square", "rect"};

TRect Scaled(const TRect& r, int scale) {
    return {native::ScaleLength(r.Left, scale), native::ScaleLength(r.Top, scale),
            native::ScaleLength(r.Right, scale), native::ScaleLength(r.Bottom, scale)};
}

// Paint alone: the clock's canvas is pointed at a frame as a paint pass points it.
void BM_ClockPaint(benchmark::State& state, TClockType type, TLedShape shape, int keyed,
                   int scale) {
    THeadlessApp app;
    app.Backend().SetWallTime(LocalSeconds(13, 47, 5));
    RegisterClockArt();
    const TPlace& kPlace = kPlaces[size_t(type)];
    const TPlace place{Scaled(kPlace.Bounds, scale), kPlace.Picture};
    TBitmap frame = LoadClockArt(place.Picture, scale);
    TBenchClock clock(nullptr);
    clock.SetBounds(place.Bounds.Left, place.Bounds.Top, place.Bounds.Width(),
                    place.Bounds.Height());
    clock.SetScale(scale);
    clock.SetType(type);
    clock.SetModeShape(shape);
    clock.SetModeTransparentLed(keyed);
    clock.Canvas().SetTarget(&frame);
    clock.Canvas().SetOrigin(place.Bounds.TopLeft());
    clock.Canvas().SetClipRect(place.Bounds);
    for (auto _ : state) {
        clock.Paint();
        benchmark::DoNotOptimize(frame.Bits());
    }
    clock.Canvas().SetTarget(nullptr);
}

using ztest::TPictureControl;

// The whole window repainted for one tick: the form, the picture beneath, then the clock,
// and the frame handed to the (headless) window system.

void BM_WindowRepaint(benchmark::State& state, int scale) {
    THeadlessApp app;
    app.Backend().SetWallTime(LocalSeconds(13, 47, 5));
    RegisterClockArt();
    auto scaled = [scale](int length) { return native::ScaleLength(length, scale); };
    TForm* form = New<TForm>(Application);
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 100, scaled(150), scaled(90));
    auto* picture = new TPictureControl(form);
    picture->SetParent(form);
    picture->Picture = LoadClockArt(62, scale);
    picture->SetBounds(0, 0, scaled(150), scaled(90));
    auto* clock = new TBinaryClock(form);
    clock->SetParent(form);
    clock->SetScale(scale);
    clock->SetBounds(scaled(11), scaled(9), scaled(128), scaled(72));
    form->Show();
    app.Run();
    for (auto _ : state) {
        clock->Invalidate();
        app.Run();
    }
}

[[maybe_unused]] const bool kRegistered = [] {
    for (TClockType type = ctLargeStandard; type <= ctDipSwitch; ++type)
        for (TLedShape shape = lsRound; shape <= lsRect; ++shape)
            benchmark::RegisterBenchmark(
                (std::string("BM_ClockPaint/") + kFormatNames[type] + "/" + kShapeNames[shape])
                    .c_str(),
                BM_ClockPaint, type, shape, 1, 100);
    benchmark::RegisterBenchmark("BM_ClockPaint/LargeStandard/round/opaque", BM_ClockPaint,
                                 ctLargeStandard, lsRound, 0, 100);
    benchmark::RegisterBenchmark("BM_ClockPaint/LargeStandard/square/opaque", BM_ClockPaint,
                                 ctLargeStandard, lsSquare, 0, 100);
    for (int scale : {150, 200, 300}) {
        const std::string at = "/" + std::to_string(scale) + "%";
        benchmark::RegisterBenchmark(("BM_ClockPaint/LargeStandard/round" + at).c_str(),
                                     BM_ClockPaint, ctLargeStandard, lsRound, 1, scale);
        benchmark::RegisterBenchmark(("BM_ClockPaint/LargeStandard/square" + at).c_str(),
                                     BM_ClockPaint, ctLargeStandard, lsSquare, 1, scale);
    }
    benchmark::RegisterBenchmark("BM_WindowRepaint/LargeStandard", BM_WindowRepaint, 100);
    benchmark::RegisterBenchmark("BM_WindowRepaint/LargeStandard/200%", BM_WindowRepaint, 200);
    return true;
}();

}  // namespace
