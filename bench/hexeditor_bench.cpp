// The hex editor on large files.
//
// - Opening sparse files of 1, 4 and 16 GiB: LoadFromFile, then End, which paints the
//   last rows; the time, and the resident memory the editor gained (counter
//   "resident_MiB").
// - Searching a 256 MiB file of text-like bytes (lower-case letters, spaces and line
//   feeds) whose one match ends on its last byte, for text (case-sensitive and not) and
//   for hexadecimal bytes, beside memmem over the same mapped bytes. Every search reports
//   the bytes it scans per second.
// - Saving a 16 GiB sparse file after a one-byte edit near its end: the journal, the byte
//   and both flushes to disk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/os/filemap.h"
#include "platform/ui/form.h"
#include "tests/support/headless_app.h"
#include "widgets/hex/hexcontrol.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kTextSize = size_t(256) << 20;
constexpr const char* kNeedle = "zentick-needle";
constexpr const char* kNeedleMixedCase = "ZenTick-NEEDLE";
constexpr const char* kNeedleHex = "7a 65 6e 74 69 63 6b 2d 6e 65 65 64 6c 65";

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
    return -1;
}

// The files, written once, removed at exit; a window with an editor.
struct TBenchData {
    fs::path Dir;
    fs::path Text;
    THeadlessApp App;
    TForm* Form = nullptr;
    THexEditor* Editor = nullptr;

    TBenchData() {
        char name[] = "/tmp/zt-hexeditor-bench-XXXXXX";
        if (!mkdtemp(name)) throw std::runtime_error("no temporary folder");
        Dir = name;
        Text = Dir / "data.txt";
        std::vector<char> chunk(size_t(1) << 20);
        uint32_t seed = 12345;
        FILE* f = std::fopen(Text.c_str(), "wb");
        if (!f) throw std::runtime_error("cannot write " + Text.string());
        for (size_t written = 0; written < kTextSize; written += chunk.size()) {
            for (char& c : chunk) {
                seed = seed * 1103515245u + 12345u;
                unsigned r = (seed >> 16) % 32;
                c = r < 26 ? char('a' + r) : r < 31 ? ' ' : '\n';
            }
            if (written + chunk.size() == kTextSize)
                std::memcpy(chunk.data() + chunk.size() - std::strlen(kNeedle), kNeedle,
                            std::strlen(kNeedle));
            std::fwrite(chunk.data(), 1, chunk.size(), f);
        }
        std::fclose(f);
        Form = New<TForm>(Application);
        Form->SetBounds(0, 0, 800, 560);
        Editor = new THexEditor(Form);
        Editor->SetParent(Form);
        Editor->SetAlign(alClient);
        Editor->Document().SetStateFolder((Dir / "state").string());
        Form->Show();
        App.Run();
    }
    ~TBenchData() {
        Form->Free();
        fs::remove_all(Dir);
    }
    // A sparse file of gib GiB with a few bytes at its start and end.
    fs::path Sparse(int gib) {
        fs::path path = Dir / ("sparse-" + std::to_string(gib) + ".bin");
        if (!fs::exists(path)) {
            std::ofstream(path, std::ios::binary) << "zentick";
            fs::resize_file(path, uintmax_t(gib) << 30);
        }
        return path;
    }
};

TBenchData& Data() {
    static TBenchData data;
    return data;
}

void BM_OpenSparseFileAndGoToItsEnd(benchmark::State& state) {
    TBenchData& data = Data();
    const fs::path path = data.Sparse(int(state.range(0)));
    long resident = 0;
    for (auto _ : state) {
        state.PauseTiming();
        data.Editor->SetNull();
        long before = ResidentKilobytes();
        state.ResumeTiming();
        if (data.Editor->LoadFromFile(path.string()) != hfDone) state.SkipWithError("load failed");
        data.Editor->MoveCursor(data.Editor->Size() - 1);
        benchmark::DoNotOptimize(data.Editor->GetByte(data.Editor->Size() - 1));
        state.PauseTiming();
        resident = std::max(resident, ResidentKilobytes() - before);
        state.ResumeTiming();
    }
    state.counters["resident_MiB"] = double(resident) / 1024;
}
BENCHMARK(BM_OpenSparseFileAndGoToItsEnd)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

void Find(benchmark::State& state, const char* text, int mode, int flags) {
    THexEditor& editor = *Data().Editor;
    if (editor.FileName() != Data().Text.string() &&
        editor.LoadFromFile(Data().Text.string()) != hfDone) {
        state.SkipWithError("cannot load the text");
        return;
    }
    const int64_t expected = int64_t(kTextSize - std::strlen(kNeedle));
    for (auto _ : state) {
        int64_t hit = editor.FindFirst(text, mode, flags);
        if (hit != expected) state.SkipWithError("wrong match");
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kTextSize));
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
// memmem over the same file, mapped the same way.
void BM_MemmemOnTheMappedFile(benchmark::State& state) {
    TFileMapping map;
    if (map.Open(Data().Text.string())) {
        state.SkipWithError("cannot map the text");
        return;
    }
    const size_t length = std::strlen(kNeedle);
    for (auto _ : state) {
        const void* hit = ::memmem(map.Data(), size_t(map.Size()), kNeedle, length);
        if (hit != map.Data() + kTextSize - length) state.SkipWithError("wrong match");
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kTextSize));
}

BENCHMARK(BM_FindTextMatchCase)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindTextAnyCase)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindHexBytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MemmemOnTheMappedFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveOneByteEditOf16GiB(benchmark::State& state) {
    TBenchData& data = Data();
    const fs::path path = data.Sparse(16);
    THexEditor& editor = *data.Editor;
    if (editor.LoadFromFile(path.string()) != hfDone) {
        state.SkipWithError("load failed");
        return;
    }
    int64_t offset = editor.Size() - 12345;
    uint8_t value = 1;
    for (auto _ : state) {
        editor.SetByte(offset, value++);
        if (editor.SaveToFile(path.string()) != hfDone) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveOneByteEditOf16GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
