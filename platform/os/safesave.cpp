#include "platform/os/safesave.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/os/path.h"

// The journal, little-endian:
//   "ZTHEXJ01"
//   u64 length of the path, the path (full, links followed)
//   u64 device, u64 inode of the file
//   i64 old size, i64 new size
//   entries: i64 offset, u64 length, the old bytes there
//   i64 -1
//   u64 FNV-1a hash of everything before it
// A journal whose hash does not match was not written whole: the file was not touched.

namespace {

constexpr char kMagic[8] = {'Z', 'T', 'H', 'E', 'X', 'J', '0', '1'};
// Bytes compared, journaled and written in one step.
constexpr size_t kBlock = size_t(1) << 20;
// Differing bytes closer than this are written (and journaled) as one run.
constexpr size_t kRunGap = 32;

std::function<void(TSaveStage)>& FaultHook() {
    static std::function<void(TSaveStage)> hook;
    return hook;
}

void Reached(TSaveStage stage) {
    if (FaultHook()) FaultHook()(stage);
}

// Writes the journal front to back through a buffer, hashing what it writes.
class TJournalWriter {
public:
    TFileError Create(const std::string& path) { return file_.Create(path); }
    void Put(const void* data, size_t size) {
        if (error_) return;
        hash_ = HashBytes(data, size, hash_);
        const auto* bytes = static_cast<const uint8_t*>(data);
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        if (buffer_.size() >= kBlock) Flush();
    }
    void PutNumber(uint64_t value) {
        uint8_t bytes[8];
        for (uint8_t& b : bytes) {
            b = uint8_t(value & 0xFF);
            value >>= 8;
        }
        Put(bytes, sizeof bytes);
    }
    // The end mark and the hash; then everything to disk.
    TFileError Finish() {
        PutNumber(uint64_t(-1));
        uint64_t hash = hash_;
        PutNumber(hash);
        Flush();
        if (!error_) error_ = file_.Sync();
        return error_;
    }
    TFileError Error() const { return error_; }
    TFileError Close() { return file_.Close(); }

private:
    void Flush() {
        if (!error_ && !buffer_.empty())
            error_ = file_.WriteAt(written_, buffer_.data(), buffer_.size());
        written_ += int64_t(buffer_.size());
        buffer_.clear();
    }

    TRawFile file_;
    std::vector<uint8_t> buffer_;
    int64_t written_ = 0;
    uint64_t hash_ = HashBytes(nullptr, 0);
    TFileError error_;
};

// Reads a journal front to back, hashing what it reads.
class TJournalReader {
public:
    TFileError Open(const std::string& path) { return file_.Open(path, false); }
    bool Get(void* data, size_t size) {
        size_t got = 0;
        if (failed_ || file_.ReadAt(read_, data, size, got) || got != size) {
            failed_ = true;
            return false;
        }
        read_ += int64_t(size);
        hash_ = HashBytes(data, size, hash_);
        return true;
    }
    bool GetNumber(uint64_t& value) {
        uint8_t bytes[8];
        if (!Get(bytes, sizeof bytes)) return false;
        value = 0;
        for (int i = 7; i >= 0; --i)
            value = (value << 8) | bytes[i];
        return true;
    }
    uint64_t Hash() const { return hash_; }
    int64_t Position() const { return read_; }
    void Seek(int64_t position, uint64_t hash) {
        read_ = position;
        hash_ = hash;
        failed_ = false;
    }

private:
    TRawFile file_;
    int64_t read_ = 0;
    uint64_t hash_ = HashBytes(nullptr, 0);
    bool failed_ = false;
};

struct TJournalHeader {
    std::string Path;
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t OldSize = 0;
    int64_t NewSize = 0;
};

void PutHeader(TJournalWriter& journal, const TJournalHeader& header) {
    journal.Put(kMagic, sizeof kMagic);
    journal.PutNumber(header.Path.size());
    journal.Put(header.Path.data(), header.Path.size());
    journal.PutNumber(header.Device);
    journal.PutNumber(header.Inode);
    journal.PutNumber(uint64_t(header.OldSize));
    journal.PutNumber(uint64_t(header.NewSize));
}

bool GetHeader(TJournalReader& journal, TJournalHeader& header) {
    char magic[sizeof kMagic];
    uint64_t length = 0, oldSize = 0, newSize = 0;
    if (!journal.Get(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0)
        return false;
    if (!journal.GetNumber(length) || length > 65536) return false;
    header.Path.resize(size_t(length));
    if (!journal.Get(header.Path.data(), header.Path.size())) return false;
    if (!journal.GetNumber(header.Device) || !journal.GetNumber(header.Inode) ||
        !journal.GetNumber(oldSize) || !journal.GetNumber(newSize))
        return false;
    header.OldSize = int64_t(oldSize);
    header.NewSize = int64_t(newSize);
    return header.OldSize >= 0 && header.NewSize >= 0;
}

// Reads the whole journal once: whether it was written whole (its entries in order, its
// end mark and a matching hash). The reader is left after the header.
bool CheckJournal(TJournalReader& journal, TJournalHeader& header) {
    if (!GetHeader(journal, header)) return false;
    const int64_t entries = journal.Position();
    const uint64_t hashAtEntries = journal.Hash();
    std::vector<uint8_t> buffer(kBlock);
    for (;;) {
        uint64_t offset = 0, length = 0;
        if (!journal.GetNumber(offset)) return false;
        if (offset == uint64_t(-1)) break;
        if (!journal.GetNumber(length) || int64_t(offset) < 0 || int64_t(length) < 0) return false;
        for (uint64_t done = 0; done < length;) {
            size_t step = size_t(std::min<uint64_t>(length - done, kBlock));
            if (!journal.Get(buffer.data(), step)) return false;
            done += step;
        }
    }
    const uint64_t expected = journal.Hash();
    uint64_t stored = 0;
    if (!journal.GetNumber(stored) || stored != expected) return false;
    journal.Seek(entries, hashAtEntries);
    return true;
}

// Writes the old bytes of a checked journal back over the file and gives it its old size.
TFileError ApplyJournal(TJournalReader& journal, const TJournalHeader& header, TRawFile& file) {
    std::vector<uint8_t> buffer(kBlock);
    for (;;) {
        uint64_t offset = 0, length = 0;
        if (!journal.GetNumber(offset)) return {feCorrupt, 0};
        if (offset == uint64_t(-1)) break;
        if (!journal.GetNumber(length)) return {feCorrupt, 0};
        for (uint64_t done = 0; done < length;) {
            size_t step = size_t(std::min<uint64_t>(length - done, kBlock));
            if (!journal.Get(buffer.data(), step)) return {feCorrupt, 0};
            if (TFileError e = file.WriteAt(int64_t(offset + done), buffer.data(), step)) return e;
            done += step;
        }
    }
    TFileIdentity now;
    if (TFileError e = file.Identity(now)) return e;
    if (now.Size != header.OldSize) {
        if (TFileError e = file.Resize(header.OldSize)) return e;
    }
    return file.Sync();
}

// The differing runs of old and new (n bytes at base): runs closer than kRunGap are one.
template <class F>
void ForEachDifference(const uint8_t* old, const uint8_t* now, size_t n, F&& run) {
    size_t i = 0;
    while (i < n) {
        i = size_t(std::mismatch(old + i, old + n, now + i).first - old);
        if (i >= n) break;
        size_t last = i;
        for (size_t j = i + 1; j < n && j - last < kRunGap; ++j)
            if (old[j] != now[j]) last = j;
        run(i, last + 1 - i);
        i = last + 1;
    }
}

// Makes a file that did not exist: written whole under a temporary name, then named.
TFileError SaveNewFile(const std::string& path, const TSaveSource& source,
                       const TProgress& progress) {
    static std::atomic<unsigned> serial{0};
    const std::string folder = FolderOfPath(path);
    std::string temp;
    TRawFile file;
    TFileError error{feExists, 0};
    for (int attempt = 0; attempt < 100 && error.Kind == feExists; ++attempt) {
        char unique[48];
        std::snprintf(unique, sizeof unique, ".zt-%llx-%x.tmp",
                      static_cast<unsigned long long>(
                          std::chrono::steady_clock::now().time_since_epoch().count()),
                      serial.fetch_add(1));
        temp = JoinPath(folder, "." + NameOfPath(path) + unique);
        error = file.Create(temp);
    }
    if (error) return error;
    const int64_t size = source.Size();
    std::vector<uint8_t> buffer(size_t(std::min<int64_t>(size, int64_t(kBlock))));
    for (int64_t done = 0; done < size && !error;) {
        if (progress && !progress(done, size)) {
            error = {feCancelled, 0};
            break;
        }
        size_t step = size_t(std::min<int64_t>(size - done, int64_t(kBlock)));
        source.Read(done, buffer.data(), step);
        error = file.WriteAt(done, buffer.data(), step);
        done += int64_t(step);
    }
    if (!error) error = file.Sync();
    TFileError closed = file.Close();
    if (!error) error = closed;
    if (!error) error = RenameOver(temp, path);
    if (error) RemoveFile(temp);
    return error;
}

// Reports progress; false when the user cancelled.
bool Going(const TProgress& progress, int64_t done, int64_t total) {
    return !progress || progress(std::min(done, total), total);
}

TFileError SaveInPlace(const std::string& path, TRawFile& file, const TSaveSource& source,
                       const TSaveOptions& options) {
    TFileIdentity identity;
    if (TFileError e = file.Identity(identity)) return e;
    TJournalHeader header{path, identity.Device, identity.Inode, identity.Size, source.Size()};
    const int64_t common = std::min(header.OldSize, header.NewSize);
    std::vector<TByteRange> candidates;
    if (options.ChangesKnown) {
        for (const TByteRange& r : options.Changes) {
            int64_t end = std::min(r.Offset + r.Length, common);
            if (r.Offset < end) candidates.push_back({r.Offset, end - r.Offset});
        }
    } else if (common > 0) {
        candidates.push_back({0, common});
    }
    int64_t compareTotal = 0;
    for (const TByteRange& r : candidates)
        compareTotal += r.Length;
    const int64_t growth = std::max<int64_t>(header.NewSize - header.OldSize, 0);
    const int64_t lost = std::max<int64_t>(header.OldSize - header.NewSize, 0);
    int64_t total = 2 * compareTotal + growth + lost, done = 0;

    if (TFileError e = MakeFolders(options.JournalFolder)) return e;
    const std::string journalPath = JournalPathFor(path, options.JournalFolder);
    TJournalWriter journal;
    if (TFileError e = journal.Create(journalPath)) return e;
    auto abandon = [&](TFileError error) {
        journal.Close();
        RemoveFile(journalPath);
        return error;
    };

    // The journal: the old bytes of every run that differs, and of a lost tail.
    PutHeader(journal, header);
    std::vector<TByteRange> runs;
    std::vector<uint8_t> old(kBlock), now(kBlock);
    for (const TByteRange& r : candidates) {
        for (int64_t at = r.Offset; at < r.Offset + r.Length;) {
            if (!Going(options.Progress, done, total)) return abandon({feCancelled, 0});
            size_t step = size_t(std::min<int64_t>(r.Offset + r.Length - at, int64_t(kBlock)));
            size_t got = 0;
            if (TFileError e = file.ReadAt(at, old.data(), step, got)) return abandon(e);
            if (got != step) return abandon({feShortRead, 0});
            source.Read(at, now.data(), step);
            ForEachDifference(old.data(), now.data(), step, [&](size_t first, size_t length) {
                journal.PutNumber(uint64_t(at) + first);
                journal.PutNumber(length);
                journal.Put(old.data() + first, length);
                runs.push_back({at + int64_t(first), int64_t(length)});
            });
            at += int64_t(step);
            done += int64_t(step);
        }
    }
    for (int64_t at = header.NewSize; at < header.OldSize;) {
        if (!Going(options.Progress, done, total)) return abandon({feCancelled, 0});
        size_t step = size_t(std::min<int64_t>(header.OldSize - at, int64_t(kBlock)));
        size_t got = 0;
        if (TFileError e = file.ReadAt(at, old.data(), step, got)) return abandon(e);
        if (got != step) return abandon({feShortRead, 0});
        journal.PutNumber(uint64_t(at));
        journal.PutNumber(step);
        journal.Put(old.data(), step);
        at += int64_t(step);
        done += int64_t(step);
    }
    if (runs.empty() && header.NewSize == header.OldSize) return abandon({});
    if (TFileError e = journal.Finish()) return abandon(e);
    journal.Close();
    SyncFolder(options.JournalFolder);
    Reached(TSaveStage::JournalWritten);

    // The new bytes; on any failure the old ones go back.
    int64_t written = 0;
    for (const TByteRange& r : runs)
        written += r.Length;
    total = done + written + growth;
    TFileError error;
    for (size_t i = 0; i < runs.size() && !error; ++i) {
        if (!Going(options.Progress, done, total)) {
            error = {feCancelled, 0};
            break;
        }
        source.Read(runs[i].Offset, now.data(), size_t(runs[i].Length));
        error = file.WriteAt(runs[i].Offset, now.data(), size_t(runs[i].Length));
        done += runs[i].Length;
        if (i == 0) Reached(TSaveStage::DataPartlyWritten);
    }
    for (int64_t at = header.OldSize; at < header.NewSize && !error;) {
        if (!Going(options.Progress, done, total)) {
            error = {feCancelled, 0};
            break;
        }
        size_t step = size_t(std::min<int64_t>(header.NewSize - at, int64_t(kBlock)));
        source.Read(at, now.data(), step);
        error = file.WriteAt(at, now.data(), step);
        at += int64_t(step);
        done += int64_t(step);
    }
    if (!error && header.NewSize < header.OldSize) {
        if (options.BeforeResize) options.BeforeResize();
        error = file.Resize(header.NewSize);
    }
    if (!error) error = file.Sync();
    if (error) {
        TJournalReader reader;
        TJournalHeader checked;
        if (reader.Open(journalPath) || !CheckJournal(reader, checked) ||
            ApplyJournal(reader, checked, file)) {
            // The journal stays: the next open rolls the file back.
            return error;
        }
        RemoveFile(journalPath);
        SyncFolder(options.JournalFolder);
        return error;
    }
    Reached(TSaveStage::DataWritten);
    RemoveFile(journalPath);
    SyncFolder(options.JournalFolder);
    return {};
}

}  // namespace

uint64_t HashBytes(const void* data, size_t size, uint64_t hash) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::string JournalPathFor(const std::string& path, const std::string& journalFolder) {
    const std::string real = ResolvePath(path);
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.journal",
                  static_cast<unsigned long long>(HashBytes(real.data(), real.size())));
    return JoinPath(journalFolder, name);
}

void SetSaveFaultHook(std::function<void(TSaveStage)> hook) {
    FaultHook() = std::move(hook);
}

TFileError SaveFileSafely(const std::string& path, const TSaveSource& source,
                          const TSaveOptions& options) {
    if (path.empty()) return {feNoSuchFile, 0};
    const std::string real = ResolvePath(path);
    switch (KindOfPath(real)) {
        case TPathKind::Missing:
            return SaveNewFile(real, source, options.Progress);
        case TPathKind::Folder:
            return {feIsFolder, 0};
        case TPathKind::Other:
            return {feNotRegular, 0};
        case TPathKind::Regular:
            break;
    }
    // An earlier save that was interrupted is rolled back first: its journal is in the way.
    bool rolledBack = false;
    if (TFileError e = FinishInterruptedSave(real, options.JournalFolder, rolledBack)) return e;
    TRawFile file;
    if (TFileError e = file.Open(real, true)) return e;
    return SaveInPlace(real, file, source, options);
}

TFileError FinishInterruptedSave(const std::string& path, const std::string& journalFolder,
                                 bool& rolledBack) {
    rolledBack = false;
    const std::string real = ResolvePath(path);
    const std::string journalPath = JournalPathFor(real, journalFolder);
    if (KindOfPath(journalPath) != TPathKind::Regular) return {};
    TJournalReader journal;
    TJournalHeader header;
    if (journal.Open(journalPath) || !CheckJournal(journal, header) || header.Path != real) {
        // Not written whole: the save had not touched the file yet.
        RemoveFile(journalPath);
        return {};
    }
    TRawFile file;
    TFileIdentity identity;
    if (IdentityOfPath(real, identity) || identity.Device != header.Device ||
        identity.Inode != header.Inode ||
        identity.Size < std::min(header.OldSize, header.NewSize) ||
        identity.Size > std::max(header.OldSize, header.NewSize)) {
        // Another file has the name now; the journal is of no use to it.
        RemoveFile(journalPath);
        return {};
    }
    if (TFileError e = file.Open(real, true)) return e;
    if (TFileError e = ApplyJournal(journal, header, file)) return e;
    RemoveFile(journalPath);
    SyncFolder(journalFolder);
    rolledBack = true;
    return {};
}
