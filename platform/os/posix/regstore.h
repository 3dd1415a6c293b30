// The file that holds HKEY_CURRENT_USER: <config home>/zentick/user.reg.
//
// Every read takes the file as it is on disk now; every change is made under the file's
// exclusive lock on a fresh read and written back whole (see atomicfile.h), so several
// running copies never lose each other's values and a crash never leaves half a file.
//
// The file is parsed once for as long as it stays the same: the parsed file is kept with
// the file's identity (atomicfile.h) and a hash of its text until ForgetCache. A read that
// finds the file of the same identity on disk uses it again; a change, under the lock,
// reads the file and uses it again when the text is the same. So a program that opens a
// key, reads a few values and stores a batch parses the file once, however large it is,
// and a save is one read and one write under one lock. The registry keeps the parsed
// file while keys are open and forgets it when the last one closes.
//
// Nothing fails in silence: each problem (a file that cannot be read or written, a lock
// that cannot be had, unreadable lines skipped, an unreadable file moved aside) is told on
// stderr, once (report.h).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/os/posix/regfile.h"
#include "platform/os/wintypes.h"

class TRegStore {
public:
    // The store of the current user, found from XDG_CONFIG_HOME or HOME.
    TRegStore();

    // False when neither variable names a configuration folder.
    bool Available() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }

    // The registry as the file holds it. A missing file reads as empty, and so does one
    // that cannot be read. A file that is not a registry file (regfile.h: no header)
    // or is larger than the store reads is moved aside to "user.reg.corrupt-<seconds>"
    // beside the file (beside the file a symbolic link leads to) and reads as empty. The
    // snapshot stays as it is whatever happens to the file afterwards.
    std::shared_ptr<const TRegFile> Read() const;

    // Changes the registry: creates the folder when missing, takes the lock, reads the
    // file, calls change and writes the file back (mode 0600) when change returns true.
    // Returns ERROR_SUCCESS or the failure's code; the file is then as it was. A file that
    // cannot be read, or is unreadable and cannot be moved aside, is not written over.
    LONG Update(const std::function<bool(TRegFile&)>& change) const;

    // Lets go of the parsed file kept between calls.
    static void ForgetCache();

    // Tells (once) that the settings cannot be read for want of a folder; for callers that
    // find the store not Available.
    static void ReportUnavailable();

private:
    // Reads the file into file (from the cache when it is the same file). With the lock
    // held, a file that is not a registry file is moved aside; without it, it reads as
    // empty. Returns 0 or the errno that kept the file from being read.
    int Load(std::shared_ptr<TRegFile>& file, bool locked) const;
    // Moves the unreadable file aside (under the lock); 0 or the errno of the failure.
    int MoveAside(int why) const;

    std::string dir_;
    std::string path_;
};
