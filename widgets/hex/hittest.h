// Hittest: the painted geometry of the hex editor, which the mouse looks up.
//
// A paint pass starts with BeginPass, which forgets the rows of the last pass (their
// storage is kept and reused, so a steady view allocates nothing). Row(top, bottom) gives
// the record of a row painted this pass: the one with exactly that top and bottom when
// the pass has it already, else a new one; its cells are cleared either way. The painter
// then adds one cell per byte or group it draws: its left and right x (both inside the
// cell), the data offset it shows and its panel (0 bytes, 1 characters).
//
// Find(x, y) looks for the row whose top and bottom enclose y and, in it, the cell whose
// left and right enclose x; in both searches the last match wins. Only rows of the latest
// pass are searched, so what a view showed before a scroll, a new font or a message is
// never hit. The table grows with the view: any number of rows and cells.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct THitCell {
    int Left = 0;
    int Right = 0;
    int64_t Offset = 0;
    int Panel = 0;
};

struct THitRow {
    int Top = 0;
    int Bottom = 0;
    std::vector<THitCell> Cells;
};

class THitTable {
public:
    void BeginPass() { used_ = 0; }
    THitRow& Row(int top, int bottom);
    void AddCell(THitRow& row, int left, int right, int64_t offset, int panel) {
        row.Cells.push_back({left, right, offset, panel});
    }
    const THitCell* Find(int x, int y) const;

    int RowCount() const { return int(used_); }
    const THitRow& Rows(int index) const { return rows_.at(size_t(index)); }

private:
    std::vector<THitRow> rows_;
    size_t used_ = 0;  // rows of the latest pass: the first used_ of rows_
};
