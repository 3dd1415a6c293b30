// The Clock Settings dialog at the scales of today's screens, with the fonts the program
// is installed with: opening it (made, laid out for the screen's density and painted
// once) and painting it again, at 100 % against 150, 200 and 300 %.
#include <benchmark/benchmark.h>

#include "dialogs/fclockconfig.h"
#include "platform/gfx/font.h"
#include "platform/gfx/scale.h"
#include "platform/native/headless.h"
#include "platform/ui/application.h"

namespace {

// A headless screen of the density of a scale, with the system's fonts.
class TScreenAt {
public:
    explicit TScreenAt(int percent) {
        native::SetBackend(std::make_unique<native::THeadlessBackend>(
            TSize{4000, 3000}, PixelsPerInchOfScale(percent)));
        SetFontProvider(CreateSystemFontProvider());
        CreateApplication();
    }
    ~TScreenAt() {
        DestroyApplication();
        native::SetBackend(nullptr);
    }
    TScreenAt(const TScreenAt&) = delete;
    TScreenAt& operator=(const TScreenAt&) = delete;
};

TFormClockConfig* OpenDialog() {
    auto* dialog = New<TFormClockConfig>(Application);
    dialog->SetBounds(10, 10, dialog->Width(), dialog->Height());
    dialog->Show();
    dialog->Update();
    return dialog;
}

void OpenSettingsDialog(benchmark::State& state) {
    TScreenAt screen(int(state.range(0)));
    OpenDialog()->Free();  // the faces loaded once, as a running program has them
    for (auto _ : state)
        OpenDialog()->Free();
}
BENCHMARK(OpenSettingsDialog)->Arg(100)->Arg(150)->Arg(200)->Arg(300)->ArgName("percent");

void PaintSettingsDialog(benchmark::State& state) {
    TScreenAt screen(int(state.range(0)));
    TFormClockConfig* dialog = OpenDialog();
    for (auto _ : state) {
        dialog->Invalidate();
        dialog->Update();
    }
    dialog->Free();
}
BENCHMARK(PaintSettingsDialog)->Arg(100)->Arg(150)->Arg(200)->Arg(300)->ArgName("percent");

}  // namespace
