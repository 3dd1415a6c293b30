// POSIX systems have one tree of folders under "/", and no drives above it.
#include "platform/os/drives.h"

std::vector<std::string> LogicalDrives() {
    return {};
}
