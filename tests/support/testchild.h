// Running part of a GoogleTest test in a child process, for tests of file handling.
//
// RunInChild(body, options) forks; the child runs body and ends with code 0 when body has
// recorded no failure and 1 otherwise (its failures are printed as usual). The parent
// waits for the child and returns what became of it.
//
// - Timeout: the child is ended by an alarm after options.TimeoutSeconds, so a call that
//   blocks (opening a FIFO that has no writer, reading a terminal) shows as a failure of
//   the test instead of a test run that never ends. A child that does not block is never
//   waited on beyond its own run.
// - Without privileges: with options.DropPrivileges the child first gives up every
//   capability (effective, permitted and inheritable), so file permission bits bind it as
//   they bind an ordinary user, even when the tests run as root (as they do in CI). As an
//   ordinary user this changes nothing.
// - As another user: with options.User set, a child of a test run as root becomes that
//   user first (its group, or options.Group, and the supplementary options.Groups), so
//   that files root owns are another user's to it; GiveTo hands it the files it is to own.
//   A test run as an ordinary user cannot, and the option is then ignored: such a test
//   makes its "other user's" files unreadable by mode instead, or skips when only another
//   owner will do (CI runs as root).
//
// Objects of the test are copied into the child; the child ends with _exit, so none of
// their destructors runs there (the parent's copies clean up as usual).
#pragma once

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <grp.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ztest {

// The unprivileged user (nobody) that tests run as root switch to.
constexpr uid_t kOtherUser = 65534;

// Whether the tests run as root, and so can act as another user.
inline bool RunningAsRoot() {
    return geteuid() == 0;
}

// Makes user the owner of path and everything below it (only root can).
inline void GiveTo(const std::string& path, uid_t user) {
    std::error_code ignored;
    if (lchown(path.c_str(), user, user) != 0) return;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, ignored))) return;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ignored))
        if (lchown(entry.path().c_str(), user, user) != 0) return;
}

struct TChildOptions {
    unsigned TimeoutSeconds = 20;
    bool DropPrivileges = false;
    int User = -1;                   // a user to become (root only); -1: stay who the test is
    int Group = -1;                  // with User: the group to become; -1: the user's id
    std::vector<gid_t> Groups = {};  // with User: the supplementary groups
};

// Becomes user in group with the supplementary groups; false when refused.
inline bool BecomeUser(uid_t user, gid_t group, const std::vector<gid_t>& groups) {
    return setgroups(groups.size(), groups.data()) == 0 && setresgid(group, group, group) == 0 &&
           setresuid(user, user, user) == 0;
}

// What became of the child.
struct TChildOutcome {
    bool Passed = false;    // ended by itself with code 0
    bool TimedOut = false;  // ended by its alarm: body blocked
    std::string Describe() const {
        return Passed ? "passed" : TimedOut ? "blocked: ended after its time was up" : "failed";
    }
};

// Gives up every capability of the calling thread; false when the system refuses.
inline bool DropAllCapabilities() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    return syscall(SYS_capset, &header, data) == 0;
}

inline TChildOutcome RunInChild(const std::function<void()>& body, TChildOptions options = {}) {
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child < 0) {
        ADD_FAILURE() << "fork failed: " << errno;
        return {};
    }
    if (child == 0) {
        signal(SIGALRM, SIG_DFL);
        alarm(options.TimeoutSeconds);
        if (options.User >= 0 && RunningAsRoot() &&
            !BecomeUser(uid_t(options.User),
                        gid_t(options.Group >= 0 ? options.Group : options.User), options.Groups)) {
            std::printf("could not become user %d: errno %d\n", options.User, errno);
            std::fflush(stdout);
            _exit(2);
        }
        if (options.DropPrivileges && !DropAllCapabilities()) {
            std::printf("could not give up the capabilities: errno %d\n", errno);
            std::fflush(stdout);
            _exit(2);
        }
        // Only failures recorded by body count: the parent may have had some before.
        const ::testing::TestResult* result =
            ::testing::UnitTest::GetInstance()->current_test_info()->result();
        const int before = result->total_part_count();
        body();
        bool failed = false;
        for (int i = before; i < result->total_part_count(); ++i)
            failed = failed || result->GetTestPartResult(i).failed();
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(failed ? 1 : 0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    TChildOutcome outcome;
    outcome.Passed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    outcome.TimedOut = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
    return outcome;
}

}  // namespace ztest
