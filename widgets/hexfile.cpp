#include "widgets/hexfile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/os/atomicfile.h"

namespace {

// Reads up to size bytes; returns how many arrived before the end or an error.
size_t ReadFully(int fd, uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        size_t chunk = std::min<size_t>(size - done, size_t(1) << 30);
        ssize_t got = ::read(fd, data + done, chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += size_t(got);
    }
    return done;
}

}  // namespace

bool TPageBuffer::Allocate(size_t size) {
    Free();
    if (size == 0) return true;
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return false;
#ifdef MADV_HUGEPAGE
    // Large files fill their pages faster in huge pages.
    if (size >= (size_t(2) << 20)) ::madvise(p, size, MADV_HUGEPAGE);
#endif
    data_ = static_cast<uint8_t*>(p);
    size_ = size;
    mapped_ = size;
    return true;
}

void TPageBuffer::Free() {
    if (data_ && mapped_) ::munmap(data_, mapped_);
    data_ = nullptr;
    size_ = 0;
    mapped_ = 0;
}

int ReadFileToBuffer(const std::string& path, TPageBuffer& buffer, size_t& length) {
    // Without blocking: opening a pipe that nobody writes to must not hang the editor.
    TFileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    // Only a regular file has a size to load (and can be saved back the same way).
    if (!file.Valid() || ::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return hfCannotOpen;
    size_t want = size_t(st.st_size);
    TPageBuffer fresh;
    if (!fresh.Allocate(want)) return hfNoMemory;
    size_t got = ReadFully(file.Get(), fresh.Data(), want);
    buffer = std::move(fresh);
    length = got;
    return got == want ? hfDone : hfShortRead;
}

int WriteFileReplacing(const std::string& path, const uint8_t* data, size_t size) {
    if (path.empty()) return hfCannotOpen;
    std::string target = path;
    struct stat old {};
    bool exists = ::stat(path.c_str(), &old) == 0;
    mode_t mode;
    if (exists) {
        if (!S_ISREG(old.st_mode)) return hfCannotOpen;
        // A file that may not be written is not replaced either.
        if (::access(path.c_str(), W_OK) != 0) return hfCannotOpen;
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                         &std::free);
        if (real) target = real.get();
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const std::string folder = DirectoryOf(target);
    std::string tempPath = folder + "/." + BaseNameOf(target) + ".XXXXXX";
    TFileHandle temp(::mkostemp(tempPath.data(), O_CLOEXEC));
    if (!temp.Valid()) return hfCannotOpen;
    bool written = ::fchmod(temp.Get(), mode) == 0;
    if (written && exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        // Only the owner's privileges allow this; the mode is kept either way.
        if (::fchown(temp.Get(), old.st_uid, old.st_gid) != 0) {
        }
    }
    written = written && WriteAll(temp.Get(), {reinterpret_cast<const char*>(data), size}) == 0;
    written = written && ::fsync(temp.Get()) == 0;
    written = written && ::close(temp.Release()) == 0;
    written = written && ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (!written) {
        ::unlink(tempPath.c_str());
        return hfShortWrite;
    }
    TFileHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) ::fsync(dir.Get());
    return hfDone;
}
