#include "widgets/hexcontrol.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/gfx/scale.h"
#include "platform/ui/listview.h"
#include "platform/ui/menus.h"
#include "platform/ui/scrollbar.h"
#include "widgets/numbase.h"
#include "widgets/strutil.h"
#include "widgets/tarvopanel.h"

namespace {

constexpr uint64_t kNeverSaved = UINT64_MAX;  // a saved state that no data state matches
// At 100 %: they scale with the control.
constexpr int kTopMargin = 10;
constexpr int kBorder = 12;
constexpr int kGap = 20;
constexpr int kBarInGap = 9;  // centre of a separator bar from the left of its gap
constexpr int kShadeRange = 150;
constexpr int kMaxDots = 30;
constexpr int kDotSize = 30;
constexpr TColor kDotColor = RGB(255, 255, 128);

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

}  // namespace

// TChangeLog --------------------------------------------------------------------------------------

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

// Construction and properties ---------------------------------------------------------------------

THexEditor::THexEditor(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ |= csOpaque;
    SetTabStop(true);
    for (size_t i = 0; i < demo_.size(); ++i)
        demo_[i] = uint8_t(i);
    UseBuffer(demo_.data(), int64_t(demo_.size()));
    size_ = capacity_;
    SetBounds(0, 0, 440, 300);
}

THexEditor::~THexEditor() {
    if (scrollBar_) scrollBar_->RemoveFreeNotification(this);
}

void THexEditor::UseBuffer(uint8_t* data, int64_t capacity) {
    data_ = data;
    capacity_ = capacity;
    size_ = std::min(size_, capacity_);
}

void THexEditor::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation == opRemove && component == scrollBar_) scrollBar_ = nullptr;
}

void THexEditor::SetMessage(const std::string& text) {
    message_ = text;
    Repaint();
}

void THexEditor::SetDoRed(int value) {
    doRed_ = value;
    Repaint();
}

void THexEditor::SetDoGreen(int value) {
    doGreen_ = value;
    Repaint();
}

void THexEditor::SetDoBlue(int value) {
    doBlue_ = value;
    Repaint();
}

void THexEditor::ChangeScale(int percent) {
    if (percent > 0 && percent != ScalePercent())
        barWidth_ = RescaleLength(barWidth_, ScalePercent(), percent);
    TCustomControl::ChangeScale(percent);
}

void THexEditor::SetBarWidth(int value) {
    barWidth_ = value;
    Repaint();
}

void THexEditor::SetBytesPerLine(int value) {
    bytesPerLine_ = value;
    UpdateScrollRange();
    Repaint();
}

void THexEditor::SetBytesPerGroup(int value) {
    bytesPerGroup_ = value;
    Repaint();
}

void THexEditor::SetByteDigits(int value) {
    byteDigits_ = value;
    Repaint();
}

void THexEditor::SetBaseBytes(int value) {
    baseBytes_ = value;
    Repaint();
}

void THexEditor::SetBaseOffset(int value) {
    baseOffset_ = value;
    Repaint();
}

void THexEditor::SetReadOnly(bool value) {
    readOnly_ = value;
    Repaint();
}

void THexEditor::SetScrollBar(TScrollBar* scrollBar) {
    if (scrollBar_) scrollBar_->RemoveFreeNotification(this);
    scrollBar_ = scrollBar;
    if (scrollBar_) scrollBar_->FreeNotification(this);
    UpdateScrollRange();
    Repaint();
}

void THexEditor::SetCursorPanel(int panel) {
    panel = panel == cpBytes ? cpBytes : cpChars;
    if (panel == cursorPanel_) return;
    cursorPanel_ = panel;
    MoveCursor(cursor_);
}

void THexEditor::SetCursorStyle(int value) {
    cursorStyle_ = value;
    Repaint();
}

void THexEditor::SetColorByte(TColor value) {
    colorByte_ = value;
    Repaint();
}

void THexEditor::SetColorAscii(TColor value) {
    colorAscii_ = value;
    Repaint();
}

void THexEditor::SetColorCursor(TColor value) {
    colorCursor_ = value;
    Repaint();
}

void THexEditor::SetColorChange(TColor value) {
    colorChange_ = value;
    Repaint();
}

void THexEditor::SetPolkaDots(int value) {
    polkaDots_ = value;
    Repaint();
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

uint8_t THexEditor::GetByte(int64_t offset) const {
    return offset >= 0 && offset < size_ ? data_[offset] : 0;
}

void THexEditor::SetByte(int64_t offset, uint8_t value) {
    if (offset < 0 || offset >= size_) return;
    uint8_t old = data_[offset];
    data_[offset] = value;
    if (suppressLog_ == 0) LogEdit(ceByte, offset, 1, old, value);
}

uint64_t THexEditor::GetWord(int64_t offset) const {
    if (offset < 0) return 0;
    int group = GroupSize();
    int64_t start = offset / group * group;
    uint64_t value = 0;
    for (int k = 0; k < group; ++k)
        value = (value << 8) | GetByte(start + k);
    return value;
}

void THexEditor::WriteValue(int64_t offset, int32_t length, uint64_t value) {
    ++suppressLog_;
    for (int32_t k = length - 1; k >= 0 && k >= length - 8; --k, value >>= 8)
        SetByte(offset + k, uint8_t(value & 0xFF));
    --suppressLog_;
}

void THexEditor::SetWord(int64_t offset, uint64_t value) {
    if (offset < 0) return;
    int group = GroupSize();
    int64_t start = offset / group * group;
    if (start >= size_) return;
    uint64_t old = GetWord(start);
    WriteValue(start, group, value);
    if (suppressLog_ == 0) {
        // What the group holds now: bytes past the end stay 0 however the value reads.
        LogEdit(ceWord, start, group, old, GetWord(start));
    }
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

void THexEditor::LogEdit(int32_t kind, int64_t offset, int32_t length, uint64_t oldValue,
                         uint64_t newValue) {
    log_.Record(kind, offset, length, oldValue, newValue);
    ChangeLogUpdated();
    UpdateDirty();
}

void THexEditor::ChangeLogUpdated() {
    if (OnChangeLogUpdate) OnChangeLogUpdate(this);
}

void THexEditor::UpdateDirty() {
    bool dirty = Dirty();
    if (dirty == reportedDirty_) return;
    reportedDirty_ = dirty;
    if (OnDirtyChange) OnDirtyChange(this, dirty);
}

void THexEditor::SetDirty(bool dirty) {
    savedState_ = dirty ? kNeverSaved : log_.State();
    reportedDirty_ = dirty;
    if (OnDirtyChange) OnDirtyChange(this, dirty);
}

void THexEditor::Undo() {
    TChangeEntry entry;
    if (!log_.Undo(entry)) return;
    WriteValue(entry.Offset, entry.Length, entry.OldValue);
    MoveCursor(entry.Offset);
    ChangeLogUpdated();
    UpdateDirty();
}

void THexEditor::Redo() {
    TChangeEntry entry;
    if (!log_.Redo(entry)) return;
    WriteValue(entry.Offset, entry.Length, entry.NewValue);
    MoveCursor(entry.Offset);
    ChangeLogUpdated();
    UpdateDirty();
}

void THexEditor::DataChange() {
    bool dirty = Dirty();
    log_.Clear();
    // Edits made before the log was cleared can no longer be undone: a dirty editor stays
    // dirty until it is saved.
    savedState_ = dirty ? kNeverSaved : log_.State();
    ChangeLogUpdated();
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
    int undo = log_.UndoCount(), redo = log_.RedoCount();
    present(undoItem, undo, undo > 0 ? &log_.UndoEntry(undo - 1) : nullptr, "Undo");
    present(redoItem, redo, redo > 0 ? &log_.RedoEntry(redo - 1) : nullptr, "Redo");
}

// Formatting --------------------------------------------------------------------------------------

namespace {

// How many of the newest entries a list view shows.
constexpr int kListedEntries = 256;

}  // namespace

void THexEditor::LogToListView(TListView* listView, bool redo) const {
    if (!listView) return;
    if (listView->Columns().empty()) {
        listView->AddColumn("Offset", 80);
        listView->AddColumn("Edit", 44);
        listView->AddColumn("Old", 72);
        listView->AddColumn("New", 72);
    }
    int count = redo ? log_.RedoCount() : log_.UndoCount();
    listView->BeginUpdate();
    listView->Clear();
    for (int i = std::max(0, count - kListedEntries); i < count; ++i) {
        const TChangeEntry& entry = redo ? log_.RedoEntry(i) : log_.UndoEntry(i);
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

std::string THexEditor::FormatByte(uint8_t value) const {
    return Decimal() ? Format("%03u", unsigned(value)) : Format("%02X", unsigned(value));
}

std::string THexEditor::FormatWord(uint64_t value) const {
    auto v = static_cast<unsigned long long>(value);
    if (Decimal()) return Format("%0*llu", DigitsPerCell(), v);
    return Format("%0*llX", std::min(GroupSize() * 2, 16), v);
}

std::string THexEditor::FormatOffset(int64_t offset) const {
    auto v = static_cast<long long>(offset);
    return baseOffset_ == 16 ? Format("%0*llX", 8, v) : Format("%0*lld", 10, v);
}

int64_t THexEditor::DecodeOffset(const std::string& text) const {
    return baseOffset_ == 16 ? int64_t(ParseHex(text)) : ParseNumber(text);
}

std::string THexEditor::GetRowAscii(int64_t offset) const {
    std::string row;
    for (int k = 0; k < bytesPerLine_; ++k) {
        uint8_t b = GetByte(offset + k);
        row += b < 32 ? '.' : char(b);
    }
    return row;
}

// Cursor, size and view ---------------------------------------------------------------------------

void THexEditor::MoveCursor(int64_t offset) {
    // Empty data has its cursor at 0.
    offset = std::clamp<int64_t>(offset, 0, std::max<int64_t>(size_ - 1, 0));
    log_.Seal();
    blink_ = 0;
    digitIndex_ = 0;
    cursor_ = offset;
    if (OnCursorChange) OnCursorChange(this, cursor_);
    if (scrollBar_ && bytesPerLine_ > 0) {
        int64_t row = cursor_ / bytesPerLine_;
        int64_t position = -1;
        if (cursor_ < firstVisible_) {
            position = row;
        } else if (cursor_ > lastVisible_) {
            position = row - rowsPainted_ + 1;
        }
        if (position >= 0) scrollBar_->SetPosition(int(std::min<int64_t>(position, INT_MAX)));
    }
    Repaint();
}

void THexEditor::UpdateScrollRange() {
    if (!scrollBar_) return;
    int64_t rows = bytesPerLine_ > 0 ? size_ / bytesPerLine_ - 1 : 0;
    scrollBar_->SetMax(int(std::clamp<int64_t>(rows, 0, INT_MAX)));
}

void THexEditor::SetSize(int64_t size) {
    size_ = std::clamp<int64_t>(size, 0, capacity_);
    if (OnSizeChange) OnSizeChange(this, size_);
    UpdateScrollRange();
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
    topOffset_ = 0;
    if (scrollBar_) scrollBar_->SetPosition(0);
}

int64_t THexEditor::GetMouseOffset(int x, int y) const {
    const THitCell* cell = hits_.Find(x, y);
    return cell ? cell->Offset : -1;
}

// Buffers -----------------------------------------------------------------------------------------

void THexEditor::SetNull() {
    loaded_.Free();
    null_.fill(0);
    UseBuffer(null_.data(), int64_t(null_.size()));
    message_.clear();
    SetSize(capacity_);
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

int THexEditor::LoadFromFile(const std::string& fileName) {
    TPageBuffer buffer;
    size_t got = 0;
    int result = ReadFileToBuffer(fileName, buffer, got);
    if (result == hfDone || result == hfShortRead) {
        loaded_ = std::move(buffer);
        UseBuffer(loaded_.Data(), int64_t(got));
        message_.clear();
        SetSize(int64_t(got));
        // Part of a file is not that file: it is saved under a name the user gives.
        ChangeFileName(result == hfDone ? fileName : std::string());
    }
    ResetCursor();
    ResetOffset();
    DataChange();
    if (result == hfDone) SetDirty(false);
    if (result == hfShortRead) SetDirty(true);
    Repaint();
    return result;
}

int THexEditor::SaveToFile(const std::string& fileName) {
    int result = WriteFileReplacing(fileName, data_, size_t(size_));
    if (result == hfDone) {
        ChangeFileName(fileName);
        SetDirty(false);
    }
    return result;
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
    if (searchText_.empty()) return -1;
    std::vector<uint8_t> pattern;
    switch (searchMode_) {
        case smText:
            pattern.assign(searchText_.begin(), searchText_.end());
            break;
        case smNumber:
            pattern = NumberBytes(ParseNumber(searchText_));
            break;
        case smHexBytes:
            pattern = ParseByteString(searchText_);
            break;
        default:
            return -1;
    }
    if (pattern.empty() || size_ <= 0) return -1;
    auto from = size_t(std::max<int64_t>(searchPos_ + 1, 0));
    bool noCase = searchMode_ == smText && !(searchFlags_ & sfMatchCase);
    int64_t hit = noCase
                      ? FindBytesNoCase(data_, size_t(size_), from, pattern.data(), pattern.size())
                      : FindBytes(data_, size_t(size_), from, pattern.data(), pattern.size());
    if (hit >= 0) searchPos_ = hit;
    return hit;
}

// Keyboard and mouse ------------------------------------------------------------------------------

void THexEditor::Dispatch(TMessage& m) {
    if (m.Msg == WM_GETDLGCODE) {
        m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    }
    if (m.Msg == WM_MOUSEWHEEL && MouseWheel(GET_WHEEL_DELTA_WPARAM(m.WParam))) return;
    TCustomControl::Dispatch(m);
}

bool THexEditor::DoKeyDown(uint16_t& key, TShiftState shift) {
    if (TCustomControl::DoKeyDown(key, shift)) return true;
    int64_t page = int64_t(bytesPerLine_) * rowsPainted_;
    switch (key) {
        case VK_PRIOR:
            MoveCursor(cursor_ - page);
            break;
        case VK_NEXT:
            MoveCursor(cursor_ + page);
            break;
        case VK_END:
            MoveCursor(size_ - 1);
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

// Painting ----------------------------------------------------------------------------------------

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

void THexEditor::DrawCursor(TCanvas& canvas, TColor color) const {
    if (!cursorShown_) return;
    TColor saved = canvas.Pen.Color;
    canvas.Pen.Color = color;
    for (int line = 0; line < 2 * LineWidth(); ++line) {
        canvas.MoveTo(cursorAt_.X, cursorAt_.Y + line);
        canvas.LineTo(cursorAt_.X + charWidth_, cursorAt_.Y + line);
    }
    canvas.Pen.Color = saved;
}

void THexEditor::DrawCursorNow(TColor color) {
    if (!cursorShown_ || !HandleAllocated() || !Showing()) return;
    HDC dc = GetDC(Handle());
    if (!dc) return;
    DrawCursor(DCCanvas(dc), color);
    ReleaseDC(Handle(), dc);
}

void THexEditor::PaintPolkaDots(TCanvas& canvas, const TRect& client) {
    if (client.IsEmpty()) return;
    canvas.Pen.Color = kDotColor;
    canvas.Brush.Color = kDotColor;
    canvas.Brush.Style = bsSolid;
    for (int i = 0; i < std::min(polkaDots_, kMaxDots); ++i) {
        TDot& d = dots_[size_t(i)];
        d.X += d.VX;
        d.Y += d.VY;
        if (!client.Contains({d.X, d.Y}) || (d.VX == 0 && d.VY == 0)) {
            d.X = client.Left + int(Random() % unsigned(client.Width()));
            d.Y = client.Top + int(Random() % unsigned(client.Height()));
            d.VX = int(Random() % 3) - 1;
            d.VY = int(Random() % 3) - 1;
        }
        canvas.Ellipse(d.X, d.Y, d.X + ScaleValue(kDotSize), d.Y + ScaleValue(kDotSize));
    }
}

void THexEditor::PaintMessage(TCanvas& canvas, const std::string& text) {
    barX_[0] = barX_[1] = -1;
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    int lineHeight = canvas.TextHeight("A");
    TRect client = ClientRect();
    canvas.Font.SetColor(Font().Color());
    for (size_t i = 0; i < lines.size(); ++i) {
        int x = client.Left + (client.Width() - canvas.TextWidth(lines[i])) / 2;
        int y = client.Top + (client.Height() - lineHeight) / 2 + lineHeight * int(i);
        canvas.TextOut(x, y, lines[i]);
    }
}

void THexEditor::PaintFrame(TCanvas& canvas) {
    TRect client = ClientRect();
    PaintBand(canvas, client.Right, client.Bottom, barWidth_, kShadeRange, doRed_, doGreen_,
              doBlue_);
    // The bars run from BarWidth - 1 to BarWidth - 1 above the bottom, cut to the control.
    int inset = int(std::clamp<int64_t>(int64_t(barWidth_) - 1, -1, client.Bottom + 1));
    for (int x : barX_) {
        if (x < 0) continue;
        PaintVerticalBar(canvas, x + ScaleValue(kBarInGap), inset, client.Bottom - inset, barWidth_,
                         kShadeRange, doRed_, doGreen_, doBlue_);
    }
}

TColor THexEditor::CellColor(int64_t offset, bool atCursor, int panel) const {
    if (atCursor) return colorCursor_;
    if (std::binary_search(changed_.begin(), changed_.end(), offset)) return colorChange_;
    return panel == cpBytes ? colorByte_ : colorAscii_;
}

int THexEditor::PaintRow(TCanvas& canvas, THitRow& row, int64_t offset, int y) {
    const int cw = charWidth_;
    const int bpl = bytesPerLine_, group = GroupSize();
    int x = ScaleValue(kBorder);

    canvas.Font.SetColor(Font().Color());
    std::string offsetText = baseOffset_ == 16
                                 ? Format("%0*llX", 8, static_cast<unsigned long long>(offset))
                                 : Format("%0*llu", 8, static_cast<unsigned long long>(offset));
    canvas.TextOut(x, y, offsetText);
    x += canvas.TextWidth(offsetText);
    barX_[0] = x;
    x += ScaleValue(kGap);

    auto cursorHere = [&](int cellX, int panel) {
        cursorShown_ = true;
        cursorAt_ = {panel == cpBytes ? cellX + digitIndex_ * cw : cellX,
                     y + rowHeight_ - 2 * LineWidth()};
    };
    if (Decimal()) {
        const int digits = DigitsPerCell();
        for (int g = 0; g < bpl / group; ++g) {
            int64_t start = offset + int64_t(g) * group;
            bool atCursor = cursor_ >= start && cursor_ < start + group;
            if (start < size_) {
                uint64_t value = 0;
                for (int k = 0; k < group; ++k)
                    value = (value << 8) | GetByte(start + k);
                canvas.Font.SetColor(CellColor(start, atCursor, cpBytes));
                canvas.TextOut(x, y,
                               Format("%0*llu", digits, static_cast<unsigned long long>(value)));
            }
            hits_.AddCell(row, x, x + digits * cw - 1, start, cpBytes);
            if (atCursor && cursorPanel_ == cpBytes) cursorHere(x, cpBytes);
            x += digits * cw + cw;
        }
    } else {
        for (int j = 0; j < bpl; ++j) {
            int64_t o = offset + j;
            bool atCursor = o == cursor_;
            if (o < size_) {
                canvas.Font.SetColor(CellColor(o, atCursor, cpBytes));
                canvas.TextOut(x, y, Format("%02X", unsigned(data_[o])));
            }
            hits_.AddCell(row, x, x + 2 * cw - 1, o, cpBytes);
            if (atCursor && cursorPanel_ == cpBytes) cursorHere(x, cpBytes);
            x += 2 * cw;
            if ((j + 1) % group == 0 && j != bpl - 1) x += cw;
        }
    }
    barX_[1] = x;
    x += ScaleValue(kGap);

    for (int j = 0; j < bpl; ++j) {
        int64_t o = offset + j;
        bool atCursor = o == cursor_;
        if (o < size_) {
            char c = data_[o] == 0 ? '.' : char(data_[o]);
            canvas.Font.SetColor(CellColor(o, atCursor, cpChars));
            canvas.TextOut(x, y, std::string_view(&c, 1));
        }
        hits_.AddCell(row, x, x + cw - 1, o, cpChars);
        if (atCursor && cursorPanel_ == cpChars) cursorHere(x, cpChars);
        x += cw;
    }
    return x + ScaleValue(kBorder);
}

void THexEditor::Paint() {
    TCanvas& c = Canvas();
    const TRect client = ClientRect();
    c.Font = Font();
    c.Pen.Width = 1;
    c.Pen.Style = psSolid;
    c.Pen.Mode = pmCopy;
    c.Brush.Style = bsSolid;
    c.Brush.Color = Color();
    c.FillRect(client);
    if (polkaDots_ > 0) PaintPolkaDots(c, client);
    c.Brush.Color = Color();
    c.Brush.Style = polkaDots_ > 0 ? bsClear : bsSolid;

    hits_.BeginPass();
    cursorShown_ = false;
    rowsPainted_ = 0;
    if (!message_.empty() || LayoutProblem()) {
        PaintMessage(c, !message_.empty() ? message_ : std::string(LayoutProblem()));
        PaintFrame(c);
        return;
    }

    charWidth_ = std::max(1, c.TextWidth("A"));
    rowHeight_ = std::max(1, c.TextHeight("A"));
    const int64_t bpl = bytesPerLine_;
    firstVisible_ = topOffset_ + (scrollBar_ ? int64_t(scrollBar_->Position()) * bpl : 0);
    lastVisible_ = firstVisible_ - 1;

    changed_.clear();
    for (int i = 0; i < log_.UndoCount(); ++i)
        changed_.push_back(log_.UndoEntry(i).Offset);
    std::sort(changed_.begin(), changed_.end());

    bool widthChanged = false;
    for (int y = client.Top + ScaleValue(kTopMargin); y + rowHeight_ < client.Bottom; y += rowHeight_) {
        THitRow& row = hits_.Row(y, y + rowHeight_ - 1);
        int width = PaintRow(c, row, firstVisible_ + bpl * rowsPainted_, y);
        ++rowsPainted_;
        lastVisible_ = firstVisible_ + bpl * rowsPainted_ - 1;
        if (width != rowWidth_) {
            rowWidth_ = width;
            widthChanged = true;
        }
    }
    DrawCursor(c, clBlack);
    PaintFrame(c);
    if (scrollBar_) scrollBar_->SetLargeChange(rowsPainted_);
    if (widthChanged && OnRowWidthChange) OnRowWidthChange(this);
}
