// Whole-file reads and crash-safe whole-file replacement, shared by the registry file and
// profile (INI) files.
//
// A writer takes the file's lock (a TFileLock on "<file>.lock"), reads the current file,
// changes it and replaces it with WriteFileAtomic. Readers need no lock: the file is only
// ever replaced by a rename, so a reader sees either the old or the new file, never a part.
// A file that is a symbolic link is written through it: the file at the link's end is
// replaced, in its own folder, and the link stays (a dotfiles folder keeps following it).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/os/filehandle.h"
#include "platform/os/wintypes.h"

// How long a lock that another process holds is waited for, at most.
constexpr int kLockWaitMs = 1000;

// An exclusive lock (flock) on a lock file, held from construction until the object goes.
// The lock file is created with mode 0600 when missing and is never removed. Taking a lock
// that another process holds waits for it, never longer than kLockWaitMs: then the lock is
// not had and Error() is EWOULDBLOCK (a program that holds it for so long is stuck, and
// waiting on it would stop this one too).
class TFileLock {
public:
    // Locks lockPath, a file kept only for locking. A lock file that this user cannot open
    // (one left by a run of the program as another user, say under sudo) in a folder that
    // is this user's own is replaced by a new one: only this program's copies use it.
    // Locked() tells whether the lock was had.
    explicit TFileLock(const std::string& lockPath);

    // Locks the file path itself, creating it empty (mode 0600) when missing and create is
    // set (without create, a missing file gives no lock and ENOENT). Writers replace the
    // file by a rename, so the lock is taken again until it is held on the file that path
    // names now.
    static TFileLock OnFile(const std::string& path, bool create = true);

    bool Locked() const { return file_.Valid(); }
    // errno of the failure when the lock could not be had (read-only folder, no folder;
    // EISDIR or EINVAL when the path names a folder or another file that is not regular;
    // EWOULDBLOCK when another process held it all the time it was waited for).
    int Error() const { return error_; }

private:
    TFileLock() = default;
    // Opens and locks path, waiting for another holder until deadlineMs (a monotonic
    // clock's milliseconds); true when locked.
    bool LockPath(const std::string& path, int flags, int64_t deadlineMs);
    // Whether the lock is held on the file that path names now.
    bool HeldOn(const std::string& path) const;

    TFileHandle file_;
    int error_ = 0;
};

// The lock file that guards a file: the file's name with ".lock" appended.
std::string LockPathFor(const std::string& path);

// Files larger than this are not read (they are not anything this program wrote).
constexpr off_t kMaxFileSize = 4 * 1024 * 1024;

// Errno of a path that names something other than a regular file or a folder (a FIFO, a
// device, a socket).
constexpr int kNotRegularFile = EINVAL;

// Writes every byte of contents to fd, again after an interruption or a partial write.
// Returns 0, or the errno of the failure (EIO when the system takes nothing).
int WriteAll(int fd, std::string_view contents);

// What tells one version of a file from another without reading it: the file (device and
// inode; a writer's rename makes a new one), its size and its times of change.
struct TFileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    int64_t ModifiedNs = 0;
    int64_t ChangedNs = 0;
    bool operator==(const TFileIdentity&) const = default;
    static TFileIdentity Of(const struct stat& st);
};

// The identity of the file path names now (through symbolic links); nothing when there is
// none (error is then its errno).
std::optional<TFileIdentity> IdentityOf(const std::string& path, int& error);

// Reads a whole file. On failure returns nothing and sets error to the errno (ENOENT for a
// missing file, EFBIG for a file over kMaxFileSize, EISDIR for a folder, kNotRegularFile
// for anything else that is not a regular file; those are not opened at all). identity,
// when given, is set to that of the file read.
std::optional<std::string> ReadWholeFile(const std::string& path, int& error,
                                         TFileIdentity* identity = nullptr);

// The path of the file that path leads to through symbolic links: each link's target, taken
// from the link's folder when it is relative, until a path that is no link (it need not
// exist). The path itself when it is no link. Nothing after 40 links (error ELOOP) or when
// a link cannot be read (its errno).
std::optional<std::string> FollowLinks(const std::string& path, int& error);

// Replaces path with contents: writes a temporary file in the same folder, gives it mode,
// flushes it to disk, renames it over path and flushes the folder. The caller holds the
// lock of path. Temporary files that an earlier writer left when it was killed are removed
// first. Returns 0 or the errno of the step that failed; path is then unchanged. A path
// that is a symbolic link is written through (FollowLinks): the file at its end is
// replaced in that file's folder, or made there when the link leads to nothing yet. A
// path that names a folder or another file that is not regular (directly or through a
// symbolic link) is not replaced: EISDIR or kNotRegularFile.
int WriteFileAtomic(const std::string& path, std::string_view contents, mode_t mode);

// The system result code nearest to an errno value (EACCES gives ERROR_ACCESS_DENIED).
LONG ErrorFromErrno(int error);
