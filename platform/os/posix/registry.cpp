#include "platform/os/registry.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/os/posix/autostart.h"
#include "platform/os/posix/configdir.h"
#include "platform/os/posix/regfile.h"
#include "platform/os/posix/regstore.h"

// A handle names the full path of its key. The root's path is kRootPath; its object holds
// nothing, so it is ready before any other static object could use it.
struct HKEY__ {
    std::string Path;
};

HKEY__ gRegistryCurrentUserRoot;

namespace {
std::mutex& HandlesMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unordered_set<HKEY>& OpenHandles() {
    static std::unordered_set<HKEY> handles;
    return handles;
}

constexpr std::string_view kRootPath = "HKEY_CURRENT_USER";

std::optional<std::string> PathOf(HKEY key) {
    if (key == HKEY_CURRENT_USER) return std::string(kRootPath);
    std::lock_guard guard(HandlesMutex());
    if (OpenHandles().count(key) == 0) return std::nullopt;
    return key->Path;
}

HKEY NewHandle(std::string path) {
    HKEY key = new HKEY__{std::move(path)};
    std::lock_guard guard(HandlesMutex());
    OpenHandles().insert(key);
    return key;
}

// The full path of subKey below base. One trailing backslash is allowed; a leading one or
// an empty name between backslashes is not.
LONG JoinPath(const std::string& base, const char* subKey, std::string& path) {
    std::string_view sub = subKey == nullptr ? std::string_view() : std::string_view(subKey);
    if (!sub.empty() && sub.back() == '\\') sub.remove_suffix(1);
    path = base;
    if (sub.empty()) return ERROR_SUCCESS;
    if (sub.front() == '\\' || sub.find("\\\\") != std::string_view::npos) {
        return ERROR_BAD_PATHNAME;
    }
    if (!IsStorableRegName(sub)) return ERROR_INVALID_PARAMETER;
    path += "\\";
    path += sub;
    return ERROR_SUCCESS;
}

bool IsRunKey(std::string_view path) {
    return SameRegName(path, kRunKeyPath);
}

// The root, the Run key and the keys above the Run key always exist, as they do on a
// system that has a user profile.
bool AlwaysExists(std::string_view path) {
    if (IsRunKey(path)) return true;
    return path.size() < kRunKeyPath.size() && kRunKeyPath[path.size()] == '\\' &&
           SameRegName(path, kRunKeyPath.substr(0, path.size()));
}

bool IsRoot(std::string_view path) {
    return SameRegName(path, kRootPath);
}

std::string ValueName(const char* name) {
    return name == nullptr ? std::string() : name;
}

// Each call is one scope of the file's parse: kept for the next call while a key is open,
// let go once none is (a clock holds no key between user actions, and so no parse).
class TParseScope {
public:
    TParseScope() = default;
    TParseScope(const TParseScope&) = delete;
    TParseScope& operator=(const TParseScope&) = delete;
    ~TParseScope() {
        std::lock_guard guard(HandlesMutex());
        if (OpenHandles().empty()) TRegStore::ForgetCache();
    }
};
}  // namespace

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, const char* /*keyClass*/,
                     DWORD /*options*/, REGSAM /*access*/, const SECURITY_ATTRIBUTES* /*security*/,
                     HKEY* result, DWORD* disposition) {
    if (result == nullptr || subKey == nullptr || reserved != 0) return ERROR_INVALID_PARAMETER;
    TParseScope scope;
    *result = nullptr;
    auto base = PathOf(key);
    if (!base) return ERROR_INVALID_HANDLE;
    std::string path;
    if (LONG error = JoinPath(*base, subKey, path)) return error;

    DWORD what = REG_OPENED_EXISTING_KEY;
    if (!IsRoot(path) && !(AlwaysExists(path) && UserConfigHome())) {
        TRegStore store;
        if (!store.Available()) {
            TRegStore::ReportUnavailable();
            return ERROR_PATH_NOT_FOUND;
        }
        if (!store.Read()->KeyExists(path)) {
            LONG error = store.Update([&](TRegFile& file) {
                if (file.KeyExists(path)) return false;
                file.CreateKey(path);
                what = REG_CREATED_NEW_KEY;
                return true;
            });
            if (error != ERROR_SUCCESS) return error;
        }
    }
    *result = NewHandle(path);
    if (disposition != nullptr) *disposition = what;
    return ERROR_SUCCESS;
}

LONG RegOpenKeyA(HKEY key, const char* subKey, HKEY* result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    TParseScope scope;
    *result = nullptr;
    auto base = PathOf(key);
    if (!base) return ERROR_INVALID_HANDLE;
    std::string path;
    if (LONG error = JoinPath(*base, subKey, path)) return error;
    if (!IsRoot(path) && !(AlwaysExists(path) && UserConfigHome())) {
        TRegStore store;
        if (!store.Available()) {
            TRegStore::ReportUnavailable();
            return ERROR_PATH_NOT_FOUND;
        }
        if (!store.Read()->KeyExists(path)) return ERROR_FILE_NOT_FOUND;
    }
    *result = NewHandle(path);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size) {
    if (reserved != nullptr || (data != nullptr && size == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    auto path = PathOf(key);
    if (!path) return ERROR_INVALID_HANDLE;
    TParseScope scope;

    DWORD valueType = REG_NONE;
    std::vector<BYTE> valueData;
    if (IsRunKey(*path)) {
        std::string commandLine;
        if (LONG error = ReadRunValue(ValueName(name), commandLine)) return error;
        valueType = REG_SZ;
        valueData.assign(commandLine.begin(), commandLine.end());
        valueData.push_back(0);
    } else {
        std::shared_ptr<const TRegFile> file = TRegStore().Read();
        const TRegValue* value = file->FindValue(*path, ValueName(name));
        if (value == nullptr) return ERROR_FILE_NOT_FOUND;
        valueType = value->Type;
        valueData = value->Data;
    }

    const DWORD needed = static_cast<DWORD>(valueData.size());
    if (type != nullptr) *type = valueType;
    if (data == nullptr) {
        if (size != nullptr) *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (needed > 0) std::memcpy(data, valueData.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size) {
    if (reserved != 0 || (data == nullptr && size > 0)) return ERROR_INVALID_PARAMETER;
    auto path = PathOf(key);
    if (!path) return ERROR_INVALID_HANDLE;
    const std::string valueName = ValueName(name);
    if (!IsStorableRegName(valueName)) return ERROR_INVALID_PARAMETER;
    std::vector<BYTE> bytes(data, data + size);

    if (IsRunKey(*path)) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_PARAMETER;
        std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return WriteRunValue(valueName, text.substr(0, text.find('\0')));
    }
    return RegSetValues(key, {TRegValueWrite{valueName, type, std::move(bytes)}});
}

LONG RegSetValues(HKEY key, const std::vector<TRegValueWrite>& values) {
    auto path = PathOf(key);
    if (!path) return ERROR_INVALID_HANDLE;
    if (IsRunKey(*path)) return ERROR_INVALID_PARAMETER;
    for (const TRegValueWrite& value : values)
        if (!IsStorableRegName(value.Name)) return ERROR_INVALID_PARAMETER;
    TParseScope scope;
    // The last value of each name, in the order of their first appearance.
    std::vector<TRegValueWrite> last;
    std::unordered_map<std::string_view, size_t, TRegNameHash, TRegNameEqual> places;
    last.reserve(values.size());
    for (const TRegValueWrite& value : values) {
        auto [place, added] = places.try_emplace(value.Name, last.size());
        if (added) {
            last.push_back(value);
        } else {
            last[place->second].Type = value.Type;
            last[place->second].Data = value.Data;
        }
    }
    // Values that already hold these bytes need no write (nor a writable folder).
    auto unchanged = [&](const TRegFile& file) {
        return std::all_of(last.begin(), last.end(), [&](const TRegValueWrite& value) {
            const TRegValue* old = file.FindValue(*path, value.Name);
            return old != nullptr && old->Type == value.Type && old->Data == value.Data;
        });
    };
    TRegStore store;
    if (unchanged(*store.Read())) return ERROR_SUCCESS;
    return store.Update([&](TRegFile& file) {
        if (unchanged(file)) return false;
        for (const TRegValueWrite& value : last)
            file.SetValue(*path, value.Name, value.Type, value.Data);
        return true;
    });
}

LONG RegDeleteValueA(HKEY key, const char* name) {
    auto path = PathOf(key);
    if (!path) return ERROR_INVALID_HANDLE;
    const std::string valueName = ValueName(name);
    if (IsRunKey(*path)) return DeleteRunValue(valueName);
    TParseScope scope;
    TRegStore store;
    if (store.Read()->FindValue(*path, valueName) == nullptr) return ERROR_FILE_NOT_FOUND;
    bool found = false;
    LONG error = store.Update([&](TRegFile& file) {
        found = file.DeleteValue(*path, valueName);
        return found;
    });
    if (error != ERROR_SUCCESS) return error;
    return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG RegCloseKey(HKEY key) {
    if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
    TParseScope scope;
    {
        std::lock_guard guard(HandlesMutex());
        if (OpenHandles().erase(key) == 0) return ERROR_INVALID_HANDLE;
    }
    delete key;
    return ERROR_SUCCESS;
}
