#include "platform/ui/radiogroup.h"

#include <algorithm>

#include "platform/ui/stylepainter.h"

namespace {
// The frame leaves this much room inside the control (at 100 %): at the left of the first
// column, in all (left and right) across the columns, and under the last row.
constexpr int kItemsLeft = 8;
constexpr int kColumnsMargin = 10;
constexpr int kItemsBottomMargin = 4;
}  // namespace

TRadioGroup::TRadioGroup(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ |= csOpaque;
    // OnClick comes from a click on an item, not from any release over the control.
    controlStyle_ &= ~(csClickEvents | csDoubleClicks);
    SetTabStop(true);
    SetBounds(0, 0, 185, 105);
}

int TRadioGroup::Clamped(int index) const {
    if (index < -1) return -1;
    return std::min(index, int(items_.size()) - 1);
}

void TRadioGroup::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    itemIndex_ = Clamped(itemIndex_);
    downItem_ = pressedItem_ = -1;
    Invalidate();
}

void TRadioGroup::SetColumns(int columns) {
    columns = std::max(columns, 1);
    if (columns == columns_) return;
    columns_ = columns;
    Invalidate();
}

void TRadioGroup::SetItemIndex(int index) {
    index = Clamped(index);
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Invalidate();
}

void TRadioGroup::Select(int index) {
    index = Clamped(index);
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Invalidate();
    Click();
}

TRect TRadioGroup::ItemRect(int index) const {
    int count = int(items_.size());
    if (index < 0 || index >= count) return {};
    int rows = (count + columns_ - 1) / columns_;
    int columnWidth = std::max(0, (Width() - ScaleValue(kColumnsMargin)) / columns_);
    // The rows share the area from just below the caption's line to the bottom margin.
    int areaTop = Font().Face().Metrics().Height() + ScaleValue(1);
    int area = std::max(0, Height() - ScaleValue(kItemsBottomMargin) - areaTop);
    int rowHeight = area / rows;
    int top = areaTop + (area % rows) / 2;
    int column = index / rows, row = index % rows;
    return TRect::FromSize(ScaleValue(kItemsLeft) + column * columnWidth, top + row * rowHeight,
                           columnWidth, rowHeight);
}

int TRadioGroup::ItemAt(TPoint p) const {
    for (int i = 0; i < int(items_.size()); ++i)
        if (ItemRect(i).Contains(p)) return i;
    return -1;
}

void TRadioGroup::SetPressedItem(int index) {
    if (index == pressedItem_) return;
    pressedItem_ = index;
    Invalidate();
}

void TRadioGroup::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_GETDLGCODE:
            m.Result = DLGC_WANTARROWS;
            return;
        case WM_KILLFOCUS:
        case WM_CANCELMODE:
        case CM_ENABLEDCHANGED:
            downItem_ = -1;
            SetPressedItem(-1);
            break;
        default:
            break;
    }
    TCustomControl::Dispatch(m);
}

bool TRadioGroup::DoKeyDown(uint16_t& key, TShiftState shift) {
    if (TCustomControl::DoKeyDown(key, shift)) return true;
    int count = int(items_.size());
    bool forward = key == VK_DOWN || key == VK_RIGHT;
    bool backward = key == VK_UP || key == VK_LEFT;
    if ((!forward && !backward) || count == 0 || !Enabled()) return false;
    int next;
    if (itemIndex_ < 0) {
        next = forward ? 0 : count - 1;
    } else {
        next = (itemIndex_ + (forward ? 1 : count - 1)) % count;
    }
    Select(next);
    key = 0;
    return true;
}

void TRadioGroup::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        downItem_ = ItemAt({x, y});
        SetPressedItem(downItem_);
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TRadioGroup::MouseMove(TShiftState shift, int x, int y) {
    // While the button is held, the item pressed on shows pressed with the pointer on it.
    if (downItem_ >= 0) SetPressedItem(ItemAt({x, y}) == downItem_ ? downItem_ : -1);
    TCustomControl::MouseMove(shift, x, y);
}

void TRadioGroup::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && downItem_ >= 0) {
        int item = downItem_;
        downItem_ = -1;
        SetPressedItem(-1);
        if (ItemAt({x, y}) == item) Select(item);
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TRadioGroup::Paint() {
    TCanvas& c = Canvas();
    TRect client = ClientRect();
    c.Brush.Color = Color();
    c.Brush.Style = bsSolid;
    c.FillRect(client);
    c.Font = Font();
    DrawGroupFrame(c, client, Caption(), Color(), Enabled());
    int textHeight = c.TextHeight("0");
    int focusItem = itemIndex_ >= 0 ? itemIndex_ : 0;
    const int glyph = ScaleValue(kRadioGlyphSize);
    for (int i = 0; i < int(items_.size()); ++i) {
        TRect item = ItemRect(i);
        if (item.IsEmpty()) continue;
        DrawRadioGlyph(c, item.Left, item.Top + (item.Height() - glyph) / 2, i == itemIndex_,
                       Enabled(), i == pressedItem_);
        int x = item.Left + ScaleValue(kGlyphTextLeft);
        int y = item.Top + (item.Height() - textHeight) / 2;
        DrawControlText(c, item, x, y, items_[size_t(i)], Enabled());
        if (Focused() && i == focusItem) DrawCaptionFocus(c, x, y, items_[size_t(i)], item);
    }
}
