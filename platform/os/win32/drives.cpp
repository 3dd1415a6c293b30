// The drives of Windows: GetLogicalDriveStringsA, one root folder ("C:\") a drive. This
// file includes <windows.h> and none of the services that reuse the system's names.
#include <windows.h>

#include "platform/os/drives.h"

std::vector<std::string> LogicalDrives() {
    std::vector<char> text(256);
    DWORD length = GetLogicalDriveStringsA(DWORD(text.size()), text.data());
    if (length >= text.size()) {  // the size needed: the drives changed or are many
        text.resize(length + 1);
        length = GetLogicalDriveStringsA(DWORD(text.size()), text.data());
        if (length >= text.size()) return {};
    }
    // The roots follow each other, each ended by a zero.
    std::vector<std::string> drives;
    for (const char* root = text.data(); *root; root += drives.back().size() + 1)
        drives.emplace_back(root);
    return drives;
}
