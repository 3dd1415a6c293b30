// The programs' command lines, from the outside: GNU-style help and version, and a wrong
// command line refused with status 2 before any window opens (no X server is needed).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Errors;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs program with arguments (shell words) without a display.
TRun Execute(const std::string& program, const std::string& arguments) {
    const std::string base = testing::TempDir() + "/cmdline_" + std::to_string(getpid());
    const std::string command =
        "env -u DISPLAY " + program + " " + arguments + " > " + base + ".out 2> " + base + ".err";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(base + ".out"),
            ReadAll(base + ".err")};
}

struct TProgram {
    const char* Name;
    std::string Path;
};

std::vector<TProgram> Programs() {
    std::vector<TProgram> programs;
#ifdef ZT_ZENTICK_PATH
    programs.push_back({"zentick", ZT_ZENTICK_PATH});
#endif
#ifdef ZT_HEXEDIT_PATH
    programs.push_back({"zentick-hexedit", ZT_HEXEDIT_PATH});
#endif
    return programs;
}

TEST(CommandLine, HelpAndVersionInTheGnuStyle) {
    for (const TProgram& program : Programs()) {
        for (const char* option : {"--version", "-V"}) {
            const TRun run = Execute(program.Path, option);
            EXPECT_EQ(run.Status, 0) << program.Name << " " << option;
            EXPECT_EQ(run.Out.rfind(std::string(program.Name) + " 2.", 0), 0u) << run.Out;
            EXPECT_NE(run.Out.find("\nCopyright (c) 2026 The zentick developers\nLicence: MIT"),
                      std::string::npos)
                << run.Out;
        }
        for (const char* option : {"--help", "-h"}) {
            const TRun run = Execute(program.Path, option);
            EXPECT_EQ(run.Status, 0) << program.Name << " " << option;
            EXPECT_EQ(run.Out.rfind(std::string("Usage: ") + program.Name + " [OPTION]...", 0), 0u)
                << run.Out;
            EXPECT_NE(run.Out.find("  -V, --version  "), std::string::npos) << run.Out;
        }
    }
}

TEST(CommandLine, TheHexEditorRefusesWhatItDoesNotKnow) {
#ifdef ZT_HEXEDIT_PATH
    for (const char* arguments : {"--bogus", "file.bin --bogus=1", "-q file.bin"}) {
        const TRun run = Execute(ZT_HEXEDIT_PATH, arguments);
        EXPECT_EQ(run.Status, 2) << arguments;
        EXPECT_EQ(run.Out, "") << arguments;
        EXPECT_EQ(run.Errors.rfind("zentick-hexedit: unknown option '-", 0), 0u) << run.Errors;
        EXPECT_NE(run.Errors.find("\nTry 'zentick-hexedit --help' for more information.\n"),
                  std::string::npos)
            << run.Errors;
    }
    // Its own name on its other messages too.
    const TRun run = Execute(ZT_HEXEDIT_PATH, "file.bin");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Errors, "zentick-hexedit: cannot open the display\n");
#else
    GTEST_SKIP() << "zentick-hexedit is not built";
#endif
}

TEST(CommandLine, TheClockIgnoresWhatItDoesNotKnow) {
#ifdef ZT_ZENTICK_PATH
    // The log-on entry's "-autominimize" and anything else: the clock goes on to open
    // its display (there is none here), and still reads its own options.
    for (const char* arguments : {"-autominimize", "--bogus=1 extra"}) {
        const TRun run = Execute(ZT_ZENTICK_PATH, arguments);
        EXPECT_EQ(run.Status, 1) << arguments;
        EXPECT_EQ(run.Errors, "zentick: cannot open the display\n") << arguments;
    }
    const TRun run = Execute(ZT_ZENTICK_PATH, "-autominimize --bogus -V");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out.rfind("zentick 2.", 0), 0u) << run.Out;
#endif
}

}  // namespace
