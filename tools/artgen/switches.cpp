#include "tools/artgen/switches.h"

#include <string_view>
#include <vector>

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

// A picture drawn at factor K times its design size; positions are in design pixels, and
// design pixel (x, y) covers pixels x K .. x K + K - 1 and y K .. y K + K - 1.
class TPainter {
public:
    TPainter(TBitmap& bitmap, int factor) : bitmap_(bitmap), k_(factor) {}

    int Factor() const { return k_; }

    // Design pixels left..right, top..bottom (inclusive).
    void Fill(int left, int top, int right, int bottom, TColor color) {
        for (int y = top * k_; y < (bottom + 1) * k_; ++y)
            for (int x = left * k_; x < (right + 1) * k_; ++x)
                bitmap_.SetPixel(x, y, color);
    }

    // A line one design pixel wide, its outer side on the given edge of the rectangle it
    // spans: from at the outer side, going towards to across the line's width (reached
    // just past its inner side). At factor 1 a line of colour from.
    enum TEdge { eTop, eBottom, eLeft, eRight };
    void Ramp(int left, int top, int right, int bottom, TEdge outer, TColor from, TColor to) {
        const TShade a = FromColor(from), b = FromColor(to);
        for (int y = top * k_; y < (bottom + 1) * k_; ++y)
            for (int x = left * k_; x < (right + 1) * k_; ++x) {
                int j = outer == eTop      ? y - top * k_
                        : outer == eBottom ? (bottom + 1) * k_ - 1 - y
                        : outer == eLeft   ? x - left * k_
                                           : (right + 1) * k_ - 1 - x;
                bitmap_.SetPixel(x, y, ToColor(Mix(a, b, double(j % k_) / k_)));
            }
    }

    // A thin horizontal line at the top of design row y: the row's upper half (a whole
    // row at factor 1).
    void Thin(int left, int y, int right, TColor color) {
        for (int py = y * k_; py < y * k_ + (k_ + 1) / 2; ++py)
            for (int x = left * k_; x < (right + 1) * k_; ++x)
                bitmap_.SetPixel(x, py, color);
    }

    // Ink of colour over the picture where the strokes lie, as a share of each pixel:
    // strokes half a design pixel from the segments and points, in design coordinates. At
    // factor 1 a pixel is inked when its centre lies on a stroke; at larger factors by
    // 4 x 4 samples, which gives smooth strokes.
    struct TSegment {
        double X0, Y0, X1, Y1;
    };
    void Ink(const std::vector<TSegment>& strokes, const TRect& designBox, TColor color) {
        const int samples = k_ == 1 ? 1 : 4;
        const TShade ink = FromColor(color);
        for (int y = designBox.Top * k_; y < designBox.Bottom * k_; ++y)
            for (int x = designBox.Left * k_; x < designBox.Right * k_; ++x) {
                int covered = 0;
                for (int sy = 0; sy < samples; ++sy)
                    for (int sx = 0; sx < samples; ++sx) {
                        double px = (x + (sx + 0.5) / samples) / k_;
                        double py = (y + (sy + 0.5) / samples) / k_;
                        for (const TSegment& s : strokes)
                            if (NearSegment(s, px, py)) {
                                ++covered;
                                break;
                            }
                    }
                if (covered == 0) continue;
                TShade under = FromColor(bitmap_.Pixel(x, y));
                bitmap_.SetPixel(x, y,
                                 ToColor(Mix(under, ink, double(covered) / (samples * samples))));
            }
    }

private:
    // Whether (px, py) lies within half a design pixel of the segment.
    static bool NearSegment(const TSegment& s, double px, double py) {
        double dx = s.X1 - s.X0, dy = s.Y1 - s.Y0;
        double length2 = dx * dx + dy * dy;
        double t = length2 > 0 ? Clamp01(((px - s.X0) * dx + (py - s.Y0) * dy) / length2) : 0;
        double ex = px - (s.X0 + t * dx), ey = py - (s.Y0 + t * dy);
        return ex * ex + ey * ey <= 0.25;
    }

    TBitmap& bitmap_;
    int k_;
};

// An empty slot whose top-left inner design pixel is (left, top), height rows tall.
void DrawSlot(TPainter& p, int left, int top, int height) {
    int right = left + kSlotWidth - 1;
    int bottom = top + height - 1;
    p.Fill(left, top, right, bottom, kSlot);
    p.Ramp(left, top, right, top, TPainter::eTop, kSlotShadow, kSlotShadowSoft);
    p.Ramp(left, top + 1, right, top + 1, TPainter::eTop, kSlotShadowSoft, kSlot);
    p.Ramp(left, top, left, bottom, TPainter::eLeft, kSlotShadow, kSlot);
}

// The knob filling the slot's width, rows top..top + kKnobHeight - 1; the shadow it casts
// falls on the slot below it.
void DrawKnob(TPainter& p, int left, int top, bool shadowBelow) {
    int right = left + kSlotWidth - 1;
    int bottom = top + kKnobHeight - 1;
    p.Fill(left, top, right, bottom, kKnob);
    p.Ramp(left, top, right, top, TPainter::eTop, kKnobLight, kKnob);
    p.Ramp(left, top, left, bottom, TPainter::eLeft, kKnobLight, kKnob);
    p.Ramp(right, top + 1, right, bottom, TPainter::eRight, kKnobEdge, kKnob);
    p.Ramp(left + 1, bottom, right, bottom, TPainter::eBottom, kKnobEdge, kKnob);
    // Three grip ridges across the face.
    for (int i = 0; i < 3; ++i)
        p.Thin(left + 1, top + 3 + 2 * i, right - 1, kKnobRidge);
    if (shadowBelow)
        p.Ramp(left, bottom + 1, right, bottom + 1, TPainter::eTop, kKnobShadow, kSlot);
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

// The strokes of a glyph with its top-left corner at design pixel (x, y): a dot at every
// inked pixel, joined to its inked neighbours across and down, and diagonally where no
// inked pixel already joins the two.
std::vector<TPainter::TSegment> Strokes(const TGlyph& glyph, int x, int y) {
    auto ink = [&](int col, int row) {
        return row >= 0 && row < 5 && col >= 0 && col < int(glyph.Rows[row].size()) &&
               glyph.Rows[row][size_t(col)] == '#';
    };
    std::vector<TPainter::TSegment> strokes;
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < int(glyph.Rows[row].size()); ++col) {
            if (!ink(col, row)) continue;
            double cx = x + col + 0.5, cy = y + row + 0.5;
            strokes.push_back({cx, cy, cx, cy});
            auto join = [&](int dc, int dr) { strokes.push_back({cx, cy, cx + dc, cy + dr}); };
            if (ink(col + 1, row)) join(1, 0);
            if (ink(col, row + 1)) join(0, 1);
            for (int dc : {-1, 1})
                if (ink(col + dc, row + 1) && !ink(col + dc, row) && !ink(col, row + 1))
                    join(dc, 1);
        }
    return strokes;
}

const TGlyph* FindGlyph(char ch) {
    for (const TGlyph& glyph : kGlyphs)
        if (glyph.Ch == ch) return &glyph;
    return nullptr;
}

// Prints text with its top-left corner at design pixel (x, y); returns the x after it.
int Print(TPainter& p, int x, int y, std::string_view text) {
    for (char ch : text) {
        const TGlyph* glyph = FindGlyph(ch);
        if (!glyph) continue;
        int width = int(glyph->Rows[0].size());
        p.Ink(Strokes(*glyph, x, y), TRect::FromSize(x, y, width, 5), kPrint);
        x += width + 1;
    }
    return x;
}

int GlyphWidth(char ch) {
    const TGlyph* glyph = FindGlyph(ch);
    return glyph ? int(glyph->Rows[0].size()) : 0;
}

}  // namespace

TBitmap DrawSwitch(bool set, int factor) {
    int height = set ? kSwitchSetHeight : kSwitchClearHeight;
    // The set picture's slot is a row shorter: stretched to the 25-row cell it matches
    // the clear picture's 22 rows.
    int slotHeight = set ? 21 : 22;
    TBitmap bitmap(kSwitchWidth * factor, height * factor);
    TPainter p(bitmap, factor);
    p.Fill(0, 0, kSwitchWidth - 1, height - 1, kHousing);
    DrawSlot(p, 1, 1, slotHeight);
    if (set)
        DrawKnob(p, 1, 1, true);
    else
        DrawKnob(p, 1, 1 + slotHeight - kKnobHeight, false);
    return bitmap;
}

TBitmap DrawDipSwitchBlocks(int factor) {
    TBitmap bitmap(kDipWidth * factor, kDipHeight * factor);
    TPainter p(bitmap, factor);
    p.Fill(0, 0, kDipWidth - 1, kDipHeight - 1, clBlack);
    struct TBlock {
        int Left, Right;
    };
    constexpr TBlock kBlocks[] = {{1, 88}, {97, 183}, {192, 278}};
    constexpr int kTop = 2;
    constexpr int kBottom = 38;
    using E = TPainter::TEdge;
    for (int g = 0; g < 3; ++g) {
        const TBlock& b = kBlocks[g];
        p.Fill(b.Left, kTop, b.Right, kBottom, kHousing);
        // Bevel: light along the top and left, shadow along the bottom and right.
        p.Ramp(b.Left, kTop, b.Right, kTop, E::eTop, kHousingLight, kHousingLightSoft);
        p.Ramp(b.Left, kTop, b.Left, kBottom, E::eLeft, kHousingLight, kHousingLightSoft);
        p.Ramp(b.Left + 1, kTop + 1, b.Right - 1, kTop + 1, E::eTop, kHousingLightSoft, kHousing);
        p.Ramp(b.Left + 1, kTop + 1, b.Left + 1, kBottom - 1, E::eLeft, kHousingLightSoft,
               kHousing);
        p.Ramp(b.Right - 1, kTop + 2, b.Right - 1, kBottom - 1, E::eRight, kHousingShadowSoft,
               kHousing);
        p.Ramp(b.Left + 2, kBottom - 1, b.Right - 1, kBottom - 1, E::eBottom, kHousingShadowSoft,
               kHousing);
        p.Ramp(b.Right, kTop + 1, b.Right, kBottom, E::eRight, kHousingShadow, kHousingShadowSoft);
        p.Ramp(b.Left + 1, kBottom, b.Right, kBottom, E::eBottom, kHousingShadow,
               kHousingShadowSoft);

        for (int k = 0; k < 8; ++k) {
            int cell = DipCellLeft(g, k);
            DrawSlot(p, cell + 1, kDipCellTop + 1, 22);
            char digit = char('1' + k);
            Print(p, cell + (kSwitchWidth - GlyphWidth(digit)) / 2, 33,
                  std::string_view(&digit, 1));
        }
        int x = Print(p, DipCellLeft(g, 0) + 1, 3, "^");
        Print(p, x, 3, "ON");
    }
    return bitmap;
}
