#include "platform/os/statedir.h"

#include <cstdlib>

#include "platform/os/path.h"

namespace {
std::string AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}
}  // namespace

std::string StateFolder(const std::string& name) {
    std::string home = AbsoluteEnv("XDG_STATE_HOME");
    if (home.empty()) {
        home = AbsoluteEnv("HOME");
        if (home.empty()) return {};
        while (home.size() > 1 && home.back() == '/')
            home.pop_back();
        home = (home == "/" ? "" : home) + "/.local/state";
    }
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return JoinPath(home, name);
}
