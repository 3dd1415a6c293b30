#include "widgets/hex/hexdocument.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/os/statedir.h"
#include "widgets/hex/strutil.h"

namespace {

constexpr uint64_t kNeverSaved = UINT64_MAX;  // a saved state that no data state matches
constexpr size_t kDemoSize = 1024;
// Bytes searched in one step, between two reports of progress.
constexpr int64_t kSearchStep = int64_t(16) << 20;
// Files larger than this give back the pages a search went through.
constexpr int64_t kReleaseAbove = int64_t(256) << 20;

// The bytes a save writes: the document's, read through it.
class TDocumentSource : public TSaveSource {
public:
    explicit TDocumentSource(const THexDocument& document) : document_(document) {}
    int64_t Size() const override { return document_.Size(); }
    void Read(int64_t offset, uint8_t* data, size_t length) const override {
        document_.Read(offset, data, length);
    }

private:
    const THexDocument& document_;
};

}  // namespace

THexDocument::THexDocument() : stateFolder_(::StateFolder(kHexEditorStateName)) {
    ShowDemo();
}

// Bytes --------------------------------------------------------------------------------------

uint8_t THexDocument::BaseByte(int64_t offset) const {
    return offset < baseSize_ ? base_[offset] : 0;
}

uint8_t THexDocument::GetByte(int64_t offset) const {
    if (offset < 0 || offset >= size_) return 0;
    if (!pages_.empty()) {
        int64_t number = offset / kPageSize;
        if (number != lastPageNumber_) {
            auto it = pages_.find(number);
            lastPage_ = it == pages_.end() ? nullptr : it->second.get();
            lastPageNumber_ = number;
        }
        if (lastPage_ && lastPage_->Set[size_t(offset % kPageSize)])
            return lastPage_->Bytes[size_t(offset % kPageSize)];
    }
    return base_[offset];
}

void THexDocument::Read(int64_t offset, uint8_t* out, size_t length) const {
    std::memset(out, 0, length);
    if (offset < 0) {
        if (int64_t(length) <= -offset) return;
        out += -offset;
        length -= size_t(-offset);
        offset = 0;
    }
    if (offset >= size_) return;
    size_t inside = size_t(std::min<int64_t>(int64_t(length), size_ - offset));
    std::memcpy(out, base_ + offset, inside);
    for (auto it = pages_.lower_bound(offset / kPageSize);
         it != pages_.end() && it->first * kPageSize < offset + int64_t(inside); ++it) {
        const TPage& page = *it->second;
        int64_t first = std::max(offset, it->first * kPageSize);
        int64_t last = std::min(offset + int64_t(inside), (it->first + 1) * kPageSize);
        for (int64_t at = first; at < last; ++at)
            if (page.Set[size_t(at % kPageSize)])
                out[at - offset] = page.Bytes[size_t(at % kPageSize)];
    }
}

uint64_t THexDocument::GetGroup(int64_t start, int length) const {
    uint64_t value = 0;
    for (int k = 0; k < length; ++k)
        value = (value << 8) | GetByte(start + k);
    return value;
}

bool THexDocument::Edited(int64_t offset) const {
    auto it = pages_.find(offset / kPageSize);
    return it != pages_.end() && it->second->Set[size_t(offset % kPageSize)];
}

bool THexDocument::AnyEditIn(int64_t offset, int64_t length) const {
    auto it = pages_.lower_bound(offset / kPageSize);
    return it != pages_.end() && it->first * kPageSize < offset + length;
}

// Edits --------------------------------------------------------------------------------------

void THexDocument::Put(int64_t offset, uint8_t value) {
    const int64_t number = offset / kPageSize;
    const size_t at = size_t(offset % kPageSize);
    auto it = pages_.find(number);
    if (value == BaseByte(offset)) {
        // Set back to what is under it: no longer an edit.
        if (it == pages_.end() || !it->second->Set[at]) return;
        it->second->Set[at] = false;
        if (--it->second->Count == 0) {
            pages_.erase(it);
            lastPageNumber_ = -1;
        }
        return;
    }
    if (it == pages_.end()) {
        it = pages_.emplace(number, std::make_unique<TPage>()).first;
        lastPageNumber_ = -1;
    }
    TPage& page = *it->second;
    if (!page.Set[at]) ++page.Count;
    page.Set[at] = true;
    page.Bytes[at] = value;
}

void THexDocument::SetByte(int64_t offset, uint8_t value) {
    if (offset < 0 || offset >= size_) return;
    uint8_t old = GetByte(offset);
    Put(offset, value);
    LogEdit(ceByte, offset, 1, old, value);
}

void THexDocument::WriteValue(int64_t offset, int length, uint64_t value) {
    for (int k = length - 1; k >= 0 && k >= length - 8; --k, value >>= 8) {
        int64_t at = offset + k;
        if (at >= 0 && at < size_) Put(at, uint8_t(value & 0xFF));
    }
}

void THexDocument::SetGroup(int64_t start, int length, uint64_t value) {
    if (start < 0 || start >= size_) return;
    uint64_t old = GetGroup(start, length);
    WriteValue(start, length, value);
    LogEdit(ceWord, start, length, old, GetGroup(start, length));
}

void THexDocument::LogEdit(int32_t kind, int64_t offset, int32_t length, uint64_t oldValue,
                           uint64_t newValue) {
    log_.Record(kind, offset, length, oldValue, newValue);
    if (OnChangeLogUpdate) OnChangeLogUpdate();
    UpdateDirty();
}

void THexDocument::UpdateDirty() {
    bool dirty = Dirty();
    if (dirty == reportedDirty_) return;
    reportedDirty_ = dirty;
    if (OnDirtyChange) OnDirtyChange(dirty);
}

void THexDocument::SetDirty(bool dirty) {
    savedState_ = dirty ? kNeverSaved : log_.State();
    reportedDirty_ = dirty;
    if (OnDirtyChange) OnDirtyChange(dirty);
}

bool THexDocument::Undo(TChangeEntry& entry) {
    if (!log_.Undo(entry)) return false;
    WriteValue(entry.Offset, entry.Length, entry.OldValue);
    if (OnChangeLogUpdate) OnChangeLogUpdate();
    UpdateDirty();
    return true;
}

bool THexDocument::Redo(TChangeEntry& entry) {
    if (!log_.Redo(entry)) return false;
    WriteValue(entry.Offset, entry.Length, entry.NewValue);
    if (OnChangeLogUpdate) OnChangeLogUpdate();
    UpdateDirty();
    return true;
}

void THexDocument::ClearLog() {
    bool dirty = Dirty();
    log_.Clear();
    // Edits made before the log was cleared can no longer be undone: a dirty document
    // stays dirty until it is saved.
    savedState_ = dirty ? kNeverSaved : log_.State();
    if (OnChangeLogUpdate) OnChangeLogUpdate();
}

std::vector<TByteRange> THexDocument::EditedRanges() const {
    std::vector<TByteRange> ranges;
    for (const auto& [number, page] : pages_) {
        for (int64_t i = 0; i < kPageSize; ++i) {
            if (!page->Set[size_t(i)]) continue;
            int64_t offset = number * kPageSize + i;
            if (offset >= size_) break;
            if (!ranges.empty() && ranges.back().Offset + ranges.back().Length == offset) {
                ++ranges.back().Length;
            } else {
                ranges.push_back({offset, 1});
            }
        }
    }
    return ranges;
}

// What the bytes are -----------------------------------------------------------------------

void THexDocument::Reset() {
    pages_.clear();
    lastPageNumber_ = -1;
    filePath_.clear();
    identity_ = {};
}

void THexDocument::UseMemory(std::vector<uint8_t> bytes) {
    Reset();
    mapping_.Close();
    memory_ = std::move(bytes);
    base_ = memory_.data();
    baseSize_ = size_ = int64_t(memory_.size());
}

void THexDocument::ShowDemo() {
    std::vector<uint8_t> demo(kDemoSize);
    for (size_t i = 0; i < demo.size(); ++i)
        demo[i] = uint8_t(i);
    UseMemory(std::move(demo));
}

void THexDocument::ShowNull() {
    UseMemory(std::vector<uint8_t>(kDemoSize, 0));
}

void THexDocument::SetSize(int64_t size) {
    size_ = std::clamp<int64_t>(size, 0, baseSize_);
}

TFileError THexDocument::Load(const std::string& path, const TProgress& progress) {
    rolledBack_ = false;
    if (KindOfPath(path) == TPathKind::Regular) {
        // One that cannot be rolled back (the file is not writable to this user) stays for
        // one who can; the file is shown as it is.
        bool rolledBack = false;
        if (!FinishInterruptedSave(path, stateFolder_, rolledBack)) rolledBack_ = rolledBack;
    }
    TFileMapping mapping;
    TFileError error = mapping.Open(path, progress);
    if (error && error.Kind != feShortRead) return error;
    Reset();
    memory_.clear();
    mapping_ = std::move(mapping);
    base_ = mapping_.Data();
    baseSize_ = size_ = mapping_.Size();
    log_.Clear();
    if (OnChangeLogUpdate) OnChangeLogUpdate();
    if (!error) {
        filePath_ = ResolvePath(path);
        identity_ = mapping_.Identity();
    }
    // Part of a file is not that file: it is saved under a name the user gives.
    SetDirty(bool(error));
    return error;
}

bool THexDocument::ChangedOnDisk() const {
    if (filePath_.empty()) return false;
    if (mapping_.ReadPastEnd()) return true;
    TFileIdentity now;
    return IdentityOfPath(filePath_, now) || !(now == identity_);
}

void THexDocument::Adopt(const std::string& path) {
    // The file holds the document's bytes now: they come from it, without edits.
    TFileMapping mapping;
    if (!mapping.Open(path) && mapping.Size() == size_) {
        pages_.clear();
        lastPageNumber_ = -1;
        memory_.clear();
        mapping_ = std::move(mapping);
        base_ = mapping_.Data();
        baseSize_ = size_;
    } else if (!pages_.empty()) {
        // Not mapped (or not the same size, which a save leaves no way to): the edits go
        // into the document's own bytes.
        std::vector<uint8_t> bytes(static_cast<size_t>(size_));
        Read(0, bytes.data(), bytes.size());
        UseMemory(std::move(bytes));
    }
    filePath_ = ResolvePath(path);
    IdentityOfPath(filePath_, identity_);
}

TFileError THexDocument::Save(const std::string& path, const TProgress& progress) {
    const std::string real = ResolvePath(path);
    TSaveOptions options;
    options.JournalFolder = stateFolder_;
    options.Progress = progress;
    TFileIdentity target;
    // Its own file (under any of its names): only the edited bytes can differ, unless
    // another program changed it meanwhile.
    const bool own = !filePath_.empty() && !IdentityOfPath(real, target) &&
                     target.SameFile(identity_) && mapping_.Mapped() && !ChangedOnDisk();
    if (own) {
        options.ChangesKnown = true;
        options.Changes = EditedRanges();
    }
    // The mapping cannot stay while a file is cut short under it (on Windows): the bytes
    // are all written by then, and it is mapped again afterwards.
    TFileMapping* mapping = &mapping_;
    options.BeforeResize = [mapping, own] {
        if (own) mapping->Close();
    };
    TDocumentSource source(*this);
    TFileError error = SaveFileSafely(real, source, options);
    if (error) {
        if (own) {
            // Rolled back, the file holds its old bytes again, under a new time. A save
            // that had let go of the mapping maps them again.
            if (!mapping_.IsOpen() && !mapping_.Open(filePath_)) {
                base_ = mapping_.Data();
                baseSize_ = mapping_.Size();
                size_ = std::min(size_, baseSize_);
            }
            IdentityOfPath(filePath_, identity_);
        }
        return error;
    }
    Adopt(real);
    SetDirty(false);
    return {};
}

// Searching ----------------------------------------------------------------------------------

const uint8_t* THexDocument::View(int64_t offset, size_t length,
                                  std::vector<uint8_t>& scratch) const {
    if (!AnyEditIn(offset, int64_t(length)) && offset + int64_t(length) <= baseSize_)
        return base_ + offset;
    scratch.resize(length);
    Read(offset, scratch.data(), length);
    return scratch.data();
}

int64_t THexDocument::Find(const std::vector<uint8_t>& pattern, bool ignoreCase, int64_t from,
                           const TProgress& progress) const {
    const auto length = int64_t(pattern.size());
    from = std::max<int64_t>(from, 0);
    if (length == 0 || from > size_ - length) return kNotFound;
    std::vector<uint8_t> scratch;
    const bool release = mapping_.Mapped() && size_ > kReleaseAbove;
    // Each step looks at the matches that start in it; the bytes it reads reach into the
    // next by the pattern's length less one.
    for (int64_t step = from; step <= size_ - length; step += kSearchStep) {
        if (progress && !progress(step - from, size_ - from)) return kSearchCancelled;
        int64_t end = std::min(step + kSearchStep + length - 1, size_);
        const uint8_t* bytes = View(step, size_t(end - step), scratch);
        int64_t hit =
            ignoreCase
                ? FindBytesNoCase(bytes, size_t(end - step), 0, pattern.data(), pattern.size())
                : FindBytes(bytes, size_t(end - step), 0, pattern.data(), pattern.size());
        if (release) mapping_.Release(step, end - step);
        if (hit >= 0) return step + hit;
    }
    return kNotFound;
}
