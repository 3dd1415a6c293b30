// The platform's drawing hot paths: composing a clock-sized window frame, stretching an
// LED picture into a small cell, keyed drawing.
#include <benchmark/benchmark.h>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/native/headless.h"
#include "platform/ui/application.h"
#include "platform/ui/wincontrol.h"

namespace {

TBitmap Picture(int w, int h) {
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, RGB(x * 7, y * 5, (x ^ y) & 0xFF));
    return b;
}

void StretchDraw18To9(benchmark::State& state) {
    TBitmap led = Picture(18, 18);
    led.SetTransparent(state.range(0) != 0);
    TBitmap target = Picture(64, 64);
    for (auto _ : state) {
        target.Canvas().StretchDraw({9, 9, 18, 18}, led);
        benchmark::DoNotOptimize(target.Bits());
    }
}
BENCHMARK(StretchDraw18To9)->Arg(0)->Arg(1)->ArgName("keyed");

void Draw18Keyed(benchmark::State& state) {
    TBitmap led = Picture(18, 18);
    led.SetTransparent(true);
    TBitmap target = Picture(64, 64);
    for (auto _ : state) {
        target.Canvas().Draw(10, 10, led);
        benchmark::DoNotOptimize(target.Bits());
    }
}
BENCHMARK(Draw18Keyed);

// A control that draws a picture, as the clock's background does.
class TPictureControl : public TCustomControl {
public:
    TPictureControl(TComponent* owner, TBitmap picture)
        : TCustomControl(owner), picture_(std::move(picture)) {}

protected:
    void Paint() override { Canvas().Draw(0, 0, picture_); }

private:
    TBitmap picture_;
};

// One full paint pass of a 150 x 90 window: the form's background, a picture over all of
// it and a 128 x 72 control over that, then the frame handed to the (headless) screen.
void ComposeFrame150x90(benchmark::State& state) {
    native::SetBackend(std::make_unique<native::THeadlessBackend>());
    CreateApplication();
    TForm* form = New<TForm>(Application);
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 100, 150, 90);
    auto* back = new TPictureControl(form, Picture(150, 90));
    back->SetParent(form);
    back->SetBounds(0, 0, 150, 90);
    auto* front = new TPictureControl(form, Picture(128, 72));
    front->SetParent(back);
    front->SetBounds(11, 9, 128, 72);
    form->Show();
    for (auto _ : state) {
        form->Invalidate();
        form->Update();
    }
    DestroyApplication();
    native::SetBackend(nullptr);
}
BENCHMARK(ComposeFrame150x90);

}  // namespace
