// The clock's main window from creation to its first shown frame, at 100 % and at larger
// scales: the form and its components, the settings applied (the background picture
// decoded at the scale, the outline cut from it, the clock's modes), the first paint and
// the frame handed to the (headless) window system; then the window freed. The settings
// come from a store that touches no file; the greeting panel is left out (seconds hidden),
// so the face itself is painted. Also one repaint of the whole face at each scale.
#include <benchmark/benchmark.h>

#include "app/fclock.h"
#include "platform/os/wallclock.h"
#include "tests/support/headless_app.h"

namespace {

ClockSettings AtScale(int scale, int back) {
    ClockSettings settings;
    settings.SecondsHide = 1;
    settings.Back = back;
    settings.Scale = scale;
    return settings;
}

void BM_ClockStartup(benchmark::State& state, int scale, int back) {
    THeadlessApp app;
    app.Backend().SetWallTime(LocalSeconds(13, 47, 5));
    TFixedSettingsStore store(AtScale(scale, back), {100, 100});
    for (auto _ : state) {
        TForm1* form = New<TForm1>(Application, &store);
        form->Show();
        Application->ProcessMessages();
        benchmark::DoNotOptimize(form->Handle());
        form->Free();
    }
}

void BM_ClockFaceRepaint(benchmark::State& state, int scale) {
    THeadlessApp app;
    app.Backend().SetWallTime(LocalSeconds(13, 47, 5));
    TFixedSettingsStore store(AtScale(scale, 1), {100, 100});
    TForm1* form = New<TForm1>(Application, &store);
    form->Show();
    app.Run();
    for (auto _ : state) {
        form->BinaryClock->Invalidate();
        app.Run();
    }
    form->Free();
}

[[maybe_unused]] const bool kRegistered = [] {
    for (int scale : {100, 150, 200, 300}) {
        const std::string at = "/" + std::to_string(scale) + "%";
        benchmark::RegisterBenchmark(("BM_ClockStartup/FlatBlack" + at).c_str(), BM_ClockStartup,
                                     scale, 0);
        benchmark::RegisterBenchmark(("BM_ClockStartup/Aluminium" + at).c_str(), BM_ClockStartup,
                                     scale, 1);
        benchmark::RegisterBenchmark(("BM_ClockFaceRepaint/Aluminium" + at).c_str(),
                                     BM_ClockFaceRepaint, scale);
    }
    return true;
}();

}  // namespace
