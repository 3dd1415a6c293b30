// The hex editor's main window driven as a user drives it (fhexedit_testing.h).
#include "tests/support/fhexedit_testing.h"

#include "hexedit/ffind.h"
#include "platform/gfx/scale.h"
#include "platform/ui/screen.h"
#include "tests/support/caption_fit.h"

namespace {

using namespace hexedit_testing;

// Files and the title -------------------------------------------------------------------------

TEST_F(HexEdit, OpensTheFileNamedOnTheCommandLine) {
    Start(file.string());
    EXPECT_EQ(form->Caption(), "data.bin - zentick-hexedit");
    EXPECT_EQ(form->FilePath(), file.string());
    ASSERT_EQ(Editor().Size(), 64);
    EXPECT_EQ(Shown(), SampleBytes());
    EXPECT_TRUE(Editor().Message().empty());
    EXPECT_FALSE(Editor().ReadOnly());
    EXPECT_EQ(form->Width(), 800);
    EXPECT_EQ(form->Height(), 560);
    EXPECT_EQ(form->BorderStyle(), bsSizeable);
}

TEST_F(HexEdit, WithoutAFileTheEditorAsksForOneAndTakesNoInput) {
    Start("");
    EXPECT_EQ(form->Caption(), "untitled - zentick-hexedit");
    EXPECT_EQ(Editor().Message(), "Start by using the File menu to open a file");
    EXPECT_FALSE(form->Save1->Enabled());
    EXPECT_FALSE(form->Find1->Enabled());
    Type("41");
    app.Run();
    EXPECT_FALSE(Editor().Dirty());
    EXPECT_EQ(form->LabelStatus->Caption(), "No file");
}

TEST_F(HexEdit, AFileThatCannotBeLoadedIsToldAndTheEditorStartsEmpty) {
    fs::path missing = dir / "missing.bin";
    Then([this] { Answer("OK"); });
    Start(missing.string());
    RunAll();
    EXPECT_EQ(boxes,
              (std::vector<std::string>{"Cannot open " + missing.string() + ": No such file."}));
    EXPECT_EQ(Editor().Message(), "Start by using the File menu to open a file");
    EXPECT_EQ(form->Caption(), "untitled - zentick-hexedit");
    EXPECT_TRUE(form->FilePath().empty());
}

TEST_F(HexEdit, TypingMarksTheTitleUntilUndoneAndTheEditMenuNamesTheEdits) {
    Start(file.string());
    EXPECT_FALSE(form->Undo1->Enabled());
    EXPECT_EQ(form->Undo1->Caption(), "Undo");
    Type("AB");  // the characters panel has the cursor, at offset 0
    app.Run();
    EXPECT_EQ(form->Caption(), "*data.bin - zentick-hexedit");
    EXPECT_EQ(form->Undo1->Caption(), "Undo 00000001: 65 --> 42");
    EXPECT_TRUE(form->Undo1->Enabled());
    EXPECT_FALSE(form->Redo1->Enabled());

    Ctrl('Z');
    app.Run();
    EXPECT_EQ(Editor().GetByte(1), 'e');
    EXPECT_EQ(form->Undo1->Caption(), "Undo 00000000: 48 --> 41");
    EXPECT_EQ(form->Redo1->Caption(), "Redo 00000001: 65 --> 42");
    EXPECT_TRUE(form->Redo1->Enabled());
    Ctrl('Z');
    app.Run();
    EXPECT_EQ(form->Caption(), "data.bin - zentick-hexedit");
    EXPECT_FALSE(form->Undo1->Enabled());

    Ctrl('Y');
    app.Run();
    EXPECT_EQ(Editor().GetByte(0), 'A');
    EXPECT_EQ(form->Caption(), "*data.bin - zentick-hexedit");
    EXPECT_EQ(form->Redo1->Caption(), "Redo 00000001: 65 --> 42");
}

TEST_F(HexEdit, TheEditMenuUndoesAndRedoesToo) {
    Start(file.string());
    Type("Z");
    Choose(form->Undo1);
    RunAll();
    EXPECT_EQ(Editor().GetByte(0), 'H');
    Choose(form->Redo1);
    RunAll();
    EXPECT_EQ(Editor().GetByte(0), 'Z');
}

TEST_F(HexEdit, SaveWritesTheFileAndClearsTheMark) {
    Start(file.string());
    Type("Hi");
    Ctrl('S');
    app.Run();
    std::string expected = SampleBytes();
    expected.replace(0, 2, "Hi");
    EXPECT_EQ(ReadFile(file), expected);
    EXPECT_EQ(form->Caption(), "data.bin - zentick-hexedit");
    EXPECT_TRUE(boxes.empty());
}

// How the question about unsaved changes is answered, and what follows.
struct TCloseCase {
    const char* answer;
    bool closes;
    bool savesUndoneData;
};

class HexEditClosing : public HexEdit, public ::testing::WithParamInterface<TCloseCase> {};

TEST_P(HexEditClosing, UndoAfterASaveMarksTheTitleAndClosingAsks) {
    const TCloseCase& c = GetParam();
    std::string saved = SampleBytes();
    saved[0] = 'X';
    Start(file.string());
    Type("X");
    Ctrl('S');
    app.Run();
    ASSERT_EQ(ReadFile(file), saved);
    ASSERT_EQ(form->Caption(), "data.bin - zentick-hexedit");
    Ctrl('Z');
    app.Run();
    EXPECT_EQ(form->Caption(), "*data.bin - zentick-hexedit");
    Then([this] { Ctrl('Q'); });
    Then([this, &c] { Answer(c.answer); });
    RunAll();
    EXPECT_EQ(boxes, (std::vector<std::string>{"Save changes to data.bin?"}));
    EXPECT_EQ(Application->Terminated(), c.closes);
    EXPECT_EQ(ReadFile(file), c.savesUndoneData ? SampleBytes() : saved);
    EXPECT_TRUE(form->Visible());
}

INSTANTIATE_TEST_SUITE_P(Answers, HexEditClosing,
                         ::testing::Values(TCloseCase{"Cancel", false, false},
                                           TCloseCase{"No", true, false},
                                           TCloseCase{"Yes", true, true}),
                         [](const ::testing::TestParamInfo<TCloseCase>& info) {
                             return std::string(info.param.answer);
                         });

TEST_F(HexEdit, EveryWayOfClosingAsksAboutUnsavedChanges) {
    struct TCase {
        const char* way;
        std::function<void()> close;
    };
    const TCase cases[] = {
        {"Ctrl+Q", [this] { Ctrl('Q'); }},
        {"close box", [this] { screen.RequestClose(NativeWindow(form->Handle())); }},
    };
    Start(file.string());
    Type("X");
    app.Run();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.way);
        boxes.clear();
        Then(c.close);
        Then([this] { Answer("Cancel"); });
        RunAll();
        EXPECT_EQ(boxes, (std::vector<std::string>{"Save changes to data.bin?"}));
        EXPECT_FALSE(Application->Terminated());
    }
    boxes.clear();
    Choose(form->Exit1);
    Then([this] { Answer("Cancel"); });
    RunAll();
    EXPECT_EQ(boxes, (std::vector<std::string>{"Save changes to data.bin?"}));
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(HexEdit, ClosingWithoutChangesAsksNothing) {
    Start(file.string());
    Ctrl('Q');
    app.Run();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Box(), nullptr);
}

// Search --------------------------------------------------------------------------------------

TEST_F(HexEdit, FindMovesTheCursorToTheMatchAndF3ToTheNext) {
    struct TCase {
        const char* text;
        int mode;  // radio item: Text, Number, Bytes
        bool matchCase;
        std::vector<int64_t> hits;  // Find, then F3 until nothing more is found
    };
    const TCase cases[] = {
        {"hello", 0, false, {0, 30, 50}}, {"hello", 0, true, {30}}, {"0x1234", 1, false, {40}},
        {"4660", 1, false, {40}},         {"2c 20", 2, false, {5}},
    };
    Start(file.string());
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.text);
        Editor().MoveCursor(9);
        boxes.clear();
        std::vector<int64_t> seen;
        Find(c.text, c.mode, c.matchCase);
        Then([&] { seen.push_back(Editor().CursorOffset()); });
        for (size_t i = 1; i < c.hits.size(); ++i) {
            Then([this] { screen.PressKey(VK_F1 + 2); });
            Then([&] { seen.push_back(Editor().CursorOffset()); });
        }
        Then([this] { screen.PressKey(VK_F1 + 2); });
        Then([this] { Answer("OK"); });
        Then([this] { FocusMainWindow(); });
        RunAll();
        EXPECT_EQ(seen, c.hits);
        EXPECT_EQ(boxes, (std::vector<std::string>{"Cannot find " + std::string(c.text) + "."}));
        EXPECT_TRUE(Editor().Focused());
    }
}

TEST_F(HexEdit, FindNextGoesOnFromTheCursorOnceItMoved) {
    Start(file.string());
    Find("hello", 0);
    Then([this] { Editor().MoveCursor(31); });
    Then([this] { screen.PressKey(VK_F1 + 2); });
    RunAll();
    EXPECT_EQ(Editor().CursorOffset(), 50);
}

// View ----------------------------------------------------------------------------------------

TEST_F(HexEdit, ViewCommandsChangeTheEditorAndAreCheckedForItsState) {
    struct TCase {
        TMenuItem* TFormHexEdit::*item;
        int (THexEditor::*property)() const;
        int value;
    };
    Start(file.string());
    EXPECT_TRUE(form->HexBytes1->Checked());
    EXPECT_TRUE(form->BytesPerLine[1]->Checked());
    EXPECT_TRUE(form->BytesPerGroup[2]->Checked());
    const TCase cases[] = {
        {&TFormHexEdit::DecimalBytes1, &THexEditor::BaseBytes, 10},
        {&TFormHexEdit::HexBytes1, &THexEditor::BaseBytes, 16},
        {&TFormHexEdit::DecimalOffsets1, &THexEditor::BaseOffset, 10},
        {&TFormHexEdit::HexOffsets1, &THexEditor::BaseOffset, 16},
    };
    for (const TCase& c : cases) {
        TMenuItem* item = form->*c.item;
        SCOPED_TRACE(item->Caption());
        Choose(item);
        RunAll();
        EXPECT_EQ((Editor().*c.property)(), c.value);
        EXPECT_TRUE(item->Checked());
    }
    const int lines[3] = {8, 16, 32}, groups[4] = {1, 2, 4, 8};
    for (int i : {0, 2, 1}) {
        Choose(form->BytesPerLine[i]);
        RunAll();
        EXPECT_EQ(Editor().BytesPerLine(), lines[i]);
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(form->BytesPerLine[j]->Checked(), i == j);
    }
    for (int i : {0, 1, 3, 2}) {
        Choose(form->BytesPerGroup[i]);
        RunAll();
        EXPECT_EQ(Editor().BytesPerGroup(), groups[i]);
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(form->BytesPerGroup[j]->Checked(), i == j);
    }
}

TEST_F(HexEdit, DecimalOffsetsShowInTheStatusLineAndTheMenu) {
    Start(file.string());
    Editor().MoveCursor(12);
    Choose(form->DecimalOffsets1);
    RunAll();
    EXPECT_EQ(form->LabelStatus->Caption().substr(0, 18), "Offset: 0000000012");
}

TEST_F(HexEdit, TheChangeLogListShowsBesideTheEditorAndFollowsEdits) {
    Start(file.string());
    EXPECT_FALSE(form->ListViewLog->Visible());
    int editorWidth = Editor().Width();
    Choose(form->ChangeLog1);
    RunAll();
    ASSERT_TRUE(form->ListViewLog->Visible());
    EXPECT_TRUE(form->ChangeLog1->Checked());
    EXPECT_EQ(Editor().Width(), editorWidth - form->ListViewLog->Width());
    EXPECT_EQ(form->ListViewLog->Left(), form->ScrollBar1->Left() + form->ScrollBar1->Width());
    EXPECT_EQ(form->ListViewLog->Count(), 0);

    Type("AB");
    app.Run();
    ASSERT_EQ(form->ListViewLog->Count(), 2);
    const TListItem& last = form->ListViewLog->Item(1);
    EXPECT_EQ(last.Caption, "00000001");
    EXPECT_EQ(last.SubItems, (std::vector<std::string>{"byte", "65", "42"}));
    Ctrl('Z');
    app.Run();
    EXPECT_EQ(form->ListViewLog->Count(), 1);

    Choose(form->ChangeLog1);
    RunAll();
    EXPECT_FALSE(form->ListViewLog->Visible());
    EXPECT_EQ(Editor().Width(), editorWidth);
}

// The status line, the scroll bar and the cursor ------------------------------------------------

TEST_F(HexEdit, TheStatusLineTellsTheCursorTheSizeAndTheByte) {
    Start(file.string());
    EXPECT_EQ(form->LabelStatus->Caption(),
              "Offset: 00000000    Size: 64 bytes    Byte: 48 hex, 72 dec, 'H'");
    screen.PressKey(VK_DOWN);
    app.Run();
    EXPECT_EQ(form->LabelStatus->Caption(),
              "Offset: 00000010    Size: 64 bytes    Byte: 14 hex, 20 dec, no character");
    Type("z");
    app.Run();
    EXPECT_EQ(form->LabelStatus->Caption(),
              "Offset: 00000011    Size: 64 bytes    Byte: 15 hex, 21 dec, no character");
    Ctrl('Z');
    app.Run();
    EXPECT_EQ(form->LabelStatus->Caption(),
              "Offset: 00000010    Size: 64 bytes    Byte: 14 hex, 20 dec, no character");
}

TEST_F(HexEdit, TheScrollBarScrollsTheEditor) {
    WriteFile(file, std::string(16 * 200, 'x'));
    Start(file.string());
    EXPECT_EQ(form->ScrollBar1->Max(), 199);
    EXPECT_EQ(Editor().FirstVisibleOffset(), 0);
    int rows = Editor().RowsPainted();
    ASSERT_GT(rows, 1);
    // A press on the track below the thumb moves a page.
    TRect down = form->ScrollBar1->PartRect(TScrollPart::PageDown);
    TPoint p = form->ScrollBar1->ClientToScreen({down.Left + 4, down.Bottom - 4});
    screen.Click(p.X, p.Y);
    app.Run();
    EXPECT_EQ(form->ScrollBar1->Position(), rows);
    EXPECT_EQ(Editor().FirstVisibleOffset(), int64_t(rows) * 16);
    // The keys still belong to the editor.
    EXPECT_TRUE(Editor().Focused());
}

TEST_F(HexEdit, TheCursorBlinksThreeTicksOnAndThreeOff) {
    Start(file.string());
    // The underline under the first character, in the window on the screen.
    const int cw = Editor().CharWidth(), row = Editor().RowHeight();
    ASSERT_GT(cw, 0);
    ASSERT_GT(Editor().HitTable().RowCount(), 0);
    THitCell cell{-1, -1, -1, -1};
    for (const THitCell& c : Editor().HitTable().Rows(0).Cells)
        if (c.Panel == cpChars && c.Offset == 0) cell = c;
    ASSERT_GE(cell.Left, 0);
    const TPoint origin =
        Editor().ClientToScreen({cell.Left, Editor().HitTable().Rows(0).Top + row - 2});
    auto underlined = [&] {
        TBitmap shot = screen.Screenshot();
        int black = 0;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < cw; ++x)
                black += shot.Pixel(origin.X + x, origin.Y + y) == clBlack;
        return black == 2 * cw;
    };
    EXPECT_TRUE(underlined());
    std::vector<bool> shown;
    for (int i = 0; i < 7; ++i) {
        app.Run(100);
        shown.push_back(underlined());
    }
    EXPECT_EQ(shown, (std::vector<bool>{true, true, false, false, false, true, true}));
}

// Opening through the menu --------------------------------------------------------------------

TEST_F(HexEdit, OpeningAnotherFileWithUnsavedChangesAsksFirst) {
    Start(file.string());
    Type("X");
    app.Run();
    Then([this] { Ctrl('O'); });
    Then([this] { Answer("Cancel"); });
    RunAll();
    EXPECT_EQ(boxes, (std::vector<std::string>{"Save changes to data.bin?"}));
    EXPECT_EQ(Editor().GetByte(0), 'X');
    EXPECT_TRUE(Editor().Dirty());
}

TEST_F(HexEdit, OpenAndSaveAsAskForTheFileWithTheFileDialogs) {
    fs::path other = dir / "other.bin";
    WriteFile(other, "abc");
    Start(file.string());
    Then([this] { Ctrl('O'); });
    Then([this, other] {
        Ctrl('A');
        Type(other.string());
    });
    Then([this] { screen.PressKey(VK_RETURN, '\r'); });
    RunAll();
    EXPECT_EQ(form->Caption(), "other.bin - zentick-hexedit");
    EXPECT_EQ(Editor().Size(), 3);

    fs::path copy = dir / "copy.bin";
    Then([this] { FocusMainWindow(); });
    Then([this] { Type("X"); });
    Choose(form->SaveAs1);
    Then([this, copy] {
        Ctrl('A');
        Type(copy.string());
    });
    Then([this] { screen.PressKey(VK_RETURN, '\r'); });
    RunAll();
    EXPECT_EQ(ReadFile(copy), "Xbc");
    EXPECT_EQ(ReadFile(other), "abc");
    EXPECT_EQ(form->FilePath(), copy.string());
    EXPECT_EQ(form->Caption(), "copy.bin - zentick-hexedit");
}

TEST_F(HexEdit, AFileOpenedFromTheMenuThatCannotBeReadKeepsTheDataShown) {
    Start(file.string());
    ASSERT_TRUE(form->OpenFile(file.string()));
    Then([this] { Answer("OK"); });
    EXPECT_FALSE(form->OpenFile((dir / "missing.bin").string()));
    RunAll();
    EXPECT_EQ(boxes, (std::vector<std::string>{"Cannot open " + (dir / "missing.bin").string() +
                                               ": No such file."}));
    EXPECT_EQ(form->FilePath(), file.string());
    EXPECT_EQ(Editor().Size(), 64);
    EXPECT_EQ(form->Caption(), "data.bin - zentick-hexedit");
}

// The command line ----------------------------------------------------------------------------

TEST(HexEditOptions, ReadsTheFileNameAndTheInformationOptions) {
    struct TCase {
        std::vector<std::string> args;
        bool help, version;
        std::string file, error;
    };
    const TCase cases[] = {
        {{}, false, false, "", ""},
        {{"data.bin"}, false, false, "data.bin", ""},
        {{"data.bin", "more"}, false, false, "data.bin", ""},
        {{"data.bin", "--help"}, true, false, "data.bin", ""},
        {{"--help"}, true, false, "", ""},
        {{"-h"}, true, false, "", ""},
        {{"--version"}, false, true, "", ""},
        {{"-V"}, false, true, "", ""},
        {{"--", "--help"}, false, false, "--help", ""},
        {{"--bogus", "data.bin"}, false, false, "", "unknown option '--bogus'"},
        {{"data.bin", "-x"}, false, false, "", "unknown option '-x'"},
    };
    for (const TCase& c : cases) {
        THexEditOptions o = ParseHexEditOptions(c.args);
        EXPECT_EQ(o.Help, c.help);
        EXPECT_EQ(o.Version, c.version);
        EXPECT_EQ(o.FileName, c.file);
        EXPECT_EQ(o.Error, c.error);
    }
    EXPECT_EQ(HexEditVersion().rfind("zentick-hexedit ", 0), 0u);
    EXPECT_NE(HexEditUsage().find("--version"), std::string::npos);
}

// At every scale --------------------------------------------------------------------------------

// The window, its Find dialog and its file dialog on screens of each density, with the fonts
// the program is installed with: the window is its design at the scale, the editor's text
// keeps its size in points, and no caption is clipped.
TEST(HexEditScale, TheWindowAndItsDialogsAreTheirDesignAtEveryScale) {
    for (int percent : {100, 125, 150, 200, 300}) {
        SCOPED_TRACE(testing::Message() << percent << " %");
        THeadlessApp app({4000, 3000}, PixelsPerInchOfScale(percent));
#ifndef _WIN32
        // The fonts of the Debian package (Windows has its own, which Wine lacks).
        SetFontProvider(CreateSystemFontProvider());
#endif
        TFormHexEdit* form = nullptr;
        Application->CreateForm(form);
        form->Show();
        app.Run();
        EXPECT_EQ(form->Width(), ScaleLength(800, percent));
        EXPECT_EQ(form->Height(), ScaleLength(560, percent));
        EXPECT_EQ(form->PanelStatus->Height(), ScaleLength(20, percent));
        EXPECT_EQ(form->ScrollBar1->Width(), ScaleLength(16, percent));
        EXPECT_EQ(form->HexEditor1->Font().Size(), 10);
        EXPECT_EQ(form->HexEditor1->BarWidth(), ScaleLength(6, percent));
        EXPECT_EQ(form->MainMenu1->Height(), ScaleLength(19, percent));
        form->ListViewLog->Show();
        EXPECT_EQ(ClippedCaptions(*form), std::vector<std::string>{});
        auto* find = New<TFormFind>(form);
        EXPECT_EQ(find->ClientWidth(), ScaleLength(344, percent));
        EXPECT_EQ(ClippedCaptions(*find), std::vector<std::string>{});
        find->Free();
        form->Free();
    }
    SetFontProvider(CreateFixedFontProvider());
}

TEST_F(HexEdit, TheWheelScrollsThreeRowsANotchAndAltFOpensFileWithoutTyping) {
    std::string many(64 * 16, 'z');
    WriteFile(file, many);
    Start(file.string());
    TPoint p = Editor().ClientToScreen({40, 40});
    screen.Wheel(p.X, p.Y, -WHEEL_DELTA);
    app.Run();
    EXPECT_EQ(form->ScrollBar1->Position(), 3);
    screen.Wheel(p.X, p.Y, -2 * WHEEL_DELTA);
    app.Run();
    EXPECT_EQ(form->ScrollBar1->Position(), 9);
    screen.Wheel(p.X, p.Y, WHEEL_DELTA);
    app.Run();
    EXPECT_EQ(form->ScrollBar1->Position(), 6);

    int open = -2;
    Then([this] {
        screen.KeyDown(VK_MENU, native::kAlt);
        screen.KeyDown('F', native::kAlt);
        screen.TypeSysChar('f');
        screen.KeyUp('F', native::kAlt);
        screen.KeyUp(VK_MENU);
    });
    Then([&] {
        open = form->MainMenu1->OpenIndex();
        screen.PressKey(VK_ESCAPE);
    });
    RunAll();
    EXPECT_EQ(open, 0);
    EXPECT_EQ(Shown(), many);
    EXPECT_EQ(form->Caption().front(), 'd');  // no "*": nothing changed
}

}  // namespace
