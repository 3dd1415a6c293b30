#include "platform/os/posix/atomicfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/os/path.h"

namespace {
// 0 for a regular file; EISDIR for a folder; kNotRegularFile for anything else.
int RegularFileError(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return 0;
    return S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
}

// Opens path without ever waiting: O_NONBLOCK keeps the open of a FIFO without a writer
// (or of a device) from blocking. The descriptor is only kept for a regular file; error
// is then 0, otherwise the errno.
TFileHandle OpenRegular(const std::string& path, int flags, int& error) {
    TFileHandle file(::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600));
    struct stat st {};
    if (!file.Valid() || ::fstat(file.Get(), &st) != 0) {
        error = errno;
        return {};
    }
    if ((error = RegularFileError(st)) != 0) return {};
    return file;
}

int64_t MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Pauses the calling thread for ms milliseconds (again after a signal).
void PauseMs(int64_t ms) {
    timespec wait{time_t(ms / 1000), long(ms % 1000) * 1000000};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

// Replaces a lock file this user cannot open by an empty one of this user's, when the
// folder it lives in is this user's: nothing else is kept in a lock file, and only this
// program's copies use it. True when replaced.
bool ReplaceLockFile(const std::string& path) {
    const std::string dir = FolderOfPath(path);
    struct stat folder {};
    if (::stat(dir.c_str(), &folder) != 0 || folder.st_uid != ::geteuid()) return false;
    std::string tempPath = JoinPath(dir, "." + NameOfPath(path) + ".new-XXXXXX");
    TFileHandle temp(::mkostemp(tempPath.data(), O_CLOEXEC));
    if (!temp.Valid()) return false;
    const bool replaced =
        ::fchmod(temp.Get(), 0600) == 0 && ::rename(tempPath.c_str(), path.c_str()) == 0;
    if (!replaced) ::unlink(tempPath.c_str());
    return replaced;
}
}  // namespace

// A read-only descriptor is enough for flock, and opens a lock file of mode 0444 too.
TFileLock::TFileLock(const std::string& lockPath) {
    const int64_t deadline = MonotonicMs() + kLockWaitMs;
    bool replaced = false;
    // A lock file replaced while it was being locked (see ReplaceLockFile) is locked again.
    while (!LockPath(lockPath, O_RDONLY | O_CREAT, deadline) || !HeldOn(lockPath)) {
        if (Locked()) {
            file_.Close();
            error_ = EWOULDBLOCK;
            if (MonotonicMs() >= deadline) return;
            continue;
        }
        if ((error_ != EACCES && error_ != EPERM) || replaced) return;
        if (!ReplaceLockFile(lockPath)) return;
        replaced = true;
    }
}

bool TFileLock::LockPath(const std::string& path, int flags, int64_t deadlineMs) {
    file_.Close();
    TFileHandle file = OpenRegular(path, flags, error_);
    if (!file.Valid()) return false;
    // The pauses between tries grow from 1 ms to 16 ms: a save holds the lock for a few
    // milliseconds, and a waiter should not keep a core busy.
    int64_t pause = 1;
    while (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) {
            error_ = errno;
            return false;
        }
        const int64_t left = deadlineMs - MonotonicMs();
        if (left <= 0) {
            error_ = EWOULDBLOCK;
            return false;
        }
        PauseMs(std::min(pause, left));
        pause = std::min<int64_t>(pause * 2, 16);
    }
    error_ = 0;
    file_ = std::move(file);
    return true;
}

bool TFileLock::HeldOn(const std::string& path) const {
    struct stat held {};
    struct stat named {};
    return ::fstat(file_.Get(), &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

TFileLock TFileLock::OnFile(const std::string& path, bool create) {
    TFileLock lock;
    const int64_t deadline = MonotonicMs() + kLockWaitMs;
    while (lock.LockPath(path, O_RDONLY | (create ? O_CREAT : 0), deadline) && !lock.HeldOn(path)) {
    }
    return lock;
}

std::string LockPathFor(const std::string& path) {
    return path + ".lock";
}

TFileIdentity TFileIdentity::Of(const struct stat& st) {
    auto ns = [](const timespec& t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return {st.st_dev, st.st_ino, st.st_size, ns(st.st_mtim), ns(st.st_ctim)};
}

std::optional<TFileIdentity> IdentityOf(const std::string& path, int& error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = errno;
        return std::nullopt;
    }
    error = 0;
    return TFileIdentity::Of(st);
}

std::optional<std::string> ReadWholeFile(const std::string& path, int& error,
                                         TFileIdentity* identity) {
    error = 0;
    // The type is looked at before the file is opened, so that no device is opened at all;
    // the descriptor's own type is checked again in case the path changed in between.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = errno;
        return std::nullopt;
    }
    if ((error = RegularFileError(st)) != 0) return std::nullopt;
    TFileHandle file = OpenRegular(path, O_RDONLY, error);
    if (!file.Valid()) return std::nullopt;
    if (identity != nullptr && ::fstat(file.Get(), &st) == 0) *identity = TFileIdentity::Of(st);
    std::string contents;
    char chunk[16384];
    for (;;) {
        ssize_t got = ::read(file.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = errno;
            return std::nullopt;
        }
        if (got == 0) break;
        if (static_cast<off_t>(contents.size()) + got > kMaxFileSize) {
            error = EFBIG;
            return std::nullopt;
        }
        contents.append(chunk, static_cast<size_t>(got));
    }
    return contents;
}

std::optional<std::string> FollowLinks(const std::string& path, int& error) {
    error = 0;
    std::string current = path;
    for (int links = 0;; ++links) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        if (links == 40) {
            error = ELOOP;
            return std::nullopt;
        }
        std::vector<char> target(PATH_MAX);
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || size_t(length) >= target.size()) {
            error = length < 0 ? errno : ENAMETOOLONG;
            return std::nullopt;
        }
        std::string next(target.data(), size_t(length));
        current = next.front() == '/' ? next : JoinPath(FolderOfPath(current), next);
    }
}

int WriteAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        ssize_t put = ::write(fd, contents.data(), contents.size());
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return errno;
        if (put == 0) return EIO;  // no progress: never loop on it
        contents.remove_prefix(static_cast<size_t>(put));
    }
    return 0;
}

namespace {
// Removes "<name>.tmp-*" files in the folder; only a writer holding the lock calls this,
// so none of them is being written.
void RemoveStaleTemporaries(const std::string& dir, const std::string& prefix) {
    DIR* listing = ::opendir(dir.c_str());
    if (listing == nullptr) return;
    std::vector<std::string> stale;
    while (dirent* entry = ::readdir(listing)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0) {
            stale.emplace_back(entry->d_name);
        }
    }
    ::closedir(listing);
    for (const std::string& name : stale)
        ::unlink(JoinPath(dir, name).c_str());
}
}  // namespace

int WriteFileAtomic(const std::string& linkOrFile, std::string_view contents, mode_t mode) {
    int error = 0;
    const std::optional<std::string> target = FollowLinks(linkOrFile, error);
    if (!target) return error;
    const std::string& path = *target;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (int odd = RegularFileError(st)) return odd;
    }
    const std::string dir = FolderOfPath(path);
    const std::string prefix = NameOfPath(path) + ".tmp-";
    RemoveStaleTemporaries(dir, prefix);

    std::string tempPath = JoinPath(dir, prefix + "XXXXXX");
    TFileHandle temp(::mkostemp(tempPath.data(), O_CLOEXEC));
    if (!temp.Valid()) return errno;
    if (::fchmod(temp.Get(), mode) != 0) error = errno;
    if (error == 0) error = WriteAll(temp.Get(), contents);
    if (error == 0 && ::fsync(temp.Get()) != 0) error = errno;
    if (error == 0 && ::close(temp.Release()) != 0) error = errno;
    if (error == 0 && ::rename(tempPath.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(tempPath.c_str());
        return error;
    }
    TFileHandle folder(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Valid()) ::fsync(folder.Get());
    return 0;
}

LONG ErrorFromErrno(int error) {
    switch (error) {
        case 0:
            return ERROR_SUCCESS;
        case EACCES:
        case EPERM:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case ENOENT:
        case ENOTDIR:
        case ELOOP:
        case ENAMETOOLONG:
            return ERROR_PATH_NOT_FOUND;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        default:
            return ERROR_GEN_FAILURE;
    }
}
