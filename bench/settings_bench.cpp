// Loading and saving the clock's settings against the size of the registry file, from 1 KB
// to the 4 MB the store reads: a file holding the clock's sixteen values and, beside them,
// as many values of other programs as fill it (about 27 bytes each), as a full export of a
// user's registry brings.
//
// - RegFileParse / RegFileSerialise: the text alone, in memory.
// - LoadSettings / SaveSettings: what the clock does at start and at each save, through the
//   parameter store and the per-user registry, on a file in a temporary folder (/dev/shm
//   where there is one, so that the disk's flushes do not drown the figures); once more
//   with all the other values in one key.
//
// Each grows in proportion to the file's size: the time per byte (bytes_per_second) stays
// about the same from 1 KB to 4 MB.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "platform/os/posix/regfile.h"
#include "settings/clocksettings.h"
#include "tests/support/tempconfighome.h"

namespace {

// A registry file of about size bytes: the clock's key, then other programs' values, a
// new key every 64 values (as exports mix keys and values) or, with oneKey, all in one.
std::string RegistryText(size_t size, bool oneKey = false) {
    std::string text =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick]\n"
        "\"viewertop\"=dword:00000180\n\"viewerleft\"=dword:00000200\n"
        "\"type\"=dword:00000000\n\"back\"=dword:00000001\n\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\n";
    for (int i = 0; text.size() < size; ++i) {
        if (!oneKey && i % 64 == 63)
            text += "\n[HKEY_CURRENT_USER\\Software\\Other\\K" + std::to_string(i) + "]\n";
        text += "\"name" + std::to_string(i) + "\"=dword:0000002a\n";
    }
    return text;
}

// 1 KB to 1 MB by fours, then just under the 4 MB the store reads.
void Sizes(benchmark::internal::Benchmark* b) {
    for (int64_t size = 1024; size <= 1024 * 1024; size *= 4)
        b->Arg(size);
    b->Arg(4 * 1024 * 1024 - 4096);
}

void RegFileParse(benchmark::State& state) {
    const std::string text = RegistryText(size_t(state.range(0)));
    for (auto _ : state) {
        auto file = TRegFile::Parse(text);
        benchmark::DoNotOptimize(file);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(RegFileParse)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

void RegFileSerialise(benchmark::State& state) {
    const std::string text = RegistryText(size_t(state.range(0)));
    const TRegFile file = *TRegFile::Parse(text);
    for (auto _ : state) {
        std::string written = file.Serialise();
        benchmark::DoNotOptimize(written);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(RegFileSerialise)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

// The clock's window, at a place that changes with each save so that every save writes.
class TBenchWindow : public TSettingsWindow {
public:
    int Left() const override { return left_; }
    int Top() const override { return 300; }
    int Width() const override { return 150; }
    int Height() const override { return 90; }
    void SetLeft(int left) override { left_ = left; }
    void SetTop(int) override {}
    bool MinimizedOrMaximized() const override { return false; }
    int ScreenWidth() const override { return 1024; }
    int ScreenHeight() const override { return 768; }

private:
    int left_ = 0;
};

// A fresh configuration folder holding a registry file of the benchmark's size.
struct TBenchHome {
    TTempConfigHome home;
    size_t size = 0;
    explicit TBenchHome(size_t wanted, bool oneKey = false) {
        const std::string text = RegistryText(wanted, oneKey);
        size = text.size();
        std::filesystem::create_directories(home.ConfigHome() + "/zentick");
        std::ofstream(home.RegistryFile(), std::ios::binary) << text;
    }
};

// The clock's start: its settings read from a file of the benchmark's size, the other
// values spread over many keys, or all in one key (130 000 of them at 4 MB).
void LoadSettingsFrom(benchmark::State& state, bool oneLargeKey) {
    TBenchHome home(size_t(state.range(0)), oneLargeKey);
    TBenchWindow window;
    for (auto _ : state) {
        ClockSettings settings;
        LoadSettings(settings, window);
        benchmark::DoNotOptimize(settings);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(home.size));
}
BENCHMARK_CAPTURE(LoadSettingsFrom, File, false)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LoadSettingsFrom, OneLargeKey, true)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

void SaveSettingsToFile(benchmark::State& state) {
    TBenchHome home(size_t(state.range(0)));
    TBenchWindow window;
    ClockSettings settings;
    int left = 0;
    for (auto _ : state) {
        window.SetLeft(++left);
        SaveSettings(settings, window);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(home.size));
}
BENCHMARK(SaveSettingsToFile)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

}  // namespace
