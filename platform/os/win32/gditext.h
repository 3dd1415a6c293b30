// Text drawn by the system's graphics device interface (GDI) into coverage masks.
//
// TGdiText is one font of the system at a character height in pixels: its metrics, the
// width of a text, and the text drawn as 8-bit coverage (0 nothing, 255 fully covered)
// that the caller blends into its own pixels in any colour. Texts are UTF-8. Small text
// (up to 13 pixels) is drawn aliased, as the classic dialog font is; larger text smoothed
// in grey (never with coloured sub-pixel smoothing, which coverage cannot hold).
//
// The font, its memory device context and the drawing surface are held for the life of
// the object. Not thread-safe: text is drawn on the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TGdiText {
public:
    // The system's font of the family nearest to the request (the system substitutes a
    // family it does not have). With fixedPitch the system is asked for a fixed-pitch face
    // of the modern (typewriter) family: every character as wide as the others.
    TGdiText(const std::string& family, int pixelHeight, bool bold, bool italic,
             bool fixedPitch = false);
    ~TGdiText();
    TGdiText(const TGdiText&) = delete;
    TGdiText& operator=(const TGdiText&) = delete;

    // False when the system gave no font or no drawing surface; nothing is drawn then.
    bool Valid() const;
    // The face the system chose (its family name, UTF-8), and whether it is fixed-pitch.
    std::string FaceName() const;
    bool FixedPitch() const;

    // Metrics in pixels: ascent and descent of the cell; underline row below and
    // strike-out row above the baseline; line thickness.
    int Ascent() const { return ascent_; }
    int Descent() const { return descent_; }
    int UnderlinePosition() const { return underline_; }
    int StrikeOutPosition() const { return strikeOut_; }
    int LineThickness() const { return thickness_; }

    // The advance width of text.
    int TextWidth(std::string_view text) const;

    // Draws text with the top-left of its cell at (0, 0) of a mask of width x height bytes
    // (returned in width and height), one byte a pixel, row by row. The mask reaches past
    // the advance by the overhang of italic and bold letters.
    std::vector<uint8_t> Coverage(std::string_view text, int& width, int& height) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
    int ascent_ = 0;
    int descent_ = 0;
    int underline_ = 1;
    int strikeOut_ = 1;
    int thickness_ = 1;
};
