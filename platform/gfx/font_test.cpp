#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/font.h"
#include "platform/gfx/utf8.h"

namespace {

std::vector<char32_t> Decode(std::string_view text) {
    std::vector<char32_t> out;
    ForEachCodePoint(text, [&](char32_t c) { out.push_back(c); });
    return out;
}

TEST(Utf8Test, DecodesSequencesAndTakesBadBytesAsLatin1) {
    struct TCase {
        std::string text;
        std::vector<char32_t> expected;
    };
    const TCase cases[] = {
        {"", {}},
        {"Az", {'A', 'z'}},
        {"\xC3\xA9", {0xE9}},
        {"\xE2\x82\xAC", {0x20AC}},
        {"\xF0\x9F\x95\x90", {0x1F550}},
        {"\xF4\x8F\xBF\xBF", {0x10FFFF}},
        {"\xFF", {0xFF}},  // never a lead byte
        {"\x80"
         "A",
         {0x80, 'A'}},     // stray continuation
        {"\xC3", {0xC3}},  // cut short at the end
        {"\xC3"
         "A",
         {0xC3, 'A'}},                                   // cut short in the middle
        {"\xE2\x82", {0xE2, 0x82}},                      // three bytes cut short
        {"\xC0\xAF", {0xC0, 0xAF}},                      // overlong
        {"\xE0\x80\xAF", {0xE0, 0x80, 0xAF}},            // overlong
        {"\xED\xA0\x80", {0xED, 0xA0, 0x80}},            // surrogate
        {"\xF4\x90\x80\x80", {0xF4, 0x90, 0x80, 0x80}},  // above U+10FFFF
        {std::string("a\0b", 3), {'a', 0, 'b'}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Decode(c.text), c.expected) << c.text;
}

// ---- The built-in fixed font ---------------------------------------------------------

// Pixels of a bitmap as a picture: '#' where the pixel has the given colour, '.' elsewhere.
std::vector<std::string> Picture(const TBitmap& bitmap, TColor ink, const TRect& area) {
    std::vector<std::string> rows;
    for (int y = area.Top; y < area.Bottom; ++y) {
        std::string row;
        for (int x = area.Left; x < area.Right; ++x)
            row += bitmap.Pixel(x, y) == ink ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

// A white 24-bit bitmap.
TBitmap WhiteBitmap(int width, int height) {
    TBitmap bitmap(width, height);
    bitmap.Canvas().Brush.Color = clWhite;
    bitmap.Canvas().FillRect({0, 0, width, height});
    return bitmap;
}

class FixedFontTest : public ::testing::Test {
protected:
    void SetUp() override { SetFontProvider(provider_); }
    void TearDown() override { SetFontProvider(nullptr); }

    std::shared_ptr<const TFontFace> Face(int height, TFontStyles style = 0) {
        return provider_->Face({"MS Sans Serif", height, style});
    }

    // Draws text with the face straight onto a white bitmap and returns its picture.
    std::vector<std::string> Draw(int height, std::string_view text, TFontStyles style = 0) {
        auto face = Face(height, style);
        int width = face->TextWidth(text), cellHeight = face->Metrics().Height();
        TBitmap bitmap = WhiteBitmap(width, cellHeight);
        face->DrawText(bitmap, 0, 0, text, clBlack, {0, 0, width, cellHeight});
        return Picture(bitmap, clBlack, {0, 0, width, cellHeight});
    }

    std::shared_ptr<TFontProvider> provider_ = CreateFixedFontProvider();
};

TEST_F(FixedFontTest, MetricsFollowThePixelHeight) {
    struct TCase {
        int height, ascent, descent, width, underline, strikeOut, thickness;
    };
    const TCase cases[] = {
        {11, 11, 2, 6, 1, 3, 1}, {22, 22, 4, 12, 1, 7, 2}, {8, 8, 2, 4, 1, 2, 1},
        {16, 16, 3, 9, 1, 5, 1}, {3, 3, 1, 2, 0, 1, 1},
    };
    for (const TCase& c : cases) {
        for (TFontStyles style : {0u, unsigned(fsBold), unsigned(fsItalic), fsBold | fsItalic}) {
            SCOPED_TRACE(testing::Message() << "height " << c.height << " style " << style);
            auto face = Face(c.height, style);
            TFontMetrics m = face->Metrics();
            EXPECT_EQ(m.Ascent, c.ascent);
            EXPECT_EQ(m.Descent, c.descent);
            EXPECT_EQ(m.Height(), c.ascent + c.descent);
            EXPECT_EQ(m.UnderlinePosition, c.underline);
            EXPECT_EQ(m.StrikeOutPosition, c.strikeOut);
            EXPECT_EQ(m.LineThickness, c.thickness);
            EXPECT_EQ(face->TextWidth("x"), c.width);
        }
    }
}

TEST_F(FixedFontTest, TextWidthCountsCodePoints) {
    struct TCase {
        const char* text;
        int width;
    };
    const TCase cases[] = {
        {"", 0},
        {"A", 6},
        {"Tarvo's Binary Clock", 120},
        {"\xC3\xA9t\xC3\xA9", 18},  // three characters in five bytes
        {"\xF0\x9F\x95\x90", 6},    // one character outside the font
        {"\xFF\xFE", 12},           // two bytes that are no UTF-8: two Latin-1 characters
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Face(11)->TextWidth(c.text), c.width) << c.text;
}

TEST_F(FixedFontTest, SameDescriptionGivesTheSameFace) {
    EXPECT_EQ(Face(11), Face(11));
    EXPECT_NE(Face(11), Face(11, fsBold));
    EXPECT_EQ(provider_->Face({"Arial", 11, 0}), Face(11));  // the name plays no part
}

TEST_F(FixedFontTest, ElevenPixelsDrawTheDesignOneToOne) {
    const std::vector<std::string> expectedH = {
        "......", "......", "......", "......",  // above the cap height
        "#...#.", "#...#.", "#...#.", "#####.", "#...#.",
        "#...#.", "#...#.", "......", "......",  // descent
    };
    EXPECT_EQ(Draw(11, "H"), expectedH);
    // g sits two rows lower, reaching into the descent.
    const std::vector<std::string> expectedG = {
        "......", "......", "......", "......", "......", "......", ".####.",
        "#...#.", "#...#.", ".####.", "....#.", "....#.", ".###..",
    };
    EXPECT_EQ(Draw(11, "g"), expectedG);
    // Characters outside the font draw as a box.
    const std::vector<std::string> expectedBox = {
        "......", "......", "......", "......", "......", "#####.", "#...#.",
        "#...#.", "#...#.", "#...#.", "#####.", "......", "......",
    };
    EXPECT_EQ(Draw(11, "\xE2\x82\xAC"), expectedBox);
    EXPECT_EQ(Draw(11, "\x7F"), expectedBox);
}

TEST_F(FixedFontTest, TwentyTwoPixelsDoubleEveryDesignPixel) {
    std::vector<std::string> small = Draw(11, "H"), large = Draw(22, "H");
    ASSERT_EQ(large.size(), 26u);
    ASSERT_EQ(large[0].size(), 12u);
    // The 5 x 7 design becomes a 10 x 14 box standing on the baseline (row 22).
    for (int y = 0; y < 26; ++y)
        for (int x = 0; x < 12; ++x) {
            bool inBox = y >= 8 && y < 22 && x < 10;
            char expected = inBox ? small[size_t(4 + (y - 8) / 2)][size_t(x / 2)] : '.';
            EXPECT_EQ(large[size_t(y)][size_t(x)], expected) << x << "," << y;
        }
}

TEST_F(FixedFontTest, BoldAndItalicChangePixelsButNotWidths) {
    const std::string text = "Hello";
    auto regular = Draw(11, text), bold = Draw(11, text, fsBold), italic = Draw(11, text, fsItalic);
    EXPECT_EQ(Face(11, fsBold)->TextWidth(text), Face(11)->TextWidth(text));
    EXPECT_EQ(Face(11, fsItalic)->TextWidth(text), Face(11)->TextWidth(text));
    EXPECT_NE(bold, regular);
    EXPECT_NE(italic, regular);
    // Bold is the regular glyph drawn twice: every regular pixel stays set.
    for (size_t y = 0; y < regular.size(); ++y)
        for (size_t x = 0; x < regular[y].size(); ++x)
            if (regular[y][x] == '#') {
                EXPECT_EQ(bold[y][x], '#') << x << "," << y;
            }
    // Italic leans right: the top rows of H move right by the gap between glyphs, the
    // bottom rows stay.
    EXPECT_EQ(italic[4].substr(0, 6), ".#...#");
    EXPECT_EQ(italic[10].substr(0, 6), "#...#.");
}

class FixedCanvasTest : public FixedFontTest {
protected:
    // A 40 x 24 white bitmap whose canvas writes black text on a yellow brush.
    void SetUp() override {
        FixedFontTest::SetUp();
        bitmap_ = WhiteBitmap(40, 24);
        canvas_.SetTarget(&bitmap_);
        canvas_.Brush.Color = clYellow;
        canvas_.Font.SetColor(clBlack);
    }

    // Every pixel outside inside is white; inside, every pixel is one of allowed.
    void ExpectOnly(const TRect& inside, std::initializer_list<TColor> allowed) {
        for (int y = 0; y < bitmap_.Height(); ++y)
            for (int x = 0; x < bitmap_.Width(); ++x) {
                TColor c = bitmap_.Pixel(x, y);
                if (!inside.Contains({x, y})) {
                    EXPECT_EQ(c, clWhite) << x << "," << y;
                } else {
                    EXPECT_NE(std::find(allowed.begin(), allowed.end(), c), allowed.end())
                        << x << "," << y << " " << std::hex << c;
                }
            }
    }
    int Count(TColor color) const {
        int n = 0;
        for (int y = 0; y < bitmap_.Height(); ++y)
            for (int x = 0; x < bitmap_.Width(); ++x)
                n += bitmap_.Pixel(x, y) == color;
        return n;
    }
    std::string Row(int y, int left, int right) const {
        return Picture(bitmap_, clBlack, {left, y, right, y + 1})[0];
    }

    TBitmap bitmap_;
    TCanvas canvas_;
};

TEST_F(FixedCanvasTest, OpaqueTextFillsItsCellAndNothingElse) {
    canvas_.TextOut(3, 2, "Hi");
    const TRect cell{3, 2, 15, 15};
    ExpectOnly(cell, {clYellow, clBlack});
    EXPECT_GT(Count(clBlack), 10);
    EXPECT_EQ(canvas_.PenPos, (TPoint{15, 2}));
    EXPECT_EQ(canvas_.TextExtent("Hi"), (TSize{12, 13}));
}

TEST_F(FixedCanvasTest, TransparentTextLeavesTheBackground) {
    canvas_.Brush.Style = bsClear;
    canvas_.TextOut(3, 2, "Hi");
    ExpectOnly({3, 2, 15, 15}, {clWhite, clBlack});
    EXPECT_GT(Count(clBlack), 10);
}

TEST_F(FixedCanvasTest, TextStaysInsideTheClipAndTheTextRect) {
    canvas_.Font.SetStyle(fsBold | fsItalic | fsUnderline | fsStrikeOut);
    canvas_.SetClipRect({0, 0, 9, 10});
    canvas_.TextOut(3, 2, "Hi there");
    ExpectOnly({3, 2, 9, 10}, {clYellow, clBlack});
    EXPECT_GT(Count(clBlack), 0);

    bitmap_ = WhiteBitmap(40, 24);
    canvas_.ResetClip();
    canvas_.TextRect({5, 4, 20, 12}, 3, 2, "Hi there");
    ExpectOnly({5, 4, 20, 12}, {clYellow, clBlack});
    EXPECT_GT(Count(clBlack), 0);
}

TEST_F(FixedCanvasTest, TextFollowsTheOrigin) {
    canvas_.SetOrigin({10, 5});
    canvas_.TextOut(1, 1, "W");
    ExpectOnly({11, 6, 17, 19}, {clYellow, clBlack});
    EXPECT_GT(Count(clBlack), 0);
}

TEST_F(FixedCanvasTest, ItalicAndBoldStayInTheCell) {
    canvas_.Font.SetStyle(fsBold | fsItalic);
    canvas_.TextOut(3, 2, "My");
    ExpectOnly({3, 2, 15, 15}, {clYellow, clBlack});
}

TEST_F(FixedCanvasTest, UnderlineAndStrikeOutRows) {
    // Cell rows: glyph box 6..12 (baseline 13), underline row 14, strike-out row 10.
    const int top = 2, underline = top + 11 + 1, strikeOut = top + 11 - 3;
    canvas_.TextOut(3, top, "Hi");
    EXPECT_EQ(Row(underline, 3, 15), "............");
    EXPECT_NE(Row(strikeOut, 3, 15), "############");

    // The underline ends with the ink of the last glyph: the 'i' leaves two blank columns.
    canvas_.Font.SetStyle(fsUnderline);
    canvas_.TextOut(3, top, "Hi");
    EXPECT_EQ(canvas_.Font.Face().TrailingBlank("Hi"), 2);
    EXPECT_EQ(Row(underline, 0, 17), "...##########....");
    EXPECT_NE(Row(strikeOut, 3, 15), "############");
    // A text that ends in a space is underlined to its end.
    canvas_.TextOut(3, top, "H ");
    EXPECT_EQ(Row(underline, 0, 17), "...############..");

    canvas_.Font.SetStyle(fsStrikeOut);
    canvas_.TextOut(3, top, "Hi");
    EXPECT_EQ(Row(strikeOut, 0, 17), "...############..");
    EXPECT_EQ(Row(underline, 3, 15), "............");
}

// ---- The system fonts ----------------------------------------------------------------

bool AnyFontInstalled() {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return false;
    FcFontSet* fonts = FcConfigGetFonts(config, FcSetSystem);
    bool any = fonts && fonts->nfont > 0;
    FcConfigDestroy(config);
    return any;
}

class SystemFontTest : public ::testing::Test {
protected:
    void SetUp() override {
        static const bool installed = AnyFontInstalled();
        if (!installed) GTEST_SKIP() << "no fonts installed";
    }
    void TearDown() override { SetFontProvider(nullptr); }

    std::shared_ptr<const TFontFace> Face(const std::string& name, TFontStyles style = 0) {
        TFont font;
        font.SetName(name);
        font.SetHeight(-11);
        font.SetStyle(style);
        return provider_->Face(font.Desc());
    }

    std::shared_ptr<TFontProvider> provider_ = CreateSystemFontProvider();
};

const char kCaption[] = "Tarvo's Binary Clock";

TEST_F(SystemFontTest, DialogFontHasAPlausibleSize) {
    auto face = Face("MS Sans Serif");
    TFontMetrics m = face->Metrics();
    EXPECT_GE(m.Height(), 11);
    EXPECT_LE(m.Height(), 16);
    EXPECT_GT(m.Ascent, m.Descent);
    EXPECT_GE(m.UnderlinePosition, 1);
    EXPECT_GE(m.StrikeOutPosition, 1);
    EXPECT_LT(m.StrikeOutPosition, m.Ascent);
    EXPECT_GE(m.LineThickness, 1);
    const int width = face->TextWidth(kCaption);
    EXPECT_GT(width, 0);
    EXPECT_GE(Face("MS Sans Serif", fsBold)->TextWidth(kCaption), width);
    EXPECT_EQ(face->TextWidth(""), 0);
}

TEST_F(SystemFontTest, WidthOfAStringIsTheSumOfItsCharacters) {
    auto face = Face("MS Sans Serif");
    int sum = 0;
    for (char c : std::string(kCaption))
        sum += face->TextWidth(std::string(1, c));
    EXPECT_EQ(face->TextWidth(kCaption), sum);
}

TEST_F(SystemFontTest, UnknownNamesBecomeTheDialogFace) {
    auto dialog = Face("MS Sans Serif");
    auto unknown = Face("No Such Family Anywhere");
    EXPECT_EQ(unknown->TextWidth(kCaption), dialog->TextWidth(kCaption));
    EXPECT_EQ(unknown->Metrics().Height(), dialog->Metrics().Height());
    EXPECT_EQ(Face("MS Sans Serif"), dialog);  // kept by description
}

TEST_F(SystemFontTest, LargeTextIsSmoothAndSmallTextCrisp) {
    // Red over white: red stays full, green and blue fall together.
    auto check = [&](int pixelHeight, bool smooth) {
        auto face = provider_->Face({"MS Sans Serif", pixelHeight, 0});
        const int width = face->TextWidth(kCaption), height = face->Metrics().Height();
        TBitmap bitmap = WhiteBitmap(width + 20, height + 10);
        face->DrawText(bitmap, 5, 5, kCaption, clRed, {0, 0, bitmap.Width(), bitmap.Height()});
        int full = 0, changed = 0;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x) {
                TColor c = bitmap.Pixel(x, y);
                if (c == clWhite) continue;
                ++changed;
                full += c == clRed;
                EXPECT_EQ(GetRValue(c), 255) << x << "," << y;
                EXPECT_EQ(GetGValue(c), GetBValue(c)) << x << "," << y;
            }
        EXPECT_GT(full, 0) << pixelHeight;
        if (smooth) {
            EXPECT_GT(changed, full) << "the edges of " << pixelHeight << "-pixel text are smooth";
        } else {
            EXPECT_EQ(changed, full) << pixelHeight << "-pixel text has no half-tone fringe";
        }
    };
    check(11, false);
    check(24, true);
}

TEST_F(SystemFontTest, DrawingStaysInsideTheClip) {
    auto face = Face("MS Sans Serif");
    const int width = face->TextWidth(kCaption), height = face->Metrics().Height();
    TBitmap clipped = WhiteBitmap(width + 20, height + 10);
    const TRect clip{10, 9, 30, 13};
    face->DrawText(clipped, 5, 5, kCaption, clBlack, clip);
    int inside = 0;
    for (int y = 0; y < clipped.Height(); ++y)
        for (int x = 0; x < clipped.Width(); ++x) {
            if (clipped.Pixel(x, y) == clWhite) continue;
            EXPECT_TRUE(clip.Contains({x, y})) << x << "," << y;
            ++inside;
        }
    EXPECT_GT(inside, 0);
}

TEST_F(SystemFontTest, CanvasDrawsWithTheInstalledProvider) {
    SetFontProvider(provider_);
    TBitmap bitmap = WhiteBitmap(200, 30);
    bitmap.Canvas().Brush.Style = bsClear;
    bitmap.Canvas().Font.SetColor(clBlue);
    bitmap.Canvas().TextOut(2, 2, kCaption);
    int blue = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            blue += bitmap.Pixel(x, y) == clBlue;
    EXPECT_GT(blue, 0);
}

TEST_F(SystemFontTest, InvalidUtf8IsDrawnAsLatin1) {
    auto face = Face("MS Sans Serif");
    EXPECT_EQ(face->TextWidth("\xFF"), face->TextWidth("\xC3\xBF"));
    const std::string bad = "\xC3\x28\xA0\xA1\xE2\x28\xA1\xF0\x28\x8C\xBC\xED\xA0\x80\xF8";
    const int width = face->TextWidth(bad);
    EXPECT_GT(width, 0);
    TBitmap bitmap = WhiteBitmap(width + 4, 20);
    face->DrawText(bitmap, 2, 2, bad, clBlack, {0, 0, bitmap.Width(), bitmap.Height()});
    face->DrawText(bitmap, -1000, -1000, bad, clBlack, {0, 0, bitmap.Width(), bitmap.Height()});
    face->DrawText(bitmap, 2, 2, bad, clBlack, {-50, -50, 500, 500});  // clip beyond the bitmap
}

TEST_F(SystemFontTest, OddHeightsDoNotFail) {
    for (int height : {0, -5, 1, 200}) {
        auto face = provider_->Face({"MS Sans Serif", height, fsBold | fsItalic});
        ASSERT_NE(face, nullptr);
        EXPECT_GE(face->TextWidth("W"), 0);
        TBitmap bitmap = WhiteBitmap(30, 30);
        face->DrawText(bitmap, 0, 0, "W", clBlack, {0, 0, 30, 30});
    }
}

// A fontconfig setup of its own for the system provider: a directory that holds only the
// given font files, in force (FONTCONFIG_FILE) while the object lives.
class TPrivateFontConfig {
public:
    explicit TPrivateFontConfig(const std::vector<std::filesystem::path>& fonts) {
        namespace fs = std::filesystem;
        dir_ = fs::temp_directory_path() / ("zt-font-test-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "fonts");
        for (const auto& font : fonts)
            fs::copy_file(font, dir_ / "fonts" / font.filename());
        std::ofstream(dir_ / "fonts.conf")
            << "<?xml version=\"1.0\"?>\n<fontconfig>\n"
            << (fonts.empty() ? "" : "<dir>" + (dir_ / "fonts").string() + "</dir>\n")
            << "<cachedir>" << (dir_ / "cache").string() << "</cachedir>\n</fontconfig>\n";
        const char* previous = std::getenv("FONTCONFIG_FILE");
        if (previous) previous_ = previous;
        hadPrevious_ = previous != nullptr;
        ::setenv("FONTCONFIG_FILE", (dir_ / "fonts.conf").c_str(), 1);
    }
    ~TPrivateFontConfig() {
        if (hadPrevious_)
            ::setenv("FONTCONFIG_FILE", previous_.c_str(), 1);
        else
            ::unsetenv("FONTCONFIG_FILE");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

private:
    std::filesystem::path dir_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// The file of the installed regular sans-serif face, or an empty path.
std::filesystem::path RegularSansFile() {
    std::filesystem::path path;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:weight=80"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcChar8* file = nullptr;
    int index = 0, weight = 0, slant = 0;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch && index == 0 &&
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight) == FcResultMatch &&
        weight < FC_WEIGHT_DEMIBOLD &&
        FcPatternGetInteger(match, FC_SLANT, 0, &slant) == FcResultMatch && slant == FC_SLANT_ROMAN)
        path = reinterpret_cast<const char*>(file);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return path;
}

// The caption drawn in black on white, as rows of red values.
std::vector<std::string> TextPicture(const TFontFace& face) {
    TBitmap bitmap = WhiteBitmap(200, 20);
    face.DrawText(bitmap, 2, 2, kCaption, clBlack, {0, 0, 200, 20});
    std::vector<std::string> rows;
    for (int y = 0; y < 20; ++y) {
        std::string row;
        for (int x = 0; x < 200; ++x)
            row += char(GetRValue(bitmap.Pixel(x, y)));
        rows.push_back(row);
    }
    return rows;
}

// An installed scalable font that is not TrueType (CFF or Type 1), or an empty path.
std::filesystem::path OtherFormatFile() {
    std::filesystem::path path;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return path;
    FcFontSet* fonts = FcConfigGetFonts(config, FcSetSystem);
    for (int i = 0; fonts && i < fonts->nfont && path.empty(); ++i) {
        FcChar8 *format = nullptr, *file = nullptr;
        int index = -1;
        if (FcPatternGetString(fonts->fonts[i], FC_FONTFORMAT, 0, &format) == FcResultMatch &&
            FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch &&
            FcPatternGetInteger(fonts->fonts[i], FC_INDEX, 0, &index) == FcResultMatch &&
            index == 0 &&
            (std::string_view(reinterpret_cast<const char*>(format)) == "CFF" ||
             std::string_view(reinterpret_cast<const char*>(format)) == "Type 1"))
            path = reinterpret_cast<const char*>(file);
    }
    FcConfigDestroy(config);
    return path;
}

// The provider starts with the TrueType drivers only; a font of another format still
// draws with its own outlines, not with the fixed font.
TEST(SystemFontSetupTest, FontsThatAreNotTrueTypeAreDrawn) {
    const std::filesystem::path other = OtherFormatFile();
    if (other.empty()) GTEST_SKIP() << "no CFF or Type 1 font installed";
    std::shared_ptr<const TFontFace> face;
    {
        TPrivateFontConfig only({other});
        face = CreateSystemFontProvider()->Face({"MS Sans Serif", 11, 0});
    }
    auto fixed = CreateFixedFontProvider()->Face({"MS Sans Serif", 11, 0});
    EXPECT_NE(TextPicture(*face), TextPicture(*fixed)) << other;
}

// Without any font the system provider still draws, with the fixed font.
TEST(SystemFontSetupTest, NoFontsGiveTheFixedFont) {
    std::shared_ptr<const TFontFace> face;
    {
        TPrivateFontConfig none({});
        face = CreateSystemFontProvider()->Face({"MS Sans Serif", 11, 0});
    }
    TFontMetrics m = face->Metrics();
    EXPECT_EQ(m.Ascent, 11);
    EXPECT_EQ(m.Descent, 2);
    EXPECT_EQ(face->TextWidth(kCaption), 120);
}

// The faces the program asks for come from the packages it depends on: the dialog face is
// DejaVu Sans Condensed (fonts-dejavu-extra), monospace DejaVu Sans Mono (fonts-dejavu-core),
// found by fontconfig, not by file names.
TEST(SystemFontSetupTest, TheDialogFaceIsTheCondensedSansAndMonospaceIsFixedPitch) {
    std::shared_ptr<TFontProvider> provider = CreateSystemFontProvider();
    EXPECT_EQ(provider->Face({"MS Sans Serif", 11, 0})->FaceName(), "DejaVu Sans Condensed");
    EXPECT_EQ(provider->Face({"MS Sans Serif", 11, fsBold})->FaceName(),
              "DejaVu Sans Condensed Bold");
    EXPECT_EQ(provider->Face({"", 21, 0})->FaceName(), "DejaVu Sans Condensed");
    auto mono = provider->Face({"monospace", 13, 0});
    EXPECT_EQ(mono->FaceName(), "DejaVu Sans Mono");
    EXPECT_EQ(mono->TextWidth("i"), mono->TextWidth("W"));
    EXPECT_EQ(mono->TextWidth("0123456789ABCDEF"), 16 * mono->TextWidth("0"));
    // Letting go of fontconfig's configuration keeps the faces, and finds new ones again.
    auto dialog = provider->Face({"MS Sans Serif", 11, 0});
    provider->ReleaseCaches();
    EXPECT_EQ(provider->Face({"MS Sans Serif", 11, 0}), dialog);
    EXPECT_EQ(provider->Face({"MS Sans Serif", 16, fsItalic})->FaceName(),
              "DejaVu Sans Condensed Oblique");
}

// A fontconfig configuration of the user's: the system's, and rules of its own after it, in
// force (FONTCONFIG_FILE) while the object lives.
class TUserFontConfig {
public:
    explicit TUserFontConfig(const std::string& rules) {
        path_ = std::filesystem::temp_directory_path() /
                ("zt-user-fonts-" + std::to_string(::getpid()) + ".conf");
        // "fonts.conf" is looked for in the system's configuration folder.
        std::ofstream(path_)
            << "<?xml version=\"1.0\"?>\n<fontconfig>\n<include>fonts.conf</include>\n"
            << rules << "\n</fontconfig>\n";
        const char* previous = std::getenv("FONTCONFIG_FILE");
        hadPrevious_ = previous != nullptr;
        if (previous) previous_ = previous;
        ::setenv("FONTCONFIG_FILE", path_.c_str(), 1);
    }
    ~TUserFontConfig() {
        if (hadPrevious_)
            ::setenv("FONTCONFIG_FILE", previous_.c_str(), 1);
        else
            ::unsetenv("FONTCONFIG_FILE");
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }

private:
    std::filesystem::path path_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// The user's fonts.conf decides: without the condensed face the dialog font is the user's
// sans-serif, whichever that is.
TEST(SystemFontSetupTest, TheUsersFontConfigurationIsHonoured) {
    const std::string noCondensedSans =
        "<selectfont><rejectfont><glob>*/DejaVuSansCondensed*</glob></rejectfont></selectfont>";
    {
        TUserFontConfig user(noCondensedSans);
        EXPECT_EQ(CreateSystemFontProvider()->Face({"MS Sans Serif", 11, 0})->FaceName(),
                  "DejaVu Sans");
    }
    {
        TUserFontConfig user(noCondensedSans +
                             "<alias binding=\"strong\"><family>sans-serif</family><prefer>"
                             "<family>DejaVu Serif</family></prefer></alias>");
        const std::string name =
            CreateSystemFontProvider()->Face({"MS Sans Serif", 11, 0})->FaceName();
        EXPECT_EQ(name.rfind("DejaVu Serif", 0), 0u) << name;
    }
}

// With only a regular face installed, bold and italic are made from it.
TEST(SystemFontSetupTest, BoldAndItalicAreSynthesisedWhenMissing) {
    const std::filesystem::path regular = RegularSansFile();
    if (regular.empty()) GTEST_SKIP() << "no regular sans-serif font file";
    std::shared_ptr<TFontProvider> provider;
    std::shared_ptr<const TFontFace> plain, bold, italic;
    {
        TPrivateFontConfig only({regular});
        provider = CreateSystemFontProvider();
        plain = provider->Face({"MS Sans Serif", 11, 0});
        bold = provider->Face({"MS Sans Serif", 11, fsBold});
        italic = provider->Face({"MS Sans Serif", 11, fsItalic});
    }
    const int width = plain->TextWidth(kCaption);
    EXPECT_GT(bold->TextWidth(kCaption), width);  // thickened glyphs advance further
    EXPECT_EQ(italic->TextWidth(kCaption), width);
    EXPECT_EQ(italic->Metrics().Height(), plain->Metrics().Height());
    EXPECT_NE(TextPicture(*bold), TextPicture(*plain));
    EXPECT_NE(TextPicture(*italic), TextPicture(*plain));
}

}  // namespace
