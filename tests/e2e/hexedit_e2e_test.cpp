// zentick-hexedit under Xvfb and openbox, driven with xdotool as a user would: open a file
// given on the command line, type into it, save with Ctrl+S, undo, save, redo, save again
// and quit with Ctrl+Q; open a 4 GiB file, go to its end, change its last byte and save
// it in place; end it with SIGTERM and find the unsaved edits offered again.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/x11_program.h"

namespace {

using ztest::WaitFor;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class HexEditProgram : public ztest::TProgramFixture {
protected:
    fs::path dir;
    fs::path file;

    std::string ProgramPath() const override {
#ifdef ZT_HEXEDIT_PATH
        return ZT_HEXEDIT_PATH;
#else
        return {};
#endif
    }
    std::string InstanceName() const override {
        return "zentick-hexedit";
    }
    bool IsMainTitle(const std::string& title) const override {
        const std::string suffix = " - zentick-hexedit";
        return title.size() > suffix.size() &&
               title.compare(title.size() - suffix.size(), suffix.size(), suffix) == 0;
    }

    void SetUp() override {
        if (ProgramPath().empty()) GTEST_SKIP() << "zentick-hexedit is not built";
        ztest::TProgramFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::string pattern = (fs::temp_directory_path() / "zt-hexedit-e2e-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        file = dir / "sample.bin";
        std::ofstream(file, std::ios::binary) << "0123456789abcdef";
    }
    void TearDown() override {
        ztest::TProgramFixture::TearDown();
        std::error_code ignored;
        if (!dir.empty()) fs::remove_all(dir, ignored);
    }

    // Waits for the program to end; its exit status, or -1 when it did not end in time.
    int ExitStatus() {
        int status = 0;
        if (!WaitFor([&] { return waitpid(clock.Pid(), &status, WNOHANG) == clock.Pid(); }))
            return -1;
        clock = ztest::TChildProcess();  // reaped already
        return status;
    }
};

TEST_F(HexEditProgram, TypedUndoneAndRedoneBytesAreSavedAndCtrlQEnds) {
    Start({}, {file.string(), "ignored-argument"});
    Window w = Find();
    ASSERT_NE(w, 0u);
    // The window shows first; the file named on the command line opens just after.
    EXPECT_TRUE(WaitFor([&] { return Title(w) == "sample.bin - zentick-hexedit"; })) << Title(w);
    ASSERT_TRUE(WaitFor([&] { return FocusWindow() == w; })) << "the editor's window has no focus";
    // Its windows are its own on the desktop (WM_CLASS "zentick-hexedit", "Zentick-hexedit",
    // as Find looks for them), the main window with its own icon in every size, and so are
    // its dialogs.
    EXPECT_EQ(IconSizes(w), (std::vector<std::string>{"16x16", "32x32", "48x48", "64x64"}));
    Xdotool("key --delay 50 ctrl+f");
    ASSERT_TRUE(WaitFor([&] { return FindTitled("Find") != 0; }))
        << "no Find dialog of the hex editor";
    Xdotool("key --delay 50 Escape");
    ASSERT_TRUE(WaitFor([&] { return FindTitled("Find") == 0 && FocusWindow() == w; }));
    // The cursor starts on the first byte, in the characters panel.
    Xdotool("type --delay 50 XY");
    EXPECT_TRUE(WaitFor([&] { return Title(w) == "*sample.bin - zentick-hexedit"; })) << Title(w);
    Xdotool("key --delay 50 ctrl+s");
    EXPECT_TRUE(WaitFor([&] { return ReadFile(file) == "XY23456789abcdef"; })) << ReadFile(file);
    EXPECT_TRUE(WaitFor([&] { return Title(w) == "sample.bin - zentick-hexedit"; })) << Title(w);
    // Each typed character is one change: an undo after the save takes back the "Y" and is
    // itself an unsaved change; the redo puts it back.
    Xdotool("key --delay 50 ctrl+z");
    EXPECT_TRUE(WaitFor([&] { return Title(w) == "*sample.bin - zentick-hexedit"; })) << Title(w);
    Xdotool("key --delay 50 ctrl+s");
    EXPECT_TRUE(WaitFor([&] { return ReadFile(file) == "X123456789abcdef"; })) << ReadFile(file);
    Xdotool("key --delay 50 ctrl+y");
    EXPECT_TRUE(WaitFor([&] { return Title(w) == "*sample.bin - zentick-hexedit"; })) << Title(w);
    Xdotool("key --delay 50 ctrl+s");
    EXPECT_TRUE(WaitFor([&] { return ReadFile(file) == "XY23456789abcdef"; })) << ReadFile(file);
    EXPECT_TRUE(WaitFor([&] { return Title(w) == "sample.bin - zentick-hexedit"; })) << Title(w);
    // Everything is saved: Ctrl+Q ends the program without asking.
    Xdotool("key --delay 50 ctrl+q");
    int status = ExitStatus();
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Reads length bytes at offset of a file.
std::string ReadAt(const fs::path& path, std::streamoff offset, size_t length) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(offset);
    std::string bytes(length, '\0');
    in.read(bytes.data(), std::streamsize(length));
    bytes.resize(size_t(in.gcount()));
    return bytes;
}

TEST_F(HexEditProgram, TheLastByteOfA4GiBFileIsSavedInPlaceAndNothingElseChanges) {
    const fs::path big = dir / "big.bin";
    const std::streamoff size = std::streamoff(4) << 30;
    std::ofstream(big, std::ios::binary) << "start";
    fs::resize_file(big, uintmax_t(size));  // sparse: no disk used
    struct stat before {};
    ASSERT_EQ(stat(big.c_str(), &before), 0);
    Start({}, {big.string()});
    Window w = Find();
    ASSERT_NE(w, 0u);
    ASSERT_TRUE(WaitFor([&] { return Title(w) == "big.bin - zentick-hexedit"; })) << Title(w);
    ASSERT_TRUE(WaitFor([&] { return FocusWindow() == w; })) << "the editor's window has no focus";
    // End, then the character Q over the last byte (the characters panel has the cursor).
    Xdotool("key --delay 50 End");
    Xdotool("type --delay 50 Q");
    EXPECT_TRUE(WaitFor([&] { return Title(w) == "*big.bin - zentick-hexedit"; })) << Title(w);
    Xdotool("key --delay 50 ctrl+s");
    ASSERT_TRUE(WaitFor([&] { return Title(w) == "big.bin - zentick-hexedit"; })) << Title(w);
    struct stat after {};
    ASSERT_EQ(stat(big.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_size, before.st_size);
    // The file's data (what is not a hole) is its first block and its last: both hold
    // exactly what they should, so every other byte is still a zero of a hole.
    int fd = open(big.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    std::vector<std::pair<off_t, off_t>> data;
    for (off_t at = lseek(fd, 0, SEEK_DATA); at >= 0; at = lseek(fd, at, SEEK_DATA)) {
        off_t end = lseek(fd, at, SEEK_HOLE);
        data.emplace_back(at, end);
        at = end;
    }
    close(fd);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(data[0].first, 0);
    EXPECT_EQ(data[1].second, size);
    std::string first = ReadAt(big, 0, size_t(data[0].second));
    std::string last = ReadAt(big, data[1].first, size_t(size - data[1].first));
    EXPECT_TRUE(first == "start" + std::string(first.size() - 5, '\0'));
    EXPECT_TRUE(last == std::string(last.size() - 1, '\0') + "Q");
    Xdotool("key --delay 50 ctrl+q");
    int status = ExitStatus();
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(HexEditProgram, SigtermKeepsTheUnsavedEditsAndTheNextStartOffersThem) {
    Start({}, {file.string()});
    Window w = Find();
    ASSERT_NE(w, 0u);
    ASSERT_TRUE(WaitFor([&] { return Title(w) == "sample.bin - zentick-hexedit"; })) << Title(w);
    ASSERT_TRUE(WaitFor([&] { return FocusWindow() == w; })) << "the editor's window has no focus";
    Xdotool("type --delay 50 ZZ");
    ASSERT_TRUE(WaitFor([&] { return Title(w) == "*sample.bin - zentick-hexedit"; }));
    kill(clock.Pid(), SIGTERM);
    int status = ExitStatus();
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(ReadFile(file), "0123456789abcdef");
    // Started again: the question, answered with Return (Yes), brings the edits back.
    Start({}, {file.string()});
    ASSERT_TRUE(WaitFor([&] { return FindTitled("zentick-hexedit") != 0; }))
        << "no question about the kept changes";
    Xdotool("key --delay 100 Return");
    w = Find();
    ASSERT_TRUE(WaitFor([&] { return Title(w) == "*sample.bin - zentick-hexedit"; })) << Title(w);
    Xdotool("key --delay 50 ctrl+s");
    EXPECT_TRUE(WaitFor([&] { return ReadFile(file) == "ZZ23456789abcdef"; })) << ReadFile(file);
}

TEST_F(HexEditProgram, UnsavedEditsAreKeptWhenTheXServerGoesAway) {
    Start({}, {file.string()});
    Window w = Find();
    ASSERT_NE(w, 0u);
    ASSERT_TRUE(WaitFor([&] { return Title(w) == "sample.bin - zentick-hexedit"; })) << Title(w);
    ASSERT_TRUE(WaitFor([&] { return FocusWindow() == w; })) << "the editor's window has no focus";
    Xdotool("type --delay 50 W");
    ASSERT_TRUE(WaitFor([&] { return Title(w) == "*sample.bin - zentick-hexedit"; }));
    // The test's own connection goes first, then the server.
    XCloseDisplay(display);
    display = nullptr;
    x->StopServer();
    int status = ExitStatus();
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::vector<fs::path> kept;
    for (const auto& e : fs::directory_iterator(fs::path(home.StateHome()) / "zentick-hexedit"))
        kept.push_back(e.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].extension(), ".recovery");
    EXPECT_EQ(ReadFile(file), "0123456789abcdef");
}

}  // namespace
