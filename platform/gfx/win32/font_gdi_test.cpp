// The system font provider on Windows: GDI's fonts, measured and drawn into our bitmaps.
#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/font.h"

namespace {

class GdiFontTest : public ::testing::Test {
protected:
    std::shared_ptr<const TFontFace> Face(const std::string& name, TFontStyles style = 0,
                                          int pixels = 11) {
        return provider_->Face({name, pixels, style});
    }
    // Pixels of bitmap that are not the background.
    static int Inked(const TBitmap& bitmap, TColor background, TRect* box = nullptr) {
        int count = 0;
        TRect found;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                if (bitmap.Pixel(x, y) != background) {
                    ++count;
                    found = found.Union({x, y, x + 1, y + 1});
                }
        if (box) *box = found;
        return count;
    }
    static TBitmap White(int width, int height) {
        TBitmap bitmap(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bitmap.SetPixel(x, y, clWhite);
        return bitmap;
    }

    std::shared_ptr<TFontProvider> provider_ = CreateSystemFontProvider();
};

TEST_F(GdiFontTest, DialogFontHasAPlausibleCell) {
    TFontMetrics m = Face("MS Sans Serif")->Metrics();
    EXPECT_GE(m.Ascent, 8);
    EXPECT_LE(m.Height(), 20);
    EXPECT_GE(m.Descent, 1);
    EXPECT_GE(m.UnderlinePosition, 1);
    EXPECT_GE(m.LineThickness, 1);
}

TEST_F(GdiFontTest, SameDescriptionGivesTheSameFace) {
    EXPECT_EQ(Face("MS Sans Serif"), Face("MS Sans Serif"));
    EXPECT_NE(Face("MS Sans Serif"), Face("MS Sans Serif", fsBold));
}

TEST_F(GdiFontTest, WidthOfAStringIsTheSumOfItsCharacters) {
    auto face = Face("MS Sans Serif");
    const std::string text = "Tarvo's Binary Clock";
    int sum = 0;
    for (char c : text)
        sum += face->TextWidth(std::string(1, c));
    EXPECT_EQ(face->TextWidth(text), sum);
    EXPECT_GT(sum, 60);
    EXPECT_EQ(face->TextWidth(""), 0);
}

TEST_F(GdiFontTest, TextIsDrawnInItsColourWithinItsCell) {
    auto face = Face("MS Sans Serif");
    TBitmap bitmap = White(120, 30);
    face->DrawText(bitmap, 5, 4, "Clock", clBlack, {0, 0, 120, 30});
    TRect box;
    EXPECT_GT(Inked(bitmap, clWhite, &box), 10);
    EXPECT_GE(box.Left, 5);
    EXPECT_GE(box.Top, 4);
    EXPECT_LE(box.Bottom, 4 + face->Metrics().Height());
    EXPECT_LE(box.Right, 5 + face->TextWidth("Clock") + 2);
}

TEST_F(GdiFontTest, DrawingStaysInsideTheClip) {
    auto face = Face("MS Sans Serif", fsBold | fsItalic);
    TBitmap bitmap = White(120, 30);
    const TRect clip{10, 6, 30, 12};
    face->DrawText(bitmap, 5, 4, "Clock clock", clRed, clip);
    TRect box;
    ASSERT_GT(Inked(bitmap, clWhite, &box), 0);
    EXPECT_EQ(box.Intersect(clip), box);
}

TEST_F(GdiFontTest, UnknownFamilyStillDrawsAndUtf8IsDecoded) {
    auto face = Face("No Such Family Here");
    EXPECT_GT(face->TextWidth("abc"), 0);
    // "ü" is one character: as wide as one letter, not two.
    auto dialog = Face("MS Sans Serif");
    EXPECT_LT(dialog->TextWidth("\xC3\xBC"), 2 * dialog->TextWidth("u") + 1);
}

TEST_F(GdiFontTest, MonospaceIsAFixedPitchFaceOfTheSystem) {
    for (TFontStyles style : {TFontStyles(0), TFontStyles(fsBold)}) {
        auto mono = Face("monospace", style, 13);
        EXPECT_FALSE(mono->FaceName().empty());
        EXPECT_NE(mono->FaceName(), "monospace");  // a face of the system, not the alias
        EXPECT_EQ(mono->TextWidth("i"), mono->TextWidth("W")) << mono->FaceName();
        EXPECT_EQ(mono->TextWidth("0123456789ABCDEF"), 16 * mono->TextWidth("0"))
            << mono->FaceName();
    }
    // The dialog font is proportional: a different face.
    auto dialog = Face("MS Sans Serif");
    EXPECT_NE(dialog->TextWidth("i"), dialog->TextWidth("W"));
}

TEST_F(GdiFontTest, AnUnderlineEndsWithTheInkOfTheLastGlyph) {
    TBitmap bitmap = White(160, 30);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Font.SetName("MS Sans Serif");
    canvas.Font.SetStyle(fsUnderline);
    canvas.Font.SetColor(clBlack);
    canvas.Brush.Style = bsClear;
    canvas.TextOut(4, 2, "development");
    const TFontMetrics m = canvas.Font.Face().Metrics();
    const int row = 2 + m.Ascent + m.UnderlinePosition;
    int inkRight = -1, lineRight = -1;
    for (int x = 0; x < 160; ++x) {
        for (int y = 2; y < 2 + m.Ascent; ++y)
            if (bitmap.Pixel(x, y) != clWhite) inkRight = x;
        if (bitmap.Pixel(x, row) != clWhite) lineRight = x;
    }
    ASSERT_GE(inkRight, 0);
    // Not past the last glyph (a glyph's ink may reach a pixel past its advance).
    EXPECT_LE(lineRight, inkRight);
    EXPECT_GE(lineRight, inkRight - 1);
    EXPECT_EQ(canvas.Font.Face().TrailingBlank(" "), 0);
}

}  // namespace
