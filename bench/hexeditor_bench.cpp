// The hex editor on a 256 MiB file of text-like bytes (lower-case letters, spaces and line
// feeds) whose one match ends on its last byte: loading it, and searching it for text
// (case-sensitive and not) and for hexadecimal bytes, each beside memmem over the same
// buffer for the same bytes. Every benchmark reports the bytes it scans per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/headless_app.h"
#include "widgets/hexcontrol.h"

namespace {

constexpr size_t kFileSize = size_t(256) << 20;
constexpr const char* kNeedle = "zentick-needle";
constexpr const char* kNeedleMixedCase = "ZenTick-NEEDLE";
constexpr const char* kNeedleHex = "7a 65 6e 74 69 63 6b 2d 6e 65 65 64 6c 65";

// The file, written once, removed at exit; and an editor that has loaded it.
struct TBenchData {
    std::string Dir;
    std::string Path;
    THeadlessApp App;
    THexEditor* Editor = nullptr;

    TBenchData() {
        char name[] = "/tmp/zt-hexeditor-bench-XXXXXX";
        if (!mkdtemp(name)) throw std::runtime_error("no temporary folder");
        Dir = name;
        Path = Dir + "/data.txt";
        std::vector<char> chunk(size_t(1) << 20);
        uint32_t seed = 12345;
        FILE* f = std::fopen(Path.c_str(), "wb");
        if (!f) throw std::runtime_error("cannot write " + Path);
        for (size_t written = 0; written < kFileSize; written += chunk.size()) {
            for (char& c : chunk) {
                seed = seed * 1103515245u + 12345u;
                unsigned r = (seed >> 16) % 32;
                c = r < 26 ? char('a' + r) : r < 31 ? ' ' : '\n';
            }
            if (written + chunk.size() == kFileSize)
                std::memcpy(chunk.data() + chunk.size() - std::strlen(kNeedle), kNeedle,
                            std::strlen(kNeedle));
            std::fwrite(chunk.data(), 1, chunk.size(), f);
        }
        std::fclose(f);
        Editor = new THexEditor(nullptr);
        if (Editor->LoadFromFile(Path) != hfDone) throw std::runtime_error("cannot load " + Path);
    }
    ~TBenchData() {
        Editor->Free();
        std::filesystem::remove_all(Dir);
    }
};

TBenchData& Data() {
    static TBenchData data;
    return data;
}

void BM_LoadFromFile(benchmark::State& state) {
    TBenchData& data = Data();
    std::unique_ptr<THexEditor, void (*)(THexEditor*)> editor(new THexEditor(nullptr),
                                                              [](THexEditor* e) { e->Free(); });
    for (auto _ : state) {
        int result = editor->LoadFromFile(data.Path);
        if (result != hfDone) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(editor->Data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFileSize));
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(6);

void Find(benchmark::State& state, const char* text, int mode, int flags) {
    THexEditor& editor = *Data().Editor;
    const int64_t expected = int64_t(kFileSize - std::strlen(kNeedle));
    for (auto _ : state) {
        int64_t hit = editor.FindFirst(text, mode, flags);
        if (hit != expected) state.SkipWithError("wrong match");
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFileSize));
}

void Memmem(benchmark::State& state) {
    THexEditor& editor = *Data().Editor;
    const size_t length = std::strlen(kNeedle);
    for (auto _ : state) {
        const void* hit = ::memmem(editor.Data(), size_t(editor.Size()), kNeedle, length);
        if (hit != editor.Data() + kFileSize - length) state.SkipWithError("wrong match");
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFileSize));
}

void BM_FindTextMatchCase(benchmark::State& state) {
    Find(state, kNeedle, smText, sfMatchCase);
}
void BM_FindTextAnyCase(benchmark::State& state) {
    Find(state, kNeedleMixedCase, smText, 0);
}
void BM_FindHexBytes(benchmark::State& state) {
    Find(state, kNeedleHex, smHexBytes, 0);
}
void BM_Memmem(benchmark::State& state) {
    Memmem(state);
}

BENCHMARK(BM_FindTextMatchCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTextAnyCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindHexBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memmem)->Unit(benchmark::kMillisecond);

}  // namespace
