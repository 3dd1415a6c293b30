#include "tools/artgen/switches.h"

#include <string_view>

#include "tools/artgen/shade.h"

namespace {

// Red plastic housing, lit from the top left.
constexpr TColor kHousing = RGB(196, 30, 38);
constexpr TColor kHousingLight = RGB(232, 92, 92);
constexpr TColor kHousingLightSoft = RGB(214, 58, 62);
constexpr TColor kHousingShadow = RGB(118, 14, 22);
constexpr TColor kHousingShadowSoft = RGB(160, 22, 30);
// The slot: a pale recess, shaded where the housing overhangs it (top and left).
constexpr TColor kSlot = RGB(204, 198, 188);
constexpr TColor kSlotShadow = RGB(146, 138, 130);
constexpr TColor kSlotShadowSoft = RGB(180, 173, 164);
// The knob: a white slider with grip ridges.
constexpr TColor kKnob = RGB(246, 244, 238);
constexpr TColor kKnobLight = RGB(255, 255, 252);
constexpr TColor kKnobEdge = RGB(176, 171, 163);
constexpr TColor kKnobShadow = RGB(120, 114, 108);
constexpr TColor kKnobRidge = RGB(210, 206, 198);
// Printing on the blocks.
constexpr TColor kPrint = RGB(240, 232, 216);

constexpr int kSlotWidth = 7;
constexpr int kKnobHeight = 10;

void Fill(TBitmap& bitmap, int left, int top, int right, int bottom, TColor color) {
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            bitmap.SetPixel(x, y, color);
}

// An empty slot whose top-left inner pixel is (left, top), height rows tall.
void DrawSlot(TBitmap& bitmap, int left, int top, int height) {
    int right = left + kSlotWidth - 1;
    int bottom = top + height - 1;
    Fill(bitmap, left, top, right, bottom, kSlot);
    Fill(bitmap, left, top, right, top, kSlotShadow);
    Fill(bitmap, left, top + 1, right, top + 1, kSlotShadowSoft);
    Fill(bitmap, left, top, left, bottom, kSlotShadow);
}

// The knob filling the slot's width, rows top..top + kKnobHeight - 1; the shadow it casts
// falls on the slot below it.
void DrawKnob(TBitmap& bitmap, int left, int top, bool shadowBelow) {
    int right = left + kSlotWidth - 1;
    int bottom = top + kKnobHeight - 1;
    Fill(bitmap, left, top, right, bottom, kKnob);
    Fill(bitmap, left, top, right, top, kKnobLight);
    Fill(bitmap, left, top, left, bottom, kKnobLight);
    Fill(bitmap, right, top + 1, right, bottom, kKnobEdge);
    Fill(bitmap, left + 1, bottom, right, bottom, kKnobEdge);
    // Three grip ridges across the face.
    for (int i = 0; i < 3; ++i) {
        int y = top + 3 + 2 * i;
        Fill(bitmap, left + 1, y, right - 1, y, kKnobRidge);
    }
    if (shadowBelow) {
        Fill(bitmap, left, bottom + 1, right, bottom + 1, kKnobShadow);
    }
}

// A 3 x 5 pixel font (N and the arrow wider) for the printing: '#' marks ink.
struct TGlyph {
    char Ch;
    std::string_view Rows[5];
};

constexpr TGlyph kGlyphs[] = {
    {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"##.", "..#", ".#.", "#..", "###"}},
    {'3', {"##.", "..#", ".#.", "..#", "##."}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}},
    {'5', {"###", "#..", "##.", "..#", "##."}},
    {'6', {".##", "#..", "###", "#.#", "###"}},
    {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}},
    {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'^', {"..#..", ".###.", "#.#.#", "..#..", "..#.."}},
};

// Prints text with its top-left corner at (x, y); returns the x after it.
int Print(TBitmap& bitmap, int x, int y, std::string_view text) {
    for (char ch : text) {
        for (const TGlyph& glyph : kGlyphs) {
            if (glyph.Ch != ch) continue;
            for (int row = 0; row < 5; ++row)
                for (size_t col = 0; col < glyph.Rows[row].size(); ++col)
                    if (glyph.Rows[row][col] == '#') bitmap.SetPixel(x + int(col), y + row, kPrint);
            x += int(glyph.Rows[0].size()) + 1;
        }
    }
    return x;
}

int GlyphWidth(char ch) {
    for (const TGlyph& glyph : kGlyphs)
        if (glyph.Ch == ch) return int(glyph.Rows[0].size());
    return 0;
}

}  // namespace

TBitmap DrawSwitch(bool set) {
    int height = set ? kSwitchSetHeight : kSwitchClearHeight;
    // The set picture's slot is a row shorter: stretched to the 25-row cell it matches
    // the clear picture's 22 rows.
    int slotHeight = set ? 21 : 22;
    TBitmap bitmap(kSwitchWidth, height);
    Fill(bitmap, 0, 0, kSwitchWidth - 1, height - 1, kHousing);
    DrawSlot(bitmap, 1, 1, slotHeight);
    if (set)
        DrawKnob(bitmap, 1, 1, true);
    else
        DrawKnob(bitmap, 1, 1 + slotHeight - kKnobHeight, false);
    return bitmap;
}

TBitmap DrawDipSwitchBlocks() {
    TBitmap bitmap(kDipWidth, kDipHeight);
    Fill(bitmap, 0, 0, kDipWidth - 1, kDipHeight - 1, clBlack);
    struct TBlock {
        int Left, Right;
    };
    constexpr TBlock kBlocks[] = {{1, 88}, {97, 183}, {192, 278}};
    constexpr int kTop = 2;
    constexpr int kBottom = 38;
    for (int g = 0; g < 3; ++g) {
        const TBlock& b = kBlocks[g];
        Fill(bitmap, b.Left, kTop, b.Right, kBottom, kHousing);
        // Bevel: light along the top and left, shadow along the bottom and right.
        Fill(bitmap, b.Left, kTop, b.Right, kTop, kHousingLight);
        Fill(bitmap, b.Left, kTop, b.Left, kBottom, kHousingLight);
        Fill(bitmap, b.Left + 1, kTop + 1, b.Right - 1, kTop + 1, kHousingLightSoft);
        Fill(bitmap, b.Left + 1, kTop + 1, b.Left + 1, kBottom - 1, kHousingLightSoft);
        Fill(bitmap, b.Right - 1, kTop + 2, b.Right - 1, kBottom - 1, kHousingShadowSoft);
        Fill(bitmap, b.Left + 2, kBottom - 1, b.Right - 1, kBottom - 1, kHousingShadowSoft);
        Fill(bitmap, b.Right, kTop + 1, b.Right, kBottom, kHousingShadow);
        Fill(bitmap, b.Left + 1, kBottom, b.Right, kBottom, kHousingShadow);

        for (int k = 0; k < 8; ++k) {
            int cell = DipCellLeft(g, k);
            DrawSlot(bitmap, cell + 1, kDipCellTop + 1, 22);
            char digit = char('1' + k);
            Print(bitmap, cell + (kSwitchWidth - GlyphWidth(digit)) / 2, 33,
                  std::string_view(&digit, 1));
        }
        int x = Print(bitmap, DipCellLeft(g, 0) + 1, 3, "^");
        Print(bitmap, x, 3, "ON");
    }
    return bitmap;
}
