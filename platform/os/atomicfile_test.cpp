#include "platform/os/atomicfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/os/tempconfighome.h"
#include "platform/os/testchild.h"

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

TEST(AtomicFile, ALinkToARegularFileIsReadAndReplacedAsBefore) {
    TTempConfigHome home;
    const std::string target = home.Root() + "/target";
    const std::string link = home.Root() + "/link";
    std::ofstream(target) << "old";
    fs::create_symlink(target, link);
    int error = 0;
    EXPECT_EQ(ReadWholeFile(link, error), "old");
    EXPECT_TRUE(TFileLock::OnFile(link).Locked());
    EXPECT_EQ(WriteFileAtomic(link, "new", 0600), 0);
    EXPECT_EQ(ReadWholeFile(link, error), "new");
}
}  // namespace
