#include "platform/os/posix/report.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/os/posix/atomicfile.h"
#include "tests/support/testchild.h"

namespace {

// What the calls made in body wrote to stderr (run in a child, whose stderr is a pipe).
std::string StderrOf(const std::function<void()>& body) {
    int pipeFds[2];
    EXPECT_EQ(pipe(pipeFds), 0);
    const auto outcome = ztest::RunInChild([&] {
        close(pipeFds[0]);
        dup2(pipeFds[1], STDERR_FILENO);
        body();
    });
    close(pipeFds[1]);
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    std::string text;
    char chunk[512];
    for (ssize_t got; (got = read(pipeFds[0], chunk, sizeof chunk)) > 0;)
        text.append(chunk, size_t(got));
    close(pipeFds[0]);
    return text;
}

TEST(Report, EachProblemIsOneLineOnStderrTillTheTaskSucceedsAgain) {
    const std::string text = StderrOf([] {
        ReportProblem(TFileTask::SaveSettings, "cannot save: one");
        ReportProblem(TFileTask::SaveSettings, "cannot save: one");  // the same: not again
        ReportProblem(TFileTask::ReadSettings, "cannot read: one");  // another task
        ReportProblem(TFileTask::SaveSettings, "cannot save: two");  // another problem
        ReportProblem(TFileTask::SaveSettings, "cannot save: two");
        ReportSuccess(TFileTask::SaveSettings);
        ReportProblem(TFileTask::SaveSettings, "cannot save: two");  // after a success, again
        ReportProblem(TFileTask::SkipLines, "file: line 4", "file");
        ReportProblem(TFileTask::SkipLines, "file: line 9", "file");  // the same, said otherwise
    });
    EXPECT_EQ(text,
              "zentick: cannot save: one\n"
              "zentick: cannot read: one\n"
              "zentick: cannot save: two\n"
              "zentick: cannot save: two\n"
              "zentick: file: line 4\n");
}

TEST(Report, ReasonsAreTheSystemsTextOrTheFileCodesOwn) {
    EXPECT_EQ(ReasonOf(ENOSPC), "No space left on device");
    EXPECT_EQ(ReasonOf(EACCES), "Permission denied");
    EXPECT_EQ(ReasonOf(kNotRegularFile), "not a regular file");
    EXPECT_EQ(ReasonOf(EFBIG), "larger than 4 MB");
    EXPECT_EQ(ReasonOf(EWOULDBLOCK), "another program held its lock for more than a second");
}

}  // namespace
