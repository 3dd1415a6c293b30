#include "platform/os/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/os/path.h"

namespace {

// read() and write() move at most this much at a time.
constexpr size_t kChunk = size_t(1) << 30;

int Fd(intptr_t handle) {
    return int(handle);
}

TFileError Errno() {
    return FileErrorFromSystem(errno);
}

TFileError KindError(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return {};
    return {S_ISDIR(st.st_mode) ? feIsFolder : feNotRegular, 0};
}

TFileIdentity IdentityOf(const struct stat& st) {
    TFileIdentity id;
    id.Device = uint64_t(st.st_dev);
    id.Inode = uint64_t(st.st_ino);
    id.Size = int64_t(st.st_size);
    id.ModifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return id;
}

}  // namespace

TFileError FileErrorFromSystem(int code) {
    switch (code) {
        case 0:
            return {};
        case ENOENT:
        case ENOTDIR:
            return {feNoSuchFile, code};
        case EISDIR:
            return {feIsFolder, code};
        case ENXIO:
        case ENODEV:
            return {feNotRegular, code};
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return {feAccessDenied, code};
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return {feNoSpace, code};
        case ENOMEM:
            return {feNoMemory, code};
        case EEXIST:
            return {feExists, code};
        default:
            return {feOther, code};
    }
}

std::string SystemErrorText(int code) {
    char buffer[256] = {};
    // The GNU strerror_r returns its text, which need not be in buffer.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    return text && *text ? text : "Error " + std::to_string(code);
}

TRawFile::TRawFile(TRawFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

TRawFile& TRawFile::operator=(TRawFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

bool TRawFile::IsOpen() const {
    return handle_ >= 0;
}

TFileError TRawFile::Open(const std::string& path, bool writable) {
    Close();
    if (path.empty()) return {feNoSuchFile, ENOENT};
    // O_NONBLOCK: opening a FIFO that nobody writes to must not wait. The type is looked
    // at before, so that no device is opened at all, and again on what was opened.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Errno();
    if (TFileError e = KindError(st)) return e;
    int fd =
        ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return Errno();
    TFileError e = ::fstat(fd, &st) != 0 ? Errno() : KindError(st);
    if (e) {
        ::close(fd);
        return e;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    handle_ = fd;
    return {};
}

TFileError TRawFile::Create(const std::string& path) {
    Close();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return Errno();
    handle_ = fd;
    return {};
}

TFileError TRawFile::ReadAt(int64_t offset, void* data, size_t size, size_t& got) const {
    got = 0;
    auto* out = static_cast<uint8_t*>(data);
    while (got < size) {
        ssize_t n = ::pread(Fd(handle_), out + got, std::min(size - got, kChunk),
                            off_t(offset + int64_t(got)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Errno();
        if (n == 0) break;
        got += size_t(n);
    }
    return {};
}

TFileError TRawFile::WriteAt(int64_t offset, const void* data, size_t size) {
    const auto* in = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::pwrite(Fd(handle_), in + done, std::min(size - done, kChunk),
                             off_t(offset + int64_t(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Errno();
        if (n == 0) return {feNoSpace, ENOSPC};  // no progress: never loop on it
        done += size_t(n);
    }
    return {};
}

TFileError TRawFile::Sync() {
    while (::fsync(Fd(handle_)) != 0) {
        if (errno != EINTR) return Errno();
    }
    return {};
}

TFileError TRawFile::Resize(int64_t size) {
    while (::ftruncate(Fd(handle_), off_t(size)) != 0) {
        if (errno != EINTR) return Errno();
    }
    return {};
}

TFileError TRawFile::Identity(TFileIdentity& identity) const {
    struct stat st {};
    if (::fstat(Fd(handle_), &st) != 0) return Errno();
    identity = IdentityOf(st);
    return {};
}

TFileError TRawFile::Close() {
    if (handle_ < 0) return {};
    int fd = Fd(std::exchange(handle_, -1));
    // The descriptor is gone after close() whatever it returns; EINTR is no failure.
    if (::close(fd) != 0 && errno != EINTR) return Errno();
    return {};
}

TPathKind KindOfPath(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return TPathKind::Missing;
    if (S_ISREG(st.st_mode)) return TPathKind::Regular;
    return S_ISDIR(st.st_mode) ? TPathKind::Folder : TPathKind::Other;
}

TFileError IdentityOfPath(const std::string& path, TFileIdentity& identity) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Errno();
    identity = IdentityOf(st);
    return {};
}

std::string ResolvePath(const std::string& path) {
    if (path.empty()) return path;
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (real) return real.get();
    std::unique_ptr<char, decltype(&std::free)> folder(
        ::realpath(FolderOfPath(path).c_str(), nullptr), &std::free);
    return folder ? JoinPath(folder.get(), NameOfPath(path)) : path;
}

TFileError RemoveFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) return Errno();
    return {};
}

TFileError RenameOver(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return Errno();
    SyncFolder(FolderOfPath(to));
    return {};
}

void SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

TFileError MakeFolders(const std::string& path) {
    if (path.empty()) return {feNoSuchFile, ENOENT};
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? TFileError{} : TFileError{feNoSuchFile, ENOTDIR};
    if (errno != ENOENT) return Errno();
    std::string parent = FolderOfPath(path);
    if (parent != path && parent != "." && parent != "/") {
        if (TFileError e = MakeFolders(parent)) return e;
    }
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return Errno();
    return {};
}
