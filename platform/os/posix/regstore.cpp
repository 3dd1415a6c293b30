#include "platform/os/posix/regstore.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <string_view>

#include "platform/os/posix/atomicfile.h"
#include "platform/os/posix/configdir.h"
#include "platform/os/posix/report.h"

namespace {
// The last file parsed: its path, which version of the file it was (identity, and a hash
// of its text with the text's size), and what it holds.
struct TCache {
    std::mutex Mutex;
    std::string Path;
    TFileIdentity Identity;
    size_t Size = 0;
    size_t Hash = 0;
    std::shared_ptr<TRegFile> File;
};

TCache& Cache() {
    static TCache cache;
    return cache;
}

size_t HashOf(std::string_view text) {
    return std::hash<std::string_view>{}(text);
}

// The parse of the file as it was when its identity was taken. A quick look, for reads:
// a file replaced and its inode used again within the file system's clock tick would go
// unseen, which a reader may miss (it might as well have read a moment earlier).
std::shared_ptr<TRegFile> CachedByIdentity(const std::string& path, const TFileIdentity& identity) {
    TCache& cache = Cache();
    std::lock_guard guard(cache.Mutex);
    if (cache.File && cache.Path == path && cache.Identity == identity) return cache.File;
    return nullptr;
}

// The parse of exactly this text, for a change made under the lock, which must start from
// what the file holds now.
std::shared_ptr<TRegFile> CachedByText(const std::string& path, std::string_view text) {
    TCache& cache = Cache();
    std::lock_guard guard(cache.Mutex);
    if (cache.File && cache.Path == path && cache.Size == text.size() && cache.Hash == HashOf(text))
        return cache.File;
    return nullptr;
}

void Remember(const std::string& path, const TFileIdentity& identity, std::string_view text,
              std::shared_ptr<TRegFile> file) {
    TCache& cache = Cache();
    std::lock_guard guard(cache.Mutex);
    cache.Path = path;
    cache.Identity = identity;
    cache.Size = text.size();
    cache.Hash = HashOf(text);
    cache.File = std::move(file);
}

// Tells the lines a parse skipped, once for each file.
void ReportSkipped(const std::string& path, const TRegParseReport& report) {
    if (report.SkippedLines.empty()) return;
    const size_t count = report.SkippedLines.size();
    std::string line = path + ": " + std::to_string(count) + (count == 1 ? " line" : " lines") +
                       " could not be read and " + (count == 1 ? "was" : "were") + " skipped (line";
    line += count == 1 ? " " : "s ";
    for (size_t i = 0; i < count && i < 5; ++i)
        line += (i ? ", " : "") + std::to_string(report.SkippedLines[i]);
    if (count > 5) line += ", ...";
    line += std::string("); the rest was read, and ") + (count == 1 ? "it stays" : "they stay") +
            " in the file as " + (count == 1 ? "it is" : "they are");
    ReportProblem(TFileTask::SkipLines, line, path);
}

// Load's answer for a file that is to be moved aside, which needs the lock.
constexpr int kNeedsLock = -1;

std::string NoFolder() {
    return "no folder for the settings: neither XDG_CONFIG_HOME nor HOME is an absolute path";
}
}  // namespace

TRegStore::TRegStore() {
    if (auto dir = ProgramConfigDir()) {
        dir_ = *dir;
        path_ = dir_ + "/user.reg";
    }
}

void TRegStore::ForgetCache() {
    Remember({}, {}, {}, nullptr);
}

int TRegStore::Load(std::shared_ptr<TRegFile>& file, bool locked) const {
    file = std::make_shared<TRegFile>();
    int error = 0;
    if (!locked) {
        if (std::optional<TFileIdentity> identity = IdentityOf(path_, error)) {
            if (auto cached = CachedByIdentity(path_, *identity)) {
                file = std::move(cached);
                return 0;
            }
        }
    }
    TFileIdentity read;
    std::optional<std::string> text = ReadWholeFile(path_, error, &read);
    if (!text && error == ENOENT) return 0;
    if (!text && error != EFBIG) return error;
    if (text) {
        if (auto cached = CachedByText(path_, *text)) {
            file = std::move(cached);
            Remember(path_, read, *text, file);
            return 0;
        }
        TRegParseReport report;
        if (auto parsed = TRegFile::Parse(*text, &report)) {
            ReportSkipped(path_, report);
            file = std::make_shared<TRegFile>(std::move(*parsed));
            Remember(path_, read, *text, file);
            return 0;
        }
        error = 0;
    }
    // Not a registry file, or too large to be one of ours: out of the way, which needs the
    // lock. Until then it reads as empty.
    if (!locked) return kNeedsLock;
    return MoveAside(error);
}

int TRegStore::MoveAside(int why) const {
    int error = 0;
    const std::optional<std::string> target = FollowLinks(path_, error);
    if (!target) return error;
    const std::string aside =
        *target + ".corrupt-" + std::to_string(static_cast<long long>(std::time(nullptr)));
    std::string candidate = aside;
    struct stat st {};
    for (int n = 1; lstat(candidate.c_str(), &st) == 0; ++n)
        candidate = aside + "-" + std::to_string(n);
    const std::string what = why == EFBIG ? "was " + ReasonOf(EFBIG) : "was unreadable";
    if (std::rename(target->c_str(), candidate.c_str()) != 0) {
        error = errno;
        ReportProblem(TFileTask::SetAside, "settings file " + path_ + " " + what +
                                               " and could not be moved aside (" + ReasonOf(error) +
                                               "); it is left as it is");
        return error;
    }
    // Each file moved aside is told.
    ReportProblem(TFileTask::SetAside,
                  "settings file " + what + "; moved to " + candidate + "; starting with defaults");
    ReportSuccess(TFileTask::SetAside);
    return 0;
}

void TRegStore::ReportUnavailable() {
    ReportProblem(TFileTask::ReadSettings, "cannot read the settings: " + NoFolder());
}

std::shared_ptr<const TRegFile> TRegStore::Read() const {
    if (!Available()) {
        ReportUnavailable();
        return std::make_shared<TRegFile>();
    }
    std::shared_ptr<TRegFile> file;
    int error = Load(file, false);
    if (error == kNeedsLock) {
        TFileLock lock(LockPathFor(path_));
        error = lock.Locked() ? Load(file, true) : 0;
    }
    if (error != 0) {
        ReportProblem(TFileTask::ReadSettings,
                      "cannot read the settings from " + path_ + ": " + ReasonOf(error));
        return std::make_shared<TRegFile>();
    }
    ReportSuccess(TFileTask::ReadSettings);
    return file;
}

LONG TRegStore::Update(const std::function<bool(TRegFile&)>& change) const {
    auto fail = [&](const std::string& why, int error) {
        // Where a symbolic link leads is said, since that may be what cannot be written.
        std::string link;
        int ignored = 0;
        const std::optional<std::string> target = FollowLinks(path_, ignored);
        if (target && *target != path_) link = " (a symbolic link to " + *target + ")";
        ReportProblem(TFileTask::SaveSettings,
                      "cannot save the settings to " + path_ + link + ": " + why + ReasonOf(error));
        return ErrorFromErrno(error);
    };
    if (!Available()) {
        ReportProblem(TFileTask::SaveSettings, "cannot save the settings: " + NoFolder());
        return ERROR_PATH_NOT_FOUND;
    }
    if (int error = MakeDirectories(dir_)) return fail("cannot make its folder: ", error);
    TFileLock lock(LockPathFor(path_));
    if (!lock.Locked()) return fail("cannot lock " + LockPathFor(path_) + ": ", lock.Error());
    std::shared_ptr<TRegFile> file;
    if (int error = Load(file, true)) return fail("cannot read it: ", error);
    // The parsed file may be the one kept for reading, which a caller may still hold:
    // changed on a copy unless nobody but the cache and this holds it. It is forgotten
    // until written, so that a failed write leaves no change in it.
    if (file.use_count() > 2) file = std::make_shared<TRegFile>(*file);
    ForgetCache();
    if (!change(*file)) return ERROR_SUCCESS;
    const std::string text = file->Serialise();
    if (int error = WriteFileAtomic(path_, text, 0600)) return fail("", error);
    int error = 0;
    if (auto identity = IdentityOf(path_, error)) Remember(path_, *identity, text, file);
    ReportSuccess(TFileTask::SaveSettings);
    return ERROR_SUCCESS;
}
