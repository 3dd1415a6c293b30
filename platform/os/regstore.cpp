#include "platform/os/regstore.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/os/atomicfile.h"
#include "platform/os/configdir.h"

namespace {
// Renames an unparsable file to "<path>.corrupt-<seconds>[-n]", never over another one.
void MoveAside(const std::string& path) {
    std::string aside =
        path + ".corrupt-" + std::to_string(static_cast<long long>(std::time(nullptr)));
    std::string candidate = aside;
    struct stat st {};
    for (int n = 1; lstat(candidate.c_str(), &st) == 0; ++n) {
        candidate = aside + "-" + std::to_string(n);
    }
    std::rename(path.c_str(), candidate.c_str());
}
}  // namespace

TRegStore::TRegStore() {
    if (auto dir = ProgramConfigDir()) {
        dir_ = *dir;
        path_ = dir_ + "/user.reg";
    }
}

TRegFile TRegStore::Read() const {
    if (!Available()) return {};
    int error = 0;
    std::optional<std::string> text = ReadWholeFile(path_, error);
    if (!text) {
        // Too large to be ours: treat it like any other unparsable file.
        if (error != EFBIG) return {};
    } else if (auto file = TRegFile::Parse(*text)) {
        return std::move(*file);
    }
    TFileLock lock(LockPathFor(path_));
    if (!lock.Locked()) return {};
    TRegFile file;
    ReadLocked(file);
    return file;
}

LONG TRegStore::ReadLocked(TRegFile& file) const {
    int error = 0;
    std::optional<std::string> text = ReadWholeFile(path_, error);
    if (!text && error == ENOENT) {
        file = TRegFile();
        return ERROR_SUCCESS;
    }
    if (!text && error != EFBIG) return ErrorFromErrno(error);
    if (text) {
        if (auto parsed = TRegFile::Parse(*text)) {
            file = std::move(*parsed);
            return ERROR_SUCCESS;
        }
    }
    MoveAside(path_);
    file = TRegFile();
    return ERROR_SUCCESS;
}

LONG TRegStore::Update(const std::function<bool(TRegFile&)>& change) const {
    if (!Available()) return ERROR_PATH_NOT_FOUND;
    if (int error = MakeDirectories(dir_)) return ErrorFromErrno(error);
    TFileLock lock(LockPathFor(path_));
    if (!lock.Locked()) return ErrorFromErrno(lock.Error());
    TRegFile file;
    if (LONG result = ReadLocked(file); result != ERROR_SUCCESS) return result;
    if (!change(file)) return ERROR_SUCCESS;
    return ErrorFromErrno(WriteFileAtomic(path_, file.Serialise(), 0600));
}
