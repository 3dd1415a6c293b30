// THexEditor: a control that shows a block of bytes as rows of an offset, the bytes (in
// hexadecimal or decimal) and the same bytes as characters; the user edits them with the
// keyboard, every edit goes into an undo and redo change log, and the control searches,
// loads and saves whole files.
//
// Data. The control shows one of three buffers: the demo buffer (1024 bytes holding 0 to
// 255 four times over, shown from creation), the null buffer (1024 zero bytes, SetNull)
// or the buffer of a loaded file, allocated to the file's size and read straight into.
//
// Layout. A row, from x = 0: a 12-pixel border, the offset (16 = "%08X", any other
// BaseOffset decimal "%08u"), a 20-pixel gap with a separator bar, the bytes panel, another
// gap and bar, the characters panel and a 12-pixel border; rows start at y = 10, one
// text height ("A") apart, as many as fit. In the bytes panel BaseBytes 10 shows one
// decimal cell per group of BytesPerGroup bytes (a big-endian number), any other base one
// hexadecimal cell per byte with a space after every group; the characters panel shows
// each byte as a character, 0 as ".". Cells take the colour ColorCursor at the cursor
// (in the decimal panel: the group holding it), else ColorChange when the undo list holds
// an edit at exactly that offset, else ColorByte or ColorAscii. The cursor is two lines
// under the digit (or character) that the next keystroke replaces; the host blinks it by
// calling AnimateCursor from a timer (three calls on, three off). A shaded frame of
// BarWidth pixels runs round the control (margins, the cursor's lines and BarWidth scale
// with the control, the cells with its font). A layout that cannot be drawn (BytesPerLine not
// a positive multiple of a positive BytesPerGroup, or decimal groups of more than 8 bytes)
// shows a message instead, as does a non-empty Message.
//
// Keyboard: Left, Right, Up, Down, Home, End, Page Up and Page Down move the cursor.
// Typed characters (codes 32 to 127) edit unless ReadOnly: in the characters panel the
// byte becomes the character and the cursor moves on; in the hexadecimal panel a digit
// sets the high and then the low nibble; in the decimal panel a digit replaces the digit
// under the cursor in the group's zero-padded decimal text, and the group keeps the
// low-order bytes of the result (typing 2, 5, 6 into a one-byte group leaves 0). After
// as many keystrokes as a cell has digits (valid or not) the cursor moves to the next
// cell. A mouse press puts the cursor on the cell under the pointer, in that panel.
//
// Change log. SetByte and SetWord (and so typing) log each edit: kind, offset, the bytes
// it covers, old and new value. An edit at the offset of the newest entry, of the same
// kind and size, merges into it while that entry is not sealed; every cursor move seals
// it, so the two digits typed into one byte make one entry. A new entry empties the redo
// list.
// Each list keeps the newest 1024 entries. Undo and Redo write the old or new value back
// over exactly the bytes of the entry and move the cursor there.
//
// Dirty state. The editor is dirty whenever its data differs from the state of the last
// successful load or save (or the last SetDirty(false)): edits make it dirty, and undoing
// back to the saved state makes it clean again, as redoing away from it makes it dirty.
// OnDirtyChange is raised at every change of that state. Clearing the change log keeps a
// dirty editor dirty. SetDirty(true) marks the data as unsaved until the next save.
//
// Search. FindFirst(text, mode, flags) trims the text and searches in mode smText (the
// text; case-insensitive for the ASCII letters unless sfMatchCase), smNumber (the number,
// as its fewest big-endian bytes of 1, 2, 4 or 8) or smHexBytes (the text as a byte
// string, "41 42 43" or "414243"); from offset 0, or from just after the cursor with
// sfFromCursor. FindNext goes on after the last match. Both return the offset of the
// match (a match may end on the last byte) or -1. The cursor does not move.
//
// Files (widgets/hexfile.h). LoadFromFile and SaveToFile return hfDone (0), hfShortRead
// (1), hfShortWrite (2), hfCannotOpen (3) or hfNoMemory (4: the file does not fit in
// memory; the data shown stays). Only regular files are loaded and saved: a folder, pipe
// or device cannot be opened. Whatever the result, a load moves the cursor to 0 and the
// view to the top and clears the change log. A short read keeps the bytes that arrived,
// forgets the file name and leaves the editor dirty. A save writes a temporary file in the
// target's folder, flushes it to disk and renames it over the target only when every byte
// is written; a failed save leaves the target as it was. The target keeps its permission
// bits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/wincontrol.h"
#include "widgets/hexfile.h"
#include "widgets/hittest.h"

class TListView;
class TMenuItem;
class TScrollBar;

// Search modes and flags of FindFirst.
constexpr int smText = 1;
constexpr int smNumber = 2;
constexpr int smHexBytes = 3;
constexpr int sfMatchCase = 1;
constexpr int sfFromCursor = 4;

// Panels (CursorPanel, hit cells).
constexpr int cpBytes = 0;
constexpr int cpChars = 1;

// One logged edit.
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
    // The editor's data states before and after the edit, for its dirty state.
    uint64_t StateBefore = 0;
    uint64_t StateAfter = 0;
};

// The undo and redo lists, oldest entry first, each holding at most kCapacity entries.
// The log also numbers the states of the data it has seen: State() is the present one.
class TChangeLog {
public:
    static constexpr int kCapacity = 1024;

    int UndoCount() const { return int(undo_.size()); }
    int RedoCount() const { return int(redo_.size()); }
    const TChangeEntry& UndoEntry(int index) const { return undo_.at(size_t(index)); }
    const TChangeEntry& RedoEntry(int index) const { return redo_.at(size_t(index)); }
    uint64_t State() const { return state_; }

    // Logs an edit: merges it into the newest entry when that one has the same offset and
    // kind and is not sealed; else appends it (dropping the oldest entry of a full list)
    // and empties the redo list.
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

private:
    void Append(TChangeEntry entry);

    std::deque<TChangeEntry> undo_;
    std::deque<TChangeEntry> redo_;
    uint64_t state_ = 0;
    uint64_t lastState_ = 0;
};

using THexOffsetEvent = std::function<void(TObject* sender, int64_t value)>;
using THexDirtyEvent = std::function<void(TObject* sender, bool dirty)>;
using THexNameEvent = std::function<void(TObject* sender, const std::string& name)>;

class THexEditor : public TCustomControl {
public:
    explicit THexEditor(TComponent* owner);
    ~THexEditor() override;

    // Data.
    int64_t Size() const { return size_; }
    const uint8_t* Data() const { return data_; }
    const std::string& FileName() const { return fileName_; }
    bool Dirty() const { return log_.State() != savedState_; }
    const TChangeLog& ChangeLog() const { return log_; }
    // Text shown instead of the data while not empty; lines end with "\n".
    const std::string& Message() const { return message_; }
    void SetMessage(const std::string& text);

    int LoadFromFile(const std::string& fileName);
    int SaveToFile(const std::string& fileName);
    // Shows the null buffer, zero-filled, named "(null)", clean, with an empty log.
    void SetNull();
    // SetNull, then the message "Start by using the File menu to open a file".
    void SetNotLoaded();
    void Undo();
    void Redo();
    int64_t FindFirst(const std::string& text, int mode, int flags);
    int64_t FindNext();
    // Undo item: "Undo <entry>" and enabled, or "Undo" and disabled; the redo item alike.
    void ChangeLogToMenuItem(TMenuItem* undoItem, TMenuItem* redoItem) const;
    // Fills the list view with the newest 256 entries of the undo list (or the redo list),
    // oldest first, one row each: the offset, "byte" or "word", the old and the new value,
    // in the present bases as FormatChangeEntry writes them, with the entry's offset as the
    // row's Data; then scrolls the last row into view. A view without columns gets
    // "Offset", "Edit", "Old" and "New".
    void ChangeLogToListView(TListView* listView) const;
    void RedoLogToListView(TListView* listView) const;
    // "<label> <offset>: <old> --> <new>", values as bytes or words by the entry's kind.
    std::string FormatChangeEntry(const TChangeEntry& entry, const std::string& label) const;

    // Byte access: GetByte past the end gives 0, SetByte past the end does nothing.
    uint8_t GetByte(int64_t offset) const;
    void SetByte(int64_t offset, uint8_t value);
    // The group holding offset as a big-endian number (bytes past the end read as 0; of a
    // group longer than 8 bytes, its last 8). SetWord logs one word edit and writes the
    // group's bytes (its last 8 at most) from the number's low-order end.
    uint64_t GetWord(int64_t offset) const;
    void SetWord(int64_t offset, uint64_t value);
    std::string GetWordText(int64_t offset) const { return FormatWord(GetWord(offset)); }
    uint8_t GetCursorByte() const { return GetByte(cursor_); }
    void SetCursorByte(uint8_t value);
    uint64_t GetCursorWord() const { return GetWord(cursor_); }
    void SetCursorWord(uint64_t value);

    // Text in the present bases: BaseBytes 10 decimal ("%03d", words zero-padded to the
    // digits of a cell), any other hexadecimal ("%02X", words 2 digits a byte); BaseOffset
    // 16 "%08X", any other decimal "%010d". DecodeOffset reads an offset the same way.
    std::string FormatByte(uint8_t value) const;
    std::string FormatWord(uint64_t value) const;
    std::string FormatOffset(int64_t offset) const;
    int64_t DecodeOffset(const std::string& text) const;
    // BytesPerLine characters from offset, bytes below 32 as ".".
    std::string GetRowAscii(int64_t offset) const;

    // Moves the cursor (clamped to the data), seals the newest log entry, restarts the
    // blink and scrolls the scroll bar so that the cursor's row shows.
    void MoveCursor(int64_t offset);
    // The offset of the cell under a client point in the last paint, or -1.
    int64_t GetMouseOffset(int x, int y) const;
    // One blink step of the cursor (and, with PolkaDots, one step of the dots).
    void AnimateCursor();
    void ChangeFileName(const std::string& name);
    // Sets the size of the data shown (at most what the buffer holds).
    void SetSize(int64_t size);
    void SetDirty(bool dirty);
    void DataChange();   // clears the change log
    void ResetCursor();  // cursor to 0
    void ResetOffset();  // view and scroll bar to the top

    // Properties.
    int DoRed() const { return doRed_; }
    void SetDoRed(int value);
    int DoGreen() const { return doGreen_; }
    void SetDoGreen(int value);
    int DoBlue() const { return doBlue_; }
    void SetDoBlue(int value);
    int BarWidth() const { return barWidth_; }
    void SetBarWidth(int value);
    // Also scales BarWidth.
    void ChangeScale(int percent) override;
    int BytesPerLine() const { return bytesPerLine_; }
    void SetBytesPerLine(int value);
    int BytesPerGroup() const { return bytesPerGroup_; }
    void SetBytesPerGroup(int value);
    int ByteDigits() const { return byteDigits_; }
    void SetByteDigits(int value);
    int BaseBytes() const { return baseBytes_; }
    void SetBaseBytes(int value);
    int BaseOffset() const { return baseOffset_; }
    void SetBaseOffset(int value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    // An external vertical scroll bar that the control drives and reads (not owned; the
    // control forgets it when it is destroyed). The host repaints the control when the
    // user moves it.
    TScrollBar* ScrollBar() const { return scrollBar_; }
    void SetScrollBar(TScrollBar* scrollBar);
    int CursorPanel() const { return cursorPanel_; }
    void SetCursorPanel(int panel);
    int64_t CursorOffset() const { return cursor_; }
    void SetCursorOffset(int64_t offset) { MoveCursor(offset); }
    int CursorStyle() const { return cursorStyle_; }
    void SetCursorStyle(int value);
    TColor ColorByte() const { return colorByte_; }
    void SetColorByte(TColor value);
    TColor ColorAscii() const { return colorAscii_; }
    void SetColorAscii(TColor value);
    TColor ColorCursor() const { return colorCursor_; }
    void SetColorCursor(TColor value);
    TColor ColorChange() const { return colorChange_; }
    void SetColorChange(TColor value);
    int PolkaDots() const { return polkaDots_; }
    void SetPolkaDots(int value);
    // Seeds the dots' random source and puts the dots back at their start: the same seed
    // gives the same dots.
    void SetRandomSeed(uint32_t seed) {
        random_ = seed;
        dots_ = {};
    }

    // The view of the last paint.
    int RowsPainted() const { return rowsPainted_; }
    int64_t FirstVisibleOffset() const { return firstVisible_; }
    int64_t LastVisibleOffset() const { return lastVisible_; }
    int RowWidth() const { return rowWidth_; }
    int RowHeight() const { return rowHeight_; }
    int CharWidth() const { return charWidth_; }
    int DigitIndex() const { return digitIndex_; }
    int BlinkCounter() const { return blink_; }
    int64_t SearchPosition() const { return searchPos_; }

    THexOffsetEvent OnCursorChange;
    THexOffsetEvent OnSizeChange;
    THexDirtyEvent OnDirtyChange;
    THexNameEvent OnFileNameChange;
    TNotifyEvent OnCursorByteChange;
    TNotifyEvent OnRowWidthChange;
    TNotifyEvent OnChangeLogUpdate;

    void Dispatch(TMessage& message) override;

protected:
    // The wheel: three rows a notch through the scroll bar (hexwheel.cpp); true when the
    // editor scrolled (or had nothing to scroll), false to pass the wheel on.
    bool MouseWheel(int delta);
    void Paint() override;
    bool DoKeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    struct TDot {
        int X = 0, Y = 0, VX = 0, VY = 0;
    };

    void UseBuffer(uint8_t* data, int64_t capacity);
    int GroupSize() const { return bytesPerGroup_ < 1 ? 1 : bytesPerGroup_; }
    bool Decimal() const { return baseBytes_ == 10; }
    int DigitsPerCell() const;
    int KeystrokesPerCell() const { return Decimal() ? DigitsPerCell() : 2; }
    int CursorStep() const { return Decimal() ? GroupSize() : 1; }
    // Empty when the layout can be drawn; else the message shown instead.
    const char* LayoutProblem() const;
    // Writes the big-endian value over length bytes at offset (the last 8 at most),
    // without logging.
    void WriteValue(int64_t offset, int32_t length, uint64_t value);
    void LogEdit(int32_t kind, int64_t offset, int32_t length, uint64_t oldValue,
                 uint64_t newValue);
    void ChangeLogUpdated();
    void LogToListView(TListView* listView, bool redo) const;
    void UpdateDirty();
    void UpdateScrollRange();
    void Input(char key);
    uint32_t Random();

    // Painting.
    void PaintPolkaDots(TCanvas& canvas, const TRect& client);
    void PaintMessage(TCanvas& canvas, const std::string& text);
    void PaintFrame(TCanvas& canvas);
    int PaintRow(TCanvas& canvas, THitRow& row, int64_t offset, int y);
    TColor CellColor(int64_t offset, bool atCursor, int panel) const;
    void DrawCursor(TCanvas& canvas, TColor color) const;
    void DrawCursorNow(TColor color);

    // Buffers.
    std::array<uint8_t, 1024> demo_{};
    std::array<uint8_t, 1024> null_{};
    TPageBuffer loaded_;
    uint8_t* data_ = nullptr;
    int64_t capacity_ = 0;
    int64_t size_ = 0;

    // State.
    int64_t cursor_ = 5;
    int cursorPanel_ = cpChars;
    int digitIndex_ = 0;
    int blink_ = 0;
    std::string fileName_;
    std::string message_;
    TChangeLog log_;
    uint64_t savedState_ = 0;
    bool reportedDirty_ = false;
    int suppressLog_ = 0;

    // Search.
    std::string searchText_;
    int searchMode_ = 0;
    int searchFlags_ = 0;
    int64_t searchPos_ = 0;

    // View.
    int64_t topOffset_ = 0;
    int wheelRemainder_ = 0;  // a part of a notch turned, for the next turn
    int64_t firstVisible_ = 0;
    int64_t lastVisible_ = -1;
    int rowsPainted_ = 0;
    int rowWidth_ = 0;
    int charWidth_ = 0;
    int rowHeight_ = 0;
    int barX_[2] = {-1, -1};  // left of the two gaps with separator bars; -1 hidden
    bool cursorShown_ = false;
    TPoint cursorAt_;  // left end of the cursor's upper line
    THitTable hits_;
    std::vector<int64_t> changed_;  // offsets of the undo list, sorted, during a paint
    std::array<TDot, 30> dots_{};
    uint32_t random_ = 1;

    // Properties.
    int doRed_ = 0;
    int doGreen_ = -1;
    int doBlue_ = 255;
    int barWidth_ = 6;
    int bytesPerLine_ = 16;
    int bytesPerGroup_ = 4;
    int byteDigits_ = 2;
    int baseBytes_ = 16;
    int baseOffset_ = 16;
    bool readOnly_ = false;
    TScrollBar* scrollBar_ = nullptr;
    int cursorStyle_ = 0;
    TColor colorByte_ = clBlack;
    TColor colorAscii_ = clBlack;
    TColor colorCursor_ = clBlack;
    TColor colorChange_ = clBlack;
    int polkaDots_ = 0;
};
