#include "platform/os/posix/configdir.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "platform/os/path.h"

namespace {
std::optional<std::string> AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return std::nullopt;
    return std::string(value);
}
}  // namespace

std::optional<std::string> UserConfigHome() {
    if (auto config = AbsoluteEnv("XDG_CONFIG_HOME")) return config;
    if (auto home = AbsoluteEnv("HOME")) {
        if (home->size() > 1 && home->back() == '/') home->pop_back();
        return *home == "/" ? std::string("/.config") : *home + "/.config";
    }
    return std::nullopt;
}

std::optional<std::string> ProgramConfigDir() {
    auto home = UserConfigHome();
    if (!home) return std::nullopt;
    return *home + "/zentick";
}

int MakeDirectories(const std::string& path) {
    if (path.empty()) return ENOENT;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT) return errno;
    if (std::string parent = FolderOfPath(path); parent != path && parent != ".") {
        if (int error = MakeDirectories(parent)) return error;
    }
    if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) {
        if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return 0;
        return ENOTDIR;
    }
    return errno;
}
