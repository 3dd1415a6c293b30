#include "platform/os/module.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {
// The target of /proc/self/exe. When the file was replaced or removed since the program
// started, the link ends in " (deleted)"; the path without it names the program's file
// (or its replacement) when such a file exists.
std::string ExecutablePath() {
    std::string target(256, '\0');
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", target.data(), target.size());
        if (length < 0) return {};
        if (static_cast<size_t>(length) < target.size()) {
            target.resize(static_cast<size_t>(length));
            break;
        }
        if (target.size() >= 65536) return {};
        target.resize(target.size() * 2);
    }
    constexpr std::string_view kDeleted = " (deleted)";
    struct stat st {};
    if (stat(target.c_str(), &st) != 0 && target.size() > kDeleted.size() &&
        target.compare(target.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0) {
        std::string original = target.substr(0, target.size() - kDeleted.size());
        if (stat(original.c_str(), &st) == 0) return original;
    }
    return target;
}
}  // namespace

DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
    if (module != nullptr || buffer == nullptr || size == 0) return 0;
    const std::string path = ExecutablePath();
    if (path.empty()) return 0;
    if (path.size() >= size) {
        std::memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
        return size;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

DWORD GetCurrentDirectoryA(DWORD size, char* buffer) {
    std::string dir(256, '\0');
    while (getcwd(dir.data(), dir.size()) == nullptr) {
        if (errno != ERANGE || dir.size() >= 65536) return 0;
        dir.resize(dir.size() * 2);
    }
    dir.resize(std::strlen(dir.c_str()));
    if (buffer == nullptr || dir.size() >= size) return static_cast<DWORD>(dir.size() + 1);
    std::memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<DWORD>(dir.size());
}
