// Fonts.
//
// TFont describes a font as the controls see it (name, height, style, colour). Text is
// drawn and measured by a TFontFace, which a TFontProvider makes for a description. The
// program uses the system provider (FreeType with fontconfig); tests install the built-in
// fixed provider, whose metrics do not depend on the fonts installed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/gfx/color.h"
#include "platform/gfx/types.h"

class TBitmap;

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// What a face is asked for: a family name, the character height in pixels (the em size)
// and the style. Underline and strike-out are drawn by the canvas, not the face.
struct TFontDesc {
    std::string Name;
    int PixelHeight = 11;
    TFontStyles Style = 0;
    friend bool operator==(const TFontDesc&, const TFontDesc&) = default;
};

struct TFontMetrics {
    int Ascent = 0;             // baseline below the top of the text cell
    int Descent = 0;            // cell bottom below the baseline
    int UnderlinePosition = 0;  // underline row, below the baseline
    int StrikeOutPosition = 0;  // strike-out row, above the baseline
    int LineThickness = 1;
    int Height() const { return Ascent + Descent; }
};

class TFontFace {
public:
    virtual ~TFontFace() = default;
    virtual TFontMetrics Metrics() const = 0;
    // Advance width of UTF-8 text in pixels.
    virtual int TextWidth(std::string_view text) const = 0;
    // Draws UTF-8 text with the top-left corner of its cell at (x, y) of a 24-bit target,
    // blending the glyph coverage with the target, touching only pixels inside clip.
    virtual void DrawText(TBitmap& target, int x, int y, std::string_view text, TColor color,
                          const TRect& clip) const = 0;
    // How much of text's advance lies after the ink of its last character: the blank the
    // glyph leaves before the next one. An underline ends where the ink does. 0 when the
    // last character draws nothing (a space) or reaches its advance.
    virtual int TrailingBlank(std::string_view text) const = 0;
    // The face the system chose, by its family and style ("DejaVu Sans Condensed"); empty
    // for the built-in font.
    virtual std::string FaceName() const { return {}; }
};

class TFontProvider {
public:
    virtual ~TFontProvider() = default;
    virtual std::shared_ptr<const TFontFace> Face(const TFontDesc& desc) = 0;
    // Lets go of what the provider keeps only to find new faces quickly (the system's
    // font configuration); the faces made so far stay, and a new one is found as before,
    // only slower the first time.
    virtual void ReleaseCaches() {}
};

// The provider in use. Until one is installed the system provider is made on first use,
// so a program that draws no text never loads a font.
TFontProvider& FontProvider();
void SetFontProvider(std::shared_ptr<TFontProvider> provider);

// FreeType with fontconfig. "MS Sans Serif" and other names that are not installed map to
// the best installed sans-serif face.
std::shared_ptr<TFontProvider> CreateSystemFontProvider();

// A built-in 5 x 7 pixel font scaled to the asked height with fixed metrics: for a pixel
// height h, ascent h, descent (2h + 10) / 11 and every character (6h + 5) / 11 wide (at
// 11 pixels: ascent 11, descent 2, width 6). Bold, italic, underline and strike-out are
// drawn but do not change the metrics.
std::shared_ptr<TFontProvider> CreateFixedFontProvider();

class TFont {
public:
    TFont() = default;
    TFont(const TFont& other) { Assign(other); }
    TFont& operator=(const TFont& other) {
        Assign(other);
        return *this;
    }

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    // Windows semantics: a negative height is the character height in pixels, a positive
    // one the cell height (character height plus internal leading).
    int Height() const { return height_; }
    void SetHeight(int height);
    // Size in points at PixelsPerInch: Height = -Size * PixelsPerInch / 72.
    int Size() const;
    void SetSize(int points);
    int PixelsPerInch() const { return pixelsPerInch_; }
    // Sets the density Size is counted at, keeping Height.
    void SetPixelsPerInch(int ppi) { pixelsPerInch_ = ppi > 0 ? ppi : 96; }
    // Moves the font to another density keeping its size in whole points, as the system
    // sizes a dialog's font: an 8-point font is 11 pixels high at 96 pixels per inch, 16 at
    // 144 and 21 at 192. (A font too small to have a size in points scales by the ratio.)
    void ChangePixelsPerInch(int ppi);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);

    // Copies name, height, colour and style, then notifies.
    void Assign(const TFont& other);

    // The face that draws this font (cached until the font changes).
    const TFontFace& Face() const;
    TFontDesc Desc() const;

    // Raised after every change.
    std::function<void()> OnChange;

private:
    void Changed();

    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    int pixelsPerInch_ = 96;
    TColor color_ = clWindowText;
    TFontStyles style_ = 0;
    mutable std::shared_ptr<const TFontFace> face_;
};
