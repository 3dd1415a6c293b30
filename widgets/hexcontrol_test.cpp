#include "widgets/hexcontrol.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/ui/form.h"
#include "platform/ui/listview.h"
#include "platform/ui/menus.h"
#include "platform/ui/scrollbar.h"
#include "tests/support/headless_app.h"

namespace {

namespace fs = std::filesystem;

// The fixed font at the default height: characters 6 wide, rows 13 high. A row of the
// default layout: offset at 12, bytes panel at 80, characters panel at 310, 418 wide.
constexpr int kChar = 6;
constexpr int kRow = 13;
constexpr int kBytesX = 80;
constexpr int kCharsX = 310;
constexpr int kFormX = 100, kFormY = 100;
constexpr TColor kPaper = clWhite;

int HexCellX(int column) {
    return kBytesX + 2 * kChar * column + kChar * (column / 4);
}
int CharCellX(int column) {
    return kCharsX + kChar * column;
}
int RowY(int row) {
    return 10 + kRow * row;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Runs body in a child process and returns its exit code (-1 when it did not exit).
int InChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class HexEditor : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;
    THexEditor* hex = nullptr;
    std::string dir;

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(kFormX, kFormY, 460, 320);
        form->SetColor(kPaper);
        hex = new THexEditor(form);
        hex->SetParent(form);
        hex->SetBounds(0, 0, 440, 300);
        hex->SetColor(kPaper);
        form->Show();
        app.Run();
        hex->SetFocus();
        char name[] = "/tmp/zt-hexeditor-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { fs::remove_all(dir); }

    void Type(const std::string& text) {
        for (char c : text)
            hex->Perform(WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 0);
    }
    void Key(int key) { hex->Perform(WM_KEYDOWN, WPARAM(key), 0); }
    std::string File(const std::string& name, const std::string& bytes) {
        std::string path = dir + "/" + name;
        WriteFile(path, bytes);
        return path;
    }
    // Pixels of colour in a rectangle of the editor's client area.
    int Count(const TRect& r, TColor color) {
        TBitmap shot = screen.Screenshot();
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += shot.Pixel(kFormX + x, kFormY + y) == color;
        return n;
    }
    TColor At(int x, int y) { return screen.Screenshot().Pixel(kFormX + x, kFormY + y); }
    std::vector<std::string> DirEntries() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.push_back(e.path().filename());
        return names;
    }
};

TEST_F(HexEditor, NewEditorShowsTheDemoBytesWithTheCursorUnderOffset5InTheCharacters) {
    ASSERT_EQ(hex->Size(), 1024);
    for (int i = 0; i < 1024; ++i)
        ASSERT_EQ(hex->GetByte(i), uint8_t(i % 256)) << i;
    EXPECT_EQ(hex->GetByte(1024), 0);
    EXPECT_EQ(hex->CursorOffset(), 5);
    EXPECT_EQ(hex->CursorPanel(), cpChars);
    EXPECT_FALSE(hex->Dirty());
    EXPECT_EQ(hex->RowsPainted(), 22);
    EXPECT_EQ(hex->RowWidth(), 418);
    EXPECT_EQ(hex->LastVisibleOffset(), 22 * 16 - 1);
    EXPECT_EQ(hex->GetRowAscii(64), "@ABCDEFGHIJKLMNO");
    EXPECT_EQ(hex->GetRowAscii(0), std::string(16, '.'));
    // The cells the mouse finds: offset 0x25 in both panels, nothing in the gaps.
    EXPECT_EQ(hex->GetMouseOffset(HexCellX(5) + 1, RowY(2) + 3), 0x25);
    EXPECT_EQ(hex->GetMouseOffset(CharCellX(5), RowY(2) + 12), 0x25);
    EXPECT_EQ(hex->GetMouseOffset(kCharsX - 10, RowY(2) + 3), -1);
    EXPECT_EQ(hex->GetMouseOffset(HexCellX(5), 5), -1);
    // The cursor: two black lines under the character of offset 5, none under offset 4.
    TRect underFive = TRect::FromSize(CharCellX(5), RowY(0) + kRow - 2, kChar, 2);
    EXPECT_EQ(Count(underFive, clBlack), 2 * kChar);
    EXPECT_EQ(Count(underFive.Offset(-kChar, 0), clBlack), 0);
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

TEST_F(HexEditor, LoadingAMissingFileKeepsTheDataButResetsCursorAndLog) {
    hex->SetByte(3, 0x99);
    ASSERT_TRUE(hex->Dirty());
    EXPECT_EQ(hex->LoadFromFile(dir + "/missing.bin"), hfCannotOpen);
    EXPECT_EQ(hex->LoadFromFile(dir), hfCannotOpen);  // a folder is no file
    std::string pipe = dir + "/pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(hex->LoadFromFile(pipe), hfCannotOpen);  // nor a pipe, and opening it does not wait
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
    hex->MoveCursor(10);
    EXPECT_EQ(hex->CursorOffset(), 0);
    EXPECT_EQ(hex->FindFirst("00", smHexBytes, 0), -1);
    Type("41");
    EXPECT_EQ(hex->ChangeLog().UndoCount(), 0);
}

TEST_F(HexEditor, AShortReadKeepsWhatArrivedAsUnsavedDataWithoutAName) {
    // Attribute files of sysfs claim a page and deliver a few bytes.
    const std::string path = "/sys/devices/system/cpu/online";
    struct stat st {};
    std::string real = ReadFile(path);
    if (stat(path.c_str(), &st) != 0 || st.st_size <= off_t(real.size()))
        GTEST_SKIP() << "no file that reads short here";
    hex->ChangeFileName("earlier.bin");
    EXPECT_EQ(hex->LoadFromFile(path), hfShortRead);
    EXPECT_EQ(hex->Size(), int64_t(real.size()));
    EXPECT_EQ(hex->GetByte(0), uint8_t(real[0]));
    EXPECT_EQ(hex->FileName(), "");
    EXPECT_TRUE(hex->Dirty());
}

long VirtualMemoryBytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmSize:") {
            long kb = 0;
            status >> kb;
            return kb * 1024;
        }
    return -1;
}

TEST_F(HexEditor, AFileTooLargeForMemoryLeavesTheDataShownAndSaysSo) {
    std::string path = dir + "/huge.bin";
    WriteFile(path, "");
    ASSERT_EQ(truncate(path.c_str(), off_t(4) << 30), 0);  // sparse: no disk used
    hex->SetByte(3, 0x99);
    int code = InChild([&] {
        long used = VirtualMemoryBytes();
        rlimit limit{rlim_t(used + (256l << 20)), rlim_t(used + (256l << 20))};
        if (used < 0 || setrlimit(RLIMIT_AS, &limit) != 0) return 99;
        int result = hex->LoadFromFile(path);
        bool kept =
            hex->Size() == 1024 && hex->GetByte(3) == 0x99 && hex->GetByte(5) == 5 && hex->Dirty();
        return result * 10 + (kept ? 1 : 0);
    });
    EXPECT_EQ(code, hfNoMemory * 10 + 1);
}

TEST_F(HexEditor, SavingWritesEveryByteAndKeepsThePermissions) {
    std::string path = File("keep.bin", std::string(40, 'x'));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(hex->LoadFromFile(path), hfDone);
    Type("ab");
    ASSERT_TRUE(hex->Dirty());
    EXPECT_EQ(hex->SaveToFile(path), hfDone);
    EXPECT_EQ(ReadFile(path), "ab" + std::string(38, 'x'));
    EXPECT_FALSE(hex->Dirty());
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(DirEntries(), (std::vector<std::string>{"keep.bin"}));

    // A new file gets the usual mode; the name follows the save.
    mode_t mask = umask(022);
    std::string copy = dir + "/copy.bin";
    EXPECT_EQ(hex->SaveToFile(copy), hfDone);
    umask(mask);
    ASSERT_EQ(stat(copy.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(hex->FileName(), copy);
    EXPECT_EQ(ReadFile(copy), ReadFile(path));
}

TEST_F(HexEditor, SavingThroughALinkReplacesTheFileItNames) {
    std::string target = File("target.bin", "old");
    std::string link = dir + "/link.bin";
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    EXPECT_EQ(hex->SaveToFile(link), hfDone);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(target).size(), 1024u);
}

TEST_F(HexEditor, SavingIntoAMissingFolderCannotOpen) {
    hex->SetByte(0, 1);
    EXPECT_EQ(hex->SaveToFile(dir + "/no/such/file.bin"), hfCannotOpen);
    EXPECT_EQ(hex->SaveToFile(dir), hfCannotOpen);
    EXPECT_TRUE(hex->Dirty());
    EXPECT_EQ(hex->FileName(), "");
}

TEST_F(HexEditor, ASaveThatRunsOutOfSpaceLeavesTheOriginalUntouched) {
    const std::string original(300, 'o');
    std::string path = File("precious.bin", original);
    hex->SetByte(0, 1);
    int code = InChild([&] {
        // The disk is full after 100 bytes of any file.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100, 100};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 99;
        int result = hex->SaveToFile(path);
        bool kept = hex->Dirty() && hex->FileName().empty();
        return result * 10 + (kept ? 1 : 0);
    });
    EXPECT_EQ(code, hfShortWrite * 10 + 1);
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(DirEntries(), (std::vector<std::string>{"precious.bin"}));
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
    for (int group : {0, -1, 3}) {
        hex->SetBytesPerGroup(group);
        EXPECT_EQ(hex->RowsPainted(), 0) << group;
        EXPECT_EQ(hex->GetWordText(4).empty(), false);
    }
    hex->SetBytesPerLine(12);
    EXPECT_EQ(hex->RowsPainted(), 22);
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
    EXPECT_EQ(bar->LargeChange(), 22);
    hex->MoveCursor(1000);
    EXPECT_EQ(bar->Position(), 1000 / 16 - 22 + 1);
    EXPECT_EQ(hex->FirstVisibleOffset(), 41 * 16);
    EXPECT_EQ(hex->GetMouseOffset(HexCellX(0) + 1, RowY(0) + 1), 41 * 16);
    Key(VK_HOME);
    EXPECT_EQ(bar->Position(), 0);
    Key(VK_NEXT);
    EXPECT_EQ(hex->CursorOffset(), 22 * 16);
    EXPECT_EQ(bar->Position(), 1);
    Key(VK_END);
    EXPECT_EQ(hex->CursorOffset(), 1023);
    Key(VK_DOWN);
    EXPECT_EQ(hex->CursorOffset(), 1023);
    Key(VK_UP);
    EXPECT_EQ(hex->CursorOffset(), 1007);
    Key(VK_PRIOR);
    EXPECT_EQ(hex->CursorOffset(), 1007 - 22 * 16);
    hex->SetSize(100);
    EXPECT_EQ(bar->Max(), 5);
    hex->SetSize(5000);  // no more than the buffer holds
    EXPECT_EQ(hex->Size(), 1024);
    bar->Free();
    EXPECT_EQ(hex->ScrollBar(), nullptr);
    hex->MoveCursor(3);
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
    TRect cursor = TRect::FromSize(CharCellX(5), RowY(0) + kRow - 2, kChar, 2);
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

TEST_F(HexEditor, PolkaDotsComeFromTheSeededRandomSource) {
    auto dots = [&](uint32_t seed) {
        hex->SetPolkaDots(0);
        hex->SetRandomSeed(seed);
        hex->SetPolkaDots(100);  // at most 30 are drawn
        hex->AnimateCursor();
        TBitmap shot = screen.Screenshot();
        std::vector<TPoint> points;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 440; ++x)
                if (shot.Pixel(kFormX + x, kFormY + y) == RGB(255, 255, 128))
                    points.push_back({x, y});
        return points;
    };
    std::vector<TPoint> first = dots(42);
    EXPECT_GT(first.size(), 0u);
    EXPECT_EQ(dots(42), first);
    EXPECT_NE(dots(43), first);
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
    hex->ChangeLogToMenuItem(nullptr, nullptr);
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
    hex->ChangeLogToListView(nullptr);
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
