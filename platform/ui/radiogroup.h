// TRadioGroup: a captioned group frame holding a set of radio buttons, one of which at
// most is selected.
//
// Items are laid out in Columns, filling the first column from top to bottom before the
// next (7 items in 2 columns: 4 and 3). The columns share the width inside the frame;
// the rows share the height between the caption's line and the bottom edge evenly, what
// is left over split above and below. Each item is a 12 x 12 round glyph centred
// vertically in its row, with its caption kGlyphTextLeft pixels right of the glyph (sizes
// at 100 %: they scale with the control).
//
// ItemIndex is the selected item: setting an index below -1 selects none (-1), one past
// the last item (or any larger) selects the last; with no items it is -1. Changing the
// items keeps the index, clamped the same way. Setting ItemIndex from code changes the
// look only. A click on an item (press and release on the same item), or the arrow keys
// while the group has the focus, select an item and raise OnClick when the selection
// changed: Down and Right go to the next item in item order, Up and Left to the previous,
// wrapping around; with none selected Down and Right select the first item and Up and
// Left the last. The group is one tab stop and claims the arrow keys (WM_GETDLGCODE
// answers DLGC_WANTARROWS); the focus shows as a dotted rectangle around the selected
// item's caption (the first item's when none is selected).
#pragma once

#include <string>
#include <vector>

#include "platform/ui/wincontrol.h"

class TRadioGroup : public TCustomControl {
public:
    explicit TRadioGroup(TComponent* owner);

    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(std::vector<std::string> items);
    int Columns() const { return columns_; }
    // At least 1.
    void SetColumns(int columns);
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);

    // The area of item index (the glyph and its caption), in client coordinates; empty
    // for an index out of range.
    TRect ItemRect(int index) const;
    // The item at a client point, or -1.
    int ItemAt(TPoint p) const;

    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;
    bool DoKeyDown(uint16_t& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    int Clamped(int index) const;
    // Selects an item as the user does: OnClick when the selection changed.
    void Select(int index);
    void SetPressedItem(int index);

    std::vector<std::string> items_;
    int columns_ = 1;
    int itemIndex_ = -1;
    int downItem_ = -1;     // the item the left button went down on
    int pressedItem_ = -1;  // the item drawn pressed
};
