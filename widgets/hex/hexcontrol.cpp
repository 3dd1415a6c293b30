#include "widgets/hex/hexcontrol.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/gfx/scale.h"
#include "platform/ui/listview.h"
#include "platform/ui/menus.h"
#include "platform/ui/scrollbar.h"
#include "widgets/hex/numbase.h"
#include "widgets/hex/strutil.h"

namespace {

// The most positions a vertical scroll bar is given; files with more rows scroll in steps.
constexpr int64_t kMaxBarPositions = int64_t(1) << 30;

constexpr const char* kLayoutMessage =
    "Please make sure the Bytes-Per-Line (BPL) setting you\n"
    "select is divisible by the Bytes-Per-Group (BPG) setting\n"
    "you have selected\n";
constexpr const char* kDecimalGroupMessage =
    "Please make sure the Bytes-Per-Group (BPG) setting is\n"
    "at most 8 when bytes are shown in decimal\n";
constexpr const char* kNotLoadedMessage = "Start by using the File menu to open a file";

std::string Format(const char* format, auto... args) {
    char text[64];
    int n = std::snprintf(text, sizeof text, format, args...);
    return std::string(text, size_t(std::clamp(n, 0, int(sizeof text) - 1)));
}

// Digits of value in a base.
int DigitsOf(uint64_t value, unsigned base) {
    int digits = 1;
    while (value >= base) {
        value /= base;
        ++digits;
    }
    return digits;
}

}  // namespace

std::vector<uint8_t> SearchPatternOf(const std::string& text, int mode, std::string* error) {
    const std::string trimmed = TrimWhiteSpace(text);
    if (trimmed.empty()) return {};
    switch (mode) {
        case smText:
            return std::vector<uint8_t>(trimmed.begin(), trimmed.end());
        case smNumber: {
            std::optional<std::vector<uint8_t>> bytes = SearchNumberBytes(trimmed);
            if (!bytes && error) *error = trimmed + " is not a number of at most 64 bits.";
            return bytes ? *bytes : std::vector<uint8_t>();
        }
        case smHexBytes:
            return ParseByteString(trimmed);
        default:
            return {};
    }
}

// Construction and properties ---------------------------------------------------------------------

THexEditor::THexEditor(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ |= csOpaque;
    SetTabStop(true);
    document_.OnChangeLogUpdate = [this] { ChangeLogUpdated(); };
    document_.OnDirtyChange = [this](bool dirty) {
        if (OnDirtyChange) OnDirtyChange(this, dirty);
    };
    SetBounds(0, 0, 440, 300);
}

THexEditor::~THexEditor() {
    document_.OnChangeLogUpdate = nullptr;
    document_.OnDirtyChange = nullptr;
    if (scrollBar_) scrollBar_->RemoveFreeNotification(this);
    if (horzScrollBar_) horzScrollBar_->RemoveFreeNotification(this);
}

void THexEditor::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == scrollBar_) scrollBar_ = nullptr;
    if (component == horzScrollBar_) horzScrollBar_ = nullptr;
}

void THexEditor::Resize() {
    TCustomControl::Resize();
    UpdateScrollBars();
}

void THexEditor::SetMessage(const std::string& text) {
    message_ = text;
    Repaint();
}

// Every setter stores the value and repaints.
void THexEditor::SetDoRed(int value) {
    Store(doRed_, value);
}

void THexEditor::SetDoGreen(int value) {
    Store(doGreen_, value);
}

void THexEditor::SetDoBlue(int value) {
    Store(doBlue_, value);
}

void THexEditor::ChangeScale(int percent) {
    if (percent > 0 && percent != ScalePercent())
        barWidth_ = RescaleLength(barWidth_, ScalePercent(), percent);
    TCustomControl::ChangeScale(percent);
}

void THexEditor::SetBarWidth(int value) {
    Store(barWidth_, value);
}

void THexEditor::SetByteDigits(int value) {
    Store(byteDigits_, value);
}

void THexEditor::SetBaseBytes(int value) {
    Store(baseBytes_, value);
}

void THexEditor::SetBaseOffset(int value) {
    Store(baseOffset_, value);
}

void THexEditor::SetReadOnly(bool value) {
    Store(readOnly_, value);
}

void THexEditor::SetLatin1(bool value) {
    Store(latin1_, value);
}

void THexEditor::SetCursorStyle(int value) {
    Store(cursorStyle_, value);
}

void THexEditor::SetColorByte(TColor value) {
    Store(colorByte_, value);
}

void THexEditor::SetColorAscii(TColor value) {
    Store(colorAscii_, value);
}

void THexEditor::SetColorCursor(TColor value) {
    Store(colorCursor_, value);
}

void THexEditor::SetColorChange(TColor value) {
    Store(colorChange_, value);
}

void THexEditor::SetPolkaDots(int value) {
    Store(polkaDots_, value);
}

void THexEditor::SetBytesPerLine(int value) {
    bytesPerLine_ = value;
    // The cursor's row keeps its place on the screen as well as it can.
    if (value > 0) topRow_ = firstVisible_ / value;
    UpdateScrollBars();
    Repaint();
}

void THexEditor::SetBytesPerGroup(int value) {
    bytesPerGroup_ = value;
    Repaint();
}

void THexEditor::SetScrollBar(TScrollBar* scrollBar) {
    if (scrollBar_) scrollBar_->RemoveFreeNotification(this);
    scrollBar_ = scrollBar;
    if (scrollBar_) scrollBar_->FreeNotification(this);
    UpdateScrollBars();
    Repaint();
}

void THexEditor::SetHorzScrollBar(TScrollBar* scrollBar) {
    if (horzScrollBar_) horzScrollBar_->RemoveFreeNotification(this);
    horzScrollBar_ = scrollBar;
    if (horzScrollBar_) horzScrollBar_->FreeNotification(this);
    UpdateScrollBars();
    Repaint();
}

void THexEditor::SetCursorPanel(int panel) {
    panel = panel == cpBytes ? cpBytes : cpChars;
    if (panel == cursorPanel_) return;
    cursorPanel_ = panel;
    MoveCursor(cursor_);
}

int THexEditor::DigitsPerCell() const {
    if (!Decimal()) return GroupSize() * 2;
    // The decimal digits of the largest number a group holds.
    static constexpr int kDigits[] = {3, 5, 8, 10, 13, 15, 17, 20};
    return bytesPerGroup_ >= 1 && bytesPerGroup_ <= 8 ? kDigits[bytesPerGroup_ - 1] : 3;
}

const char* THexEditor::LayoutProblem() const {
    if (bytesPerLine_ < 1 || bytesPerGroup_ < 1 || bytesPerLine_ % bytesPerGroup_ != 0)
        return kLayoutMessage;
    if (Decimal() && bytesPerGroup_ > 8) return kDecimalGroupMessage;
    return nullptr;
}

// Bytes and words ---------------------------------------------------------------------------------

void THexEditor::SetByte(int64_t offset, uint8_t value) {
    document_.SetByte(offset, value);
    Invalidate();
}

uint64_t THexEditor::GetWord(int64_t offset) const {
    if (offset < 0) return 0;
    int group = GroupSize();
    return document_.GetGroup(offset / group * group, group);
}

void THexEditor::SetWord(int64_t offset, uint64_t value) {
    if (offset < 0) return;
    int group = GroupSize();
    document_.SetGroup(offset / group * group, group, value);
    Invalidate();
}

void THexEditor::SetCursorByte(uint8_t value) {
    SetByte(cursor_, value);
    if (OnCursorByteChange) OnCursorByteChange(this);
}

void THexEditor::SetCursorWord(uint64_t value) {
    SetWord(cursor_, value);
    if (OnCursorByteChange) OnCursorByteChange(this);
}

// Change log and dirty state ----------------------------------------------------------------------

void THexEditor::ChangeLogUpdated() {
    if (OnChangeLogUpdate) OnChangeLogUpdate(this);
}

void THexEditor::SetDirty(bool dirty) {
    document_.SetDirty(dirty);
}

void THexEditor::Undo() {
    TChangeEntry entry;
    if (document_.Undo(entry)) MoveCursor(entry.Offset);
}

void THexEditor::Redo() {
    TChangeEntry entry;
    if (document_.Redo(entry)) MoveCursor(entry.Offset);
}

void THexEditor::DataChange() {
    document_.ClearLog();
}

std::string THexEditor::FormatChangeEntry(const TChangeEntry& entry,
                                          const std::string& label) const {
    bool word = entry.Kind == ceWord;
    std::string oldText = word ? FormatWord(entry.OldValue) : FormatByte(uint8_t(entry.OldValue));
    std::string newText = word ? FormatWord(entry.NewValue) : FormatByte(uint8_t(entry.NewValue));
    return label + " " + FormatOffset(entry.Offset) + ": " + oldText + " --> " + newText;
}

void THexEditor::ChangeLogToMenuItem(TMenuItem* undoItem, TMenuItem* redoItem) const {
    auto present = [this](TMenuItem* item, int count, const TChangeEntry* newest,
                          const std::string& label) {
        if (!item) return;
        item->SetCaption(count > 0 ? FormatChangeEntry(*newest, label) : label);
        item->SetEnabled(count > 0);
    };
    const TChangeLog& log = ChangeLog();
    int undo = log.UndoCount(), redo = log.RedoCount();
    present(undoItem, undo, undo > 0 ? &log.UndoEntry(undo - 1) : nullptr, "Undo");
    present(redoItem, redo, redo > 0 ? &log.RedoEntry(redo - 1) : nullptr, "Redo");
}

void THexEditor::LogToListView(TListView* listView, bool redo) const {
    // How many of the newest entries a list view shows.
    constexpr int kListedEntries = 256;
    if (!listView) return;
    if (listView->Columns().empty()) {
        listView->AddColumn("Offset", 80);
        listView->AddColumn("Edit", 44);
        listView->AddColumn("Old", 72);
        listView->AddColumn("New", 72);
    }
    const TChangeLog& log = ChangeLog();
    int count = redo ? log.RedoCount() : log.UndoCount();
    listView->BeginUpdate();
    listView->Clear();
    for (int i = std::max(0, count - kListedEntries); i < count; ++i) {
        const TChangeEntry& entry = redo ? log.RedoEntry(i) : log.UndoEntry(i);
        bool word = entry.Kind == ceWord;
        std::string oldText =
            word ? FormatWord(entry.OldValue) : FormatByte(uint8_t(entry.OldValue));
        std::string newText =
            word ? FormatWord(entry.NewValue) : FormatByte(uint8_t(entry.NewValue));
        TListItem& item =
            listView->Add(FormatOffset(entry.Offset), {word ? "word" : "byte", oldText, newText});
        item.Data = intptr_t(entry.Offset);
    }
    listView->EndUpdate();
    if (listView->Count() > 0) {
        // The last row at the bottom of the view, or the view from the top when all fit.
        int top = listView->Count() - std::max(1, listView->VisibleRowCount());
        listView->SetTopIndex(std::max(0, top));
    }
}

void THexEditor::ChangeLogToListView(TListView* listView) const {
    LogToListView(listView, false);
}

void THexEditor::RedoLogToListView(TListView* listView) const {
    LogToListView(listView, true);
}

// Formatting --------------------------------------------------------------------------------------

std::string THexEditor::FormatByte(uint8_t value) const {
    return Decimal() ? Format("%03u", unsigned(value)) : Format("%02X", unsigned(value));
}

std::string THexEditor::FormatWord(uint64_t value) const {
    auto v = static_cast<unsigned long long>(value);
    if (Decimal()) return Format("%0*llu", DigitsPerCell(), v);
    return Format("%0*llX", std::min(GroupSize() * 2, 16), v);
}

std::string THexEditor::FormatOffset(int64_t offset) const {
    auto v = static_cast<unsigned long long>(std::max<int64_t>(offset, 0));
    if (baseOffset_ == 16) return Format("%0*llX", std::max(8, OffsetDigits()), v);
    return Format("%0*llu", std::max(10, OffsetDigits()), v);
}

int64_t THexEditor::DecodeOffset(const std::string& text) const {
    return baseOffset_ == 16 ? int64_t(ParseHex(text)) : ParseNumber(text);
}

std::string THexEditor::GetRowAscii(int64_t offset) const {
    std::string row;
    for (int k = 0; k < bytesPerLine_; ++k) {
        uint8_t b = GetByte(offset + k);
        row += b >= 32 && b < 127 ? char(b) : '.';
    }
    return row;
}

// Geometry ----------------------------------------------------------------------------------------

int THexEditor::OffsetDigits() const {
    uint64_t largest = uint64_t(std::max<int64_t>(Size() - 1, 0));
    return std::max(8, DigitsOf(largest, baseOffset_ == 16 ? 16 : 10));
}

THexEditor::TRowLayout THexEditor::Layout() const {
    const int cw = charWidth_;
    const int bpl = std::max(bytesPerLine_, 0), group = GroupSize();
    TRowLayout layout;
    layout.OffsetX = ScaleValue(kBorder);
    layout.OffsetDigits = OffsetDigits();
    layout.BytesX = layout.OffsetX + layout.OffsetDigits * cw + ScaleValue(kGap);
    if (Decimal()) {
        layout.BytesWidth = bpl / group * (DigitsPerCell() + 1) * cw;
    } else {
        layout.BytesWidth = bpl * 2 * cw + std::max(bpl / group - 1, 0) * cw;
    }
    layout.CharsX = layout.BytesX + layout.BytesWidth + ScaleValue(kGap);
    layout.Width = layout.CharsX + bpl * cw + ScaleValue(kBorder);
    return layout;
}

void THexEditor::CellSpan(const TRowLayout& layout, int64_t offset, int panel, int& x,
                          int& width) const {
    const int cw = charWidth_;
    const int column = bytesPerLine_ > 0 ? int(offset % bytesPerLine_) : 0;
    const int group = GroupSize();
    if (panel == cpChars) {
        x = layout.CharsX + column * cw;
        width = cw;
    } else if (Decimal()) {
        x = layout.BytesX + column / group * (DigitsPerCell() + 1) * cw;
        width = DigitsPerCell() * cw;
    } else {
        x = layout.BytesX + column * 2 * cw + column / group * cw;
        width = 2 * cw;
    }
}

int64_t THexEditor::RowCount() const {
    return bytesPerLine_ > 0 ? (Size() + bytesPerLine_ - 1) / bytesPerLine_ : 0;
}

TRect THexEditor::InnerRect() const {
    TRect client = ClientRect();
    int band = std::max(barWidth_, 0);
    return {client.Left + band, client.Top + band, client.Right - band, client.Bottom - band};
}

// Cursor, size and view ---------------------------------------------------------------------------

void THexEditor::MoveCursor(int64_t offset) {
    // Empty data has its cursor at 0.
    offset = std::clamp<int64_t>(offset, 0, std::max<int64_t>(Size() - 1, 0));
    document_.Seal();
    blink_ = 0;
    digitIndex_ = 0;
    cursor_ = offset;
    if (OnCursorChange) OnCursorChange(this, cursor_);
    ShowCursorInView();
    Repaint();
}

void THexEditor::ShowCursorInView() {
    if (bytesPerLine_ <= 0) return;
    topRow_ = TopRowFromBar();
    const int64_t row = cursor_ / bytesPerLine_;
    const int64_t page = std::max(rowsFit_, 1);
    if (row < topRow_) {
        topRow_ = row;
    } else if (row > topRow_ + page - 1) {
        topRow_ = row - page + 1;
    }
    if (charWidth_ > 0 && !LayoutProblem()) {
        int x = 0, width = 0;
        CellSpan(Layout(), cursor_, cursorPanel_, x, width);
        const int view = InnerRect().Width() - ScaleValue(kBorder);
        if (x - ScaleValue(kBorder) < leftPixel_) {
            // Near the start of the row: the whole start, offsets too.
            leftPixel_ = x + width <= view ? 0 : x - ScaleValue(kBorder);
        } else if (x + width > leftPixel_ + view) {
            leftPixel_ = x + width - view;
        }
    }
    UpdateScrollBars();
}

// The top row, moved to where the user put the vertical bar since the control last set it.
int64_t THexEditor::TopRowFromBar() const {
    if (scrollBar_ && scrollBar_->Position() != barPosition_)
        return int64_t(scrollBar_->Position()) * barScale_;
    return topRow_;
}

void THexEditor::UpdateScrollBars() {
    const int64_t lastTop = std::max<int64_t>(RowCount() - 1, 0);
    topRow_ = std::clamp<int64_t>(topRow_, 0, lastTop);
    const int maxLeft = std::max(rowWidth_ - ClientWidth(), 0);
    leftPixel_ = std::clamp(leftPixel_, 0, maxLeft);
    if (scrollBar_) {
        // The range is size / BytesPerLine - 1 rows, in steps of barScale_ rows.
        int64_t rows = bytesPerLine_ > 0 ? Size() / bytesPerLine_ - 1 : 0;
        barScale_ = std::max<int64_t>(1, (rows + kMaxBarPositions) / kMaxBarPositions);
        int max = int(std::max<int64_t>(rows, 0) / barScale_);
        barPosition_ = int(std::min<int64_t>(topRow_ / barScale_, max));
        scrollBar_->SetParams(barPosition_, 0, max);
        barPosition_ = scrollBar_->Position();
    }
    if (horzScrollBar_) {
        horzScrollBar_->SetParams(leftPixel_, 0, maxLeft);
        horzScrollBar_->SetSmallChange(std::max(charWidth_, 1));
        horzScrollBar_->SetLargeChange(std::max(ClientWidth() - 2 * ScaleValue(kBorder), 1));
        horzBarPosition_ = horzScrollBar_->Position();
    }
}

void THexEditor::SetSize(int64_t size) {
    document_.SetSize(size);
    if (OnSizeChange) OnSizeChange(this, Size());
    UpdateScrollBars();
    Repaint();
}

void THexEditor::ChangeFileName(const std::string& name) {
    fileName_ = name;
    if (OnFileNameChange) OnFileNameChange(this, fileName_);
    Repaint();
}

void THexEditor::ResetCursor() {
    MoveCursor(0);
}

void THexEditor::ResetOffset() {
    topRow_ = 0;
    leftPixel_ = 0;
    if (scrollBar_) scrollBar_->SetPosition(0);
    if (horzScrollBar_) horzScrollBar_->SetPosition(0);
    UpdateScrollBars();
}

int64_t THexEditor::GetMouseOffset(int x, int y) const {
    const THitCell* cell = hits_.Find(x, y);
    return cell ? cell->Offset : -1;
}

// Buffers and files -------------------------------------------------------------------------------

void THexEditor::SetNull() {
    document_.ShowNull();
    message_.clear();
    SetSize(Size());
    ChangeFileName("(null)");
    DataChange();
    SetDirty(false);
    ResetCursor();
    ResetOffset();
    Repaint();
}

void THexEditor::SetNotLoaded() {
    SetNull();
    SetMessage(kNotLoadedMessage);
}

bool THexEditor::Progress(int64_t done, int64_t total) {
    return !OnProgress || OnProgress(this, done, total);
}

int THexEditor::FileResult(const TFileError& error, bool saving) {
    fileError_ = error;
    switch (error.Kind) {
        case feNone:
            return hfDone;
        case feShortRead:
            return saving ? hfShortWrite : hfShortRead;
        case feNoMemory:
            return hfNoMemory;
        case feCancelled:
            return hfCancelled;
        case feNoSuchFile:
        case feIsFolder:
        case feNotRegular:
        case feAccessDenied:
        case feExists:
            return hfCannotOpen;
        default:
            return saving ? hfShortWrite : hfCannotOpen;
    }
}

int THexEditor::LoadFromFile(const std::string& fileName) {
    TFileError error = document_.Load(
        fileName, [this](int64_t done, int64_t total) { return Progress(done, total); });
    if (!error || error.Kind == feShortRead) {
        message_.clear();
        SetSize(Size());
        // Part of a file is not that file: it is saved under a name the user gives.
        ChangeFileName(!error ? fileName : std::string());
    }
    ResetCursor();
    ResetOffset();
    DataChange();
    Repaint();
    return FileResult(error, false);
}

int THexEditor::SaveToFile(const std::string& fileName) {
    TFileError error = document_.Save(
        fileName, [this](int64_t done, int64_t total) { return Progress(done, total); });
    if (!error) ChangeFileName(fileName);
    Repaint();
    return FileResult(error, true);
}

// Search ------------------------------------------------------------------------------------------

int64_t THexEditor::FindFirst(const std::string& text, int mode, int flags) {
    searchText_ = TrimWhiteSpace(text);
    searchMode_ = mode;
    searchFlags_ = flags;
    // From the start the first byte is a candidate too; from the cursor the bytes after it.
    searchPos_ = (flags & sfFromCursor) ? cursor_ : -1;
    return FindNext();
}

int64_t THexEditor::FindNext() {
    return Search(searchPos_ + 1);
}

int64_t THexEditor::Search(int64_t from) {
    searchCancelled_ = false;
    std::vector<uint8_t> pattern = SearchPatternOf(searchText_, searchMode_);
    if (pattern.empty()) return -1;
    bool noCase = searchMode_ == smText && !(searchFlags_ & sfMatchCase);
    int64_t hit = document_.Find(pattern, noCase, from, [this](int64_t done, int64_t total) {
        return Progress(done, total);
    });
    if (hit == kSearchCancelled) {
        searchCancelled_ = true;
        return -1;
    }
    if (hit >= 0) searchPos_ = hit;
    return hit;
}

// Keyboard and mouse ------------------------------------------------------------------------------

void THexEditor::Dispatch(TMessage& m) {
    if (m.Msg == WM_GETDLGCODE) {
        m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
        return;
    }
    if (m.Msg == WM_MOUSEWHEEL && MouseWheel(GET_WHEEL_DELTA_WPARAM(m.WParam))) return;
    TCustomControl::Dispatch(m);
}

bool THexEditor::DoKeyDown(uint16_t& key, TShiftState shift) {
    if (TCustomControl::DoKeyDown(key, shift)) return true;
    int64_t page = int64_t(bytesPerLine_) * std::max(rowsFit_, 1);
    switch (key) {
        case VK_PRIOR:
            MoveCursor(cursor_ - page);
            break;
        case VK_NEXT:
            MoveCursor(cursor_ + page);
            break;
        case VK_END:
            MoveCursor(Size() - 1);
            break;
        case VK_HOME:
            MoveCursor(0);
            break;
        case VK_LEFT:
            MoveCursor(cursor_ - 1);
            break;
        case VK_RIGHT:
            MoveCursor(cursor_ + 1);
            break;
        case VK_UP:
            MoveCursor(cursor_ - bytesPerLine_);
            break;
        case VK_DOWN:
            MoveCursor(cursor_ + bytesPerLine_);
            break;
        case VK_TAB:
            SetCursorPanel(cursorPanel_ == cpBytes ? cpChars : cpBytes);
            break;
        default:
            return false;
    }
    return true;
}

void THexEditor::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    if (static_cast<signed char>(key) >= 32) Input(key);
}

void THexEditor::Input(char key) {
    if (readOnly_) return;
    if (cursorPanel_ == cpChars) {
        SetByte(cursor_, uint8_t(key));
        MoveCursor(cursor_ + 1);
        return;
    }
    if (LayoutProblem()) return;
    if (!Decimal()) {
        int digit = HexDigitValue(char(FoldCase(uint8_t(key))));
        if (digit >= 0) {
            uint8_t b = GetCursorByte();
            b = digitIndex_ == 0 ? uint8_t((digit << 4) | (b & 0x0F)) : uint8_t((b & 0xF0) | digit);
            SetCursorByte(b);
        }
    } else if (key >= '0' && key <= '9') {
        std::string text =
            Format("%0*llu", DigitsPerCell(), static_cast<unsigned long long>(GetCursorWord()));
        if (size_t(digitIndex_) < text.size()) text[size_t(digitIndex_)] = key;
        // The low-order bytes of what was typed: 256 in a one-byte group leaves 0.
        uint64_t value = 0;
        for (char c : text)
            value = value * 10 + uint64_t(c - '0');
        SetCursorWord(value);
    }
    if (++digitIndex_ >= KeystrokesPerCell()) {
        MoveCursor(cursor_ + CursorStep());
        return;
    }
    Repaint();
}

void THexEditor::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (const THitCell* cell = hits_.Find(x, y)) {
        cursorPanel_ = cell->Panel;
        MoveCursor(cell->Offset);
    }
    SetFocus();
    Repaint();
}

uint32_t THexEditor::Random() {
    random_ = random_ * 1103515245u + 12345u;
    return (random_ >> 16) & 0x7FFF;
}

void THexEditor::AnimateCursor() {
    if (polkaDots_ > 0) Repaint();
    if (!message_.empty() || cursorStyle_ == 1) return;
    blink_ = blink_ >= 5 ? 0 : blink_ + 1;
    DrawCursorNow(blink_ < 3 ? clBlack : Color());
}
