// zentick-hexedit under Xvfb and openbox, driven with xdotool as a user would: open a file
// given on the command line, type into it, save with Ctrl+S, undo, save, redo, save again
// and quit with Ctrl+Q.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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
    std::string InstanceName() const override { return "zentick-hexedit"; }
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
    ASSERT_TRUE(WaitFor([&] { return FindTitled("Find") != 0; })) << "no Find dialog of the hex editor";
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

}  // namespace
