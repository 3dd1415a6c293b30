#include "platform/os/posix/autostart.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/os/cmdline.h"
#include "platform/os/posix/desktopentry.h"
#include "platform/os/posix/report.h"
#include "tests/support/tempconfighome.h"
#include "tests/support/testchild.h"

namespace {
using Args = std::vector<std::string>;

TEST(CommandLine, SplitsByTheRuntimeRules) {
    const struct {
        const char* Line;
        Args Expected;
    } cases[] = {
        {"\"C:\\Program Files\\x.exe\" -a", {"C:\\Program Files\\x.exe", "-a"}},
        {"  a \t b  ", {"a", "b"}},
        {"a\\b c\\\\d", {"a\\b", "c\\\\d"}},
        {"a\\\"b", {"a\"b"}},
        {"a\\\\\"b c\"", {"a\\b c"}},
        {"\"a\\\\\" b", {"a\\", "b"}},
        {"\"\" x", {"", "x"}},
        {"\"a\"\"b\"", {"a\"b"}},
        {"\"open to the end", {"open to the end"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitCommandLine(c.Line), c.Expected) << c.Line;
}

TEST(CommandLine, JoinedArgumentsSplitBackUnchanged) {
    const Args args = {"/usr/bin/zentick", "",          "two words",
                       "quote\"inside",    "trail\\",   "trail\\\\",
                       "\\\"mixed\\\\\"",  "tab\there", "-autominimize"};
    EXPECT_EQ(SplitCommandLine(JoinCommandLine(args)), args);
    for (const std::string& arg : args) {
        EXPECT_EQ(SplitCommandLine(QuoteArgument(arg)), Args{arg}) << arg;
        EXPECT_EQ(SplitCommandLine("\"" + EscapeInQuotes(arg) + "\""), Args{arg}) << arg;
    }
    EXPECT_EQ(EscapeInQuotes("/opt/my clock/zentick"), "/opt/my clock/zentick");
}

// The Exec value read strictly as the desktop entry rules say, independently of the
// reader in desktopentry.cpp: string escapes first, then arguments separated by single
// spaces and either free of reserved characters or quoted whole with ", `, $ and the
// backslash escaped, then %% as the only field code.
std::optional<Args> ReferenceExecParse(const std::string& value) {
    std::string line;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            line += value[i];
            continue;
        }
        if (++i == value.size()) return std::nullopt;
        const std::string from = "sntr\\", to = " \n\t\r\\";
        if (from.find(value[i]) == std::string::npos) return std::nullopt;
        line += to[from.find(value[i])];
    }
    const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    Args args;
    size_t i = 0;
    while (i < line.size()) {
        std::string arg;
        if (line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\') {
                    if (++i == line.size() ||
                        std::string("\"`$\\").find(line[i]) == std::string::npos) {
                        return std::nullopt;
                    }
                }
                arg += line[i];
            }
            if (i == line.size()) return std::nullopt;
            ++i;
        } else {
            for (; i < line.size() && line[i] != ' '; ++i) {
                if (reserved.find(line[i]) != std::string::npos) return std::nullopt;
                arg += line[i];
            }
        }
        if (i < line.size() && line[i++] != ' ') return std::nullopt;
        std::string expanded;
        for (size_t k = 0; k < arg.size(); ++k) {
            if (arg[k] == '%' && (k + 1 == arg.size() || arg[++k] != '%')) return std::nullopt;
            expanded += arg[k];
        }
        args.push_back(expanded);
    }
    return args;
}

// What a POSIX shell makes of the Exec line (after the string escapes and %%), which is
// how shell-based launchers read it. Arguments come back separated by NULs.
Args ShellArguments(const std::string& value) {
    std::string line = UnescapeDesktopValue(value);
    std::string unpercent;
    for (size_t i = 0; i < line.size(); ++i) {
        unpercent += line[i];
        if (line[i] == '%' && i + 1 < line.size() && line[i + 1] == '%') ++i;
    }
    FILE* shell = popen(("printf '%s\\0' " + unpercent).c_str(), "r");
    std::string output;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, shell)) > 0)
        output.append(chunk, got);
    pclose(shell);
    Args args;
    std::istringstream in(output);
    for (std::string arg; std::getline(in, arg, '\0');)
        args.push_back(arg);
    return args;
}

class AutostartTest : public ::testing::Test {
protected:
    std::string EntryText(const std::string& file = "QVZentick.desktop") {
        std::ifstream in(home_.AutostartDir() + "/" + file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TTempConfigHome home_;
};

TEST_F(AutostartTest, ProgramPathsWithSpecialCharactersStartTheSameProgram) {
    const std::string injected = home_.Root() + "/INJECTED";
    const std::string paths[] = {
        "/opt/my clock/zentick",
        "/home/u/\"quoted\" dir/zentick",
        "/home/u/$HOME/$(touch " + injected + ")/zentick",
        "/home/u/`touch " + injected + "`/zentick",
        "/home/u/back\\slash\\/zentick",
        "/home/u/ends in backslash\\",
        "/home/u/100% sure/%f/%%/%U/zentick",
        "/home/u/'single' ; rm -rf ~ & | > < * ? # ( ) ~ [a]/zentick",
        "/home/u/tab\there/new\nline/ zentick ",
        "/home/u/\xC3\xBC"
        "n\xC3\xAF"
        "c\xC3\xB6"
        "de/zentick",
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const std::string command = "\"" + EscapeInQuotes(path) + "\" -autominimize";
        ASSERT_EQ(WriteRunValue("QVZentick", command), ERROR_SUCCESS);

        const std::string text = EntryText();
        const auto keys = ReadDesktopEntry(text);
        EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
        EXPECT_EQ(keys.at("Type"), "Application");
        EXPECT_EQ(keys.at("Name"), "Tarvo's Binary Clock");
        const std::string exec = keys.at("Exec");
        EXPECT_EQ(ReferenceExecParse(exec), (Args{path, "-autominimize"})) << exec;
        EXPECT_EQ(ShellArguments(exec), (Args{path, "-autominimize"})) << exec;
        EXPECT_EQ(ParseExecValue(exec), (Args{path, "-autominimize"})) << exec;

        std::string back;
        ASSERT_EQ(ReadRunValue("QVZentick", back), ERROR_SUCCESS);
        EXPECT_EQ(back, command);
    }
    EXPECT_FALSE(std::filesystem::exists(injected));
    // Each write replaced the one entry.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home_.AutostartDir()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(AutostartTest, AnEditedExecLineIsWhatIsReadBack) {
    ASSERT_EQ(WriteRunValue("QVZentick", "\"/usr/bin/zentick\" -autominimize"), ERROR_SUCCESS);
    std::string text = EntryText();
    text.replace(text.find("Exec="), text.find('\n', text.find("Exec=")) - text.find("Exec="),
                 "Exec=\"/usr/local/bin/my clock\" --flag %U");
    std::ofstream(home_.AutostartDir() + "/QVZentick.desktop") << text;
    std::string back;
    ASSERT_EQ(ReadRunValue("qvzentick", back), ERROR_SUCCESS);
    EXPECT_EQ(back, "\"/usr/local/bin/my clock\" --flag");
}

TEST_F(AutostartTest, NamesMatchWithoutCaseAndUnusableOnesAreRefused) {
    ASSERT_EQ(WriteRunValue("QVZentick", "a"), ERROR_SUCCESS);
    ASSERT_EQ(WriteRunValue("qvzentick", "b"), ERROR_SUCCESS);
    std::string back;
    EXPECT_EQ(ReadRunValue("QVZENTICK", back), ERROR_SUCCESS);
    EXPECT_EQ(back, "b");
    EXPECT_TRUE(std::filesystem::exists(home_.AutostartDir() + "/QVZentick.desktop"));
    EXPECT_FALSE(std::filesystem::exists(home_.AutostartDir() + "/qvzentick.desktop"));

    for (const char* name : {"", ".", "..", "../escape", "a/b", "two\nlines"}) {
        EXPECT_EQ(WriteRunValue(name, "a"), ERROR_INVALID_PARAMETER) << name;
        EXPECT_EQ(ReadRunValue(name, back), ERROR_FILE_NOT_FOUND) << name;
    }
    EXPECT_EQ(WriteRunValue("x", ""), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(WriteRunValue("x", "\"\" -autominimize"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(DeleteRunValue("QVZENTICK"), ERROR_SUCCESS);
    EXPECT_EQ(DeleteRunValue("QVZentick"), ERROR_FILE_NOT_FOUND);
}

TEST_F(AutostartTest, AnEntryThatIsAFifoNeverBlocksAndIsLeftAlone) {
    std::filesystem::create_directories(home_.AutostartDir());
    const std::string entry = home_.AutostartDir() + "/QVZentick.desktop";
    ASSERT_EQ(mkfifo(entry.c_str(), 0600), 0);
    const auto outcome = ztest::RunInChild([&] {
        std::string back;
        EXPECT_NE(ReadRunValue("QVZentick", back), ERROR_SUCCESS);
        EXPECT_NE(WriteRunValue("QVZentick", "\"/usr/bin/zentick\" -autominimize"), ERROR_SUCCESS);
        EXPECT_NE(DeleteRunValue("QVZentick"), ERROR_SUCCESS);
    });
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    EXPECT_TRUE(std::filesystem::is_fifo(entry));
}

TEST_F(AutostartTest, APathThatIsNotUtf8IsRefusedAndTheEntryKept) {
    std::vector<std::string> lines;
    SetProblemSink([&](const std::string& line) { lines.push_back(line); });
    ASSERT_EQ(WriteRunValue("QVZentick", "\"/opt/zeit \xC3\xBC/zentick\" -autominimize"),
              ERROR_SUCCESS);
    const std::string kept = EntryText();
    // Latin-1 bytes, as a path from another system may hold: no desktop would start it.
    EXPECT_EQ(WriteRunValue("QVZentick", "\"/opt/zeit \xFC/zentick\" -autominimize"),
              ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(EntryText(), kept);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "zentick: cannot write the entry that starts the clock at log-on, " +
                         home_.AutostartDir() +
                         "/QVZentick.desktop: the command line \"\"/opt/zeit \\xfc/zentick\" "
                         "-autominimize\" is not UTF-8 text, which a desktop entry must be; the "
                         "entry is left as it was"}));
    EXPECT_EQ(WriteRunValue("QVZentick", "\"/opt/zeit \xFC/zentick\" -autominimize"),
              ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(lines.size(), 1u) << "the same problem is told once";
    // None is made where there was none.
    EXPECT_EQ(WriteRunValue("Other", "\"/opt/\xFF\" -autominimize"), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_FALSE(std::filesystem::exists(home_.AutostartDir() + "/Other.desktop"));
    SetProblemSink(nullptr);
}

TEST_F(AutostartTest, TheEntryIsOneThatDesktopsAccept) {
    ASSERT_EQ(WriteRunValue("QVZentick", "\"/opt/zeit \xC3\xBC \\ $x/zentick\" -autominimize"),
              ERROR_SUCCESS);
    const std::string command =
        "desktop-file-validate '" + home_.AutostartDir() + "/QVZentick.desktop' 2>&1";
    FILE* validate = popen(command.c_str(), "r");
    ASSERT_NE(validate, nullptr);
    std::string output;
    char chunk[1024];
    for (size_t got; (got = fread(chunk, 1, sizeof chunk, validate)) > 0;)
        output.append(chunk, got);
    const int status = pclose(validate);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 127) << "desktop-file-validate is not installed";
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_EQ(output.find("error"), std::string::npos) << output;
}

TEST(DesktopEntry, Utf8IsCheckedAndShown) {
    const struct {
        std::string Text;
        bool Valid;
        std::string Shown;
    } cases[] = {
        {"plain /opt/x", true, "plain /opt/x"},
        {"zeit \xC3\xBC \xF0\x9F\x95\x90", true, "zeit \xC3\xBC \xF0\x9F\x95\x90"},
        {"latin \xFC", false, "latin \\xfc"},
        {"cut \xC3", false, "cut \\xc3"},
        {"overlong \xC0\xAF", false, "overlong \\xc0\\xaf"},
        {"surrogate \xED\xA0\x80", false, "surrogate \\xed\\xa0\\x80"},
        {"stray \x80 and \xC3\xBC", false, "stray \\x80 and \xC3\xBC"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidUtf8(c.Text), c.Valid) << c.Text;
        EXPECT_EQ(ShowUtf8(c.Text), c.Shown);
    }
}

TEST(DesktopEntry, ValuesKeepEveryCharacter) {
    for (std::string value :
         {"  both ends  ", "a\\b\\\\c", "line\nbreak\ttab\rcr", "\\s literal"}) {
        const std::string escaped = EscapeDesktopValue(value);
        EXPECT_EQ(escaped.find_first_of("\n\t\r"), std::string::npos);
        EXPECT_NE(escaped.front(), ' ');
        EXPECT_NE(escaped.back(), ' ');
        EXPECT_EQ(UnescapeDesktopValue(escaped), value);
    }
}

TEST(DesktopEntry, ReadsOnlyTheDesktopEntryGroup) {
    auto keys = ReadDesktopEntry(
        "# comment\n[Other]\nExec=wrong\n[Desktop Entry]\nExec = right \nExec=second\n"
        "[Desktop Action x]\nName=no\n");
    EXPECT_EQ(keys.at("Exec"), "right");
    EXPECT_EQ(keys.count("Name"), 0u);
}
}  // namespace
