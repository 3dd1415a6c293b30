#include "widgets/htmllabel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/ui/form.h"
#include "platform/ui/winapi.h"
#include "tests/support/headless_app.h"

// The fixed font at the label's default height (11 pixels): every character 6 wide, a
// text cell 13 high. A space is one character wide.
namespace {

constexpr int kChar = 6;
constexpr int kLine = 13;
constexpr TColor kFormColor = RGB(0, 128, 0);
constexpr TColor kPaper = clWhite;
constexpr TColor kInk = RGB(160, 0, 0);
constexpr TColor kBlue = RGB(0, 0, 255);
constexpr int kLeft = 20;
constexpr int kTop = 10;

// A piece of text as the label should draw it, in the label's coordinates.
struct TPiece {
    int X = 0;
    int Y = 0;
    std::string Text;
    TFontStyles Style = 0;
    TColor Color = kInk;
};

// Captions drawn on a 60 x 40 label, left aligned, without wrapping.
struct TDrawCase {
    std::string Caption;
    std::vector<TPiece> Pieces;
};

// Layout on a label of the given width, 40 high: where the pieces are drawn, and
// LineStartX and the pen after the pass.
struct TLayoutCase {
    std::string Caption;
    int Width;
    int32_t WordWrap;
    TAlignment Alignment;
    int LineStartX;
    TPoint Pen;
    std::vector<TPiece> Pieces;
};

TSize SizeOf(const TControl* control) {
    return {control->Width(), control->Height()};
}

class HtmlLabel : public ::testing::Test {
protected:
    THeadlessApp app;
    TForm* form = nullptr;
    THtmlLabel* label = nullptr;

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 200, 100);
        form->SetColor(kFormColor);
        label = MakeLabel();
        form->Show();
        app.Run();
    }

    THtmlLabel* MakeLabel() {
        auto* l = new THtmlLabel(form);
        l->SetParent(form);
        l->SetBounds(kLeft, kTop, l->Width(), l->Height());
        l->SetColor(kPaper);
        l->Font().SetColor(kInk);
        return l;
    }

    // The form's frame as it should look: the form's colour, the label's rectangle in
    // its Color, the pieces drawn in the label's font and clipped to the label.
    TBitmap Expected(const std::vector<TPiece>& pieces) const {
        TBitmap picture(form->Width(), form->Height());
        TCanvas& canvas = picture.Canvas();
        canvas.Brush.Color = kFormColor;
        canvas.FillRect({0, 0, picture.Width(), picture.Height()});
        canvas.SetOrigin({label->Left(), label->Top()});
        canvas.SetClipRect(label->BoundsRect());
        canvas.Brush.Color = label->Color();
        canvas.FillRect(label->ClientRect());
        for (size_t i = 0; i < pieces.size(); ++i) {
            const TPiece& p = pieces[i];
            canvas.Font.Assign(label->Font());
            canvas.Font.SetStyle(p.Style);
            canvas.Font.SetColor(p.Color);
            canvas.TextOut(p.X, p.Y, p.Text);
            // Underlined text right after underlined text: the underline runs on under the
            // blank after this piece's last glyph, in this piece's colour.
            const int end = p.X + canvas.TextWidth(p.Text);
            if (i + 1 < pieces.size() && (p.Style & fsUnderline) &&
                (pieces[i + 1].Style & fsUnderline) && pieces[i + 1].X == end &&
                pieces[i + 1].Y == p.Y) {
                const TFontMetrics m = canvas.Font.Face().Metrics();
                const int row = p.Y + m.Ascent + m.UnderlinePosition;
                canvas.Brush.Color = p.Color;
                canvas.FillRect({end - canvas.Font.Face().TrailingBlank(p.Text), row, end,
                                 row + m.LineThickness});
                canvas.Brush.Color = label->Color();
            }
        }
        return picture;
    }

    // Compares the form's frame with the expected picture inside area (the whole frame
    // when area is empty).
    ::testing::AssertionResult Shows(const std::vector<TPiece>& pieces, TRect area = {}) const {
        const TBitmap& frame = *WindowFrame(form->Handle());
        TBitmap expected = Expected(pieces);
        if (area.IsEmpty()) area = {0, 0, frame.Width(), frame.Height()};
        int wrong = 0;
        std::string first;
        for (int y = area.Top; y < area.Bottom; ++y) {
            for (int x = area.Left; x < area.Right; ++x) {
                if (frame.Pixel(x, y) == expected.Pixel(x, y)) continue;
                if (!wrong++)
                    first = "first at label (" + std::to_string(x - label->Left()) + ", " +
                            std::to_string(y - label->Top()) + ")";
            }
        }
        if (!wrong) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << wrong << " pixels differ, " << first;
    }

    void CheckDrawCases(const std::vector<TDrawCase>& cases) {
        label->SetBounds(kLeft, kTop, 60, 40);
        for (const TDrawCase& c : cases) {
            SCOPED_TRACE(c.Caption);
            label->SetCaption(c.Caption);
            EXPECT_TRUE(Shows(c.Pieces));
        }
    }

    void CheckLayouts(const std::vector<TLayoutCase>& cases) {
        for (const TLayoutCase& c : cases) {
            SCOPED_TRACE("\"" + c.Caption + "\" width " + std::to_string(c.Width));
            label->SetBounds(kLeft, kTop, c.Width, 40);
            label->SetWordWrap1(c.WordWrap);
            label->SetAlignment(c.Alignment);
            label->SetCaption(c.Caption);
            EXPECT_TRUE(Shows(c.Pieces));
            EXPECT_EQ(label->LineStartX(), c.LineStartX);
            EXPECT_EQ((TPoint{label->PenX(), label->PenY()}), c.Pen);
        }
    }
};

// A label whose flushing step can be driven directly.
class TProbeLabel : public THtmlLabel {
public:
    using THtmlLabel::AddChar;
    using THtmlLabel::DumpText;
    using THtmlLabel::THtmlLabel;
};

TEST_F(HtmlLabel, StartsSmallEmptyAndLeftAligned) {
    EXPECT_EQ(label->Width(), 30);
    EXPECT_EQ(label->Height(), kLine);
    EXPECT_EQ(label->AutoSize(), 0);
    EXPECT_EQ(label->WordWrap(), 0);
    EXPECT_EQ(label->Alignment(), taLeftJustify);
    EXPECT_EQ(label->GetCaption(), "");
    EXPECT_EQ(label->LineStartX(), 0);
    EXPECT_EQ(label->StartY(), 0);
    EXPECT_TRUE(Shows({}));
}

TEST_F(HtmlLabel, TagsInAnyLetterCaseStyleTheTextUpToTheirClosingTag) {
    const std::vector<TDrawCase> cases = {
        {"a<b>b</b>c", {{0, 0, "a"}, {6, 0, "b", fsBold}, {12, 0, "c"}}},
        {"a<B>b</B>c", {{0, 0, "a"}, {6, 0, "b", fsBold}, {12, 0, "c"}}},
        {"a<b>b</B>c", {{0, 0, "a"}, {6, 0, "b", fsBold}, {12, 0, "c"}}},
        {"a<i>b</I>c", {{0, 0, "a"}, {6, 0, "b", fsItalic}, {12, 0, "c"}}},
        {"a<U>b</u>c", {{0, 0, "a"}, {6, 0, "b", fsUnderline}, {12, 0, "c"}}},
        {"a<strike>b</STRIKE>c", {{0, 0, "a"}, {6, 0, "b", fsStrikeOut}, {12, 0, "c"}}},
        {"a<Strike>b</strike>c", {{0, 0, "a"}, {6, 0, "b", fsStrikeOut}, {12, 0, "c"}}},
        {"a<blue>b</blue>c", {{0, 0, "a"}, {6, 0, "b", 0, kBlue}, {12, 0, "c"}}},
        {"a<Blue>b</BLUE>c", {{0, 0, "a"}, {6, 0, "b", 0, kBlue}, {12, 0, "c"}}},
        {"a<hyper>bc</hyper>d", {{0, 0, "a"}, {6, 0, "bc", fsUnderline, kBlue}, {18, 0, "d"}}},
        {"a<HYPER>b</Hyper>c", {{0, 0, "a"}, {6, 0, "b", fsUnderline, kBlue}, {12, 0, "c"}}},
        // Styles add up, and do not count nesting.
        {"<b><i>a</b>b", {{0, 0, "a", fsBold | fsItalic}, {6, 0, "b", fsItalic}}},
        {"<b><b>a</b>b", {{0, 0, "a", fsBold}, {6, 0, "b"}}},
        // Every pass starts from Font: the measuring pass before the painting one leaves
        // its canvas blue and bold.
        {"a<blue><b>b", {{0, 0, "a"}, {6, 0, "b", fsBold, kBlue}}},
    };
    CheckDrawCases(cases);
}

TEST_F(HtmlLabel, ALinkIsUnderlinedUnderItsSpacesAndUpToItsLastGlyph) {
    label->SetBounds(kLeft, kTop, 120, 40);
    label->SetCaption("a <hyper>bc <b>d</b>e </hyper>f");
    app.Run();
    const TBitmap& frame = *WindowFrame(form->Handle());
    const TFontFace& face = label->Font().Face();
    const int row = kTop + face.Metrics().Ascent + face.Metrics().UnderlinePosition;
    // From 'b' (after "a ") to the ink of 'e': "bc", a space, "d" in bold and "e"; not
    // under the blank after the 'e' nor the space before the closing tag.
    const int start = kLeft + 2 * kChar, inkEnd = kLeft + 7 * kChar - face.TrailingBlank("e");
    ASSERT_GT(face.TrailingBlank("e"), 0);
    std::string underline;
    for (int x = kLeft; x < kLeft + 9 * kChar; ++x)
        underline += frame.Pixel(x, row) == kBlue ? '#' : '.';
    EXPECT_EQ(underline, std::string(size_t(start - kLeft), '.') +
                             std::string(size_t(inkEnd - start), '#') +
                             std::string(size_t(kLeft + 9 * kChar - inkEnd), '.'));
}

TEST_F(HtmlLabel, ClosingColourTagsBringBackTheRememberedColourOrElseTheFontColour) {
    const std::vector<TDrawCase> cases = {
        // The colour is restored before the style.
        {"<u><blue>x</blue>y</u>z",
         {{0, 0, "x", fsUnderline, kBlue}, {6, 0, "y", fsUnderline}, {12, 0, "z"}}},
        // Nothing remembered: the colour of Font.
        {"a</blue>b", {{0, 0, "a"}, {6, 0, "b"}}},
        {"</hyper>b", {{0, 0, "b"}}},
        {"<blue>a</blue></blue>b", {{0, 0, "a", 0, kBlue}, {6, 0, "b"}}},
        // One remembered colour: the inner opening tag overwrites it with blue.
        {"<blue>a<hyper>b</hyper>c</blue>d",
         {{0, 0, "a", 0, kBlue},
          {6, 0, "b", fsUnderline, kBlue},
          {12, 0, "c", 0, kBlue},
          {18, 0, "d", 0, kBlue}}},
    };
    CheckDrawCases(cases);
}

TEST_F(HtmlLabel, TextThatIsNoKnownTagIsDrawnAsItStands) {
    const std::vector<TDrawCase> cases = {
        {"a<br>b", {{0, 0, "a<br>b"}}},
        {"x<b", {{0, 0, "x<b"}}},
        {"</blue", {{0, 0, "</blue"}}},
        {"<bold>x", {{0, 0, "<bold>x"}}},
        {"<<b>x", {{0, 0, "<"}, {6, 0, "x", fsBold}}},
        // Whitespace other than the space is text.
        {"a\tb\nc", {{0, 0, "a\tb\nc"}}},
    };
    CheckDrawCases(cases);
}

TEST_F(HtmlLabel, SpacesAdvanceByOneSpaceWidthEachExceptLeadingOnes) {
    // clang-format off
    CheckLayouts({
        {"  ab",    60, 0, taLeftJustify, 0, {12, 0}, {{0, 0, "ab"}}},
        {"a b",     60, 0, taLeftJustify, 0, {18, 0}, {{0, 0, "a"}, {12, 0, "b"}}},
        {"a  b",    60, 0, taLeftJustify, 0, {24, 0}, {{0, 0, "a"}, {18, 0, "b"}}},
        // Spaces at the end run past the edge.
        {"ab   ",   20, 0, taLeftJustify, 0, {30, 0}, {{0, 0, "ab"}}},
        // A tag between spaces does not make the second space a leading one.
        {"a <b> b", 60, 0, taLeftJustify, 0, {24, 0}, {{0, 0, "a"}, {18, 0, "b", fsBold}}},
    });
    // clang-format on
}

TEST_F(HtmlLabel, WordWrapMovesEveryPieceThatWouldEndPastTheEdgeByItself) {
    // clang-format off
    CheckLayouts({
        // The comma after the bold word is a piece of its own and wraps alone.
        {"<b>abcd</b>, x", 29, 1, taLeftJustify, 0, {18, 13},
         {{0, 0, "abcd", fsBold}, {0, 13, ","}, {12, 13, "x"}}},
        // Ending exactly at the edge fits.
        {"<b>abcd</b>, x", 30, 1, taLeftJustify, 0, {6, 13},
         {{0, 0, "abcd", fsBold}, {24, 0, ","}, {0, 13, "x"}}},
        {"ab cd ef",       30, 1, taLeftJustify, 0, {12, 13},
         {{0, 0, "ab"}, {18, 0, "cd"}, {0, 13, "ef"}}},
        // A space after a wrapped piece is kept.
        {"ab cd e",        24, 1, taLeftJustify, 0, {24, 13},
         {{0, 0, "ab"}, {0, 13, "cd"}, {18, 13, "e"}}},
        // Wider than the label: down once, then overflowing; the next piece wraps again.
        {"ab abcdefgh ij", 30, 1, taLeftJustify, 0, {12, 26},
         {{0, 0, "ab"}, {0, 13, "abcdefgh"}, {0, 26, "ij"}}},
        // The first piece moves down by the height of no piece: it stays on top.
        {"abcdefgh ij",    30, 1, taLeftJustify, 0, {12, 13},
         {{0, 0, "abcdefgh"}, {0, 13, "ij"}}},
        // "<br>" is no tag: one piece, wrapped whole.
        {"x a<br>b",       30, 1, taLeftJustify, 0, {36, 13},
         {{0, 0, "x"}, {0, 13, "a<br>b"}}},
        // Without WordWrap everything stays on the first line, clipped by the label.
        {"abcdefgh ij",    30, 0, taLeftJustify, 0, {66, 0},
         {{0, 0, "abcdefgh"}, {54, 0, "ij"}}},
    });
    // clang-format on
}

TEST_F(HtmlLabel, AlignmentOffsetsEveryLineByTheTextWidthWithoutSpaces) {
    // clang-format off
    CheckLayouts({
        {"ab cd",        60, 0, taLeftJustify,  0,   {30, 0},  {{0, 0, "ab"}, {18, 0, "cd"}}},
        // The second word runs past the right edge by one space width.
        {"ab cd",        60, 0, taRightJustify, 36,  {66, 0},  {{36, 0, "ab"}, {54, 0, "cd"}}},
        {"<b>ab</b> cd", 60, 0, taRightJustify, 36,  {66, 0},
         {{36, 0, "ab", fsBold}, {54, 0, "cd"}}},
        {"ab cd",        61, 0, taCenter,       18,  {48, 0},  {{18, 0, "ab"}, {36, 0, "cd"}}},
        {"  ab",         60, 0, taCenter,       24,  {36, 0},  {{24, 0, "ab"}}},
        // Text wider than the label: negative offsets, the centre one truncated toward
        // zero ((19 - 36) / 2 = -8).
        {"abcdef",       20, 0, taRightJustify, -16, {20, 0},  {{-16, 0, "abcdef"}}},
        {"abcdef",       19, 0, taCenter,       -8,  {28, 0},  {{-8, 0, "abcdef"}}},
        // Wrapped lines all start at the same offset.
        {"abc defg",     40, 1, taRightJustify, -2,  {22, 13}, {{-2, 0, "abc"}, {-2, 13, "defg"}}},
    });
    // clang-format on
}

TEST_F(HtmlLabel, AlignmentOffsetStaysThroughResizesAndUnknownAlignments) {
    label->SetBounds(kLeft, kTop, 60, 13);
    label->SetCaption("ab");
    label->SetAlignment(taRightJustify);
    EXPECT_EQ(label->LineStartX(), 48);
    label->SetBounds(kLeft, kTop, 90, 13);
    EXPECT_EQ(label->LineStartX(), 48);
    label->SetAlignment(TAlignment(3));
    EXPECT_EQ(label->LineStartX(), 48);
    app.Run();
    EXPECT_TRUE(Shows({{48, 0, "ab"}}));
}

TEST_F(HtmlLabel, AutoSizeTakesThePiecesWithoutSpacesAndTheTallestPiece) {
    struct TCase {
        std::string Caption;
        int32_t WordWrap;
        TSize Size;
    };
    const TCase cases[] = {
        {"ab  cd", 0, {24, 13}},
        {"<b>ab</b>, c", 0, {24, 13}},
        {"   ", 0, {0, 0}},
        {"", 0, {0, 0}},
        // Measured as one line even when the pass wraps.
        {"ab cd ef", 1, {36, 13}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Caption);
        label->SetAutoSize1(0);
        label->SetBounds(kLeft, kTop, 10, 40);
        label->SetWordWrap1(c.WordWrap);
        label->SetAlignment(taRightJustify);
        label->SetCaption(c.Caption);
        label->SetAutoSize1(1);
        EXPECT_EQ(SizeOf(label), c.Size);
        TSize extent{-1, -1};
        label->GetExtent(&extent);
        EXPECT_EQ(extent, c.Size);
        EXPECT_EQ(label->LineStartX(), 0);  // right aligned in its own width
    }
    // The last label: 36 x 13, painted with wrapping, so "ef" goes below its bottom.
    app.Run();
    EXPECT_TRUE(Shows({{0, 0, "ab"}, {18, 0, "cd"}, {0, 13, "ef"}}));
}

TEST_F(HtmlLabel, EverySetterMeasuresAgainAndRepaintsAtOnce) {
    struct TCase {
        const char* Name;
        std::function<void(THtmlLabel*)> Change;
        TRect Bounds;
        int LineStartX;
        std::vector<TPiece> Pieces;
    };
    // From "ab cd" on a 28 x 26 label: "cd" at 18 is cut by the right edge.
    const std::vector<TCase> cases = {
        {"caption",
         [](THtmlLabel* l) { l->SetCaption("xy z"); },
         TRect::FromSize(kLeft, kTop, 28, 26),
         0,
         {{0, 0, "xy"}, {18, 0, "z"}}},
        {"caption as text",
         [](THtmlLabel* l) { static_cast<TControl*>(l)->SetCaption("q r"); },
         TRect::FromSize(kLeft, kTop, 28, 26),
         0,
         {{0, 0, "q"}, {12, 0, "r"}}},
        {"right",
         [](THtmlLabel* l) { l->SetAlignment(taRightJustify); },
         TRect::FromSize(kLeft, kTop, 28, 26),
         4,
         {{4, 0, "ab"}, {22, 0, "cd"}}},
        {"centre",
         [](THtmlLabel* l) { l->SetAlignment(taCenter); },
         TRect::FromSize(kLeft, kTop, 28, 26),
         2,
         {{2, 0, "ab"}, {20, 0, "cd"}}},
        {"auto size",
         [](THtmlLabel* l) { l->SetAutoSize1(1); },
         TRect::FromSize(kLeft, kTop, 24, 13),
         0,
         {{0, 0, "ab"}, {18, 0, "cd"}}},
        {"word wrap",
         [](THtmlLabel* l) { l->SetWordWrap1(1); },
         TRect::FromSize(kLeft, kTop, 28, 26),
         0,
         {{0, 0, "ab"}, {0, 13, "cd"}}},
        {"font",
         [](THtmlLabel* l) { l->Font().SetStyle(fsBold); },
         TRect::FromSize(kLeft, kTop, 28, 26),
         0,
         {{0, 0, "ab", fsBold}, {18, 0, "cd", fsBold}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        label->Free();
        label = MakeLabel();
        label->SetBounds(kLeft, kTop, 28, 26);
        label->SetCaption("ab cd");
        app.Run();
        ASSERT_TRUE(Shows({{0, 0, "ab"}, {18, 0, "cd"}}));
        c.Change(label);
        // No message loop in between: the label has already painted.
        EXPECT_EQ(label->BoundsRect(), c.Bounds);
        EXPECT_EQ(label->LineStartX(), c.LineStartX);
        EXPECT_TRUE(Shows(c.Pieces, label->BoundsRect()));
    }
}

TEST_F(HtmlLabel, FontChangesAreMeasuredAgain) {
    label->SetCaption("abc");
    label->SetAutoSize1(1);
    EXPECT_EQ(SizeOf(label), (TSize{18, 13}));
    // At 22 pixels: characters (6 * 22 + 5) / 11 = 12 wide, cells 22 + 54 / 11 = 26 high.
    label->Font().SetHeight(-22);
    EXPECT_EQ(SizeOf(label), (TSize{36, 26}));
    EXPECT_TRUE(Shows({{0, 0, "abc"}}, label->BoundsRect()));
    // A resize is not measured; the notification is, by itself.
    label->SetBounds(kLeft, kTop, 10, 10);
    EXPECT_EQ(SizeOf(label), (TSize{10, 10}));
    label->Perform(CM_FONTCHANGED, 0, 0);
    EXPECT_EQ(SizeOf(label), (TSize{36, 26}));
}

TEST_F(HtmlLabel, APassReadsAtMost1023BytesOfTheCaptionUpToItsFirstZero) {
    struct TCase {
        const char* Name;
        std::string Caption;
        int ExtentWidth;
    };
    std::string pairs;
    for (int i = 0; i < 2500; ++i)
        pairs += "x ";
    const std::string e = "\xC3\xA9";  // one character, two bytes
    const std::vector<TCase> cases = {
        {"5000 letters", std::string(5000, 'x'), 1023 * kChar},
        {"1023 then more", std::string(1023, 'a') + std::string(3977, 'b'), 1023 * kChar},
        {"5000 letters and spaces", pairs, 512 * kChar},  // x at every even offset up to 1022
        {"a character across the cut", std::string(1022, 'a') + e + "zz", 1022 * kChar},
        {"a character ending at the cut", std::string(1021, 'a') + e + "zz", 1022 * kChar},
        {"a zero byte", std::string("ab\0cd", 5), 2 * kChar},
    };
    label->SetWordWrap1(1);  // the painting passes wrap a thousand times
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        label->SetCaption(c.Caption);
        EXPECT_EQ(label->ExtentWidth(), c.ExtentWidth);
        EXPECT_EQ(label->GetCaption(), c.Caption);  // the caption itself is kept whole
        label->Repaint();
    }
}

TEST_F(HtmlLabel, AFullPieceIsFlushedBeforeItOverflows) {
    auto* probe = new TProbeLabel(form);
    probe->GetExtent();
    for (int i = 0; i < 1100; ++i)
        probe->AddChar('w');
    EXPECT_EQ(probe->ExtentWidth(), THtmlLabel::kMaxText * kChar);
    EXPECT_EQ(probe->WordBuffer(), std::string(1100 - THtmlLabel::kMaxText, 'w'));
    probe->DumpText();
    EXPECT_EQ(probe->ExtentWidth(), 1100 * kChar);
    EXPECT_TRUE(probe->WordBuffer().empty());
}

TEST_F(HtmlLabel, AClickAnywhereRaisesOnMouseDownAndOnClick) {
    label->SetCaption("<hyper>link</hyper>");
    std::vector<std::string> log;
    label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    label->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, label);
        log.push_back("click");
    };
    app.Backend().Click(100 + kLeft + 28, 100 + kTop + 12);  // beside the text
    app.Run();
    EXPECT_EQ(log, (std::vector<std::string>{"down 28,12", "click"}));
}

}  // namespace
