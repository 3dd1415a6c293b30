// TChangeLog: the undo and redo lists of the hex editor's edits.
//
// An edit is logged with its kind (one byte, or a whole group of bytes read as a
// big-endian number), its offset, the bytes it covers, and the old and new value. An edit
// at the offset of the newest entry, of the same kind and size, merges into it while that
// entry is not sealed; the editor seals it at every cursor move, so the two digits typed
// into one byte make one entry. A new entry empties the redo list. Each list keeps its
// newest kCapacity entries.
//
// The log also numbers the states of the data: every edit, undo and redo moves to a state
// (State()), and an undo and the redo after it come back to the same numbers. The editor
// compares the state with the one of its last save to know whether it is dirty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

constexpr int32_t ceByte = 0;    // kind: one byte
constexpr int32_t ceWord = 1;    // kind: a whole group, as a big-endian number
constexpr int32_t ceSealed = 1;  // flag: later edits at the same offset make new entries

struct TChangeEntry {
    int32_t Kind = ceByte;
    int32_t Flags = 0;
    int64_t Offset = 0;  // the byte, or the first byte of the group
    uint64_t OldValue = 0;
    uint64_t NewValue = 0;
    int32_t Length = 1;  // bytes the entry covers (the group size of a word edit)
    // The data's states before and after the edit.
    uint64_t StateBefore = 0;
    uint64_t StateAfter = 0;
    bool operator==(const TChangeEntry&) const = default;
};

// The undo and redo lists, oldest entry first.
class TChangeLog {
public:
    static constexpr int kCapacity = 1024;

    int UndoCount() const { return int(undo_.size()); }
    int RedoCount() const { return int(redo_.size()); }
    const TChangeEntry& UndoEntry(int index) const { return undo_.at(size_t(index)); }
    const TChangeEntry& RedoEntry(int index) const { return redo_.at(size_t(index)); }
    uint64_t State() const { return state_; }
    // The last state number given out (the next edit gets a higher one).
    uint64_t LastState() const { return lastState_; }

    // Logs an edit: merges it into the newest entry when that one has the same offset, kind
    // and length and is not sealed; else appends it (dropping the oldest entry of a full
    // list) and empties the redo list.
    void Record(int32_t kind, int64_t offset, int32_t length, uint64_t oldValue, uint64_t newValue);
    // Seals the newest undo entry.
    void Seal();
    // Moves the newest undo entry to the redo list (dropping it when that list is full);
    // false when there is nothing to undo.
    bool Undo(TChangeEntry& entry);
    // Takes the newest redo entry off and logs it again, keeping the rest of the redo
    // list; false when there is nothing to redo.
    bool Redo(TChangeEntry& entry);
    // Empties both lists; the data is in a state of its own from now on.
    void Clear();
    // Puts back lists kept elsewhere (a recovery file), with the state numbers they had.
    void Restore(std::deque<TChangeEntry> undo, std::deque<TChangeEntry> redo, uint64_t state,
                 uint64_t lastState);

private:
    void Append(TChangeEntry entry);

    std::deque<TChangeEntry> undo_;
    std::deque<TChangeEntry> redo_;
    uint64_t state_ = 0;
    uint64_t lastState_ = 0;
};
