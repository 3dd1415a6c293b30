// THexEditor as a view: what it draws, its cursor, keys, mouse, change log and layout.
#include "tests/support/hexeditor_testing.h"

namespace {

using namespace hexeditor_testing;

TEST_F(HexEditor, NewEditorShowsTheDemoBytesWithTheCursorUnderOffset5InTheCharacters) {
    ASSERT_EQ(hex->Size(), 1024);
    for (int i = 0; i < 1024; ++i)
        ASSERT_EQ(hex->GetByte(i), uint8_t(i % 256)) << i;
    EXPECT_EQ(hex->GetByte(1024), 0);
    EXPECT_EQ(hex->CursorOffset(), 5);
    EXPECT_EQ(hex->CursorPanel(), cpChars);
    EXPECT_FALSE(hex->Dirty());
    EXPECT_EQ(hex->RowsPainted(), kRows);
    EXPECT_EQ(hex->RowWidth(), 418);
    EXPECT_EQ(hex->LastVisibleOffset(), kRows * 16 - 1);
    EXPECT_EQ(hex->GetRowAscii(64), "@ABCDEFGHIJKLMNO");
    EXPECT_EQ(hex->GetRowAscii(0), std::string(16, '.'));
    EXPECT_EQ(hex->GetRowAscii(0x78), "xyz{|}~.........");
    // The cells the mouse finds: offset 0x25 in both panels, nothing in the gaps.
    EXPECT_EQ(hex->GetMouseOffset(HexCellX(5) + 1, RowY(2) + 3), 0x25);
    EXPECT_EQ(hex->GetMouseOffset(CharCellX(5), RowY(2) + 12), 0x25);
    EXPECT_EQ(hex->GetMouseOffset(kCharsX - 10, RowY(2) + 3), -1);
    EXPECT_EQ(hex->GetMouseOffset(HexCellX(5), 5), -1);
    // The cursor: two black lines under the character of offset 5, none under offset 4,
    // and the cell framed in the cursor colour (black by default).
    EXPECT_EQ(Count(Underline(CharCellX(5), 0), clBlack), 2 * kChar);
    EXPECT_EQ(Count(Underline(CharCellX(4), 0).Inflate(-1, 0), clBlack), 0);
    EXPECT_EQ(Count(TRect::FromSize(CharCellX(5), RowY(0) - 1, kChar, 1), clBlack), kChar);
    EXPECT_EQ(Count(TRect::FromSize(HexCellX(5), RowY(0) - 1, 2 * kChar, 1), clBlack), 0);
}

TEST_F(HexEditor, TwoHexDigitsSetAByteAsOneEntryAndMoveOn) {
    hex->SetCursorPanel(cpBytes);
    Type("41");
    EXPECT_EQ(hex->GetByte(5), 0x41);
    EXPECT_EQ(hex->CursorOffset(), 6);
    ASSERT_EQ(hex->ChangeLog().UndoCount(), 1);
    const TChangeEntry& e = hex->ChangeLog().UndoEntry(0);
    EXPECT_EQ(e.Kind, ceByte);
    EXPECT_EQ(e.Offset, 5);
    EXPECT_EQ(e.OldValue, 0x05u);
    EXPECT_EQ(e.NewValue, 0x41u);
    EXPECT_TRUE(hex->Dirty());
    Type("4z");  // a wrong second digit still ends the byte
    EXPECT_EQ(hex->GetByte(6), 0x46);
    EXPECT_EQ(hex->CursorOffset(), 7);
    Type("Ab");
    EXPECT_EQ(hex->GetByte(7), 0xAB);
    EXPECT_EQ(hex->ChangeLog().UndoCount(), 3);
}

TEST_F(HexEditor, DecimalDigitsKeepTheLowOrderBytesOfWhatWasTyped) {
    hex->SetBaseBytes(10);
    hex->SetBytesPerGroup(1);
    hex->SetCursorPanel(cpBytes);
    Type("256");
    EXPECT_EQ(hex->GetByte(5), 0);
    EXPECT_EQ(hex->CursorOffset(), 6);
    ASSERT_EQ(hex->ChangeLog().UndoCount(), 1);
    EXPECT_EQ(hex->ChangeLog().UndoEntry(0).Kind, ceWord);
    EXPECT_EQ(hex->FormatChangeEntry(hex->ChangeLog().UndoEntry(0), "Undo"),
              "Undo 00000005: 005 --> 000");

    // A group of four holds 00 01 02 03 = 66051, shown as 0000066051; a 9 in front makes
    // 9000066051, of which the group keeps the low 32 bits.
    hex->SetBytesPerGroup(4);
    hex->MoveCursor(0);
    Type("9");
    EXPECT_EQ(hex->GetWord(0), 9000066051ull % (1ull << 32));
    EXPECT_EQ(hex->CursorOffset(), 0);
    EXPECT_EQ(hex->DigitIndex(), 1);
    Type("000000000");
    EXPECT_EQ(hex->CursorOffset(), 4);  // ten digits make a cell, then the next group
}

TEST_F(HexEditor, ReadOnlyIgnoresTypedCharacters) {
    hex->SetReadOnly(true);
    Type("xy");
    hex->SetCursorPanel(cpBytes);
    Type("41");
    EXPECT_EQ(hex->GetByte(5), 5);
    EXPECT_EQ(hex->GetByte(6), 6);
    EXPECT_EQ(hex->ChangeLog().UndoCount(), 0);
    EXPECT_FALSE(hex->Dirty());
}

TEST_F(HexEditor, CharactersTypedInTheCharacterPanelEachMakeAnEntry) {
    Type("Hi");
    EXPECT_EQ(hex->GetByte(5), 'H');
    EXPECT_EQ(hex->GetByte(6), 'i');
    EXPECT_EQ(hex->CursorOffset(), 7);
    EXPECT_EQ(hex->ChangeLog().UndoCount(), 2);
    Type(std::string(1, '\x1F'));  // below 32: ignored
    Type(std::string(1, '\x80'));  // negative as a signed byte: ignored
    EXPECT_EQ(hex->GetByte(7), 7);
}

TEST_F(HexEditor, TabGivesTheKeyboardToTheOtherPanelAndTheFrameShowsWhich) {
    hex->SetColorCursor(clBlue);
    // Two blue lines above and below the cell of offset 5, in the panel with the keyboard.
    auto framed = [&](int x, int width) {
        return Count(TRect::FromSize(x, RowY(0) - 1, width, 1), clBlue) == width &&
               Count(TRect::FromSize(x, RowY(0) + kRow, width, 1), clBlue) == width;
    };
    EXPECT_TRUE(framed(CharCellX(5), kChar));
    EXPECT_FALSE(framed(HexCellX(5), 2 * kChar));
    Key(VK_TAB);
    EXPECT_EQ(hex->CursorPanel(), cpBytes);
    EXPECT_TRUE(framed(HexCellX(5), 2 * kChar));
    EXPECT_FALSE(framed(CharCellX(5), kChar));
    EXPECT_EQ(Count(Underline(HexCellX(5), 0), clBlack), 2 * kChar);
    Type("7");
    EXPECT_EQ(hex->GetByte(5), 0x75);  // typing went to the bytes panel
    Key(VK_TAB);
    EXPECT_EQ(hex->CursorPanel(), cpChars);
    EXPECT_EQ(hex->DigitIndex(), 0);
    EXPECT_EQ(hex->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB, DLGC_WANTTAB);
}

TEST_F(HexEditor, TheUndoListKeepsTheNewest1024Edits) {
    for (int i = 0; i < 1025; ++i)
        hex->SetByte(i % 1000, 0xEE);
    ASSERT_EQ(hex->ChangeLog().UndoCount(), TChangeLog::kCapacity);
    EXPECT_EQ(hex->ChangeLog().UndoEntry(0).Offset, 1);
    EXPECT_EQ(hex->ChangeLog().UndoEntry(1023).Offset, 24);
}

TEST_F(HexEditor, UndoThenRedoRestoresTheByteAndTheSameEntry) {
    hex->SetCursorPanel(cpBytes);
    Type("41");
    hex->Undo();
    EXPECT_EQ(hex->GetByte(5), 5);
    EXPECT_EQ(hex->CursorOffset(), 5);
    EXPECT_EQ(hex->ChangeLog().UndoCount(), 0);
    EXPECT_EQ(hex->ChangeLog().RedoCount(), 1);
    hex->Redo();
    EXPECT_EQ(hex->GetByte(5), 0x41);
    EXPECT_EQ(hex->ChangeLog().RedoCount(), 0);
    ASSERT_EQ(hex->ChangeLog().UndoCount(), 1);
    const TChangeEntry& e = hex->ChangeLog().UndoEntry(0);
    EXPECT_EQ(e.Offset, 5);
    EXPECT_EQ(e.OldValue, 0x05u);
    EXPECT_EQ(e.NewValue, 0x41u);
    hex->Redo();  // nothing left: no change
    EXPECT_EQ(hex->ChangeLog().UndoCount(), 1);
}

TEST_F(HexEditor, ANewEditAfterUndoEmptiesTheRedoList) {
    hex->SetByte(1, 0xAA);
    hex->MoveCursor(2);
    hex->SetByte(2, 0xBB);
    hex->Undo();
    ASSERT_EQ(hex->ChangeLog().RedoCount(), 1);
    hex->SetByte(3, 0xCC);
    EXPECT_EQ(hex->ChangeLog().RedoCount(), 0);
    EXPECT_EQ(hex->ChangeLog().UndoCount(), 2);
    hex->Redo();
    EXPECT_EQ(hex->GetByte(2), 2);
}

TEST_F(HexEditor, ACursorMoveSealsTheNewestEntry) {
    hex->SetCursorPanel(cpBytes);
    Type("4");
    Key(VK_LEFT);
    Key(VK_RIGHT);
    Type("7");
    EXPECT_EQ(hex->GetByte(5), 0x75);
    ASSERT_EQ(hex->ChangeLog().UndoCount(), 2);
    hex->Undo();
    EXPECT_EQ(hex->GetByte(5), 0x45);
    hex->Undo();
    EXPECT_EQ(hex->GetByte(5), 0x05);
}

TEST_F(HexEditor, EditsOfAnotherKindAtTheSameOffsetDoNotMerge) {
    hex->MoveCursor(4);
    hex->SetWord(4, 0x11223344);
    hex->SetByte(4, 0x55);
    ASSERT_EQ(hex->ChangeLog().UndoCount(), 2);
    hex->Undo();
    EXPECT_EQ(hex->GetWord(4), 0x11223344u);
    hex->Undo();
    EXPECT_EQ(hex->GetWord(4), 0x04050607u);
    hex->Redo();
    hex->Redo();
    EXPECT_EQ(hex->GetWord(4), 0x55223344u);
}

TEST_F(HexEditor, UndoOfAWordWritesBackTheBytesItCoveredWhateverTheGroupSizeIsNow) {
    hex->SetWord(6, 0xA1A2A3A4);  // the group 4..7
    EXPECT_EQ(hex->ChangeLog().UndoEntry(0).Offset, 4);
    hex->SetBytesPerGroup(2);
    hex->Undo();
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(hex->GetByte(i), i) << i;
    hex->Redo();
    EXPECT_EQ(hex->GetByte(4), 0xA1);
    EXPECT_EQ(hex->GetByte(7), 0xA4);
    EXPECT_EQ(hex->GetByte(8), 8);
}

TEST_F(HexEditor, LoggedCellsAreDrawnInColorChangeUntilTheLogIsCleared) {
    hex->SetColorChange(clRed);
    hex->SetColorCursor(clBlue);
    hex->SetCursorPanel(cpBytes);
    Type("41");
    TRect hexFive = TRect::FromSize(HexCellX(5), RowY(0), 2 * kChar, kRow);
    TRect charFive = TRect::FromSize(CharCellX(5), RowY(0), kChar, kRow);
    EXPECT_GT(Count(hexFive, clRed), 0);
    EXPECT_GT(Count(charFive, clRed), 0);
    TRect hexFour = TRect::FromSize(HexCellX(4), RowY(0), 2 * kChar, kRow);
    TRect hexSix = TRect::FromSize(HexCellX(6), RowY(0), 2 * kChar, kRow);
    EXPECT_EQ(Count(hexFour, clRed), 0);
    EXPECT_GT(Count(hexSix, clBlue), 0);  // the cursor
    EXPECT_EQ(Count(hexSix, clRed), 0);
    hex->SetNull();
    EXPECT_EQ(Count(hexFive, clRed), 0);
    EXPECT_EQ(Count(charFive, clRed), 0);
}

TEST_F(HexEditor, BytesWithoutACharacterShowAsADimmedDotAndLatin1IsAViewOption) {
    // Row 7 holds 0x70..0x7F: "p" to "~" and then 7F; row 0 the control characters.
    const TColor dim = RGB(127, 127, 127);
    auto cell = [](int column, int row) {
        return TRect::FromSize(CharCellX(column), RowY(row), kChar, kRow);
    };
    EXPECT_GT(Count(cell(1, 0), dim), 0);
    EXPECT_EQ(Count(cell(1, 0), clBlack), 0);
    EXPECT_GT(Count(cell(0xE, 7), clBlack), 0);  // "~"
    EXPECT_GT(Count(cell(0xF, 7), dim), 0);      // 7F
    EXPECT_EQ(Count(cell(0xF, 7), clBlack), 0);
    // 80 to FF: dots unless Latin-1 is chosen, and then only from A0 on.
    const int rowOfE0 = 14, rowOf80 = 8;
    EXPECT_EQ(Count(cell(9, rowOfE0), clBlack), 0);
    hex->SetLatin1(true);
    EXPECT_GT(Count(cell(9, rowOfE0), clBlack), 0);
    EXPECT_EQ(Count(cell(9, rowOf80), clBlack), 0);
    EXPECT_GT(Count(cell(9, rowOf80), dim), 0);
}

TEST_F(HexEditor, RowsStopAboveTheFrameAndTheLastRowIsWholeAfterEnd) {
    hex->SetColorCursor(clBlue);
    Key(VK_END);
    ASSERT_EQ(hex->CursorOffset(), 1023);
    ASSERT_EQ(hex->RowsPainted(), kRows);
    const int lastRow = kRows - 1;
    EXPECT_EQ(hex->LastVisibleOffset(), 1023);
    EXPECT_LE(RowY(lastRow) + kRow, 300 - 6);
    // The cursor's underline shows under the last character, inside the frame.
    EXPECT_EQ(Count(Underline(CharCellX(15), lastRow), clBlack), 2 * kChar);
    // The blink's off phase paints over the cursor only, never across the band.
    TBitmap before = screen.Screenshot();
    for (int i = 0; i < 4; ++i)
        hex->AnimateCursor();
    EXPECT_EQ(Count(Underline(CharCellX(15), lastRow), clBlack), 0);
    TBitmap after = screen.Screenshot();
    int changed = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 440; ++x) {
            bool differs =
                before.Pixel(kFormX + x, kFormY + y) != after.Pixel(kFormX + x, kFormY + y);
            changed += differs;
            if (differs) {
                EXPECT_TRUE(Underline(CharCellX(15), lastRow).Contains({x, y})) << x << "," << y;
            }
        }
    EXPECT_EQ(changed, 2 * kChar);
}

TEST_F(HexEditor, AnImpossibleLayoutShowsTheMessageInsteadOfData) {
    hex->SetBytesPerLine(10);
    EXPECT_EQ(hex->RowsPainted(), 0);
    EXPECT_EQ(hex->GetMouseOffset(HexCellX(0) + 1, RowY(0) + 1), -1);
    // The three lines, centred: the middle line is the longest.
    int middle = (300 - kRow) / 2 + kRow;
    EXPECT_GT(Count(TRect::FromSize(0, middle, 440, kRow), clBlack), 0);
    EXPECT_EQ(Count(TRect::FromSize(0, middle + 3 * kRow, 440, kRow), clBlack), 0);
    hex->SetCursorPanel(cpBytes);
    Type("41");
    EXPECT_EQ(hex->ChangeLog().UndoCount(), 0);
    // Groups that cannot be drawn still read as groups of one byte (0 and -1) or of
    // their size: the text of the group holding offset 4.
    const std::pair<int, const char*> groups[] = {{0, "04"}, {-1, "04"}, {3, "030405"}};
    for (auto [group, text] : groups) {
        hex->SetBytesPerGroup(group);
        EXPECT_EQ(hex->RowsPainted(), 0) << group;
        EXPECT_EQ(hex->GetWordText(4), text) << group;
    }
    hex->SetBytesPerLine(12);
    EXPECT_EQ(hex->RowsPainted(), kRows);
}

TEST_F(HexEditor, FrameAndBarsFollowBarWidthAndNarrowOnesDrawNothing) {
    EXPECT_EQ(At(0, 0), RGB(0, 100, 255));
    EXPECT_EQ(At(2, 150), RGB(0, 0, 255));
    EXPECT_EQ(At(60 + 9, 150), RGB(0, 0, 255));  // first separator bar, centre
    EXPECT_EQ(At(290 + 9 + 2, 150), RGB(0, 100, 255));
    for (int width : {1, 0, -7, INT_MIN}) {
        hex->SetBarWidth(width);
        EXPECT_EQ(At(0, 0), kPaper) << width;
        EXPECT_EQ(At(60 + 9, 150), kPaper) << width;
    }
}

TEST_F(HexEditor, FormattingFollowsTheBasesAndTreatsOtherBasesSoundly) {
    struct Case {
        int baseBytes, baseOffset, group;
        const char *byte, *word, *offset;
    };
    const Case cases[] = {
        {16, 16, 4, "0A", "0102030A", "000004D2"}, {10, 10, 4, "010", "0016909066", "0000001234"},
        {10, 10, 1, "010", "010", "0000001234"},   {10, 16, 2, "010", "00266", "000004D2"},
        {8, 8, 4, "0A", "0102030A", "0000001234"}, {2, 0, 3, "0A", "02030A", "0000001234"},
    };
    for (const Case& c : cases) {
        hex->SetBaseBytes(c.baseBytes);
        hex->SetBaseOffset(c.baseOffset);
        hex->SetBytesPerGroup(c.group);
        uint64_t word = c.group == 4   ? 0x0102030A
                        : c.group == 3 ? 0x02030A
                        : c.group == 2 ? 266
                                       : 10;
        EXPECT_EQ(hex->FormatByte(10), c.byte) << c.baseBytes;
        EXPECT_EQ(hex->FormatWord(word), c.word) << c.baseBytes << "/" << c.group;
        EXPECT_EQ(hex->FormatOffset(1234), c.offset) << c.baseOffset;
    }
    hex->SetBaseOffset(16);
    EXPECT_EQ(hex->DecodeOffset("4d2"), 1234);
    hex->SetBaseOffset(10);
    EXPECT_EQ(hex->DecodeOffset("1234"), 1234);
    EXPECT_EQ(hex->DecodeOffset("0x4d2"), 1234);
}

TEST_F(HexEditor, TheScrollBarFollowsTheCursorAndSizesItsRange) {
    auto* bar = new TScrollBar(form);
    bar->SetParent(form);
    bar->SetKind(sbVertical);
    bar->SetBounds(440, 0, 16, 300);
    hex->SetScrollBar(bar);
    EXPECT_EQ(bar->Max(), 1024 / 16 - 1);
    EXPECT_EQ(bar->LargeChange(), kRows);
    hex->MoveCursor(1000);
    EXPECT_EQ(bar->Position(), 1000 / 16 - kRows + 1);
    EXPECT_EQ(hex->FirstVisibleOffset(), (1000 / 16 - kRows + 1) * 16);
    EXPECT_EQ(hex->GetMouseOffset(HexCellX(0) + 1, RowY(0) + 1), hex->FirstVisibleOffset());
    Key(VK_HOME);
    EXPECT_EQ(bar->Position(), 0);
    Key(VK_NEXT);
    EXPECT_EQ(hex->CursorOffset(), kRows * 16);
    EXPECT_EQ(bar->Position(), 1);
    Key(VK_END);
    EXPECT_EQ(hex->CursorOffset(), 1023);
    Key(VK_DOWN);
    EXPECT_EQ(hex->CursorOffset(), 1023);
    Key(VK_UP);
    EXPECT_EQ(hex->CursorOffset(), 1007);
    Key(VK_PRIOR);
    EXPECT_EQ(hex->CursorOffset(), 1007 - kRows * 16);
    // The user moves the bar: the view follows at the next paint.
    bar->SetPosition(10);
    hex->Repaint();
    EXPECT_EQ(hex->FirstVisibleOffset(), 160);
    hex->SetSize(100);
    EXPECT_EQ(bar->Max(), 5);
    hex->SetSize(5000);  // no more than the buffer holds
    EXPECT_EQ(hex->Size(), 1024);
    bar->Free();
    EXPECT_EQ(hex->ScrollBar(), nullptr);
    hex->MoveCursor(3);
    EXPECT_EQ(hex->FirstVisibleOffset(), 0);
}

TEST_F(HexEditor, RowsWiderThanTheEditorScrollToTheCursorAndFillOnlyTheCellsShown) {
    auto* bar = new TScrollBar(form);
    bar->SetParent(form);
    bar->SetKind(sbHorizontal);
    bar->SetBounds(0, 300, 440, 16);
    hex->SetHorzScrollBar(bar);
    int widthEvents = 0;
    hex->OnRowWidthChange = [&](TObject*) { ++widthEvents; };
    hex->SetBytesPerLine(32);
    EXPECT_EQ(widthEvents, 1);
    EXPECT_EQ(hex->RowWidth(), 12 + 48 + 20 + 32 * 12 + 7 * 6 + 20 + 32 * 6 + 12);
    EXPECT_EQ(bar->Max(), hex->RowWidth() - 440);
    // The character of offset 31, in the characters panel: the view scrolls to it.
    hex->MoveCursor(31);
    EXPECT_GT(hex->LeftPixel(), 0);
    EXPECT_EQ(bar->Position(), hex->LeftPixel());
    int x = 12 + 48 + 20 + 32 * 12 + 7 * 6 + 20 + 31 * 6 - hex->LeftPixel();
    EXPECT_GE(x, 6);
    EXPECT_LE(x + kChar, 440 - 6);
    EXPECT_EQ(hex->GetMouseOffset(x + 1, RowY(0) + 2), 31);
    EXPECT_EQ(Count(Underline(x, 0), clBlack), 2 * kChar);
    // Back in the first columns, the rows show from their start again.
    hex->SetCursorPanel(cpBytes);
    EXPECT_GT(hex->LeftPixel(), 0);
    hex->MoveCursor(0);
    EXPECT_EQ(hex->LeftPixel(), 0);

    // A very long row: only the cells that show are drawn and go into the hit table.
    hex->SetBytesPerLine(262144);
    const THitTable& hits = hex->HitTable();
    ASSERT_GT(hits.RowCount(), 0);
    for (int r = 0; r < hits.RowCount(); ++r)
        EXPECT_LT(hits.Rows(r).Cells.size(), 440u / kChar) << r;
}

TEST_F(HexEditor, AClickPutsTheCursorOnTheCellAndItsPanel) {
    std::vector<int64_t> moves;
    hex->OnCursorChange = [&](TObject*, int64_t offset) { moves.push_back(offset); };
    screen.Click(kFormX + HexCellX(3) + 2, kFormY + RowY(1) + 5);
    app.Run();
    EXPECT_EQ(hex->CursorOffset(), 0x13);
    EXPECT_EQ(hex->CursorPanel(), cpBytes);
    screen.Click(kFormX + CharCellX(7), kFormY + RowY(0) + 1);
    app.Run();
    EXPECT_EQ(hex->CursorOffset(), 7);
    EXPECT_EQ(hex->CursorPanel(), cpChars);
    EXPECT_EQ(moves, (std::vector<int64_t>{0x13, 7}));
    screen.TypeChar('Q');
    app.Run();
    EXPECT_EQ(hex->GetByte(7), 'Q');
}

TEST_F(HexEditor, TheCursorBlinksThreeStepsOnAndThreeOff) {
    TRect cursor = Underline(CharCellX(5), 0);
    std::vector<bool> shown;
    for (int i = 0; i < 7; ++i) {
        hex->AnimateCursor();
        shown.push_back(Count(cursor, clBlack) == 2 * kChar);
    }
    EXPECT_EQ(shown, (std::vector<bool>{true, true, false, false, false, true, true}));
    hex->SetCursorStyle(1);
    for (int i = 0; i < 4; ++i)
        hex->AnimateCursor();
    EXPECT_EQ(Count(cursor, clBlack), 2 * kChar);
}

TEST_F(HexEditor, PolkaDotsAreAtMost30CirclesThatMoveOnePixelAStepBehindTheText) {
    const TColor dot = RGB(255, 255, 128);
    // The bounding box of the dot pixels.
    auto box = [&] {
        TBitmap shot = screen.Screenshot();
        TRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 440; ++x)
                if (shot.Pixel(kFormX + x, kFormY + y) == dot)
                    r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1),
                         std::max(r.Bottom, y + 1)};
        return r;
    };
    // One dot: a circle 30 across, which moves by its velocity, at most 1 each way, at
    // every step. (The frame and the text may cover its edge, so its box is at most 30.)
    hex->SetBarWidth(0);
    hex->SetMessage(" ");
    hex->SetRandomSeed(7);
    hex->SetPolkaDots(1);
    TRect first = box();
    EXPECT_LE(first.Width(), 30);
    EXPECT_GE(first.Width(), 25);
    hex->AnimateCursor();
    TRect second = box();
    hex->AnimateCursor();
    TRect third = box();
    const int dx = second.Left - first.Left, dy = second.Top - first.Top;
    EXPECT_TRUE(dx != 0 || dy != 0);
    EXPECT_LE(std::abs(dx), 1);
    EXPECT_LE(std::abs(dy), 1);
    EXPECT_EQ(third.Left - second.Left, dx);
    EXPECT_EQ(third.Top - second.Top, dy);
    // A hundred asked for: at most 30 circles' worth of pixels.
    hex->SetPolkaDots(100);
    TBitmap shot = screen.Screenshot();
    int pixels = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 440; ++x)
            pixels += shot.Pixel(kFormX + x, kFormY + y) == dot;
    EXPECT_GT(pixels, 700 * 5);
    EXPECT_LE(pixels, 30 * 30 * 30);
    // The same seed, the same dots; text is drawn over them without a background.
    hex->SetMessage("");
    hex->SetRandomSeed(42);
    hex->Repaint();
    TBitmap again = screen.Screenshot();
    hex->SetRandomSeed(42);
    hex->Repaint();
    TBitmap repeated = screen.Screenshot();
    int same = 0, textOnDots = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 440; ++x) {
            same += again.Pixel(kFormX + x, kFormY + y) == repeated.Pixel(kFormX + x, kFormY + y);
            textOnDots += again.Pixel(kFormX + x, kFormY + y) == clBlack &&
                          again.Pixel(kFormX + x + 1, kFormY + y) == dot;
        }
    EXPECT_EQ(same, 300 * 440);
    EXPECT_GT(textOnDots, 0);
    // Another seed, other dots.
    hex->SetRandomSeed(43);
    hex->Repaint();
    TBitmap other = screen.Screenshot();
    int moved = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 440; ++x)
            moved += (again.Pixel(kFormX + x, kFormY + y) == dot) !=
                     (other.Pixel(kFormX + x, kFormY + y) == dot);
    EXPECT_GT(moved, 30 * 30);
}

TEST_F(HexEditor, ChangeLogToMenuItemNamesTheNewestEntries) {
    auto* undo = new TMenuItem(form);
    auto* redo = new TMenuItem(form);
    hex->ChangeLogToMenuItem(undo, redo);
    EXPECT_EQ(undo->Caption(), "Undo");
    EXPECT_FALSE(undo->Enabled());
    EXPECT_EQ(redo->Caption(), "Redo");
    EXPECT_FALSE(redo->Enabled());
    hex->SetCursorPanel(cpBytes);
    Type("41");
    Type("4");
    hex->Undo();
    hex->ChangeLogToMenuItem(undo, redo);
    EXPECT_EQ(undo->Caption(), "Undo 00000005: 05 --> 41");
    EXPECT_TRUE(undo->Enabled());
    EXPECT_EQ(redo->Caption(), "Redo 00000006: 06 --> 46");
    EXPECT_TRUE(redo->Enabled());
    // Either item may be missing: the other is still filled.
    hex->Undo();
    hex->ChangeLogToMenuItem(nullptr, redo);
    EXPECT_EQ(redo->Caption(), "Redo 00000005: 05 --> 41");
    hex->ChangeLogToMenuItem(undo, nullptr);
    EXPECT_EQ(undo->Caption(), "Undo");
    EXPECT_FALSE(undo->Enabled());
}

// The rows of a list view: caption, then the sub-items, joined by "|".
std::vector<std::string> Rows(const TListView& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.Count(); ++i) {
        std::string row = list.Item(i).Caption;
        for (const std::string& sub : list.Item(i).SubItems)
            row += "|" + sub;
        rows.push_back(row);
    }
    return rows;
}

TEST_F(HexEditor, LogsFillAListViewOldestFirstInThePresentBases) {
    auto* list = new TListView(form);
    list->SetParent(form);
    list->SetBounds(0, 0, 300, 200);
    hex->SetCursorPanel(cpBytes);
    Type("41");  // byte 5: 05 -> 41
    Type("4");   // byte 6: 06 -> 46, the entry still open
    hex->SetBytesPerGroup(2);
    hex->SetBaseBytes(10);
    hex->MoveCursor(8);
    Type("00300");  // group 8-9: 2057 -> 300, a word edit
    hex->ChangeLogToListView(list);
    ASSERT_EQ(list->Columns().size(), 4u);
    EXPECT_EQ(list->Columns()[0].Caption, "Offset");
    EXPECT_EQ(Rows(*list),
              (std::vector<std::string>{"00000005|byte|005|065", "00000006|byte|006|070",
                                        "00000008|word|02057|00300"}));
    EXPECT_EQ(list->Item(2).Data, 8);

    hex->Undo();
    hex->Undo();
    hex->SetBaseBytes(16);
    hex->SetBaseOffset(10);
    hex->ChangeLogToListView(list);
    EXPECT_EQ(Rows(*list), (std::vector<std::string>{"0000000005|byte|05|41"}));
    hex->RedoLogToListView(list);
    // The next entry to redo comes last.
    EXPECT_EQ(Rows(*list),
              (std::vector<std::string>{"0000000008|word|0809|012C", "0000000006|byte|06|46"}));
    EXPECT_EQ(list->Columns().size(), 4u);  // the columns are not added twice
}

TEST_F(HexEditor, AListViewShowsTheNewest256EntriesAndTheLastOneInView) {
    auto* list = new TListView(form);
    list->SetParent(form);
    list->SetBounds(0, 0, 300, 200);
    for (int i = 0; i < 300; ++i) {
        hex->SetByte(i, uint8_t(i + 1));
        hex->MoveCursor(i + 1);  // seals the entry
    }
    hex->ChangeLogToListView(list);
    ASSERT_EQ(list->Count(), 256);
    EXPECT_EQ(list->Item(0).Caption, "0000002C");  // entries 44 to 299
    EXPECT_EQ(list->Item(255).Caption, "0000012B");
    EXPECT_GE(list->TopIndex() + list->VisibleRowCount(), 256);
    EXPECT_GT(list->TopIndex(), 0);
}

}  // namespace
