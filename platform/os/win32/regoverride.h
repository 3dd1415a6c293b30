// For tests on Windows: HKEY_CURRENT_USER of the process stands for a key of its own
// (HKCU\Software\ZentickTest\<process id>) while the object lives; the key is removed
// afterwards. So the tests use the system's real registry without touching the user's.
#pragma once

#include <cstdio>
#include <string>

#include "platform/os/win32/winsys.h"

namespace ztest {

class TCurrentUserOverride {
public:
    TCurrentUserOverride() {
        char name[64];
        std::snprintf(name, sizeof name, "Software\\ZentickTest\\%lu",
                      static_cast<unsigned long>(winsys::ProcessId()));
        path_ = name;
        winsys::DeleteTree(winsys::CurrentUserKey(), path_.c_str());
        ok_ = winsys::OverrideCurrentUser(path_.c_str()) == 0;
    }
    ~TCurrentUserOverride() {
        winsys::RestoreCurrentUser();
        winsys::DeleteTree(winsys::CurrentUserKey(), path_.c_str());
    }
    TCurrentUserOverride(const TCurrentUserOverride&) = delete;
    TCurrentUserOverride& operator=(const TCurrentUserOverride&) = delete;

    // Whether the system took the override (if not, tests must not go on).
    bool Active() const { return ok_; }
    // The real key that stands for HKEY_CURRENT_USER, below the real one.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool ok_ = false;
};

}  // namespace ztest
