// The hex editor's window and what users trip over: long operations with their gauge and
// Esc, files changed by others, errors that say why, wide rows, large numbers.
#include "tests/support/fhexedit_testing.h"

namespace {

using namespace hexedit_testing;

// A sparse file of zeros, so large that a search or save goes in many steps.
void MakeZeros(const fs::path& path, uintmax_t size) {
    WriteFile(path, "");
    fs::resize_file(path, size);
}

class HexEditBusy : public HexEdit {
protected:
    int64_t clock = 0;
    int64_t escapeAt = -1;  // the busy clock's time at which the user presses Esc
    bool gaugeSeen = false;
    std::string statusSeen;

    // Every look at the clock is 50 ms later: an operation of many steps runs long.
    void WatchTheBusyClock() {
        form->Busy().Clock = [this] {
            clock += 50;
            if (form->Gauge1->Visible()) {
                gaugeSeen = true;
                statusSeen = form->LabelStatus->Caption();
            }
            if (clock == escapeAt) screen.PressKey(VK_ESCAPE, 27);
            return clock;
        };
    }
};

TEST_F(HexEditBusy, ALongSearchShowsTheGaugeAndEscCancelsItLeavingTheCursor) {
    MakeZeros(file, uintmax_t(200) << 20);  // 13 steps of 16 MiB
    Start(file.string());
    WatchTheBusyClock();
    // The first search runs to its end: nothing is found.
    Find("zz", 0);
    Then([this] { Answer("OK"); });
    Then([this] { FocusMainWindow(); });
    RunAll();
    EXPECT_TRUE(gaugeSeen);
    EXPECT_EQ(statusSeen, "Searching for zz... Esc cancels");
    EXPECT_EQ(boxes, (std::vector<std::string>{"Cannot find zz."}));
    EXPECT_FALSE(form->Gauge1->Visible());
    // The next one is cancelled half-way: no message, the cursor where it was.
    Editor().MoveCursor(4000);
    gaugeSeen = false;
    escapeAt = clock + 600;
    Then([this] { screen.PressKey(VK_F1 + 2); });
    RunAll();
    EXPECT_TRUE(gaugeSeen);
    EXPECT_TRUE(Editor().SearchCancelled());
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Editor().CursorOffset(), 4000);
    EXPECT_FALSE(form->Gauge1->Visible());
    EXPECT_EQ(form->LabelStatus->Caption().substr(0, 16), "Offset: 00000FA0");
    // A short search shows nothing.
    WriteFile(dir / "small.bin", "needle in a small file");
    gaugeSeen = false;
    escapeAt = -1;
    ASSERT_TRUE(form->OpenFile((dir / "small.bin").string()));
    Find("small", 0);
    RunAll();
    EXPECT_FALSE(gaugeSeen);
    EXPECT_EQ(Editor().CursorOffset(), 12);
}

TEST_F(HexEditBusy, ASaveCancelledWhileItWritesLeavesTheFileAsItWas) {
    const uintmax_t size = uintmax_t(48) << 20;
    MakeZeros(file, size);
    Start(file.string());
    // An edit in every MiB: 48 bytes to look at and 48 to write, a step each.
    for (int64_t at = 0; at < int64_t(size); at += int64_t(1) << 20)
        Editor().SetByte(at, 0xEE);
    WatchTheBusyClock();
    escapeAt = 50 * 80;  // among the writes
    Then([this] { Ctrl('S'); });
    RunAll();
    EXPECT_TRUE(gaugeSeen);
    EXPECT_EQ(statusSeen, "Saving data.bin... Esc cancels");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(form->Caption(), "*data.bin - zentick-hexedit");
    EXPECT_TRUE(Editor().Dirty());
    EXPECT_EQ(Editor().GetByte(int64_t(1) << 20), 0xEE);
    // Byte for byte zeros, and no journal left.
    std::ifstream in(file, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    uintmax_t nonZero = 0, total = 0;
    while (in.read(chunk.data(), std::streamsize(chunk.size())) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i)
            nonZero += chunk[size_t(i)] != 0;
        total += uintmax_t(in.gcount());
    }
    EXPECT_EQ(total, size);
    EXPECT_EQ(nonZero, 0u);
    EXPECT_TRUE(fs::is_empty(StateFolder()));
    // Saved without cancelling, every edit reaches the file.
    escapeAt = -1;
    Then([this] { Ctrl('S'); });
    RunAll();
    EXPECT_EQ(form->Caption(), "data.bin - zentick-hexedit");
    std::ifstream again(file, std::ios::binary);
    again.seekg(std::streamoff(47) << 20);
    EXPECT_EQ(again.get(), 0xEE);
}

TEST_F(HexEdit, SavingOverAFileThatChangedOnDiskAsksFirst) {
    Start(file.string());
    Type("X");
    app.Run();
    // Another program writes its own byte meanwhile (in place: on Windows nobody may cut
    // short a file that is mapped).
    std::string theirs = SampleBytes();
    theirs[40] = '!';
    {
        std::fstream other(file, std::ios::binary | std::ios::in | std::ios::out);
        other.seekp(40);
        other.put('!');
    }
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(3));
    Then([this] { Ctrl('S'); });
    Then([this] { Answer("No"); });
    RunAll();
    EXPECT_EQ(boxes, (std::vector<std::string>{
                         file.string() +
                         " was changed by another program since it was opened. Save over it?"}));
    EXPECT_EQ(ReadFile(file), theirs);
    EXPECT_EQ(form->Caption(), "*data.bin - zentick-hexedit");
    Then([this] { Ctrl('S'); });
    Then([this] { Answer("Yes"); });
    RunAll();
    std::string both = theirs;
    both[0] = 'X';
    EXPECT_EQ(ReadFile(file), both);
    EXPECT_EQ(form->Caption(), "data.bin - zentick-hexedit");
}

TEST_F(HexEdit, AFolderIsToldToBeOne) {
    fs::create_directory(dir / "folder");
    Start(file.string());
    Then([this] { Answer("OK"); });
    EXPECT_FALSE(form->OpenFile((dir / "folder").string()));
    RunAll();
    EXPECT_EQ(boxes, (std::vector<std::string>{(dir / "folder").string() + " is a folder."}));
    EXPECT_EQ(form->FilePath(), file.string());
}

TEST_F(HexEdit, WiderRowsWidenTheWindowAsFarAsTheScreenAllowsAndTheRestScrolls) {
    Start(file.string());
    EXPECT_FALSE(form->ScrollBar2->Visible());
    Choose(form->ChangeLog1);
    Choose(form->BytesPerLine[2]);  // 32
    RunAll();
    // A row: borders, offset and gaps of 64 pixels and 111 characters; far wider than the
    // editor beside the change log. The window takes the whole screen's width, and the
    // rest scrolls.
    const int row = 64 + 111 * Editor().CharWidth();
    EXPECT_EQ(Editor().RowWidth(), row);
    EXPECT_EQ(form->Width(), 1024);
    EXPECT_LT(Editor().ClientWidth(), row);
    EXPECT_TRUE(form->ScrollBar2->Visible());
    EXPECT_EQ(form->ScrollBar2->Max(), row - Editor().ClientWidth());
    EXPECT_EQ(form->ScrollBar2->Left(), Editor().Left());
    // The characters panel is reachable: the cursor at a line's end scrolls to it.
    Editor().MoveCursor(31);
    EXPECT_GT(Editor().LeftPixel(), 0);
    EXPECT_EQ(form->ScrollBar2->Position(), Editor().LeftPixel());
    // Without the change log the rows fit again.
    Choose(form->ChangeLog1);
    RunAll();
    EXPECT_FALSE(form->ScrollBar2->Visible());
    EXPECT_EQ(Editor().LeftPixel(), 0);
}

TEST_F(HexEdit, ANumberBeyond64BitsIsRefusedAndLatin1IsAViewOption) {
    Start(file.string());
    Find("18446744073709551616", 1);
    Then([this] { Answer("OK"); });
    RunAll();
    EXPECT_EQ(
        boxes,
        (std::vector<std::string>{"18446744073709551616 is not a number of at most 64 bits."}));
    EXPECT_FALSE(form->Latin11->Checked());
    Choose(form->Latin11);
    RunAll();
    EXPECT_TRUE(Editor().Latin1());
    EXPECT_TRUE(form->Latin11->Checked());
}

}  // namespace
