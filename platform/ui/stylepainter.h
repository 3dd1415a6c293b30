// The classic raised-3D desktop look, drawn in software in the system colours (clBtnFace,
// clBtnHighlight, cl3DLight, clBtnShadow, cl3DDkShadow, clWindow, clHighlight,
// clHighlightText). Every standard control draws its edges, glyphs and menu items through
// these functions, so they all look alike; none draws a bevel of its own.
//
// The look is designed at 96 pixels per inch (the sizes below) and drawn at the canvas's
// scale (TCanvas::ScalePercent): sizes and offsets are the design's at that scale
// (TCanvas::ScaleValue), each one-pixel line of the design is TCanvas::LineWidth pixels
// wide, and the check mark and the round radio button are drawn from their shapes at the
// scale rather than enlarged pixel by pixel, so they stay smooth.
#pragma once

#include <string>
#include <string_view>

#include "platform/gfx/canvas.h"

// Sizes of the look at 96 pixels per inch (100 %).
constexpr int kCheckBoxGlyphSize = 13;
constexpr int kRadioGlyphSize = 12;
// A check box's or radio button's caption starts this far right of its glyph's left edge.
constexpr int kGlyphTextLeft = 17;
constexpr int kMenuBorder = 3;       // popup menu edge and padding, each side
constexpr int kMenuItemHeight = 17;  // a command (at the 8-point dialog font)
constexpr int kMenuSeparatorHeight = 9;
constexpr int kMenuTextLeft = 17;   // room for a check mark before the caption
constexpr int kMenuTextRight = 17;  // room after the caption

// Draws width nested outlines, each a line wide, inside rect: top and left edges in
// topColor, bottom and right in bottomColor; rect shrinks past them.
void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);

enum class TEdge {
    Raised,   // a button or a popup menu: light outside top-left, dark outside bottom-right
    Sunken,   // a check box or an edit field: the reverse
    Pressed,  // a button held down: one shadow line
    Etched,   // a group frame: a groove, shadow then highlight
};

// Draws the two-line edge of a kind inside rect; rect shrinks past it.
void DrawEdge(TCanvas& canvas, TRect& rect, TEdge edge);

// A push button's face: the edge (raised, or pressed), the black outline of the default
// or focused button, and the face colour. Returns the area left for the caption.
TRect DrawButtonFace(TCanvas& canvas, TRect rect, TColor face, bool pressed, bool isDefault);

// The check box (13 x 13 at 100 %) with its top-left corner at (x, y): a sunken white box,
// grey when pressed or disabled, with a check mark when checked.
void DrawCheckBoxGlyph(TCanvas& canvas, int x, int y, bool checked, bool enabled, bool pressed);

// The round radio button (12 x 12 at 100 %) with its top-left corner at (x, y), with a
// dot when checked. Pixels outside the circle are left as they are.
void DrawRadioGlyph(TCanvas& canvas, int x, int y, bool checked, bool enabled, bool pressed);

// The check mark of a check box or a checked menu item (7 x 7 at 100 %), centred in area.
void DrawCheckMark(TCanvas& canvas, const TRect& area, TColor color);

// A group box: an etched frame around rect whose top edge runs through the middle of the
// caption's line, the caption drawn 8 pixels (at 100 %) from the left over a gap in the
// frame (greyed when disabled). The canvas font draws the caption; background fills the
// gap.
void DrawGroupFrame(TCanvas& canvas, const TRect& rect, std::string_view caption, TColor background,
                    bool enabled = true);

// Caption text the way a control shows it, in the canvas font with a clear background:
// grey with a white shadow when disabled. The second form draws only inside clip.
void DrawControlText(TCanvas& canvas, int x, int y, std::string_view text, bool enabled);
void DrawControlText(TCanvas& canvas, const TRect& clip, int x, int y, std::string_view text,
                     bool enabled);

// The dotted focus rectangle around a control's caption or face. It inverts pixels, so
// it is drawn last, once per paint.
void DrawFocus(TCanvas& canvas, const TRect& rect);
// The focus rectangle of a caption drawn at (x, y): a line around its text cell, kept
// inside bounds.
void DrawCaptionFocus(TCanvas& canvas, int x, int y, std::string_view text, const TRect& bounds);

// The raised frame of a popup menu around rect, filled with clBtnFace inside.
void DrawMenuFrame(TCanvas& canvas, const TRect& rect);

// One command of a popup menu in rect (kMenuItemHeight high at 100 %): the caption at
// kMenuTextLeft, in the highlight colours when highlighted, grey when disabled.
void DrawMenuItem(TCanvas& canvas, const TRect& rect, std::string_view caption, bool highlighted,
                  bool enabled);

// A separator line across rect (kMenuSeparatorHeight high at 100 %).
void DrawMenuSeparator(TCanvas& canvas, const TRect& rect);

// A field the user types into or picks from (an edit box, a list): the sunken edge
// inside rect, filled with fill. Returns the area inside the edge.
TRect DrawSunkenField(TCanvas& canvas, const TRect& rect, TColor fill);

// One section of a list's column header: a raised button face with the caption in the
// canvas font kHeaderTextLeft from its left edge (or as far from its right edge, for a
// right-aligned column), vertically centred, cut off with "..." where it does not fit. An
// empty caption draws the bare face (the header past the last column).
constexpr int kHeaderTextLeft = 6;
void DrawHeaderSection(TCanvas& canvas, const TRect& rect, std::string_view caption,
                       bool rightAligned = false);

// Text cut to fit width pixels in the canvas font: the text itself when it fits, else as
// many whole characters as fit followed by "..." (or as much of "..." as fits).
std::string FitTextWithEllipsis(const TCanvas& canvas, std::string_view text, int width);

// The kinds of gauge (TAGauge).
enum TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

// A gauge in rect showing percent (0 to 100). With border, the sunken edge of a field
// runs round it. Inside, back fills the face and fore shows the part done: a bar from the
// left (gkHorizontalBar) or from the bottom (gkVerticalBar), a wedge of the largest
// circle that fits, clockwise from twelve o'clock (gkPie), or a needle from the middle of
// the bottom edge over a half dial, from pointing left at 0 to pointing right at 100
// (gkNeedle); gkText shows only the number. With showText (always for gkText) the
// percentage ("42%") is centred in the canvas font: over a bar, in back where the bar is
// and in fore elsewhere, so it reads on both; elsewhere in fore on back.
void DrawGauge(TCanvas& canvas, const TRect& rect, TGaugeKind kind, int percent, TColor fore,
               TColor back, bool showText, bool border);
