// The registry calls on Windows: the system's own registry, through winsys.h.
//
// A handle is the system's key handle; HKEY_CURRENT_USER, which is ours, stands for the
// system's root of the same name. The Run key is the system's Run key.
#include "platform/os/registry.h"

#include <cstring>

#include "platform/os/win32/winsys.h"

// The same definition as the system's: a handle only ever points at one.
struct HKEY__ {
    int unused;
};

HKEY__ gRegistryCurrentUserRoot{};

namespace {
void* SystemKey(HKEY key) {
    return key == HKEY_CURRENT_USER ? winsys::CurrentUserKey() : static_cast<void*>(key);
}
}  // namespace

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD, const char* keyClass, DWORD options,
                     REGSAM access, const SECURITY_ATTRIBUTES*, HKEY* result, DWORD* disposition) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    void* created = nullptr;
    uint32_t how = 0;
    LONG error =
        winsys::CreateKey(SystemKey(key), subKey, keyClass, options, access, &created, &how);
    *result = static_cast<HKEY>(created);
    if (disposition != nullptr && error == ERROR_SUCCESS) *disposition = how;
    return error;
}

LONG RegOpenKeyA(HKEY key, const char* subKey, HKEY* result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    void* opened = nullptr;
    LONG error = winsys::OpenKey(SystemKey(key), subKey, &opened);
    *result = static_cast<HKEY>(opened);
    return error;
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size) {
    if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
    uint32_t valueType = 0;
    uint32_t valueSize = size ? *size : 0;
    LONG error = winsys::QueryValue(SystemKey(key), name, &valueType, data, &valueSize);
    if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA) return error;
    if (type != nullptr) *type = valueType;
    if (size != nullptr) *size = valueSize;
    return error;
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
    return winsys::SetValue(SystemKey(key), name, type, data, size);
}

// The system's registry stores one value at a time. The programs of the session take
// turns through a mutex for their batches, so that two of them storing batches at once
// leave one whole batch; like the files' locks elsewhere, it is waited for at most a
// second.
LONG RegSetValues(HKEY key, const std::vector<TRegValueWrite>& values) {
    constexpr LONG kErrorTimeout = 1460;  // ERROR_TIMEOUT
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    void* turn = winsys::AcquireSessionMutex("zentick-registry-batch", 1000);
    if (turn == nullptr) return kErrorTimeout;
    LONG result = ERROR_SUCCESS;
    for (const TRegValueWrite& value : values) {
        result = winsys::SetValue(SystemKey(key), value.Name.c_str(), value.Type, value.Data.data(),
                                  static_cast<uint32_t>(value.Data.size()));
        if (result != ERROR_SUCCESS) break;
    }
    winsys::ReleaseSessionMutex(turn);
    return result;
}

LONG RegDeleteValueA(HKEY key, const char* name) {
    return winsys::DeleteValue(SystemKey(key), name);
}

LONG RegCloseKey(HKEY key) {
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
    return winsys::CloseKey(key);
}
