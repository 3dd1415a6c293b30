#include "platform/ui/listview.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gfx/scale.h"
#include "platform/ui/scrollbar.h"
#include "platform/ui/stylepainter.h"
#include "platform/ui/wheel.h"

namespace {

// At 100 %.
constexpr int kScrollBarWidth = 16;
constexpr int kCellPadding = 6;  // between a cell's edges and its text

}  // namespace

TListView::TListView(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ |= csOpaque;
    controlStyle_ &= ~csDoubleClicks;  // double clicks are told apart from the presses here
    color_ = clWindow;
    SetTabStop(true);
    scrollBar_ = new TScrollBar(this);
    scrollBar_->SetKind(sbVertical);
    scrollBar_->SetTabStop(false);
    scrollBar_->SetVisible(false);
    scrollBar_->SetParent(this);
    scrollBar_->OnChange = [this](TObject*) { SetTopIndex(scrollBar_->Position()); };
    SetBounds(0, 0, 250, 150);
}

// Columns and rows --------------------------------------------------------------------------------

void TListView::AddColumn(const std::string& caption, int width, TAlignment alignment) {
    columns_.push_back({caption, width, alignment});
    Invalidate();
}

TListItem& TListView::Add(const std::string& caption, std::vector<std::string> subItems) {
    items_.push_back({caption, std::move(subItems), 0});
    RowsChanged();
    return items_.back();
}

void TListView::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    items_.erase(items_.begin() + index);
    if (itemIndex_ == index) {
        itemIndex_ = -1;
    } else if (itemIndex_ > index) {
        --itemIndex_;
    }
    RowsChanged();
}

void TListView::Clear() {
    items_.clear();
    itemIndex_ = -1;
    topIndex_ = 0;
    RowsChanged();
}

void TListView::BeginUpdate() {
    ++updating_;
}

void TListView::EndUpdate() {
    if (updating_ == 0) return;
    if (--updating_ == 0) RowsChanged();
}

void TListView::RowsChanged() {
    if (updating_) return;
    UpdateScrollBar();
    Invalidate();
}

// Geometry ----------------------------------------------------------------------------------------

int TListView::HeaderHeight() const {
    // The sections' raised edges: two lines above the caption and two below.
    return Font().Face().Metrics().Height() + 4 * LineWidth();
}

int TListView::RowHeight() const {
    return Font().Face().Metrics().Height() + ScaleValue(3);
}

TRect TListView::Inner() const {
    const int edge = 2 * LineWidth();  // the sunken edge
    return ClientRect().Inflate(-edge, -edge);
}

bool TListView::ScrollBarVisible() const {
    return scrollBar_->Visible();
}

TRect TListView::HeaderRect() const {
    TRect inner = Inner();
    int right = inner.Right - (ScrollBarVisible() ? ScaleValue(kScrollBarWidth) : 0);
    return {inner.Left, inner.Top, std::max(inner.Left, right),
            std::min(inner.Bottom, inner.Top + HeaderHeight())};
}

TRect TListView::RowsRect() const {
    TRect header = HeaderRect();
    return {header.Left, header.Bottom, header.Right, std::max(header.Bottom, Inner().Bottom)};
}

int TListView::VisibleRowCount() const {
    return RowsRect().Height() / RowHeight();
}

TRect TListView::RowRect(int index) const {
    TRect rows = RowsRect();
    if (index < topIndex_ || index >= Count()) return {};
    int top = rows.Top + (index - topIndex_) * RowHeight();
    if (top >= rows.Bottom) return {};
    return {rows.Left, top, rows.Right, std::min(rows.Bottom, top + RowHeight())};
}

int TListView::RowAt(TPoint p) const {
    TRect rows = RowsRect();
    if (!rows.Contains(p)) return -1;
    int index = topIndex_ + (p.Y - rows.Top) / RowHeight();
    return index < Count() ? index : -1;
}

// Scrolling ---------------------------------------------------------------------------------------

void TListView::UpdateScrollBar() {
    int page = std::max(1, VisibleRowCount());
    int maxTop = std::max(0, Count() - page);
    topIndex_ = std::clamp(topIndex_, 0, maxTop);
    TRect inner = Inner();
    const int barWidth = ScaleValue(kScrollBarWidth);
    scrollBar_->SetBounds(inner.Right - barWidth, inner.Top, barWidth, inner.Height());
    scrollBar_->SetLargeChange(page);
    scrollBar_->SetPageSize(page);
    scrollBar_->SetParams(topIndex_, 0, maxTop);
    bool needed = Count() > VisibleRowCount();
    if (needed != scrollBar_->Visible()) {
        scrollBar_->SetVisible(needed);
        Invalidate();  // the header and the rows change their width
    }
}

void TListView::SetTopIndex(int index) {
    int maxTop = std::max(0, Count() - std::max(1, VisibleRowCount()));
    index = std::clamp(index, 0, maxTop);
    if (index == topIndex_) return;
    topIndex_ = index;
    scrollBar_->SetPosition(index);
    Invalidate();
}

void TListView::ScrollIntoView(int index) {
    if (index < 0 || index >= Count()) return;
    int page = std::max(1, VisibleRowCount());
    if (index < topIndex_) {
        SetTopIndex(index);
    } else if (index >= topIndex_ + page) {
        SetTopIndex(index - page + 1);
    }
}

void TListView::ChangeScale(int percent) {
    const int old = ScalePercent();
    if (percent > 0 && percent != old)
        for (TListColumn& column : columns_)
            column.Width = RescaleLength(column.Width, old, percent);
    TCustomControl::ChangeScale(percent);
    UpdateScrollBar();
}

void TListView::Resize() {
    UpdateScrollBar();
    Invalidate();
    TCustomControl::Resize();
}

// Selection ---------------------------------------------------------------------------------------

void TListView::SetItemIndex(int index) {
    if (index < 0 || index >= Count()) index = -1;
    if (index != itemIndex_) {
        itemIndex_ = index;
        Invalidate();
    }
    ScrollIntoView(index);
}

void TListView::SelectByUser(int index) {
    bool changed = index != itemIndex_;
    SetItemIndex(index);
    if (changed && OnSelectItem) OnSelectItem(this, itemIndex_);
}

void TListView::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

// Input -------------------------------------------------------------------------------------------

bool TListView::DoKeyDown(uint16_t& key, TShiftState shift) {
    if (TCustomControl::DoKeyDown(key, shift)) return true;
    int count = Count();
    int page = std::max(1, VisibleRowCount());
    int last = count - 1;
    int index = itemIndex_;
    switch (key) {
        case VK_UP:
            index = index < 0 ? 0 : std::max(0, index - 1);
            break;
        case VK_DOWN:
            index = index < 0 ? 0 : std::min(last, index + 1);
            break;
        case VK_HOME:
            index = 0;
            break;
        case VK_END:
            index = last;
            break;
        case VK_NEXT: {
            int bottom = std::min(last, topIndex_ + page - 1);
            index = index < bottom ? bottom : std::min(last, index + std::max(1, page - 1));
            break;
        }
        case VK_PRIOR:
            if (index < 0) {
                index = 0;
            } else {
                index = index > topIndex_ ? topIndex_ : std::max(0, index - std::max(1, page - 1));
            }
            break;
        case VK_RETURN:
            if (itemIndex_ < 0 || !OnDblClick) return false;
            DblClick();
            key = 0;
            return true;
        default:
            return false;
    }
    if (count > 0) SelectByUser(index);
    key = 0;
    return true;
}

void TListView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button == mbMiddle) return;
    int row = RowAt({x, y});
    if (row < 0) {
        lastPressRow_ = -1;
        return;
    }
    SelectByUser(row);
    if (button != mbLeft) return;
    int64_t now = GetTickCount64();
    bool doubled = row == lastPressRow_ && now - lastPressTime_ <= kDoubleClickTime &&
                   std::abs(x - lastPressAt_.X) <= ScaleValue(kDoubleClickDistance) &&
                   std::abs(y - lastPressAt_.Y) <= ScaleValue(kDoubleClickDistance);
    if (doubled) {
        lastPressRow_ = -1;  // a third press starts afresh
        DblClick();
        return;
    }
    lastPressRow_ = row;
    lastPressTime_ = now;
    lastPressAt_ = {x, y};
}

void TListView::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_GETDLGCODE:
            m.Result = DLGC_WANTARROWS;
            return;
        case WM_MOUSEWHEEL:
            // Three rows a notch; the selection stays where it is.
            SetTopIndex(TopIndex() + WheelLines(wheelRemainder_, GET_WHEEL_DELTA_WPARAM(m.WParam)));
            return;
        case WM_LBUTTONDBLCLK: {
            // From a window system that tells double clicks itself.
            TPoint p = PointFromLParam(m.LParam);
            if (int row = RowAt(p); row >= 0) {
                SelectByUser(row);
                lastPressRow_ = -1;
                DblClick();
            }
            return;
        }
        case CM_FONTCHANGED:
            UpdateScrollBar();
            Invalidate();
            break;
        default:
            break;
    }
    TCustomControl::Dispatch(m);
}

// Painting ----------------------------------------------------------------------------------------

void TListView::Paint() {
    TCanvas& c = Canvas();
    DrawSunkenField(c, ClientRect(), Enabled() ? Color() : clBtnFace);
    c.Font = Font();

    TRect header = HeaderRect();
    int x = header.Left;
    for (const TListColumn& column : columns_) {
        if (x >= header.Right) break;
        TRect section{x, header.Top, std::min(header.Right, x + column.Width), header.Bottom};
        DrawHeaderSection(c, section, column.Caption, column.Alignment == taRightJustify);
        x += column.Width;
    }
    if (x < header.Right) DrawHeaderSection(c, {x, header.Top, header.Right, header.Bottom}, {});

    TRect rows = RowsRect();
    TRect dirty = c.ClipRect().Intersect(rows);
    if (dirty.IsEmpty()) return;
    int height = RowHeight();
    int first = topIndex_ + (dirty.Top - rows.Top) / height;
    int last = std::min(Count() - 1, topIndex_ + (dirty.Bottom - 1 - rows.Top) / height);
    for (int i = first; i <= last; ++i)
        PaintRow(c, i, RowRect(i));
}

void TListView::PaintRow(TCanvas& c, int index, const TRect& rect) {
    if (rect.IsEmpty()) return;
    const TListItem& item = items_[size_t(index)];
    bool selected = index == itemIndex_;
    bool focused = Focused();
    TColor text = !Enabled() ? clGrayText : Font().Color();
    if (selected) {
        c.Brush.Style = bsSolid;
        c.Brush.Color = focused ? clHighlight : clBtnFace;
        c.FillRect(rect);
        if (Enabled()) text = focused ? clHighlightText : clBtnText;
    }
    c.Font.SetColor(text);
    c.Brush.Style = bsClear;
    int textTop = rect.Top + (rect.Height() - c.TextHeight("Ag")) / 2;
    // Without columns the caption takes the whole row.
    std::vector<TListColumn> whole;
    const std::vector<TListColumn>* columns = &columns_;
    if (columns_.empty()) {
        whole.push_back({{}, rect.Width(), taLeftJustify});
        columns = &whole;
    }
    int x = rect.Left;
    for (size_t k = 0; k < columns->size() && x < rect.Right; ++k) {
        const TListColumn& column = (*columns)[k];
        const std::string* value = k == 0                         ? &item.Caption
                                   : k - 1 < item.SubItems.size() ? &item.SubItems[k - 1]
                                                                  : nullptr;
        TRect cell = TRect{x, rect.Top, x + column.Width, rect.Bottom}.Intersect(rect);
        x += column.Width;
        if (!value || value->empty() || cell.IsEmpty()) continue;
        const int padding = ScaleValue(kCellPadding);
        int room = column.Width - 2 * padding;
        if (room <= 0) continue;
        std::string shown = FitTextWithEllipsis(c, *value, room);
        int left = cell.Left + padding;
        if (column.Alignment == taRightJustify) {
            left = cell.Left + column.Width - padding - c.TextWidth(shown);
        } else if (column.Alignment == taCenter) {
            left = cell.Left + (column.Width - c.TextWidth(shown)) / 2;
        }
        c.TextRect(cell, left, textTop, shown);
    }
    if (selected && focused) DrawFocus(c, rect);
}
