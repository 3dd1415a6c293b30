// Feeds arbitrary bytes to TRegFile::Parse as the registry file. A text it accepts must
// write back (Serialise) to a text that parses to the same keys and values, byte for byte,
// with the same unreadable lines kept, and writes again unchanged; a text it refuses gives
// nothing. Every line it skips is kept, once.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/os/posix/regfile.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckSame(const TRegFile& a, const TRegFile& b) {
    Check(a.Keys().size() == b.Keys().size());
    Check(a.PreambleLines() == b.PreambleLines());
    for (size_t k = 0; k < a.Keys().size(); ++k) {
        const TRegKey& x = a.Keys()[k];
        const TRegKey& y = b.Keys()[k];
        Check(x.Path == y.Path);
        Check(x.Values.size() == y.Values.size());
        Check(x.Unreadable == y.Unreadable);
        for (size_t v = 0; v < x.Values.size(); ++v) {
            Check(x.Values[v].Name == y.Values[v].Name);
            Check(x.Values[v].Type == y.Values[v].Type);
            Check(x.Values[v].Data == y.Values[v].Data);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TRegParseReport report;
    auto file = TRegFile::Parse(text, &report);
    if (!file) return 0;
    size_t kept = file->PreambleLines().size();
    for (const TRegKey& key : file->Keys())
        kept += key.Unreadable.size();
    Check(kept == report.SkippedLines.size());
    const std::string written = file->Serialise();
    auto again = TRegFile::Parse(written);
    Check(again.has_value());
    CheckSame(*file, *again);
    Check(again->Serialise() == written);
    // Every key found by its path, every value by its name.
    for (const TRegKey& key : file->Keys()) {
        Check(file->KeyExists(key.Path));
        for (const TRegValue& value : key.Values) {
            const TRegValue* found = file->FindValue(key.Path, value.Name);
            Check(found != nullptr && found->Data == value.Data);
        }
    }
    return 0;
}
