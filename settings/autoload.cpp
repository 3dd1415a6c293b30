#include "settings/autoload.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/os/cmdline.h"
#include "platform/os/module.h"

namespace {
constexpr DWORD kPathSize = 1024;

// Whether path names a program that can be started: a regular file with execute
// permission. The path of a program whose file was removed while it runs names none.
bool IsProgramFile(const char* path) {
    struct stat st {};
    return stat(path, &st) == 0 && S_ISREG(st.st_mode) && access(path, X_OK) == 0;
}
}  // namespace

LONG SetAutoLoad(int enable, const char* valueName) {
    HKEY key = nullptr;
    if (LONG error = RegOpenKeyA(HKEY_CURRENT_USER, kRunSubKey, &key); error != ERROR_SUCCESS) {
        return error;
    }
    if (enable != 0) {
        char path[kPathSize];
        DWORD length = GetModuleFileNameA(nullptr, path, kPathSize);
        if (length > 0 && length < kPathSize && IsProgramFile(path)) {
            // The path goes between quotes as it is, unless it holds a quote or ends in a
            // backslash, which the command-line rules need escaped.
            const std::string quoted = EscapeInQuotes(path);
            char command[kPathSize];
            int size =
                std::snprintf(command, sizeof command, "\"%s\" -autominimize", quoted.c_str());
            if (size > 0 && static_cast<size_t>(size) < sizeof command) {
                RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                               static_cast<DWORD>(size) + 1);
            }
        }
    } else {
        RegDeleteValueA(key, valueName);
    }
    return RegCloseKey(key);
}
