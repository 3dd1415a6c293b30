// The recovery file of a hex document, little-endian:
//   "ZTHEXR01"
//   u64 length of the path, the file's full path
//   u64 device, u64 inode, i64 size, i64 modification time (ns): the file as it was
//   i64 the document's size
//   u64 state, u64 last state, u64 saved state: the change log's numbers
//   u64 count of edited runs; each: i64 offset, u64 length, the bytes
//   u64 count of undo entries; u64 count of redo entries; the entries, 8 numbers each
//   u64 FNV-1a hash of everything before it
#include <cstdio>
#include <cstring>
#include <deque>

#include "platform/os/path.h"
#include "widgets/hex/hexdocument.h"

namespace {

constexpr char kMagic[8] = {'Z', 'T', 'H', 'E', 'X', 'R', '0', '1'};

class TWriter {
public:
    void Put(const void* data, size_t size) { text_.append(static_cast<const char*>(data), size); }
    void Number(uint64_t value) {
        for (int i = 0; i < 8; ++i, value >>= 8)
            text_ += char(value & 0xFF);
    }
    std::string Finish() {
        Number(HashBytes(text_.data(), text_.size()));
        return std::move(text_);
    }

private:
    std::string text_;
};

class TReader {
public:
    explicit TReader(const std::string& text) : text_(text) {}
    bool Get(void* data, size_t size) {
        if (size > text_.size() - at_) return false;
        std::memcpy(data, text_.data() + at_, size);
        at_ += size;
        return true;
    }
    bool Number(uint64_t& value) {
        uint8_t bytes[8];
        if (!Get(bytes, 8)) return false;
        value = 0;
        for (int i = 7; i >= 0; --i)
            value = (value << 8) | bytes[i];
        return true;
    }
    template <class T>
    bool Number(T& value) {
        uint64_t v = 0;
        if (!Number(v)) return false;
        value = T(v);
        return true;
    }
    // Whether the hash at the end matches what comes before it.
    bool Whole() const {
        if (text_.size() < 8) return false;
        TReader tail(text_);
        tail.at_ = text_.size() - 8;
        uint64_t stored = 0;
        return tail.Number(stored) && stored == HashBytes(text_.data(), text_.size() - 8);
    }

private:
    const std::string& text_;
    size_t at_ = 0;
};

bool ReadAll(const std::string& path, std::string& text) {
    TRawFile file;
    TFileIdentity identity;
    if (file.Open(path, false) || file.Identity(identity) || identity.Size > (int64_t(1) << 32))
        return false;
    text.resize(size_t(identity.Size));
    size_t got = 0;
    return !file.ReadAt(0, text.data(), text.size(), got) && got == text.size();
}

struct THead {
    std::string Path;
    TFileIdentity Identity;
};

bool ReadHead(TReader& in, THead& head) {
    char magic[sizeof kMagic];
    uint64_t length = 0;
    if (!in.Get(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0 ||
        !in.Number(length) || length > 65536)
        return false;
    head.Path.resize(size_t(length));
    return in.Get(head.Path.data(), head.Path.size()) && in.Number(head.Identity.Device) &&
           in.Number(head.Identity.Inode) && in.Number(head.Identity.Size) &&
           in.Number(head.Identity.ModifiedNs);
}

void PutEntry(TWriter& out, const TChangeEntry& e) {
    for (uint64_t v :
         {uint64_t(uint32_t(e.Kind)), uint64_t(uint32_t(e.Flags)), uint64_t(e.Offset), e.OldValue,
          e.NewValue, uint64_t(uint32_t(e.Length)), e.StateBefore, e.StateAfter})
        out.Number(v);
}

bool GetEntry(TReader& in, TChangeEntry& e) {
    uint32_t kind = 0, flags = 0, length = 0;
    bool read = in.Number(kind) && in.Number(flags) && in.Number(e.Offset) &&
                in.Number(e.OldValue) && in.Number(e.NewValue) && in.Number(length) &&
                in.Number(e.StateBefore) && in.Number(e.StateAfter);
    e.Kind = int32_t(kind);
    e.Flags = int32_t(flags);
    e.Length = int32_t(length);
    return read && e.Length >= 1 && e.Offset >= 0;
}

}  // namespace

std::string THexDocument::RecoveryPathFor(const std::string& path) const {
    const std::string real = ResolvePath(path);
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.recovery",
                  static_cast<unsigned long long>(HashBytes(real.data(), real.size())));
    return JoinPath(stateFolder_, name);
}

TFileError THexDocument::WriteRecovery(const std::string& recoveryPath) const {
    TWriter out;
    out.Put(kMagic, sizeof kMagic);
    out.Number(filePath_.size());
    out.Put(filePath_.data(), filePath_.size());
    out.Number(identity_.Device);
    out.Number(identity_.Inode);
    out.Number(uint64_t(identity_.Size));
    out.Number(uint64_t(identity_.ModifiedNs));
    out.Number(uint64_t(size_));
    out.Number(log_.State());
    out.Number(log_.LastState());
    out.Number(savedState_);
    const std::vector<TByteRange> runs = EditedRanges();
    out.Number(runs.size());
    std::vector<uint8_t> bytes;
    for (const TByteRange& run : runs) {
        out.Number(uint64_t(run.Offset));
        out.Number(uint64_t(run.Length));
        bytes.resize(size_t(run.Length));
        Read(run.Offset, bytes.data(), bytes.size());
        out.Put(bytes.data(), bytes.size());
    }
    out.Number(uint64_t(log_.UndoCount()));
    out.Number(uint64_t(log_.RedoCount()));
    for (int i = 0; i < log_.UndoCount(); ++i)
        PutEntry(out, log_.UndoEntry(i));
    for (int i = 0; i < log_.RedoCount(); ++i)
        PutEntry(out, log_.RedoEntry(i));
    const std::string text = out.Finish();

    if (TFileError e = MakeFolders(FolderOfPath(recoveryPath))) return e;
    const std::string temp = recoveryPath + ".new";
    RemoveFile(temp);
    TRawFile file;
    if (TFileError e = file.Create(temp)) return e;
    TFileError error = file.WriteAt(0, text.data(), text.size());
    if (!error) error = file.Sync();
    TFileError closed = file.Close();
    if (!error) error = closed;
    if (!error) error = RenameOver(temp, recoveryPath);
    if (error) RemoveFile(temp);
    return error;
}

bool THexDocument::RecoveryMatches(const std::string& recoveryPath, const std::string& path) {
    std::string text;
    if (!ReadAll(recoveryPath, text)) return false;
    TReader in(text);
    THead head;
    TFileIdentity now;
    return in.Whole() && ReadHead(in, head) && head.Path == ResolvePath(path) &&
           !IdentityOfPath(path, now) && now == head.Identity;
}

TFileError THexDocument::ReadRecovery(const std::string& recoveryPath) {
    std::string text;
    if (!ReadAll(recoveryPath, text)) return {feNoSuchFile, 0};
    TReader in(text);
    THead head;
    if (!in.Whole() || !ReadHead(in, head) || head.Path != filePath_ ||
        !(head.Identity == identity_))
        return {feCorrupt, 0};
    int64_t size = 0;
    uint64_t state = 0, lastState = 0, savedState = 0, runCount = 0;
    if (!in.Number(size) || !in.Number(state) || !in.Number(lastState) || !in.Number(savedState) ||
        !in.Number(runCount) || size < 0 || size > baseSize_)
        return {feCorrupt, 0};
    // Read whole before anything changes.
    std::vector<std::pair<int64_t, std::vector<uint8_t>>> runs;
    for (uint64_t i = 0; i < runCount; ++i) {
        int64_t offset = 0, length = 0;
        if (!in.Number(offset) || !in.Number(length) || offset < 0 || length < 0 ||
            offset + length > size)
            return {feCorrupt, 0};
        std::vector<uint8_t> bytes(static_cast<size_t>(length));
        if (!in.Get(bytes.data(), bytes.size())) return {feCorrupt, 0};
        runs.emplace_back(offset, std::move(bytes));
    }
    uint64_t undoCount = 0, redoCount = 0;
    if (!in.Number(undoCount) || !in.Number(redoCount) ||
        undoCount > uint64_t(TChangeLog::kCapacity) || redoCount > uint64_t(TChangeLog::kCapacity))
        return {feCorrupt, 0};
    std::deque<TChangeEntry> undo(static_cast<size_t>(undoCount));
    std::deque<TChangeEntry> redo(static_cast<size_t>(redoCount));
    for (TChangeEntry& e : undo)
        if (!GetEntry(in, e)) return {feCorrupt, 0};
    for (TChangeEntry& e : redo)
        if (!GetEntry(in, e)) return {feCorrupt, 0};

    pages_.clear();
    lastPageNumber_ = -1;
    size_ = size;
    for (const auto& [offset, bytes] : runs)
        for (size_t k = 0; k < bytes.size(); ++k)
            Put(offset + int64_t(k), bytes[k]);
    log_.Restore(std::move(undo), std::move(redo), state, lastState);
    savedState_ = savedState;
    reportedDirty_ = Dirty();
    if (OnChangeLogUpdate) OnChangeLogUpdate();
    if (OnDirtyChange) OnDirtyChange(reportedDirty_);
    return {};
}
