// The hex editor's window where only POSIX systems can check it: ended by a signal with
// unsaved changes, a file cut short by another process while open, FIFOs.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "hexedit/endsignals.h"
#include "tests/support/fhexedit_testing.h"
#include "tests/support/testchild.h"

namespace {

using namespace hexedit_testing;

TEST_F(HexEdit, SigtermKeepsUnsavedChangesThatTheNextOpenOffersToRestore) {
    // The first session, in a process of its own: edits, then SIGTERM.
    auto first = ztest::RunInChild([&] {
        Start(file.string());
        Type("XY");
        app.Run();
        int status = -1;
        InstallEndSignals([&](int signal) {
            EXPECT_EQ(signal, SIGTERM);
            status = form->EndNow("ended by a signal");
        });
        ::testing::internal::CaptureStderr();
        ::kill(::getpid(), SIGTERM);
        app.Run();
        const std::string said = ::testing::internal::GetCapturedStderr();
        RemoveEndSignals();
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(Application->Terminated());
        const std::string recovery =
            Editor().Document().RecoveryPathFor(Editor().Document().FilePath());
        EXPECT_TRUE(fs::exists(recovery));
        EXPECT_EQ(said, "zentick-hexedit: ended by a signal; the unsaved changes to " +
                            file.string() + " are kept in " + recovery +
                            " and offered when it is opened again\n");
    });
    ASSERT_TRUE(first.Passed) << first.Describe();
    EXPECT_EQ(ReadFile(file), SampleBytes());  // nothing was saved

    // The next session offers them; Yes puts them back, unsaved.
    Then([this] { Answer("Yes"); });
    Start(file.string());
    RunAll();
    EXPECT_EQ(boxes, (std::vector<std::string>{"data.bin has unsaved changes from a session that "
                                               "ended before they were saved. Restore them?"}));
    std::string edited = SampleBytes();
    edited.replace(0, 2, "XY");
    EXPECT_EQ(Shown(), edited);
    EXPECT_EQ(form->Caption(), "*data.bin - zentick-hexedit");
    EXPECT_EQ(form->Undo1->Caption(), "Undo 00000001: 65 --> 59");
    EXPECT_TRUE(fs::is_empty(StateFolder()));
    // Undone back to the file's bytes, the editor is clean.
    Ctrl('Z');
    Ctrl('Z');
    app.Run();
    EXPECT_EQ(form->Caption(), "data.bin - zentick-hexedit");
}

TEST_F(HexEdit, KeptChangesOfAFileThatChangedSinceAreNotOffered) {
    auto first = ztest::RunInChild([&] {
        Start(file.string());
        Type("XY");
        app.Run();
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(form->EndNow("ended by a signal"), 1);
        ::testing::internal::GetCapturedStderr();
    });
    ASSERT_TRUE(first.Passed) << first.Describe();
    WriteFile(file, "another version");
    Start(file.string());
    RunAll();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Shown(), "another version");
    EXPECT_FALSE(Editor().Dirty());
    // Clean, the editor keeps nothing and says only why it ends.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(form->EndNow("ended by a signal", false), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "zentick-hexedit: ended by a signal\n");
}

TEST_F(HexEdit, AFileCutShortByAnotherProcessIsToldOnceAndTheChangesStay) {
    const long page = sysconf(_SC_PAGESIZE);
    WriteFile(file, std::string(size_t(page) * 4, 'x'));
    Start(file.string());
    Type("E");
    app.Run();
    auto cut = ztest::RunInChild([&] { ASSERT_EQ(::truncate(file.c_str(), 100), 0); });
    ASSERT_TRUE(cut.Passed);
    // End shows the last rows: past the file's new end. Without the guard the program
    // would end there with SIGBUS.
    screen.PressKey(VK_END);
    Then([this] { Answer("OK"); }, 200);
    RunAll();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0],
              "data.bin was cut short by another program while open: the bytes past "
              "its new end show as zeros. Your changes are kept; Save As keeps them in "
              "another file.");
    EXPECT_EQ(Editor().CursorOffset(), page * 4 - 1);
    EXPECT_EQ(Editor().GetByte(page * 4 - 1), 0);
    EXPECT_EQ(Editor().GetByte(0), 'E');
    EXPECT_EQ(Editor().GetByte(50), 'x');
    EXPECT_TRUE(Editor().Dirty());
    // Told once only.
    app.Run(1000);
    EXPECT_EQ(boxes.size(), 1u);
    // Saving over it asks first, and then writes what the editor shows.
    Then([this] { Ctrl('S'); });
    Then([this] { Answer("Yes"); });
    RunAll();
    std::string shown = "E" + std::string(99, 'x') + std::string(size_t(page) * 4 - 100, '\0');
    EXPECT_TRUE(ReadFile(file) == shown);
    EXPECT_EQ(form->Caption(), "data.bin - zentick-hexedit");
}

TEST_F(HexEdit, ASaveThatFailsKeepsTheWindowAndTheChanges) {
    Start(file.string());
    Type("X");
    app.Run();
    fs::remove_all(dir);  // nowhere to write to now (Windows keeps an open file's folder)
    Then([this] { Ctrl('Q'); });
    Then([this] { Answer("Yes"); });
    Then([this] { Answer("OK"); });
    RunAll();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], "Cannot save " + file.string() + ": No such file.");
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(Editor().Dirty());
    EXPECT_EQ(form->Caption(), "*data.bin - zentick-hexedit");
}

TEST_F(HexEdit, AFifoIsToldToBeNoRegularFileWithoutWaitingForAWriter) {
    fs::path fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Then([this] { Answer("OK"); });
    Start(fifo.string());
    RunAll();
    EXPECT_EQ(boxes, (std::vector<std::string>{fifo.string() + " is not a regular file."}));
    EXPECT_EQ(Editor().Message(), "Start by using the File menu to open a file");
}

}  // namespace
