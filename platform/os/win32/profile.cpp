// Private profile files on Windows: the system's own calls. A file name without a folder
// is the system's (the Windows folder), as there.
#include "platform/os/profile.h"

#include "platform/os/win32/winsys.h"

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD size, const char* fileName) {
    if (buffer == nullptr || size == 0) return 0;
    return winsys::ReadProfile(section, key, defaultValue, buffer, size, fileName);
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
    return winsys::WriteProfile(section, key, value, fileName);
}
