#include "desktop/viewdoc.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

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

enum class TTry { Missing, Opened, NoOpener };

bool IsFile(const char* path) {
    struct stat st {};
    return path != nullptr && stat(path, &st) == 0 && !S_ISDIR(st.st_mode);
}

// Tries fileName in directory: whether it is there, and whether the opener took it.
TTry TryIn(const char* directory, const char* fileName, char (&path)[kDocPathSize]) {
    if (!MakeDocPath(directory, fileName, path) || !IsFile(path)) return TTry::Missing;
    const auto result = reinterpret_cast<intptr_t>(
        ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32 ? TTry::Opened : TTry::NoOpener;
}

// The data folders of the XDG base directories, most important first, each with the
// program's folder ("zentick") appended: $XDG_DATA_HOME (or ~/.local/share), then each
// folder of $XDG_DATA_DIRS (or /usr/local/share and /usr/share). Relative folders are
// not taken, as the XDG rules ask.
std::vector<std::string> XdgDataPlaces() {
    std::vector<std::string> places;
    auto add = [&places](const std::string& folder) {
        if (!folder.empty() && folder[0] == '/') places.push_back(folder + "/zentick");
    };
    const char* home = std::getenv("XDG_DATA_HOME");
    if (home != nullptr && home[0] != '\0') {
        add(home);
    } else if (const char* user = std::getenv("HOME"); user != nullptr && user[0] != '\0') {
        add(std::string(user) + "/.local/share");
    }
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    const std::string list =
        dirs != nullptr && dirs[0] != '\0' ? dirs : "/usr/local/share/:/usr/share/";
    size_t start = 0;
    while (start <= list.size()) {
        size_t colon = list.find(':', start);
        if (colon == std::string::npos) colon = list.size();
        std::string folder = list.substr(start, colon - start);
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        add(folder);
        start = colon + 1;
    }
    return places;
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
    if (!IsFile(path)) return 0;
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
    // Each place is tried with both names before the next place; the search ends at the
    // first file found, opened or not.
    TTry found = TTry::Missing;
    char path[kDocPathSize] = {};
    auto tryPlace = [&](const char* place) {
        for (int i = 0; i < 2 && found == TTry::Missing; ++i) {
            if (named[i]) found = TryIn(place, names[i], path);
        }
        return found != TTry::Missing;
    };
    auto search = [&] {
        if (tryPlace(directory) || tryPlace("")) return;
        char exeDir[kDocPathSize];
        const bool haveExeDir = ExecutableDir(exeDir);
        if (haveExeDir && tryPlace(exeDir)) return;
        for (const std::string& place : XdgDataPlaces())
            if (tryPlace(place.c_str())) return;
        if (InstalledDir()[0] != '\0' && tryPlace(InstalledDir())) return;
        if (haveExeDir && ZT_RELATIVE_DATA_DIR[0] != '\0') {
            char beside[kDocPathSize];
            if (MakeDocPath(exeDir, ZT_RELATIVE_DATA_DIR, beside)) tryPlace(beside);
        }
    };
    search();

    if (found == TTry::Opened) return 1;
    if (quiet == 0) {
        if (found == TTry::Missing) {
            MessageBoxA(nullptr, "Unable to find documentation", "error", MB_OK);
        } else {
            MessageBoxA(nullptr,
                        std::string("Unable to show documentation: no program to open web pages "
                                    "was found (xdg-open, from the xdg-utils package).\n\n"
                                    "The manual is ") +
                            path,
                        "error", MB_OK);
        }
    }
    return 0;
}
