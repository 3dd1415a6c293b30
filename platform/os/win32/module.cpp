// The program's file and the current folder on Windows: the system's own calls.
#include "platform/os/module.h"

#include <cstring>

#include "platform/os/win32/winsys.h"

DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
    if (module != nullptr || buffer == nullptr || size == 0) return 0;
    DWORD length = winsys::ModuleFileName(buffer, size);
    // A path that does not fit is cut and terminated, and reported as size.
    if (length >= size) {
        buffer[size - 1] = '\0';
        return size;
    }
    return length;
}

DWORD GetCurrentDirectoryA(DWORD size, char* buffer) {
    if (buffer == nullptr) size = 0;
    return winsys::CurrentDirectory(size, buffer);
}
