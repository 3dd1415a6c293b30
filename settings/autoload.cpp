#include "settings/autoload.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/os/cmdline.h"
#include "platform/os/module.h"

namespace {
constexpr DWORD kPathSize = 1024;
}  // namespace

LONG SetAutoLoad(int enable, const char* valueName) {
    HKEY key = nullptr;
    if (LONG error = RegOpenKeyA(HKEY_CURRENT_USER, kRunSubKey, &key); error != ERROR_SUCCESS) {
        return error;
    }
    if (enable != 0) {
        char path[kPathSize];
        DWORD length = GetModuleFileNameA(nullptr, path, kPathSize);
        if (length > 0 && length < kPathSize) {
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
