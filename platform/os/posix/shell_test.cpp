#include "platform/os/shell.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/tempconfighome.h"

namespace {
// Started as the opener with ZT_SHELL_FD_HELPER set, this test program prints the
// descriptors it inherited beyond the standard three ("fd:N" lines, on standard error,
// which the tests read) and ends before anything else of it runs.
const bool gFdHelperRun = [] {
    if (std::getenv("ZT_SHELL_FD_HELPER") == nullptr) return false;
    std::string report;
    if (DIR* listing = opendir("/proc/self/fd")) {
        while (dirent* entry = readdir(listing)) {
            const int fd = std::atoi(entry->d_name);
            if (entry->d_name[0] != '.' && fd > 2 && fd != dirfd(listing))
                report += "fd:" + std::to_string(fd) + "\n";
        }
        closedir(listing);
    } else {
        report = "no /proc\n";
    }
    ssize_t ignored = write(2, report.data(), report.size());
    (void)ignored;
    _exit(0);
}();

int CloseRangeMissing(unsigned, unsigned, int) {
    errno = ENOSYS;
    return -1;
}

int CloseRangeWithoutCloexec(unsigned, unsigned, int) {
    errno = EINVAL;
    return -1;
}

// Runs ShellExecuteA with a fake opener that prints its arguments and its folder to
// standard error, which is a pipe for the call. Reading the pipe to its end waits exactly
// until the opener has finished.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        opener_ = home_.Root() + "/fake opener";
        std::ofstream(opener_) << "#!/bin/sh\nfor a in \"$@\"; do echo \"arg:$a\" >&2; done\n"
                                  "echo \"dir:$(pwd)\" >&2\n";
        chmod(opener_.c_str(), 0755);
        SetShellOpenCommand(opener_);
    }
    void TearDown() override { SetShellOpenCommand(""); }

    // The result code and what the opener printed.
    std::pair<intptr_t, std::string> Open(const char* verb, const char* file, const char* dir) {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        const int savedError = dup(2);
        dup2(fds[1], 2);
        close(fds[1]);
        HINSTANCE result = ShellExecuteA(nullptr, verb, file, nullptr, dir, 1);
        dup2(savedError, 2);
        close(savedError);
        std::string output;
        char chunk[256];
        ssize_t got;
        while ((got = read(fds[0], chunk, sizeof chunk)) > 0)
            output.append(chunk, got);
        close(fds[0]);
        return {reinterpret_cast<intptr_t>(result), output};
    }

    TTempConfigHome home_;
    std::string opener_;
};

TEST_F(ShellTest, OpensAnExistingFileByItsFullPathWithoutWaiting) {
    const std::string doc = home_.Root() + "/my manual $(x).html";
    std::ofstream(doc) << "x";
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(home_.Root());
    auto [result, output] = Open("open", "my manual $(x).html", nullptr);
    std::filesystem::current_path(old);
    EXPECT_GT(result, 32);
    EXPECT_EQ(output, "arg:" + doc + "\ndir:" + home_.Root() + "\n");
    // The opener is not the caller's child: nothing is left to reap.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(ShellTest, UrlsPassAsTheyAreAndTheFolderIsTheOpenersOwn) {
    std::filesystem::create_directories(home_.Root() + "/work");
    auto [result, output] =
        Open(nullptr, "https://example.org/a?b=c&d", (home_.Root() + "/work").c_str());
    EXPECT_GT(result, 32);
    EXPECT_EQ(output, "arg:https://example.org/a?b=c&d\ndir:" + home_.Root() + "/work\n");
}

// No descriptor of the caller reaches the opener, whether the kernel has close_range, has
// it without its CLOEXEC flag (5.9 and 5.10) or lacks it (before 5.9). The caller holds
// descriptors without close-on-exec, as the X connection is.
TEST_F(ShellTest, TheOpenerInheritsNoDescriptorOfTheCallers) {
    const struct {
        const char* Kernel;
        TCloseRangeCall Call;
    } cases[] = {
        {"with close_range", nullptr},
        {"without CLOSE_RANGE_CLOEXEC", CloseRangeWithoutCloexec},
        {"without close_range", CloseRangeMissing},
    };
    const int inherited = open("/dev/null", O_RDONLY);  // no O_CLOEXEC
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);  // no O_CLOEXEC either
    ASSERT_GE(inherited, 0);
    SetShellOpenCommand(std::filesystem::read_symlink("/proc/self/exe").string());
    setenv("ZT_SHELL_FD_HELPER", "1", 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Kernel);
        SetCloseRangeCall(c.Call);
        auto [result, output] = Open("open", opener_.c_str(), nullptr);
        EXPECT_GT(result, 32);
        EXPECT_EQ(output, "");
    }
    SetCloseRangeCall(nullptr);
    unsetenv("ZT_SHELL_FD_HELPER");
    close(inherited);
    close(pipeFds[0]);
    close(pipeFds[1]);
}

TEST_F(ShellTest, FailuresGiveTheSystemsCodesAndStartNothing) {
    EXPECT_EQ(Open("open", (home_.Root() + "/missing.html").c_str(), nullptr),
              std::make_pair(intptr_t{SE_ERR_FNF}, std::string()));
    EXPECT_EQ(Open("open", "", nullptr).first, SE_ERR_FNF);
    EXPECT_EQ(Open("print", opener_.c_str(), nullptr).first, SE_ERR_NOASSOC);
    SetShellOpenCommand(home_.Root() + "/no such opener");
    EXPECT_EQ(Open("open", opener_.c_str(), nullptr).first, SE_ERR_FNF);
    SetShellOpenCommand(opener_);
    EXPECT_EQ(Open("open", opener_.c_str(), (home_.Root() + "/no dir").c_str()).first, SE_ERR_FNF);
}
}  // namespace
