#include "widgets/hex/hittest.h"

THitRow& THitTable::Row(int top, int bottom) {
    for (size_t i = 0; i < used_; ++i) {
        if (rows_[i].Top == top && rows_[i].Bottom == bottom) {
            rows_[i].Cells.clear();
            return rows_[i];
        }
    }
    if (used_ == rows_.size()) rows_.emplace_back();
    THitRow& row = rows_[used_++];
    row.Top = top;
    row.Bottom = bottom;
    row.Cells.clear();
    return row;
}

const THitCell* THitTable::Find(int x, int y) const {
    const THitRow* found = nullptr;
    for (size_t i = 0; i < used_; ++i)
        if (y >= rows_[i].Top && y <= rows_[i].Bottom) found = &rows_[i];
    if (!found) return nullptr;
    const THitCell* cell = nullptr;
    for (const THitCell& c : found->Cells)
        if (x >= c.Left && x <= c.Right) cell = &c;
    return cell;
}
