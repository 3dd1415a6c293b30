#include "settings/paramstore.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/os/profile.h"

namespace {
constexpr size_t kMaxName = MAX_PATH - 1;
constexpr size_t kRegistryPathSize = 256;

bool RegistryOpen(const ParamStore* p) {
    return p->UseRegistry != 0 && p->Key != nullptr;
}

void DwordBytes(int32_t value, BYTE bytes[4]) {
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<BYTE>(bits >> (8 * i));
}

// Copies a name of at most kMaxName characters; a longer or missing one gives false.
bool CopyName(const char* name, char (&field)[MAX_PATH]) {
    field[0] = '\0';
    if (name == nullptr || std::strlen(name) > kMaxName) return false;
    std::memcpy(field, name, std::strlen(name) + 1);
    return true;
}

// Value names compare as the registry compares them: without regard to ASCII case.
bool SameName(const std::string& a, const char* b) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return i == a.size() && b[i] == '\0';
}

// The value of name that the open batch holds, or null: its last write of that name.
const TRegValueWrite* Batched(const ParamStore* p, const char* name) {
    if (!p->Batch) return nullptr;
    for (auto it = p->Batch->rbegin(); it != p->Batch->rend(); ++it)
        if (SameName(it->Name, name)) return &*it;
    return nullptr;
}

// Stores a value at once, or keeps it in the open batch.
void Store(ParamStore* p, const char* name, DWORD type, const BYTE* data, DWORD size) {
    if (p->Batch) {
        p->Batch->push_back(TRegValueWrite{name, type, std::vector<BYTE>(data, data + size)});
        return;
    }
    RegSetValueExA(p->Key, name, 0, type, data, size);
}

// atol for a 32-bit long: leading blanks, a sign, then decimal digits; anything else reads
// as 0, and a number beyond the range gives the nearest limit.
int32_t TextToInt(const char* text) {
    long value = std::strtol(text, nullptr, 10);
    return static_cast<int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}
}  // namespace

void ParamOpen(const char* file, const char* app, ParamStore* p, int useRegistry) {
    if (p == nullptr) return;
    p->UseRegistry = useRegistry;
    p->Key = nullptr;
    p->Disposition = 0;
    const bool appUsable = CopyName(app, p->Section);
    if (file == nullptr || !appUsable || !CopyName(file, p->IniFile)) p->IniFile[0] = '\0';
    if (useRegistry == 0 || !appUsable) return;

    char path[kRegistryPathSize];
    int length = std::snprintf(path, sizeof path, "Software\\Kelbrin\\%s", app);
    if (length < 0 || static_cast<size_t>(length) >= sizeof path) return;
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, app, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, &disposition) == ERROR_SUCCESS) {
        p->Key = key;
        p->Disposition = disposition;
    }
}

void ParamClose(ParamStore* p) {
    if (p == nullptr) return;
    ParamCommit(p);
    if (!RegistryOpen(p)) return;
    RegCloseKey(p->Key);
    p->Key = nullptr;
}

void ParamBeginBatch(ParamStore* p) {
    if (p == nullptr || !RegistryOpen(p) || p->Batch) return;
    p->Batch.emplace();
}

LONG ParamCommit(ParamStore* p) {
    if (p == nullptr || !p->Batch) return ERROR_SUCCESS;
    std::vector<TRegValueWrite> writes = std::move(*p->Batch);
    p->Batch.reset();
    if (writes.empty()) return ERROR_SUCCESS;
    if (!RegistryOpen(p)) return ERROR_INVALID_HANDLE;
    return RegSetValues(p->Key, writes);
}

int32_t ParamReadInt(ParamStore* p, const char* name, int32_t def) {
    if (p == nullptr || name == nullptr) return def;
    if (p->UseRegistry == 0) {
        char text[32];
        char result[32];
        std::snprintf(text, sizeof text, "%ld", static_cast<long>(def));
        GetPrivateProfileStringA(p->Section, name, text, result, sizeof result, p->IniFile);
        return TextToInt(result);
    }
    if (!RegistryOpen(p)) return def;
    BYTE bytes[4];
    DwordBytes(def, bytes);
    DWORD type = REG_NONE;
    DWORD size = sizeof bytes;
    if (const TRegValueWrite* batched = Batched(p, name)) {
        if (batched->Type != REG_DWORD || batched->Data.size() != sizeof bytes) return def;
        std::memcpy(bytes, batched->Data.data(), sizeof bytes);
    } else if (p->Disposition == REG_CREATED_NEW_KEY) {
        Store(p, name, REG_DWORD, bytes, sizeof bytes);
        return def;
    } else if (RegQueryValueExA(p->Key, name, nullptr, &type, bytes, &size) != ERROR_SUCCESS ||
               type != REG_DWORD || size != sizeof bytes) {
        return def;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | bytes[1] << 8 | bytes[2] << 16 |
                                static_cast<uint32_t>(bytes[3]) << 24);
}

void ParamWriteInt(ParamStore* p, const char* name, int32_t value) {
    if (p == nullptr || name == nullptr) return;
    if (p->UseRegistry == 0) {
        char text[32];
        std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
        WritePrivateProfileStringA(p->Section, name, text, p->IniFile);
        return;
    }
    if (!RegistryOpen(p)) return;
    BYTE bytes[4];
    DwordBytes(value, bytes);
    Store(p, name, REG_DWORD, bytes, sizeof bytes);
}

void ParamReadString(ParamStore* p, const char* name, const char* def, char* dst, int size) {
    if (dst == nullptr || size <= 0) return;
    const auto capacity = static_cast<size_t>(size);
    // The default is taken first, since dst may be the buffer that holds it.
    const std::string fallback =
        def == nullptr ? std::string()
                       : std::string(def, strnlen(def, def == dst ? capacity : SIZE_MAX));
    const size_t kept = std::min(fallback.size(), capacity - 1);
    std::memcpy(dst, fallback.data(), kept);
    dst[kept] = '\0';
    if (p == nullptr || name == nullptr) return;

    if (p->UseRegistry == 0) {
        GetPrivateProfileStringA(p->Section, name, fallback.c_str(), dst, static_cast<DWORD>(size),
                                 p->IniFile);
        return;
    }
    if (!RegistryOpen(p)) return;
    if (const TRegValueWrite* batched = Batched(p, name)) {
        // As the read of a stored value below: text only, and only when it fits.
        if ((batched->Type != REG_SZ && batched->Type != REG_EXPAND_SZ) ||
            batched->Data.size() > capacity - 1)
            return;
        std::memcpy(dst, batched->Data.data(), batched->Data.size());
        dst[batched->Data.size()] = '\0';
        return;
    }
    if (p->Disposition == REG_CREATED_NEW_KEY) {
        Store(p, name, REG_SZ, reinterpret_cast<const BYTE*>(fallback.c_str()),
              static_cast<DWORD>(fallback.size() + 1));
        return;
    }
    // At most size - 1 bytes are read, so a value without its terminator still fits with
    // one added.
    std::vector<BYTE> data(capacity);
    DWORD type = REG_NONE;
    auto length = static_cast<DWORD>(capacity - 1);
    if (RegQueryValueExA(p->Key, name, nullptr, &type, data.data(), &length) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return;
    }
    std::memcpy(dst, data.data(), length);
    dst[length] = '\0';
}

void ParamWriteString(ParamStore* p, const char* name, const char* text) {
    if (p == nullptr || name == nullptr) return;
    if (text == nullptr) text = "";
    if (p->UseRegistry == 0) {
        WritePrivateProfileStringA(p->Section, name, text, p->IniFile);
        return;
    }
    if (!RegistryOpen(p)) return;
    Store(p, name, REG_SZ, reinterpret_cast<const BYTE*>(text),
          static_cast<DWORD>(std::strlen(text) + 1));
}
