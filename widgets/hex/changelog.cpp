#include "widgets/hex/changelog.h"

#include <utility>

void TChangeLog::Append(TChangeEntry entry) {
    if (undo_.size() >= size_t(kCapacity)) undo_.pop_front();
    undo_.push_back(entry);
}

void TChangeLog::Record(int32_t kind, int64_t offset, int32_t length, uint64_t oldValue,
                        uint64_t newValue) {
    if (!undo_.empty()) {
        TChangeEntry& top = undo_.back();
        if (top.Offset == offset && top.Kind == kind && top.Length == length &&
            !(top.Flags & ceSealed)) {
            top.NewValue = newValue;
            top.StateAfter = state_ = ++lastState_;
            return;
        }
    }
    TChangeEntry entry;
    entry.Kind = kind;
    entry.Offset = offset;
    entry.Length = length;
    entry.OldValue = oldValue;
    entry.NewValue = newValue;
    entry.StateBefore = state_;
    entry.StateAfter = state_ = ++lastState_;
    Append(entry);
    redo_.clear();
}

void TChangeLog::Seal() {
    if (!undo_.empty()) undo_.back().Flags |= ceSealed;
}

bool TChangeLog::Undo(TChangeEntry& entry) {
    if (undo_.empty()) return false;
    entry = undo_.back();
    undo_.pop_back();
    if (redo_.size() < size_t(kCapacity)) redo_.push_back(entry);
    state_ = entry.StateBefore;
    return true;
}

bool TChangeLog::Redo(TChangeEntry& entry) {
    if (redo_.empty()) return false;
    entry = redo_.back();
    redo_.pop_back();
    if (!undo_.empty()) {
        TChangeEntry& top = undo_.back();
        if (top.Offset == entry.Offset && top.Kind == entry.Kind && top.Length == entry.Length &&
            !(top.Flags & ceSealed)) {
            top.NewValue = entry.NewValue;
            top.StateAfter = state_ = entry.StateAfter;
            return true;
        }
    }
    TChangeEntry again = entry;
    again.Flags = 0;
    again.StateBefore = state_;
    Append(again);
    state_ = entry.StateAfter;
    return true;
}

void TChangeLog::Clear() {
    undo_.clear();
    redo_.clear();
    state_ = ++lastState_;
}

void TChangeLog::Restore(std::deque<TChangeEntry> undo, std::deque<TChangeEntry> redo,
                         uint64_t state, uint64_t lastState) {
    undo_ = std::move(undo);
    redo_ = std::move(redo);
    state_ = state;
    lastState_ = lastState;
}
