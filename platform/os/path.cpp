#include "platform/os/path.h"

namespace {

#ifdef _WIN32
constexpr bool kDrives = true;
#else
constexpr bool kDrives = false;
#endif

bool IsDrive(const std::string& path) {
    return kDrives && path.size() == 2 && path[1] == ':';
}

// Where the last part of a path starts: after its last separator, or after a drive.
size_t NameStart(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1])) return i;
    return kDrives && path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

}  // namespace

bool IsPathSeparator(char c) {
    return c == '/' || c == kPathSeparator;
}

std::string FolderOfPath(const std::string& path) {
    const size_t start = NameStart(path);
    if (start == 0) return ".";
    std::string folder = path.substr(0, start);
    // A root ("/", "\", "C:\") keeps its separator; "/a/" becomes "/a".
    const bool root = folder.size() == 1 || (folder.size() == 3 && IsDrive(folder.substr(0, 2)));
    if (!root && IsPathSeparator(folder.back())) folder.pop_back();
    return folder;
}

std::string NameOfPath(const std::string& path) {
    return path.substr(NameStart(path));
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (IsPathSeparator(folder.back()) || (kDrives && folder.back() == ':')) return folder + name;
    return folder + kPathSeparator + name;
}
