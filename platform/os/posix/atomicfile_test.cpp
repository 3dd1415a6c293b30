#include "platform/os/posix/atomicfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/os/path.h"
#include "tests/support/tempconfighome.h"
#include "tests/support/testchild.h"

namespace {
namespace fs = std::filesystem;

// Something that is not a regular file where a file is expected: a FIFO without a writer
// (opening it for reading would wait for one for good), a folder, or a device.
enum class TOddKind { Fifo, Folder, Device };

struct TOddFile {
    TOddKind Kind;
    const char* Name;
    int Error;  // what reading it reports
};

void PrintTo(const TOddFile& odd, std::ostream* out) {
    *out << odd.Name;
}

constexpr TOddFile kOddFiles[] = {
    {TOddKind::Fifo, "fifo", kNotRegularFile},
    {TOddKind::Folder, "folder", EISDIR},
    {TOddKind::Device, "device", kNotRegularFile},
};

void MakeOdd(TOddKind kind, const std::string& path) {
    switch (kind) {
        case TOddKind::Fifo:
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
            break;
        case TOddKind::Folder:
            ASSERT_TRUE(fs::create_directory(path));
            break;
        case TOddKind::Device:
            // A link to a device: making a device node itself needs privileges.
            fs::create_symlink("/dev/null", path);
            break;
    }
}

bool StillOdd(TOddKind kind, const std::string& path) {
    switch (kind) {
        case TOddKind::Fifo:
            return fs::is_fifo(fs::symlink_status(path));
        case TOddKind::Folder:
            return fs::is_directory(fs::symlink_status(path));
        case TOddKind::Device:
            return fs::is_symlink(fs::symlink_status(path)) &&
                   fs::read_symlink(path) == "/dev/null";
    }
    return false;
}

class AtomicFileTest : public ::testing::TestWithParam<TOddFile> {
protected:
    TTempConfigHome home_;
    std::string path_ = home_.Root() + "/odd";
};

TEST_P(AtomicFileTest, AFileThatIsNotRegularIsNeverWaitedOnReadLockedOrReplaced) {
    const TOddFile odd = GetParam();
    MakeOdd(odd.Kind, path_);
    const auto outcome = ztest::RunInChild([&] {
        int error = 0;
        EXPECT_FALSE(ReadWholeFile(path_, error).has_value());
        EXPECT_EQ(error, odd.Error);
        TFileLock onFile = TFileLock::OnFile(path_);
        EXPECT_FALSE(onFile.Locked());
        EXPECT_EQ(onFile.Error(), odd.Error);
        TFileLock lockFile(path_);
        EXPECT_FALSE(lockFile.Locked());
        EXPECT_NE(WriteFileAtomic(path_, "replaced", 0600), 0);
    });
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    EXPECT_TRUE(StillOdd(odd.Kind, path_));
}

INSTANTIATE_TEST_SUITE_P(Kinds, AtomicFileTest, ::testing::ValuesIn(kOddFiles),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(AtomicFile, ALockOnAMissingFileIsOnlyMadeWhenAsked) {
    TTempConfigHome home;
    const std::string path = home.Root() + "/missing.ini";
    {
        TFileLock without = TFileLock::OnFile(path, false);
        EXPECT_FALSE(without.Locked());
        EXPECT_EQ(without.Error(), ENOENT);
    }
    EXPECT_FALSE(fs::exists(path));
    TFileLock with = TFileLock::OnFile(path);
    EXPECT_TRUE(with.Locked());
    EXPECT_TRUE(fs::is_regular_file(path));
}

TEST(AtomicFile, ALinkIsWrittenThroughAndStaysALink) {
    TTempConfigHome home;
    const std::string elsewhere = home.Root() + "/dotfiles";
    const std::string here = home.Root() + "/config";
    fs::create_directories(elsewhere + "/deeper");
    fs::create_directories(here);
    const struct {
        const char* Name;
        std::vector<std::pair<std::string, std::string>> Links;  // link, what it points to
        std::string Target;                                      // the file written
        bool TargetExists;
    } cases[] = {
        {"absolute", {{here + "/a", elsewhere + "/a"}}, elsewhere + "/a", true},
        {"relative", {{here + "/b", "../dotfiles/deeper/b"}}, elsewhere + "/deeper/b", true},
        {"a chain",
         {{here + "/c", "c2"}, {here + "/c2", elsewhere + "/c"}},
         elsewhere + "/c",
         true},
        {"to nothing yet", {{here + "/d", elsewhere + "/d"}}, elsewhere + "/d", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.TargetExists) std::ofstream(c.Target) << "old";
        for (const auto& [link, to] : c.Links)
            fs::create_symlink(to, link);
        const std::string& path = c.Links.front().first;
        int error = 0;
        if (c.TargetExists) {
            EXPECT_EQ(ReadWholeFile(path, error), "old");
        }
        EXPECT_TRUE(TFileLock::OnFile(path).Locked());
        EXPECT_EQ(WriteFileAtomic(path, "new", 0600), 0);
        EXPECT_TRUE(fs::is_symlink(path));
        EXPECT_EQ(ReadWholeFile(c.Target, error), "new");
        EXPECT_EQ(ReadWholeFile(path, error), "new");
        // No temporary file is left beside either.
        for (const std::string& dir : {here, FolderOfPath(c.Target)})
            for (const auto& entry : fs::directory_iterator(dir))
                EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
    }
}

TEST(AtomicFile, ALoopOfLinksIsNotWritten) {
    TTempConfigHome home;
    const std::string a = home.Root() + "/a";
    fs::create_symlink(home.Root() + "/b", a);
    fs::create_symlink(a, home.Root() + "/b");
    EXPECT_EQ(WriteFileAtomic(a, "new", 0600), ELOOP);
    EXPECT_TRUE(fs::is_symlink(a));
}

TEST(AtomicFile, ALockHeldElsewhereIsWaitedForAtMostASecond) {
    TTempConfigHome home;
    const std::string path = home.Root() + "/file.lock";
    TFileLock held(path);
    ASSERT_TRUE(held.Locked());
    // The child's own descriptions of the file conflict with the parent's lock.
    const auto outcome = ztest::RunInChild(
        [&] {
            TFileLock other(path);
            EXPECT_FALSE(other.Locked());
            EXPECT_EQ(other.Error(), EWOULDBLOCK);
            TFileLock onFile = TFileLock::OnFile(path);
            EXPECT_FALSE(onFile.Locked());
            EXPECT_EQ(onFile.Error(), EWOULDBLOCK);
        },
        {.TimeoutSeconds = 10});
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
}

TEST(AtomicFile, ALockFileTheUserCannotOpenInTheirOwnFolderIsReplaced) {
    TTempConfigHome home;
    const std::string dir = home.Root() + "/mine";
    const std::string path = dir + "/file.lock";
    fs::create_directories(dir);
    // Left by a run as another user: root's own under root, unreadable to its owner
    // otherwise.
    {
        TFileLock left(path);
        ASSERT_TRUE(left.Locked());
    }
    if (ztest::RunningAsRoot()) {
        ztest::GiveTo(home.Root(), ztest::kOtherUser);
        ASSERT_EQ(lchown(path.c_str(), 0, 0), 0);
        ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    } else {
        ASSERT_EQ(chmod(path.c_str(), 0), 0);
    }
    const auto outcome = ztest::RunInChild(
        [&] {
            TFileLock lock(path);
            EXPECT_TRUE(lock.Locked()) << lock.Error();
        },
        {.User = int(ztest::kOtherUser)});
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, ztest::RunningAsRoot() ? ztest::kOtherUser : geteuid());
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename(), "file.lock") << "nothing else is left";
}

TEST(AtomicFile, ALockFileInAFolderOfAnotherUserIsLeftAlone) {
    if (!ztest::RunningAsRoot()) GTEST_SKIP() << "needs a folder of another user: run as root";
    TTempConfigHome home;
    const std::string path = home.Root() + "/file.lock";
    { TFileLock left(path); }
    // The folder is root's, and other users may use it, but the lock file is root's alone.
    ASSERT_EQ(chmod(home.Root().c_str(), 0777), 0);
    const auto outcome = ztest::RunInChild(
        [&] {
            TFileLock lock(path);
            EXPECT_FALSE(lock.Locked());
            EXPECT_EQ(lock.Error(), EACCES);
        },
        {.User = int(ztest::kOtherUser)});
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
}
}  // namespace
