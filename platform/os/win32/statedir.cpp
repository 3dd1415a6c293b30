// The state folder on Windows (platform/os/statedir.h): %LOCALAPPDATA%\<name>. This file
// includes <windows.h> and none of platform/ui.
#include "platform/os/statedir.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

std::string StateFolder(const std::string& name) {
    wchar_t value[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", value, DWORD(MAX_PATH * 2));
    if (n == 0 || n >= MAX_PATH * 2) return {};
    int length = WideCharToMultiByte(CP_UTF8, 0, value, int(n), nullptr, 0, nullptr, nullptr);
    std::string folder(size_t(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, value, int(n), folder.data(), length, nullptr, nullptr);
    return folder + "\\" + name;
}
