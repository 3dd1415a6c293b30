// The file that holds HKEY_CURRENT_USER: <config home>/zentick/user.reg.
//
// Every read takes the file as it is on disk now; every change is made under the file's
// exclusive lock on a fresh read and written back whole (see atomicfile.h), so several
// running copies never lose each other's values and a crash never leaves half a file.
#pragma once

#include <functional>
#include <string>

#include "platform/os/regfile.h"
#include "platform/os/wintypes.h"

class TRegStore {
public:
    // The store of the current user, found from XDG_CONFIG_HOME or HOME.
    TRegStore();

    // False when neither variable names a configuration folder.
    bool Available() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }

    // The registry as the file holds it. A missing or unreadable file reads as empty. A
    // file that cannot be parsed is moved aside to "user.reg.corrupt-<seconds>" (when the
    // folder allows it) and reads as empty.
    TRegFile Read() const;

    // Changes the registry: creates the folder when missing, takes the lock, reads the
    // file, calls change and writes the file back (mode 0600) when change returns true.
    // Returns ERROR_SUCCESS or the failure's code; the file is then as it was.
    LONG Update(const std::function<bool(TRegFile&)>& change) const;

private:
    // Called with the lock held: reads the file, moving an unparsable one aside.
    LONG ReadLocked(TRegFile& file) const;
    std::string dir_;
    std::string path_;
};
