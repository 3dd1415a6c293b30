// Feeds arbitrary bytes to the private profile functions as an INI file. Every section and
// key the file lists reads back within the buffer it is given (cut values are prefixes of
// whole ones); a value written to a listed key is what that key then reads; and a key
// whose name comes from the input is either refused or found again after its write, a
// second write of it leaving the file as it was.
#include <strings.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/profile.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// The fuzzer's own file, in memory when /dev/shm is there.
const std::string& FilePath() {
    static const std::string path = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(base) + "/zt-profile-fuzz-" + std::to_string(getpid()) + ".ini";
    }();
    return path;
}

std::string FileText() {
    std::string text;
    if (FILE* file = std::fopen(FilePath().c_str(), "rb")) {
        char chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            text.append(chunk, got);
        std::fclose(file);
    }
    return text;
}

// Reads a value (or a list, with key or section null) into a buffer of size bytes with a
// guard byte behind it, checking the guard and the returned length.
std::string Get(const char* section, const char* key, DWORD size) {
    std::vector<char> buffer(size + 1, '\x7F');
    const DWORD length =
        GetPrivateProfileStringA(section, key, "fallback", buffer.data(), size, FilePath().c_str());
    Check(buffer[size] == '\x7F');
    Check(length < size || size == 0);
    return std::string(buffer.data(), length);
}

// The names of a list read whole.
std::vector<std::string> List(const char* section) {
    std::vector<char> buffer(1 << 16);
    const DWORD length = GetPrivateProfileStringA(section, nullptr, "", buffer.data(),
                                                  DWORD(buffer.size()), FilePath().c_str());
    Check(length + 2 <= buffer.size() && buffer[length] == '\0');
    std::vector<std::string> names;
    for (size_t at = 0; at < length; at += names.back().size() + 1)
        names.emplace_back(&buffer[at]);
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first line (up to 24 bytes) is also a key name; the whole input is the file.
    const std::string name(
        input.substr(0, std::min(input.find_first_of(std::string_view("\n\0", 2)), size_t(24))));
    if (FILE* file = std::fopen(FilePath().c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }

    const std::vector<std::string> sections = List(nullptr);
    for (size_t s = 0; s < sections.size() && s < 8; ++s) {
        const std::vector<std::string> keys = List(sections[s].c_str());
        for (size_t k = 0; k < keys.size() && k < 8; ++k) {
            const std::string whole = Get(sections[s].c_str(), keys[k].c_str(), 4096);
            const std::string cut = Get(sections[s].c_str(), keys[k].c_str(), 1 + DWORD(k));
            Check(whole.compare(0, cut.size(), cut) == 0);
        }
    }
    // A listed key takes a value (names with a carriage return are refused for writing).
    if (!sections.empty() && sections[0].find('\r') == std::string::npos) {
        const std::vector<std::string> keys = List(sections[0].c_str());
        const std::string key = keys.empty() ? std::string("fuzz") : keys[0];
        if (key.find('\r') == std::string::npos) {
            Check(WritePrivateProfileStringA(sections[0].c_str(), key.c_str(), "written",
                                             FilePath().c_str()) != 0);
            Check(Get(sections[0].c_str(), key.c_str(), 64) == "written");
        }
    }
    // A new section with a key named by the input (a file that has such a section may
    // hold the key twice, which a removal would then not remove whole).
    bool fresh = true;
    for (const std::string& section : List(nullptr))
        fresh = fresh && strcasecmp(section.c_str(), "fuzz section") != 0;
    if (fresh &&
        WritePrivateProfileStringA("fuzz section", name.c_str(), "v", FilePath().c_str()) != 0) {
        Check(Get("fuzz section", name.c_str(), 64) == "v");
        const std::string once = FileText();
        Check(WritePrivateProfileStringA("fuzz section", name.c_str(), "v", FilePath().c_str()) !=
              0);
        Check(FileText() == once);
        Check(WritePrivateProfileStringA("fuzz section", name.c_str(), nullptr,
                                         FilePath().c_str()) != 0);
        Check(Get("fuzz section", name.c_str(), 64) == "fallback");
    }
    unlink(FilePath().c_str());
    return 0;
}
