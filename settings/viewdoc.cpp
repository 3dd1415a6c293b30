#include "settings/viewdoc.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "platform/os/module.h"
#include "platform/os/shell.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/winapi.h"

#ifndef ZT_INSTALLED_DATA_DIR
#define ZT_INSTALLED_DATA_DIR ""
#endif
#ifndef ZT_RELATIVE_DATA_DIR
#define ZT_RELATIVE_DATA_DIR ""
#endif

namespace {
// The file-name patterns, best first.
constexpr const char* kPatterns[] = {"%s.html", "%s.htm"};

std::string& InstalledDirOverride() {
    static std::string directory;
    return directory;
}

const char* InstalledDir() {
    return InstalledDirOverride().empty() ? ZT_INSTALLED_DATA_DIR : InstalledDirOverride().c_str();
}

// The folder of the running executable, without its trailing "/" (but "/" itself for a
// program in the root folder). False when the path cannot be read whole.
bool ExecutableDir(char (&directory)[kDocPathSize]) {
    DWORD length = GetModuleFileNameA(nullptr, directory, kDocPathSize);
    if (length == 0 || length >= kDocPathSize) return false;
    char* slash = std::strrchr(directory, '/');
    if (slash == nullptr) return false;
    slash[slash == directory ? 1 : 0] = '\0';
    return true;
}

// Tries fileName in directory; 1 when it was found and opened.
int TryIn(const char* directory, const char* fileName) {
    char path[kDocPathSize];
    if (!MakeDocPath(directory, fileName, path)) return 0;
    return OpenDocIfExists(path);
}
}  // namespace

void SetInstalledDocDirectory(std::string directory) {
    InstalledDirOverride() = std::move(directory);
}

bool MakeDocPath(const char* directory, const char* fileName, char (&path)[kDocPathSize]) {
    path[0] = '\0';
    if (directory == nullptr) directory = "";
    if (fileName == nullptr) fileName = "";
    const std::size_t dirLength = std::strlen(directory);
    const bool separator = dirLength > 0 && directory[dirLength - 1] != '/';
    const std::size_t length = dirLength + (separator ? 1 : 0) + std::strlen(fileName);
    if (length >= kDocPathSize) return false;
    std::memcpy(path, directory, dirLength);
    std::size_t at = dirLength;
    if (separator) path[at++] = '/';
    std::memcpy(path + at, fileName, std::strlen(fileName) + 1);
    return true;
}

int OpenDocIfExists(const char* path) {
    struct stat st {};
    if (path == nullptr || stat(path, &st) != 0 || S_ISDIR(st.st_mode)) return 0;
    ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
    return 1;
}

int ViewDoc(const char* baseName, const char* directory, int quiet) {
    if (baseName == nullptr) baseName = "";
    char names[2][kDocPathSize];
    bool named[2];
    for (int i = 0; i < 2; ++i) {
        int length = std::snprintf(names[i], kDocPathSize, kPatterns[i], baseName);
        named[i] = length > 0 && static_cast<std::size_t>(length) < kDocPathSize;
    }
    // Each place is tried with both names before the next place.
    auto tryPlace = [&](const char* place) {
        for (int i = 0; i < 2; ++i) {
            if (named[i] && TryIn(place, names[i]) != 0) return true;
        }
        return false;
    };

    if (tryPlace(directory)) return 1;
    if (tryPlace("")) return 1;
    char exeDir[kDocPathSize];
    const bool haveExeDir = ExecutableDir(exeDir);
    if (haveExeDir && tryPlace(exeDir)) return 1;
    if (InstalledDir()[0] != '\0' && tryPlace(InstalledDir())) return 1;
    if (haveExeDir && ZT_RELATIVE_DATA_DIR[0] != '\0') {
        char beside[kDocPathSize];
        if (MakeDocPath(exeDir, ZT_RELATIVE_DATA_DIR, beside) && tryPlace(beside)) return 1;
    }

    if (quiet == 0) MessageBoxA(nullptr, "Unable to find documentation", "error", MB_OK);
    return 0;
}
