// THexEditor with files: loading, searching, saving, files of any size, and files that
// others change.
#include "platform/os/fileio.h"
#include "platform/os/safesave.h"
#include "tests/support/hexeditor_testing.h"

namespace {

using namespace hexeditor_testing;

TEST_F(HexEditor, NoOffsetsArePrintedForRowsPastTheEnd) {
    ASSERT_EQ(hex->LoadFromFile(File("short.bin", std::string(20, 'x'))), hfDone);
    EXPECT_EQ(hex->RowsPainted(), 2);
    EXPECT_GT(Ink(TRect::FromSize(12, RowY(1), 48, kRow)), 0);  // "00000010"
    EXPECT_EQ(Ink(TRect::FromSize(12, RowY(2), 48, kRow * 3)), 0);
    // The second row has four bytes; nothing is drawn or found after them.
    EXPECT_EQ(hex->GetMouseOffset(HexCellX(3) + 1, RowY(1) + 2), 19);
    EXPECT_EQ(hex->GetMouseOffset(HexCellX(4) + 1, RowY(1) + 2), -1);
    EXPECT_EQ(Ink(TRect::FromSize(HexCellX(4), RowY(1), 2 * kChar, kRow)), 0);
}

TEST_F(HexEditor, OffsetsWidenToTheLargestOneAndKeepTheirColumnClear) {
    // 200 000 000 bytes, sparse: the last offset has nine decimal digits.
    std::string path = File("large.bin", "");
    fs::resize_file(path, 200000000);
    ASSERT_EQ(hex->LoadFromFile(path), hfDone);
    hex->SetBaseOffset(10);
    Key(VK_END);
    EXPECT_EQ(hex->FormatOffset(199999999), "0199999999");
    // The bytes panel starts one character further right, for every row alike.
    const int bytesX = kBytesX + kChar;
    int64_t lastRowStart = 199999999 / 16 * 16;
    int row = int((lastRowStart - hex->FirstVisibleOffset()) / 16);
    EXPECT_EQ(hex->GetMouseOffset(bytesX + 1, RowY(row) + 2), lastRowStart);
    EXPECT_EQ(hex->GetMouseOffset(bytesX + 1, RowY(0) + 2), hex->FirstVisibleOffset());
    // Nothing of the offset reaches the gap with the separator bar.
    EXPECT_EQ(Ink(TRect::FromSize(12 + 9 * kChar, RowY(row), 6, kRow)), 0);
    EXPECT_EQ(hex->RowWidth(), 418 + kChar);
    hex->SetBaseOffset(16);
    EXPECT_EQ(hex->FormatOffset(199999999), "0BEBC1FF");
}

struct TSearchCase {
    std::string Text;
    int Mode;
    int Flags;
    std::vector<int64_t> Hits;  // FindFirst, then FindNext until -1
};

TEST_F(HexEditor, SearchFindsEveryMatchInEachModeFromTheFirstByteToTheLast) {
    // "abC" ends on the last byte; "Abc" starts at the first.
    const std::string data = "Abc..ABC..\r\n..abC";
    ASSERT_EQ(hex->LoadFromFile(File("search.bin", data)), hfDone);
    const TSearchCase cases[] = {
        {"abc", smText, 0, {0, 5, 14, -1}},
        {"abc", smText, sfMatchCase, {-1}},
        {"ABC", smText, sfMatchCase, {5, -1}},
        {"abC", smText, sfMatchCase, {14, -1}},
        {"  aBc \t", smText, 0, {0, 5, 14, -1}},
        {"0d 0a", smHexBytes, 0, {10, -1}},
        {"410A", smHexBytes, 0, {-1}},
        {"41", smHexBytes, 0, {0, 5, -1}},
        {"zz", smHexBytes, 0, {-1}},
        {"0x0d0a", smNumber, 0, {10, -1}},
        {"3338", smNumber, 0, {10, -1}},
        {"67", smNumber, 0, {7, 16, -1}},
        {"abc", 7, 0, {-1}},
        {"", smText, 0, {-1}},
    };
    for (const TSearchCase& c : cases) {
        std::vector<int64_t> hits{hex->FindFirst(c.Text, c.Mode, c.Flags)};
        while (hits.back() >= 0 && hits.size() < 10)
            hits.push_back(hex->FindNext());
        EXPECT_EQ(hits, c.Hits) << "'" << c.Text << "' mode " << c.Mode << " flags " << c.Flags;
    }
    // From the cursor: the bytes after it.
    hex->MoveCursor(0);
    EXPECT_EQ(hex->FindFirst("abc", smText, sfFromCursor), 5);
    hex->MoveCursor(14);
    EXPECT_EQ(hex->FindFirst("abc", smText, sfFromCursor), -1);
    EXPECT_EQ(hex->CursorOffset(), 14);  // searching does not move the cursor
}

TEST_F(HexEditor, NumbersUpTo64BitsAreSearchedAsTheirBytesAndLargerOnesRefused) {
    struct TCase {
        std::string text;
        std::vector<uint8_t> bytes;
        std::string error;
    };
    const std::vector<uint8_t> allOnes(8, 0xFF);
    const TCase cases[] = {
        {"0xFFFFFFFFFFFFFFFF", allOnes, ""},
        {"18446744073709551615", allOnes, ""},
        {"0x00000000FFFFFFFF", {0xFF, 0xFF, 0xFF, 0xFF}, ""},
        {"4294967296", {0, 0, 0, 1, 0, 0, 0, 0}, ""},
        {"65535", {0xFF, 0xFF}, ""},
        {"-1", {0xFF}, ""},
        {"-9223372036854775808", {0x80, 0, 0, 0, 0, 0, 0, 0}, ""},
        {"18446744073709551616", {}, "18446744073709551616 is not a number of at most 64 bits."},
        {"0x1FFFFFFFFFFFFFFFF", {}, "0x1FFFFFFFFFFFFFFFF is not a number of at most 64 bits."},
        {"-9223372036854775809", {}, "-9223372036854775809 is not a number of at most 64 bits."},
    };
    for (const TCase& c : cases) {
        std::string error;
        EXPECT_EQ(SearchPatternOf(c.text, smNumber, &error), c.bytes) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
    // In the data: eight FF bytes after 7F FF ... FF, which the largest number is not.
    std::string data = "\x7F" + std::string(7, '\xFF') + "xx" + std::string(8, '\xFF') + "!";
    ASSERT_EQ(hex->LoadFromFile(File("numbers.bin", data)), hfDone);
    EXPECT_EQ(hex->FindFirst("18446744073709551615", smNumber, 0), 10);
    EXPECT_EQ(hex->FindFirst("0xFFFFFFFFFFFFFFFF", smNumber, 0), 10);
    EXPECT_EQ(hex->FindFirst("99999999999999999999", smNumber, 0), -1);
}

TEST_F(HexEditor, EditsAreSearchedAsTheyShowAndMatchesAcrossStepsAreFound) {
    // 40 MiB of zeros, sparse: the search goes in steps of 16 MiB.
    std::string path = File("zeros.bin", "");
    const int64_t size = int64_t(40) << 20;
    fs::resize_file(path, uintmax_t(size));
    ASSERT_EQ(hex->LoadFromFile(path), hfDone);
    const int64_t across = (int64_t(16) << 20) - 2;  // "edit" over the end of the first step
    for (int i = 0; i < 4; ++i)
        hex->SetByte(across + i, uint8_t("edit"[i]));
    hex->SetByte(size - 1, '!');
    EXPECT_EQ(hex->FindFirst("EDIT", smText, 0), across);
    EXPECT_EQ(hex->FindFirst("21", smHexBytes, 0), size - 1);
    EXPECT_EQ(hex->FindFirst("0x00", smNumber, sfFromCursor), 1);
    // Cancelled through the progress event: -1, and the cursor stays.
    int calls = 0;
    hex->OnProgress = [&](TObject*, int64_t, int64_t) { return ++calls < 2; };
    hex->MoveCursor(3);
    EXPECT_EQ(hex->FindFirst("21", smHexBytes, 0), -1);
    EXPECT_TRUE(hex->SearchCancelled());
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(hex->CursorOffset(), 3);
    hex->OnProgress = nullptr;
    EXPECT_EQ(hex->FindFirst("21", smHexBytes, 0), size - 1);
    EXPECT_FALSE(hex->SearchCancelled());
}

TEST_F(HexEditor, LoadingWhatIsNoFileKeepsTheDataButResetsCursorAndLogAndSaysWhy) {
    hex->SetByte(3, 0x99);
    ASSERT_TRUE(hex->Dirty());
    EXPECT_EQ(hex->LoadFromFile((dir / "missing.bin").string()), hfCannotOpen);
    EXPECT_EQ(hex->FileError().Kind, feNoSuchFile);
    EXPECT_EQ(hex->LoadFromFile(dir.string()), hfCannotOpen);  // a folder is no file
    EXPECT_EQ(hex->FileError().Kind, feIsFolder);
    EXPECT_EQ(hex->Size(), 1024);
    EXPECT_EQ(hex->GetByte(3), 0x99);
    EXPECT_EQ(hex->CursorOffset(), 0);
    EXPECT_EQ(hex->ChangeLog().UndoCount(), 0);
    // The edit is still not saved anywhere.
    EXPECT_TRUE(hex->Dirty());
}

TEST_F(HexEditor, LoadingAFileShowsItCleanUnderItsName) {
    std::vector<std::string> names;
    hex->OnFileNameChange = [&](TObject*, const std::string& name) { names.push_back(name); };
    hex->SetNotLoaded();
    EXPECT_EQ(hex->Message(), "Start by using the File menu to open a file");
    EXPECT_EQ(hex->FileName(), "(null)");
    std::string path = File("data.bin", std::string("\x01\x02\x03", 3));
    EXPECT_EQ(hex->LoadFromFile(path), hfDone);
    EXPECT_EQ(hex->Size(), 3);
    EXPECT_EQ(hex->GetByte(2), 3);
    EXPECT_EQ(hex->GetByte(3), 0);
    EXPECT_EQ(hex->FileName(), path);
    EXPECT_EQ(hex->Message(), "");
    EXPECT_FALSE(hex->Dirty());
    EXPECT_EQ(names, (std::vector<std::string>{"(null)", path}));
    EXPECT_EQ(hex->LoadFromFile(File("empty.bin", "")), hfDone);
    EXPECT_EQ(hex->Size(), 0);
    EXPECT_EQ(hex->RowsPainted(), 0);
    hex->MoveCursor(10);
    EXPECT_EQ(hex->CursorOffset(), 0);
    EXPECT_EQ(hex->FindFirst("00", smHexBytes, 0), -1);
    Type("41");
    EXPECT_EQ(hex->ChangeLog().UndoCount(), 0);
}

TEST_F(HexEditor, SavingWritesTheEditsIntoTheSameFileAndTheDataComesFromItAgain) {
    std::string path = File("keep.bin", std::string(40, 'x'));
    ASSERT_EQ(hex->LoadFromFile(path), hfDone);
    Type("ab");
    ASSERT_TRUE(hex->Dirty());
    EXPECT_TRUE(hex->Document().Edited(0));
    EXPECT_EQ(hex->SaveToFile(path), hfDone);
    EXPECT_EQ(ReadFile(path), "ab" + std::string(38, 'x'));
    EXPECT_FALSE(hex->Dirty());
    EXPECT_FALSE(hex->Document().Edited(0));
    EXPECT_EQ(hex->GetByte(0), 'a');
    EXPECT_FALSE(hex->Document().ChangedOnDisk());
    // Nothing beside it, and its journal is gone.
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"keep.bin", "state"}));
    EXPECT_TRUE(fs::is_empty(dir / "state"));

    // Save As: the name follows the save, and the file holds the same bytes.
    std::string copy = (dir / "copy.bin").string();
    EXPECT_EQ(hex->SaveToFile(copy), hfDone);
    EXPECT_EQ(hex->FileName(), copy);
    EXPECT_EQ(ReadFile(copy), ReadFile(path));
}

TEST_F(HexEditor, ASaveInterruptedHalfWayIsRolledBackWhenTheFileIsOpenedAgain) {
    const std::string original(6000, 'o');
    std::string path = File("doc.bin", original);
    ASSERT_EQ(hex->LoadFromFile(path), hfDone);
    hex->SetByte(10, 'A');
    hex->SetByte(5000, 'B');
    struct TCrash {};
    SetSaveFaultHook([](TSaveStage stage) {
        if (stage == TSaveStage::DataPartlyWritten) throw TCrash();
    });
    EXPECT_THROW(hex->SaveToFile(path), TCrash);
    SetSaveFaultHook(nullptr);
    EXPECT_NE(ReadFile(path), original);  // the first edit is in, the second is not
    EXPECT_FALSE(hex->Document().RolledBackSave());
    ASSERT_EQ(hex->LoadFromFile(path), hfDone);
    EXPECT_TRUE(hex->Document().RolledBackSave());
    EXPECT_TRUE(ReadFile(path) == original);
    EXPECT_EQ(hex->GetByte(10), 'o');
    EXPECT_TRUE(fs::is_empty(dir / "state"));
}

TEST_F(HexEditor, AFileChangedByAnotherProgramIsNoticedAndItsEditsKept) {
    std::string path = File("shared.bin", std::string(100, 'a'));
    ASSERT_EQ(hex->LoadFromFile(path), hfDone);
    hex->SetByte(1, 'E');
    EXPECT_FALSE(hex->Document().ChangedOnDisk());
    {
        std::fstream other(path, std::ios::binary | std::ios::in | std::ios::out);
        other.seekp(50);
        other << "OTHER";
    }
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(2));
    EXPECT_TRUE(hex->Document().ChangedOnDisk());
    // Saved over (the host asks first): the file is what the editor shows, the other
    // program's bytes and the edit.
    EXPECT_EQ(hex->GetByte(50), 'O');
    ASSERT_EQ(hex->SaveToFile(path), hfDone);
    std::string expected(100, 'a');
    expected[1] = 'E';
    expected.replace(50, 5, "OTHER");
    EXPECT_EQ(ReadFile(path), expected);
    EXPECT_FALSE(hex->Document().ChangedOnDisk());
}

TEST_F(HexEditor, SavingWhereNoFileCanBeMadeCannotOpen) {
    hex->SetByte(0, 1);
    EXPECT_EQ(hex->SaveToFile((dir / "no" / "such" / "file.bin").string()), hfCannotOpen);
    EXPECT_EQ(hex->FileError().Kind, feNoSuchFile);
    EXPECT_EQ(hex->SaveToFile(dir.string()), hfCannotOpen);
    EXPECT_EQ(hex->FileError().Kind, feIsFolder);
    EXPECT_TRUE(hex->Dirty());
    EXPECT_EQ(hex->FileName(), "");
}

TEST_F(HexEditor, UndoAfterASaveMakesTheEditorDirtyAgainAndRedoCleanAgain) {
    std::vector<bool> events;
    hex->OnDirtyChange = [&](TObject* sender, bool dirty) {
        EXPECT_EQ(sender, hex);
        events.push_back(dirty);
    };
    std::string path = File("doc.bin", "0123456789");
    ASSERT_EQ(hex->LoadFromFile(path), hfDone);
    events.clear();
    Type("xy");
    EXPECT_TRUE(hex->Dirty());
    ASSERT_EQ(hex->SaveToFile(path), hfDone);
    EXPECT_FALSE(hex->Dirty());
    hex->Undo();
    EXPECT_TRUE(hex->Dirty());
    hex->Redo();
    EXPECT_FALSE(hex->Dirty());
    hex->Undo();
    hex->Undo();
    EXPECT_TRUE(hex->Dirty());
    EXPECT_EQ(events, (std::vector<bool>{true, false, true, false, true}));
    // Back to the loaded state by undoing: clean.
    ASSERT_EQ(hex->LoadFromFile(path), hfDone);
    Type("z");
    hex->Undo();
    EXPECT_FALSE(hex->Dirty());
}

TEST_F(HexEditor, AFileWithMoreRowsThanTheBarCountsScrollsToItsLastByte) {
    // 64 GiB at 8 bytes a line: 2^33 rows, beyond what a scroll bar position holds.
    std::string path = File("huge.bin", "");
    const int64_t size = int64_t(64) << 30;
    {
        // Through the program's own files: std::filesystem::resize_file of the Windows
        // build refuses a size this large.
        TRawFile file;
        ASSERT_FALSE(file.Open(path, true));
        ASSERT_FALSE(file.Resize(size));
    }
    auto* bar = new TScrollBar(form);
    bar->SetParent(form);
    bar->SetKind(sbVertical);
    bar->SetBounds(440, 0, 16, 300);
    hex->SetScrollBar(bar);
    hex->SetBytesPerLine(8);
    ASSERT_EQ(hex->LoadFromFile(path), hfDone);
    Key(VK_END);
    EXPECT_EQ(hex->CursorOffset(), size - 1);
    EXPECT_LE(hex->FirstVisibleOffset(), size - 1);
    EXPECT_GE(hex->LastVisibleOffset(), size - 1);
    EXPECT_GE(bar->Position(), bar->Max() - kRows);
    EXPECT_GT(bar->Max(), 1 << 29);
    hex->SetCursorPanel(cpBytes);
    Type("7f");
    EXPECT_EQ(hex->GetByte(size - 1), 0x7F);
    // The bar dragged to the middle shows the middle of the file.
    bar->SetPosition(bar->Max() / 2);
    hex->Repaint();
    EXPECT_NEAR(double(hex->FirstVisibleOffset()) / double(size), 0.5, 0.01);
}

}  // namespace
