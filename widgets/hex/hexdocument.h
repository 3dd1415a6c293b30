// THexDocument: the bytes a hex editor shows, apart from how it shows them: where they
// come from, the edits made to them with their change log and dirty state, searching
// them, and their file.
//
// Bytes. A document holds the demo bytes (1024 bytes, 0 to 255 four times over), the null
// bytes (1024 zeros) or a file. A file is mapped, not copied (platform/os/filemap.h): a
// file of any size opens at once, and only the pages looked at take memory. Edits never
// write into those bytes: each edited byte is kept in an overlay of 4 KiB pages above
// them, so a few edits of a huge file cost a few pages. Size() may be made smaller than
// the bytes held (SetSize), never larger.
//
// Change log and dirty state. SetByte and SetGroup log each edit in the change log
// (changelog.h) unless logging is suppressed; Undo and Redo write an entry's old or new
// value back over exactly the bytes it covers. The document is dirty whenever its bytes
// differ from the state of the last successful load or save (or SetDirty(false)): undoing
// back to the saved state makes it clean again. Clearing the log keeps a dirty document
// dirty. OnChangeLogUpdate follows every change of the log, OnDirtyChange every change of
// the dirty state.
//
// Search. Find looks for a pattern from an offset on, in steps of a few megabytes that
// report progress and can be cancelled, at the speed of memmem over the mapped bytes.
//
// Files. Load rolls back a save of the file that was interrupted (safesave.h), then maps
// it. Save writes the document over its file in place, only the bytes that differ, behind
// a journal; or to another file (Save As), compared whole. Journals (and recovery files)
// live in StateFolder(), ${XDG_STATE_HOME:-~/.local/state}/zentick-hexedit by default.
// ChangedOnDisk() tells whether the file was changed by another program since it was
// opened or saved (its identity or time differs, or pages past a new, shorter end were
// read as zeros).
//
// Recovery. WriteRecovery keeps the edits of a file (every edited byte, the size, both
// change lists and the dirty state) in a file, with the identity of the file they belong
// to; ReadRecovery puts them back when that file is unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/filemap.h"
#include "platform/os/safesave.h"
#include "widgets/hex/changelog.h"

// Search results besides an offset.
constexpr int64_t kNotFound = -1;
constexpr int64_t kSearchCancelled = -2;

class THexDocument {
public:
    THexDocument();
    THexDocument(const THexDocument&) = delete;
    THexDocument& operator=(const THexDocument&) = delete;

    // Bytes -----------------------------------------------------------------------------
    int64_t Size() const { return size_; }
    // Past the end: 0.
    uint8_t GetByte(int64_t offset) const;
    // Copies length bytes from offset (0 past the end) into out.
    void Read(int64_t offset, uint8_t* out, size_t length) const;
    // The group of length bytes at start as a big-endian number (of more than 8 bytes,
    // the last 8; bytes past the end read as 0).
    uint64_t GetGroup(int64_t start, int length) const;

    // Edits: nothing happens past the end. SetByte logs a byte edit; SetGroup one word
    // edit of the length bytes at start (their last 8 at most), with the value the group
    // holds afterwards (bytes past the end stay 0).
    void SetByte(int64_t offset, uint8_t value);
    void SetGroup(int64_t start, int length, uint64_t value);
    // Writes the big-endian value over length bytes at offset (the last 8 at most),
    // without logging.
    void WriteValue(int64_t offset, int length, uint64_t value);
    // Whether the byte differs from the one under it (was edited and not set back).
    bool Edited(int64_t offset) const;
    // Undoes or redoes one entry; false when there is none. entry tells which.
    bool Undo(TChangeEntry& entry);
    bool Redo(TChangeEntry& entry);
    const TChangeLog& ChangeLog() const { return log_; }
    void Seal() { log_.Seal(); }
    // Empties the change log (a dirty document stays dirty).
    void ClearLog();
    bool Dirty() const { return log_.State() != savedState_; }
    // Marks the bytes as saved (false) or as unsaved until the next save (true).
    void SetDirty(bool dirty);

    // What the bytes are -------------------------------------------------------------
    void ShowDemo();
    void ShowNull();
    // At most the bytes held.
    void SetSize(int64_t size);
    // Opens a file (see above); on failure the bytes shown before stay. feShortRead keeps
    // the bytes that arrived, belonging to no file. Edits and the log are cleared either
    // way only on success.
    TFileError Load(const std::string& path, const TProgress& progress = {});
    // Whether Load found an interrupted save of the file and rolled it back.
    bool RolledBackSave() const { return rolledBack_; }
    // Saves the bytes to path; the document then belongs to that file and is clean. On
    // failure the file is as it was and the document unchanged.
    TFileError Save(const std::string& path, const TProgress& progress = {});
    // The file the bytes belong to (full path), or empty.
    const std::string& FilePath() const { return filePath_; }
    bool ChangedOnDisk() const;
    // Whether the file was cut short while open and pages past its new end were read (as
    // zeros).
    bool ReadPastEnd() const { return mapping_.ReadPastEnd(); }
    // The identity of the file when it was opened or last saved.
    const TFileIdentity& FileIdentity() const { return identity_; }
    const std::string& StateFolder() const { return stateFolder_; }
    void SetStateFolder(const std::string& folder) { stateFolder_ = folder; }

    // Searching -----------------------------------------------------------------------
    // The offset of the first match of pattern that starts at from or later, kNotFound, or
    // kSearchCancelled. ignoreCase folds the ASCII letters.
    int64_t Find(const std::vector<uint8_t>& pattern, bool ignoreCase, int64_t from,
                 const TProgress& progress = {}) const;

    // Recovery -------------------------------------------------------------------------
    // The recovery file of the file at path in the state folder.
    std::string RecoveryPathFor(const std::string& path) const;
    TFileError WriteRecovery(const std::string& recoveryPath) const;
    // Puts back the edits kept for this document's file; feCorrupt when the file kept is
    // another or has changed since.
    TFileError ReadRecovery(const std::string& recoveryPath);
    // Whether a recovery file holds edits of the file as it is now.
    static bool RecoveryMatches(const std::string& recoveryPath, const std::string& path);

    std::function<void()> OnChangeLogUpdate;
    std::function<void(bool dirty)> OnDirtyChange;

private:
    static constexpr int64_t kPageSize = 4096;
    struct TPage {
        std::array<uint8_t, kPageSize> Bytes{};
        std::array<bool, kPageSize> Set{};
        int Count = 0;
    };

    void UseMemory(std::vector<uint8_t> bytes);
    void Reset();
    uint8_t BaseByte(int64_t offset) const;
    void Put(int64_t offset, uint8_t value);
    void LogEdit(int32_t kind, int64_t offset, int32_t length, uint64_t oldValue,
                 uint64_t newValue);
    void UpdateDirty();
    // Where the edits are: runs of edited bytes, in order.
    std::vector<TByteRange> EditedRanges() const;
    // The bytes of [offset, offset + length) with the edits: the mapped bytes themselves
    // when no edit is among them, else a copy in scratch.
    const uint8_t* View(int64_t offset, size_t length, std::vector<uint8_t>& scratch) const;
    bool AnyEditIn(int64_t offset, int64_t length) const;
    // After a save to path: the bytes are the file's now.
    void Adopt(const std::string& path);

    // The bytes under the edits: a mapped file, or memory of the document's own.
    TFileMapping mapping_;
    std::vector<uint8_t> memory_;
    const uint8_t* base_ = nullptr;
    int64_t baseSize_ = 0;
    int64_t size_ = 0;
    std::map<int64_t, std::unique_ptr<TPage>> pages_;  // by page number
    mutable const TPage* lastPage_ = nullptr;
    mutable int64_t lastPageNumber_ = -1;

    TChangeLog log_;
    uint64_t savedState_ = 0;
    bool reportedDirty_ = false;

    std::string filePath_;
    TFileIdentity identity_;
    std::string stateFolder_;
    bool rolledBack_ = false;
};

// The name of the hex editor's folder in the user's state folder.
inline constexpr const char* kHexEditorStateName = "zentick-hexedit";
