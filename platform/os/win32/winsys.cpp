#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include "platform/os/win32/winsys.h"

#include <windows.h>
// After <windows.h>, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace winsys {

namespace {
HKEY Key(void* key) {
    return static_cast<HKEY>(key);
}
}  // namespace

void* CurrentUserKey() {
    return HKEY_CURRENT_USER;
}

int32_t CreateKey(void* key, const char* subKey, const char* keyClass, uint32_t options,
                  uint32_t access, void** result, uint32_t* disposition) {
    HKEY created = nullptr;
    DWORD how = 0;
    LONG error = ::RegCreateKeyExA(Key(key), subKey, 0, const_cast<char*>(keyClass), options,
                                   access, nullptr, &created, &how);
    *result = error == ERROR_SUCCESS ? created : nullptr;
    if (disposition && error == ERROR_SUCCESS) *disposition = how;
    return error;
}

int32_t OpenKey(void* key, const char* subKey, void** result) {
    HKEY opened = nullptr;
    const char* name = subKey ? subKey : "";
    LONG error = ::RegOpenKeyExA(Key(key), name, 0, KEY_ALL_ACCESS, &opened);
    if (error == ERROR_ACCESS_DENIED) error = ::RegOpenKeyExA(Key(key), name, 0, KEY_READ, &opened);
    *result = error == ERROR_SUCCESS ? opened : nullptr;
    return error;
}

int32_t QueryValue(void* key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size) {
    // Read into a buffer of our own: the system leaves the caller's buffer undefined when
    // the value does not fit, and the callers rely on it being left alone.
    DWORD valueType = REG_NONE;
    DWORD needed = 0;
    LONG error = ::RegQueryValueExA(Key(key), name, nullptr, &valueType, nullptr, &needed);
    if (error != ERROR_SUCCESS) return error;
    *type = valueType;
    if (data == nullptr) {
        *size = needed;
        return ERROR_SUCCESS;
    }
    std::vector<BYTE> buffer(std::max<DWORD>(needed, 1));
    DWORD got = DWORD(buffer.size());
    error = ::RegQueryValueExA(Key(key), name, nullptr, &valueType, buffer.data(), &got);
    if (error == ERROR_MORE_DATA || (error == ERROR_SUCCESS && got > *size)) {
        *size = error == ERROR_SUCCESS ? got : needed;
        return ERROR_MORE_DATA;
    }
    if (error != ERROR_SUCCESS) return error;
    *type = valueType;
    std::copy_n(buffer.data(), got, data);
    *size = got;
    return ERROR_SUCCESS;
}

int32_t SetValue(void* key, const char* name, uint32_t type, const uint8_t* data, uint32_t size) {
    return ::RegSetValueExA(Key(key), name, 0, type, data, size);
}

int32_t DeleteValue(void* key, const char* name) {
    return ::RegDeleteValueA(Key(key), name);
}

int32_t CloseKey(void* key) {
    return ::RegCloseKey(Key(key));
}

int32_t DeleteTree(void* key, const char* subKey) {
    return ::RegDeleteTreeA(Key(key), subKey);
}

void* AcquireSessionMutex(const char* name, uint32_t timeoutMs) {
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, (std::string("Local\\") + name).c_str());
    if (mutex == nullptr) return nullptr;
    // A holder that ended without giving it back leaves it abandoned: it is had all the same.
    const DWORD waited = ::WaitForSingleObject(mutex, timeoutMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return mutex;
    ::CloseHandle(mutex);
    return nullptr;
}

void ReleaseSessionMutex(void* mutex) {
    if (mutex == nullptr) return;
    ::ReleaseMutex(static_cast<HANDLE>(mutex));
    ::CloseHandle(static_cast<HANDLE>(mutex));
}

int32_t OverrideCurrentUser(const char* subKey) {
    HKEY key = nullptr;
    LONG error = ::RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                   nullptr, &key, nullptr);
    if (error != ERROR_SUCCESS) return error;
    error = ::RegOverridePredefKey(HKEY_CURRENT_USER, key);
    ::RegCloseKey(key);
    return error;
}

int32_t RestoreCurrentUser() {
    return ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
}

uint32_t ReadProfile(const char* section, const char* key, const char* defaultValue, char* buffer,
                     uint32_t size, const char* fileName) {
    return ::GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}

int WriteProfile(const char* section, const char* key, const char* value, const char* fileName) {
    return ::WritePrivateProfileStringA(section, key, value, fileName);
}

intptr_t OpenWithShell(const char* operation, const char* file, const char* parameters,
                       const char* directory, int showCommand) {
    HINSTANCE result =
        ::ShellExecuteA(nullptr, operation, file, parameters, directory, showCommand);
    return reinterpret_cast<intptr_t>(result);
}

uint32_t ModuleFileName(char* buffer, uint32_t size) {
    return ::GetModuleFileNameA(nullptr, buffer, size);
}

uint32_t CurrentDirectory(uint32_t size, char* buffer) {
    return ::GetCurrentDirectoryA(size, buffer);
}

uint32_t ProcessId() {
    return ::GetCurrentProcessId();
}

std::string TempFolder() {
    char path[MAX_PATH + 1] = {};
    DWORD length = ::GetTempPathA(sizeof path, path);
    if (length == 0 || length >= sizeof path) return ".\\";
    return std::string(path, length);
}

}  // namespace winsys
