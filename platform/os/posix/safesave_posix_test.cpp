// What a save keeps of a file on POSIX systems (inode, owner, group, mode, hard links,
// symbolic links, extended attributes), where it works (a read-only folder), what a crash
// or a full disk leaves, and mappings of files that are cut short while mapped.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/os/filemap.h"
#include "platform/os/safesave.h"
#include "tests/support/testchild.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Pattern(size_t size, int seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + size_t(seed) * 17) % 251);
    return bytes;
}

class TStringSource : public TSaveSource {
public:
    explicit TStringSource(std::string bytes) : bytes_(std::move(bytes)) {}
    int64_t Size() const override { return int64_t(bytes_.size()); }
    void Read(int64_t offset, uint8_t* data, size_t length) const override {
        std::copy_n(bytes_.data() + offset, length, data);
    }

private:
    std::string bytes_;
};

struct stat Stat(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
    return -1;
}

class SafeSavePosix : public ::testing::Test {
protected:
    fs::path dir;
    fs::path journals;

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zt-safesave-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        // Others look into it: the tests that save as another user go through it.
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        journals = dir / "state";
    }
    void TearDown() override {
        SetSaveFaultHook(nullptr);
        std::error_code ignored;
        for (const auto& e : fs::recursive_directory_iterator(dir, ignored))
            if (e.is_directory(ignored)) fs::permissions(e.path(), fs::perms::owner_all, ignored);
        fs::remove_all(dir, ignored);
    }
    TFileError Save(const fs::path& path, const std::string& bytes,
                    const fs::path& journalFolder = {}) {
        TSaveOptions options;
        options.JournalFolder = (journalFolder.empty() ? journals : journalFolder).string();
        return SaveFileSafely(path.string(), TStringSource(bytes), options);
    }
};

TEST_F(SafeSavePosix, AWritableFileInAFolderThatIsNotWritableIsSavedInPlace) {
    fs::create_directory(dir / "locked");
    fs::path file = dir / "locked" / "open.bin";
    WriteFile(file, Pattern(5000, 1));
    ::chmod(file.c_str(), 0666);
    ::chmod((dir / "locked").c_str(), 0555);
    const ino_t inode = Stat(file).st_ino;
    const std::string edited = Pattern(7000, 2);  // longer, and every byte different
    // Without privileges, so that the folder's permission bits bind even as root.
    auto outcome =
        ztest::RunInChild([&] { EXPECT_FALSE(Save(file, edited)); }, {.DropPrivileges = true});
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    EXPECT_TRUE(ReadFile(file) == edited);
    EXPECT_EQ(Stat(file).st_ino, inode);
    EXPECT_EQ(fs::directory_iterator(dir / "locked")->path().filename(), "open.bin");
}

TEST_F(SafeSavePosix, TheSaveShowsUnderEveryHardLinkAndThroughASymbolicLink) {
    fs::path file = dir / "file.bin", hard = dir / "hard.bin", soft = dir / "soft.bin";
    WriteFile(file, Pattern(3000, 1));
    fs::create_hard_link(file, hard);
    fs::create_symlink(file, soft);
    ASSERT_FALSE(Save(hard, Pattern(3000, 2)));
    EXPECT_TRUE(ReadFile(file) == Pattern(3000, 2));
    EXPECT_EQ(Stat(file).st_nlink, 2u);
    EXPECT_EQ(Stat(file).st_ino, Stat(hard).st_ino);
    ASSERT_FALSE(Save(soft, Pattern(100, 3)));
    EXPECT_TRUE(fs::is_symlink(soft));
    EXPECT_EQ(fs::read_symlink(soft), file);
    EXPECT_TRUE(ReadFile(hard) == Pattern(100, 3));
    EXPECT_EQ(Stat(file).st_ino, Stat(hard).st_ino);
}

TEST_F(SafeSavePosix, AFileOfAnotherOwnerSavedThroughItsGroupKeepsOwnerGroupAndMode) {
    if (!ztest::RunningAsRoot()) GTEST_SKIP() << "needs root to make the owners (CI runs as root)";
    constexpr int kOwner = 4101, kGroup = 4102, kEditor = 4103;
    fs::path file = dir / "shared.bin";
    WriteFile(file, Pattern(4000, 1));
    ASSERT_EQ(::chown(file.c_str(), kOwner, kGroup), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0664), 0);
    fs::path editorState = dir / "editor-state";
    fs::create_directory(editorState);
    ASSERT_EQ(::chown(editorState.c_str(), kEditor, kEditor), 0);
    const ino_t inode = Stat(file).st_ino;
    const std::string edited = Pattern(3000, 2);  // shorter
    auto outcome =
        ztest::RunInChild([&] { EXPECT_FALSE(Save(file, edited, editorState)); },
                          {.User = kEditor, .Group = kEditor, .Groups = {gid_t(kGroup)}});
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    EXPECT_TRUE(ReadFile(file) == edited);
    struct stat st = Stat(file);
    EXPECT_EQ(st.st_ino, inode);
    EXPECT_EQ(st.st_uid, uid_t(kOwner));
    EXPECT_EQ(st.st_gid, gid_t(kGroup));
    EXPECT_EQ(st.st_mode & 07777, 0664u);
}

TEST_F(SafeSavePosix, ExtendedAttributesStay) {
    // The temporary folder's file system, else the memory one (user attributes from 6.6).
    for (const fs::path& base : {dir, fs::path("/dev/shm")}) {
        fs::path file = base / ("zt-xattr-" + std::to_string(getpid()) + ".bin");
        WriteFile(file, Pattern(2000, 1));
        if (::setxattr(file.c_str(), "user.zentick.test", "kept", 4, 0) != 0) {
            fs::remove(file);
            continue;
        }
        ASSERT_FALSE(Save(file, Pattern(2500, 2)));
        char value[16] = {};
        EXPECT_EQ(::getxattr(file.c_str(), "user.zentick.test", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
        EXPECT_TRUE(ReadFile(file) == Pattern(2500, 2));
        fs::remove(file);
        return;
    }
    FAIL() << "no file system here keeps user extended attributes";
}

TEST_F(SafeSavePosix, AProcessThatDiesBetweenJournalAndDataLeavesAFileTheNextOpenRollsBack) {
    fs::path file = dir / "doc.bin";
    const std::string original = Pattern(300000, 1);
    WriteFile(file, original);
    std::string edited = original;
    for (size_t i = 0; i < edited.size(); i += 50000)
        edited[i] = char(~edited[i]);
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        SetSaveFaultHook([](TSaveStage stage) {
            if (stage == TSaveStage::DataPartlyWritten) _exit(9);  // the power goes
        });
        Save(file, edited);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9) << status;
    EXPECT_TRUE(ReadFile(file) != original);  // half-written
    bool rolledBack = false;
    ASSERT_FALSE(FinishInterruptedSave(file.string(), journals.string(), rolledBack));
    EXPECT_TRUE(rolledBack);
    EXPECT_TRUE(ReadFile(file) == original);
    EXPECT_TRUE(fs::is_empty(journals));
}

TEST_F(SafeSavePosix, AFullDiskLeavesTheFileByteForByteAndNothingBeside) {
    const std::string original = Pattern(1000, 1);
    fs::path grown = dir / "grown.bin", replaced = dir / "replaced.bin", created = dir / "new.bin";
    WriteFile(grown, original);
    // Replaced whole, its journal holds all of it and more.
    const std::string fits = Pattern(4050, 3);
    WriteFile(replaced, fits);
    auto outcome = ztest::RunInChild([&] {
        // The disk is full after 4096 bytes of any file.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        // The journal fits; the data does not, and is rolled back.
        EXPECT_EQ(Save(grown, original + Pattern(8000, 2)).Kind, feNoSpace);
        // The journal itself does not fit.
        EXPECT_EQ(Save(replaced, Pattern(4050, 4)).Kind, feNoSpace);
        EXPECT_EQ(Save(created, Pattern(5000, 5)).Kind, feNoSpace);
    });
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    EXPECT_TRUE(ReadFile(grown) == original);
    EXPECT_TRUE(ReadFile(replaced) == fits);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.is_regular_file()) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"grown.bin", "replaced.bin"}));
    EXPECT_TRUE(fs::is_empty(journals));
}

TEST_F(SafeSavePosix, AMappedFileCutShortByAnotherProcessReadsZerosPastItsEnd) {
    const long page = sysconf(_SC_PAGESIZE);
    fs::path file = dir / "shrinks.bin";
    WriteFile(file, std::string(size_t(page) * 3, 'x'));
    TFileMapping map;
    ASSERT_FALSE(map.Open(file.string()));
    EXPECT_EQ(map.Data()[size_t(page) * 2], 'x');
    map.Release(0, map.Size());
    auto outcome = ztest::RunInChild([&] { ASSERT_EQ(::truncate(file.c_str(), 100), 0); });
    ASSERT_TRUE(outcome.Passed);
    EXPECT_FALSE(map.ReadPastEnd());
    EXPECT_EQ(map.Data()[50], 'x');
    EXPECT_EQ(map.Data()[200], 0);  // the rest of the last page: the system's own zeros
    EXPECT_FALSE(map.ReadPastEnd());
    // Without the guard this access would end the program with SIGBUS.
    EXPECT_EQ(map.Data()[size_t(page) * 2 + 7], 0);
    EXPECT_EQ(map.Data()[size_t(page)], 0);
    EXPECT_TRUE(map.ReadPastEnd());
    EXPECT_EQ(map.Size(), page * 3);
}

TEST_F(SafeSavePosix, FilesOfAnySizeAreMappedAtOnceAndOthersReadOrRefused) {
    fs::path huge = dir / "huge.bin";
    WriteFile(huge, "first");
    fs::resize_file(huge, uintmax_t(1) << 40);  // 1 TiB, sparse: no disk used
    long before = ResidentKilobytes();
    {
        TFileMapping map;
        ASSERT_FALSE(map.Open(huge.string()));
        EXPECT_EQ(map.Size(), int64_t(1) << 40);
        EXPECT_EQ(map.Data()[0], 'f');
        EXPECT_EQ(map.Data()[(size_t(1) << 40) - 1], 0);
        EXPECT_LT(ResidentKilobytes() - before, 8 * 1024);
    }
    // A FIFO is refused, and without waiting for a writer.
    fs::path fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto outcome = ztest::RunInChild([&] {
        TFileMapping map;
        EXPECT_EQ(map.Open(fifo.string()).Kind, feNotRegular);
    });
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    // Attribute files of sysfs cannot be mapped; they claim a page and deliver a few bytes.
    const std::string attribute = "/sys/devices/system/cpu/online";
    if (fs::exists(attribute)) {
        TFileMapping map;
        EXPECT_EQ(map.Open(attribute).Kind, feShortRead);
        EXPECT_FALSE(map.Mapped());
        ASSERT_GT(map.Size(), 0);
        EXPECT_EQ(map.Data()[0], '0');
    }
}

}  // namespace
