// TListView: a list of rows in columns under a header (the report view), in a sunken
// white box with a vertical scroll bar when the rows do not fit. One row at most is
// selected: a click selects it, Up, Down, Page Up, Page Down, Home and End move the
// selection and scroll it into view; a double click or Enter raises OnDblClick
// (OnKeyDown sees Enter first).
//
// The header is a row of raised sections, one per column, with the captions; the rows
// below it are RowHeight high, each column's text cut to the column's width with "..."
// (right-aligned columns keep their text at the right edge). The selected row is drawn in
// the highlight colours with a focus rectangle while the list has the focus, and in the
// button face colour without it.
//
// Only the rows in view are painted, so long lists (thousands of rows) cost no more to
// show than short ones. The scroll bar shows only while some rows are out of view; it
// moves TopIndex, and the list keeps it in step with TopIndex. The wheel scrolls three rows
// a notch.
//
// Keys: from no selection, Down, Up, Home and Page Up select the first row and End the
// last. Page Down selects the last row in view, or, when that is already selected, the row
// a page further (Page Up the same upwards). Enter raises OnDblClick when there is a row
// selected and a handler; otherwise it goes to the form (the default button). A click on
// no row leaves the selection as it is; two presses on the same row within
// kDoubleClickTime milliseconds and kDoubleClickDistance pixels are a double click.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/wincontrol.h"

class TScrollBar;

struct TListColumn {
    std::string Caption;
    int Width = 50;
    TAlignment Alignment = taLeftJustify;  // of the rows' text in the column
};

struct TListItem {
    std::string Caption;                // the first column
    std::vector<std::string> SubItems;  // the columns after it
    intptr_t Data = 0;                  // for the owner's use
};

class TListView : public TCustomControl {
public:
    static constexpr int kDoubleClickTime = 500;
    static constexpr int kDoubleClickDistance = 4;

    explicit TListView(TComponent* owner);

    // The columns. After changing them through Columns(), call Invalidate.
    std::vector<TListColumn>& Columns() { return columns_; }
    const std::vector<TListColumn>& Columns() const { return columns_; }
    // A column's width is in pixels at the list's scale, like its bounds: it scales with it.
    void AddColumn(const std::string& caption, int width, TAlignment alignment = taLeftJustify);

    // The rows. Change them through these calls (they repaint); BeginUpdate/EndUpdate
    // around many changes repaint once. A reference from Add or Item holds until the rows
    // change again.
    int Count() const { return int(items_.size()); }
    const TListItem& Item(int index) const { return items_.at(size_t(index)); }
    TListItem& Add(const std::string& caption, std::vector<std::string> subItems = {});
    void Delete(int index);
    void Clear();
    void BeginUpdate();
    void EndUpdate();

    // The selected row, or -1 (an index outside the rows selects none). Setting it
    // scrolls it into view; OnSelectItem follows a change made by the user.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    // The first row shown, and how many rows fit.
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int index);
    int VisibleRowCount() const;
    // The row at a client point, or -1.
    int RowAt(TPoint p) const;

    // Geometry in client coordinates: the header, the area of the rows (left of the scroll
    // bar when it shows), one row (empty when out of view), the height of a row.
    TRect HeaderRect() const;
    TRect RowsRect() const;
    TRect RowRect(int index) const;
    int RowHeight() const;
    int HeaderHeight() const;
    // Whether the scroll bar shows now.
    bool ScrollBarVisible() const;
    TScrollBar* ScrollBar() const { return scrollBar_; }

    std::function<void(TObject* sender, int index)> OnSelectItem;

    void Dispatch(TMessage& message) override;
    // Also scales the columns' widths.
    void ChangeScale(int percent) override;

protected:
    void Paint() override;
    bool DoKeyDown(uint16_t& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void Resize() override;

private:
    TRect Inner() const;  // inside the sunken edge
    void RowsChanged();
    void UpdateScrollBar();
    void ScrollIntoView(int index);
    // Selects a row for the user: repaints, scrolls and raises OnSelectItem on a change.
    void SelectByUser(int index);
    void DblClick();
    void PaintRow(TCanvas& canvas, int index, const TRect& rect);

    std::vector<TListColumn> columns_;
    std::vector<TListItem> items_;
    int itemIndex_ = -1;
    int topIndex_ = 0;
    int updating_ = 0;
    TScrollBar* scrollBar_ = nullptr;
    int wheelRemainder_ = 0;  // a part of a notch turned, for the next turn
    // The last left press, for telling a double click.
    int64_t lastPressTime_ = 0;
    TPoint lastPressAt_;
    int lastPressRow_ = -1;
};
