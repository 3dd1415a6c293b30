// The system calls behind the Windows services, with plain types.
//
// The services keep the system's names (RegCreateKeyExA, ShellExecuteA, ...) with the
// types of platform/os/wintypes.h, which differ from those of <windows.h> (DWORD is
// uint32_t here, unsigned long there). So the files that define those names never include
// <windows.h>: they call these functions, which winsys.cpp implements with the real ones.
// Sizes and types are 32-bit unsigned, results the system's error codes, registry keys the
// system's handles as opaque pointers.
#pragma once

#include <cstdint>
#include <string>

namespace winsys {

// Registry ---------------------------------------------------------------------------------

// The system's HKEY_CURRENT_USER.
void* CurrentUserKey();

int32_t CreateKey(void* key, const char* subKey, const char* keyClass, uint32_t options,
                  uint32_t access, void** result, uint32_t* disposition);
// Opens subKey below key (null or "" opens a new handle to key itself), for reading and
// writing where allowed, else for reading.
int32_t OpenKey(void* key, const char* subKey, void** result);
// Reads a value into data (size bytes) when it fits. type and size are always set on
// success and on ERROR_MORE_DATA (the size needed); data is then not written.
int32_t QueryValue(void* key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size);
int32_t SetValue(void* key, const char* name, uint32_t type, const uint8_t* data, uint32_t size);
int32_t DeleteValue(void* key, const char* name);
int32_t CloseKey(void* key);
// Removes subKey of key with everything below it (for tests and clean-up).
int32_t DeleteTree(void* key, const char* subKey);

// A mutex that every program of the user's session shares by its name: Acquire waits at
// most timeoutMs for another holder and returns it held (null when it was not had, or
// cannot be made); Release gives it back and closes it.
void* AcquireSessionMutex(const char* name, uint32_t timeoutMs);
void ReleaseSessionMutex(void* mutex);

// For tests: makes HKEY_CURRENT_USER of this process stand for subKey of the real one
// (created when missing), so that nothing a test writes reaches the user's own keys.
// Restore undoes it. Both return the system's result.
int32_t OverrideCurrentUser(const char* subKey);
int32_t RestoreCurrentUser();

// Profile files ----------------------------------------------------------------------------

uint32_t ReadProfile(const char* section, const char* key, const char* defaultValue, char* buffer,
                     uint32_t size, const char* fileName);
int WriteProfile(const char* section, const char* key, const char* value, const char* fileName);

// Shell and process ------------------------------------------------------------------------

// ShellExecuteA with no owner window; the result as the system returns it (above 32 is
// success).
intptr_t OpenWithShell(const char* operation, const char* file, const char* parameters,
                       const char* directory, int showCommand);
// The running program's path (GetModuleFileNameA with no module).
uint32_t ModuleFileName(char* buffer, uint32_t size);
uint32_t CurrentDirectory(uint32_t size, char* buffer);
uint32_t ProcessId();
// A folder for temporary files, ending in a backslash.
std::string TempFolder();

}  // namespace winsys
