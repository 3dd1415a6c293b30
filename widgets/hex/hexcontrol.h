// THexEditor: a control that shows a block of bytes as rows of an offset, the bytes (in
// hexadecimal or decimal) and the same bytes as characters; the user edits them with the
// keyboard, every edit goes into an undo and redo change log, and the control searches,
// loads and saves files of any size.
//
// The bytes, their edits, change log, dirty state, search and files belong to the
// control's THexDocument (hexdocument.h), which the control shows and forwards to; the
// control adds the view: layout, cursor, keyboard and mouse, and the events of its host.
//
// Layout. A row, from x = 0: a 12-pixel border, the offset (BaseOffset 16 in hexadecimal,
// any other in decimal, zero-padded to 8 digits or to the digits of the largest offset
// when it has more), a 20-pixel gap with a separator bar, the bytes panel, another gap
// and bar, the characters panel and a 12-pixel border. Everything is measured in the
// width and height of the letter "A" in the control's font (CharWidth, RowHeight) and
// these few pixel constants, so scaling the font scales the rows. Rows start at y = 10,
// one RowHeight apart, as many as fit above the frame's band; rows past the end of the
// data are not drawn. In the bytes panel BaseBytes 10 shows one decimal cell per group
// of BytesPerGroup bytes (a big-endian number), any other base one hexadecimal cell per
// byte with a space after every group. The characters panel shows the bytes 32 to 126 as
// themselves and every other byte as a dimmed "." (with Latin1, the bytes A0 to FF as
// their Latin-1 characters). Cells take the colour ColorCursor at the cursor (in the
// decimal panel: the group holding it), else ColorChange when the undo list holds an edit
// at exactly that offset, else ColorByte or ColorAscii. The cursor is two lines under the
// digit (or character) that the next keystroke replaces, in the panel that has the
// keyboard, whose cursor cell is also framed; the host blinks it by calling AnimateCursor
// from a timer (three calls on, three off). A shaded frame of BarWidth pixels runs round
// the control (the pixel constants, the cursor's lines and BarWidth scale with the
// control, the cells with its font). A layout that cannot be drawn (BytesPerLine not a
// positive multiple of a positive BytesPerGroup, or decimal groups of more than 8 bytes)
// shows a message
// instead, as does a non-empty Message.
//
// Scrolling. The control keeps its own top row and left pixel and follows the cursor:
// every cursor move brings the cursor's row and cell into view. An external ScrollBar
// (vertical) and HorzScrollBar show them and, when the user moves them, move the view
// (the host repaints the control from their OnChange). A vertical bar counts rows, in
// steps of several rows when a file has more than it can count. OnRowWidthChange tells
// the host when the width of a row changes, so it can widen its window or show the
// horizontal bar.
//
// Keyboard: Left, Right, Up, Down, Home, End, Page Up and Page Down move the cursor; Tab
// (and Shift+Tab) gives the keyboard to the other panel. Typed characters (codes 32 to
// 127) edit unless ReadOnly: in the characters panel the byte becomes the character and
// the cursor moves on; in the hexadecimal panel a digit sets the high and then the low
// nibble; in the decimal panel a digit replaces the digit under the cursor in the group's
// zero-padded decimal text, and the group keeps the low-order bytes of the result (typing
// 2, 5, 6 into a one-byte group leaves 0). After as many keystrokes as a cell has digits
// (valid or not) the cursor moves to the next cell. A mouse press puts the cursor on the
// cell under the pointer, in that panel.
//
// Search. FindFirst(text, mode, flags) trims the text and searches in mode smText (the
// text; case-insensitive for the ASCII letters unless sfMatchCase), smNumber (the number,
// as its fewest big-endian bytes of 1, 2, 4 or 8; one beyond 64 bits finds nothing, see
// SearchPatternOf) or smHexBytes (the text as a byte string, "41 42 43" or "414243"); from
// offset 0, or from just after the cursor with sfFromCursor. FindNext goes on after the
// last match. Both return the offset of the match (a match may end on the last byte) or
// -1; SearchCancelled() tells when the user cancelled through OnProgress. The cursor does
// not move.
//
// Files. LoadFromFile and SaveToFile return hfDone (0), hfShortRead (1), hfShortWrite (2:
// not every byte could be written; the file is as it was), hfCannotOpen (3), hfNoMemory
// (4) or hfCancelled (5); FileError() tells why in words (platform/os/fileio.h). Whatever
// the result, a load moves the cursor to 0 and the view to the top and clears the change
// log. A short read keeps the bytes that arrived, forgets the file name and leaves the
// editor dirty. Long loads, saves and searches report to OnProgress, which may cancel.
#pragma once

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/wincontrol.h"
#include "widgets/hex/hexdocument.h"
#include "widgets/hex/hittest.h"

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

// Results of LoadFromFile and SaveToFile.
constexpr int hfDone = 0;
constexpr int hfShortRead = 1;
constexpr int hfShortWrite = 2;
constexpr int hfCannotOpen = 3;
constexpr int hfNoMemory = 4;
constexpr int hfCancelled = 5;

using THexOffsetEvent = std::function<void(TObject* sender, int64_t value)>;
using THexDirtyEvent = std::function<void(TObject* sender, bool dirty)>;
using THexNameEvent = std::function<void(TObject* sender, const std::string& name)>;
// Progress of a long load, save or search: bytes done of the total; false cancels.
using THexProgressEvent = std::function<bool(TObject* sender, int64_t done, int64_t total)>;

// The bytes a search in a mode looks for; empty when there is nothing to look for, and
// then error says why when the text is no number of at most 64 bits.
std::vector<uint8_t> SearchPatternOf(const std::string& text, int mode,
                                     std::string* error = nullptr);

class THexEditor : public TCustomControl {
public:
    explicit THexEditor(TComponent* owner);
    ~THexEditor() override;

    THexDocument& Document() { return document_; }
    const THexDocument& Document() const { return document_; }

    // Data.
    int64_t Size() const { return document_.Size(); }
    const std::string& FileName() const { return fileName_; }
    bool Dirty() const { return document_.Dirty(); }
    const TChangeLog& ChangeLog() const { return document_.ChangeLog(); }
    // Text shown instead of the data while not empty; lines end with "\n".
    const std::string& Message() const { return message_; }
    void SetMessage(const std::string& text);

    int LoadFromFile(const std::string& fileName);
    int SaveToFile(const std::string& fileName);
    // Why the last LoadFromFile or SaveToFile did not succeed.
    const TFileError& FileError() const { return fileError_; }
    // Shows the null buffer, zero-filled, named "(null)", clean, with an empty log.
    void SetNull();
    // SetNull, then the message "Start by using the File menu to open a file".
    void SetNotLoaded();
    void Undo();
    void Redo();
    int64_t FindFirst(const std::string& text, int mode, int flags);
    int64_t FindNext();
    bool SearchCancelled() const { return searchCancelled_; }
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
    uint8_t GetByte(int64_t offset) const { return document_.GetByte(offset); }
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
    // 16 "%08X", any other decimal "%010d", each wider for offsets that need more digits.
    // DecodeOffset reads an offset the same way.
    std::string FormatByte(uint8_t value) const;
    std::string FormatWord(uint64_t value) const;
    std::string FormatOffset(int64_t offset) const;
    int64_t DecodeOffset(const std::string& text) const;
    // BytesPerLine characters from offset: the bytes 32 to 126 as themselves, others ".".
    std::string GetRowAscii(int64_t offset) const;

    // Moves the cursor (clamped to the data), seals the newest log entry, restarts the
    // blink and scrolls so that the cursor's row and cell show.
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
    void ResetOffset();  // view and scroll bars to the top and left

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
    // Whether the characters panel shows the bytes A0 to FF as Latin-1 characters.
    bool Latin1() const { return latin1_; }
    void SetLatin1(bool value);
    // External scroll bars that the control drives and reads (not owned; the control
    // forgets one that is destroyed). The host repaints the control when the user moves
    // them.
    TScrollBar* ScrollBar() const { return scrollBar_; }
    void SetScrollBar(TScrollBar* scrollBar);
    TScrollBar* HorzScrollBar() const { return horzScrollBar_; }
    void SetHorzScrollBar(TScrollBar* scrollBar);
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
    // Rows that fit above the frame: a page.
    int RowsVisible() const { return rowsFit_; }
    int64_t FirstVisibleOffset() const { return firstVisible_; }
    int64_t LastVisibleOffset() const { return lastVisible_; }
    int RowWidth() const { return rowWidth_; }
    int RowHeight() const { return rowHeight_; }
    int CharWidth() const { return charWidth_; }
    // The first pixel of the rows shown at the left (horizontal scrolling).
    int LeftPixel() const { return leftPixel_; }
    int DigitIndex() const { return digitIndex_; }
    int BlinkCounter() const { return blink_; }
    int64_t SearchPosition() const { return searchPos_; }
    // The cells painted last and the mouse finds.
    const THitTable& HitTable() const { return hits_; }

    THexOffsetEvent OnCursorChange;
    THexOffsetEvent OnSizeChange;
    THexDirtyEvent OnDirtyChange;
    THexNameEvent OnFileNameChange;
    TNotifyEvent OnCursorByteChange;
    TNotifyEvent OnRowWidthChange;
    TNotifyEvent OnChangeLogUpdate;
    THexProgressEvent OnProgress;

    void Dispatch(TMessage& message) override;

protected:
    // The wheel: three rows a notch (hexwheel.cpp); true: the editor took it.
    bool MouseWheel(int delta);
    void Paint() override;
    bool DoKeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Resize() override;

private:
    // The view's geometry in pixels besides the font's: every other length is a number of
    // character widths or row heights.
    static constexpr int kTopMargin = 10;  // above the first row
    static constexpr int kBorder = 12;     // left of the offsets, right of the characters
    static constexpr int kGap = 20;        // between the panels, with a separator bar
    static constexpr int kBarInGap = 9;    // centre of a separator bar from its gap's left

    struct TDot {
        int X = 0, Y = 0, VX = 0, VY = 0;
    };
    // Where the parts of a row lie, in the row's own x (before horizontal scrolling).
    struct TRowLayout {
        int OffsetX = 0, OffsetDigits = 8;
        int BytesX = 0, BytesWidth = 0;
        int CharsX = 0;
        int Width = 0;
    };

    template <class T>
    void Store(T& field, T value) {
        field = value;
        Repaint();
    }
    int GroupSize() const { return bytesPerGroup_ < 1 ? 1 : bytesPerGroup_; }
    bool Decimal() const { return baseBytes_ == 10; }
    int DigitsPerCell() const;
    int KeystrokesPerCell() const { return Decimal() ? DigitsPerCell() : 2; }
    int CursorStep() const { return Decimal() ? GroupSize() : 1; }
    // Empty when the layout can be drawn; else the message shown instead.
    const char* LayoutProblem() const;
    int OffsetDigits() const;
    TRowLayout Layout() const;
    // The x (row coordinates) and width of the cell holding offset in a panel.
    void CellSpan(const TRowLayout& layout, int64_t offset, int panel, int& x, int& width) const;
    int64_t RowCount() const;
    int64_t TopRowFromBar() const;
    void ShowCursorInView();
    void UpdateScrollBars();
    void ChangeLogUpdated();
    void LogToListView(TListView* listView, bool redo) const;
    void Input(char key);
    uint32_t Random();
    bool Progress(int64_t done, int64_t total);
    int FileResult(const TFileError& error, bool saving);
    int64_t Search(int64_t from);

    // Painting (hexpaint.cpp).
    void PaintPolkaDots(TCanvas& canvas, const TRect& client);
    void PaintMessage(TCanvas& canvas, const std::string& text);
    void PaintFrame(TCanvas& canvas);
    void PaintRow(TCanvas& canvas, THitRow& row, const TRowLayout& layout, int64_t offset, int y,
                  int left, int right);
    TColor CellColor(int64_t offset, bool atCursor, int panel) const;
    TRect InnerRect() const;
    void DrawCursor(TCanvas& canvas, TColor color) const;
    void DrawCursorNow(TColor color);

    THexDocument document_;

    // State.
    int64_t cursor_ = 5;
    int cursorPanel_ = cpChars;
    int digitIndex_ = 0;
    int blink_ = 0;
    std::string fileName_;
    std::string message_;
    TFileError fileError_;

    // Search.
    std::string searchText_;
    int searchMode_ = 0;
    int searchFlags_ = 0;
    int64_t searchPos_ = 0;
    bool searchCancelled_ = false;

    // View.
    int64_t topRow_ = 0;
    int leftPixel_ = 0;
    int wheelRemainder_ = 0;   // a part of a notch turned, for the next turn
    int64_t barScale_ = 1;     // rows per step of the vertical bar
    int barPosition_ = 0;      // the vertical bar's position as the control set it
    int horzBarPosition_ = 0;  // the same for the horizontal bar
    int64_t firstVisible_ = 0;
    int64_t lastVisible_ = -1;
    int rowsPainted_ = 0;
    int rowsFit_ = 0;
    int rowWidth_ = 0;
    int charWidth_ = 0;
    int rowHeight_ = 0;
    // Left of the two gaps with separator bars (control coordinates); kNoBar: hidden.
    static constexpr int kNoBar = INT_MIN;
    int barX_[2] = {kNoBar, kNoBar};
    bool cursorShown_ = false;
    TPoint cursorAt_;   // left end of the cursor's upper line
    TRect cursorCell_;  // the cell at the cursor in the panel that has the keyboard
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
    bool latin1_ = false;
    TScrollBar* scrollBar_ = nullptr;
    TScrollBar* horzScrollBar_ = nullptr;
    int cursorStyle_ = 0;
    TColor colorByte_ = clBlack;
    TColor colorAscii_ = clBlack;
    TColor colorCursor_ = clBlack;
    TColor colorChange_ = clBlack;
    int polkaDots_ = 0;
};
