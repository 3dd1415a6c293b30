// Saves that keep the file what it was, on POSIX systems and on Windows alike: new files,
// files written in place, grown and cut, saves that cannot be done, cancelled saves, and
// saves interrupted half-way and rolled back from their journal.
#include "platform/os/safesave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/os/filemap.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every byte value, with line ends and zeros among them: nothing may be translated.
std::string AllBytes(size_t size = 600) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i)
        bytes += char(i * 7 % 256);
    return bytes + "\r\n\n\r\x1a";
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

struct TSimulatedCrash : std::runtime_error {
    TSimulatedCrash() : std::runtime_error("crash") {}
};

class SafeSave : public ::testing::Test {
protected:
    fs::path dir;
    fs::path journals;

    void SetUp() override {
        std::random_device random;
        do {
            dir = fs::temp_directory_path() / ("zt-safesave-" + std::to_string(random()));
        } while (!fs::create_directory(dir));
        journals = dir / "state";
    }
    void TearDown() override {
        SetSaveFaultHook(nullptr);
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string File(const std::string& name, const std::string& bytes) {
        WriteFile(dir / name, bytes);
        return (dir / name).string();
    }
    TSaveOptions Options() const {
        TSaveOptions options;
        options.JournalFolder = journals.string();
        return options;
    }
    TFileError Save(const std::string& path, const std::string& bytes, TSaveOptions options) const {
        return SaveFileSafely(path, TStringSource(bytes), options);
    }
    TFileError Save(const std::string& path, const std::string& bytes) const {
        return Save(path, bytes, Options());
    }
    // The names in the file's folder, journals and temporary files among them.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path() != journals) names.push_back(e.path().filename().string());
        std::error_code ignored;
        for (const auto& e : fs::directory_iterator(journals, ignored))
            names.push_back("state/" + e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(SafeSave, ANewFileOrAReplacementHoldsExactlyTheBytesAndNothingIsLeftBeside) {
    std::string path = (dir / "out.bin").string();
    struct TCase {
        std::string bytes;
    };
    // New; longer; the same; shorter; empty; longer again.
    for (const std::string& bytes : {AllBytes(), AllBytes(5000), AllBytes(5000),
                                     std::string("short"), std::string(), AllBytes(70)}) {
        ASSERT_FALSE(Save(path, bytes)) << bytes.size();
        EXPECT_TRUE(ReadFile(path) == bytes);
        EXPECT_EQ(Entries(), (std::vector<std::string>{"out.bin"}));
    }
}

TEST_F(SafeSave, AnExistingFileIsWrittenInPlaceWhereTheBytesDiffer) {
    std::string path = File("data.bin", AllBytes(3000));
    TFileIdentity before;
    ASSERT_FALSE(IdentityOfPath(path, before));
    std::string edited = AllBytes(3000);
    edited[10] = 'X';
    edited[2900] = 'Y';
    TSaveOptions options = Options();
    int64_t compared = 0;
    options.Progress = [&](int64_t done, int64_t total) {
        EXPECT_LE(done, total);
        compared = total;
        return true;
    };
    // Told where the changes are, only those bytes are looked at.
    options.ChangesKnown = true;
    options.Changes = {{10, 1}, {2900, 1}};
    ASSERT_FALSE(Save(path, edited, options));
    EXPECT_TRUE(ReadFile(path) == edited);
    EXPECT_LE(compared, 4);
    TFileIdentity after;
    ASSERT_FALSE(IdentityOfPath(path, after));
    EXPECT_TRUE(after.SameFile(before));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"data.bin"}));
}

TEST_F(SafeSave, WhatCannotBeSavedSaysWhyAndChangesNothing) {
    File("keep.bin", "kept");
    fs::create_directory(dir / "folder");
    struct TCase {
        std::string path;
        TFileErrorKind kind;
    };
    const TCase cases[] = {
        {"", feNoSuchFile},
        {(dir / "no" / "such" / "file.bin").string(), feNoSuchFile},
        {(dir / "folder").string(), feIsFolder},
    };
    const std::vector<std::string> before = Entries();
    for (const TCase& c : cases)
        EXPECT_EQ(Save(c.path, "new").Kind, c.kind) << c.path;
    EXPECT_EQ(ReadFile(dir / "keep.bin"), "kept");
    EXPECT_EQ(Entries(), before);
    EXPECT_EQ(DescribeFileError({feIsFolder, 0}, "Cannot save", "/x"), "/x is a folder");
    EXPECT_EQ(DescribeFileError({feNoSpace, 0}, "Cannot save", "/x"),
              "Cannot save /x: No space left on device");
}

TEST_F(SafeSave, ACancelledSaveLeavesTheFileAsItWas) {
    const std::string original = AllBytes(3 << 20);  // three steps of compare and write
    std::string edited = original;
    std::reverse(edited.begin(), edited.end());
    // Four steps compare, four write: cancelled in either half.
    for (int stopAt : {0, 2, 4, 6}) {
        std::string path = File("big.bin", original);
        TSaveOptions options = Options();
        int calls = 0;
        options.Progress = [&](int64_t, int64_t) { return calls++ < stopAt; };
        EXPECT_EQ(Save(path, edited, options).Kind, feCancelled) << stopAt;
        EXPECT_TRUE(ReadFile(path) == original) << stopAt;
        EXPECT_EQ(Entries(), (std::vector<std::string>{"big.bin"})) << stopAt;
        if (stopAt >= 4) continue;
        // A new file is written in four steps.
        calls = 0;
        EXPECT_EQ(Save((dir / "created.bin").string(), edited, options).Kind, feCancelled);
        EXPECT_EQ(Entries(), (std::vector<std::string>{"big.bin"})) << stopAt;
    }
}

struct TCrashCase {
    TSaveStage stage;
    int64_t newSize;  // of the file saved over the original of 3000 bytes
};

class SafeSaveCrash : public SafeSave, public ::testing::WithParamInterface<TCrashCase> {};

TEST_P(SafeSaveCrash, ASaveInterruptedAfterItsJournalIsRolledBackOnTheNextOpen) {
    const std::string original = AllBytes(3000).substr(0, 3000);
    const std::string path = File("doc.bin", original);
    std::string edited =
        AllBytes(size_t(GetParam().newSize) + 500).substr(0, size_t(GetParam().newSize));
    std::reverse(edited.begin(), edited.end());
    SetSaveFaultHook([&](TSaveStage stage) {
        if (stage == GetParam().stage) throw TSimulatedCrash();
    });
    EXPECT_THROW(Save(path, edited), TSimulatedCrash);
    SetSaveFaultHook(nullptr);
    EXPECT_EQ(Entries().size(), 2u);  // the file and its journal
    bool rolledBack = false;
    ASSERT_FALSE(FinishInterruptedSave(path, journals.string(), rolledBack));
    EXPECT_TRUE(rolledBack);
    EXPECT_TRUE(ReadFile(path) == original);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"doc.bin"}));
    // Nothing more to do the second time.
    ASSERT_FALSE(FinishInterruptedSave(path, journals.string(), rolledBack));
    EXPECT_FALSE(rolledBack);
}

std::string CrashCaseName(const ::testing::TestParamInfo<TCrashCase>& info) {
    static const char* const kStages[] = {"JournalWritten", "DataPartlyWritten", "DataWritten"};
    return std::string(kStages[int(info.param.stage)]) + "To" + std::to_string(info.param.newSize);
}

INSTANTIATE_TEST_SUITE_P(Stages, SafeSaveCrash,
                         ::testing::Values(TCrashCase{TSaveStage::JournalWritten, 3000},
                                           TCrashCase{TSaveStage::DataPartlyWritten, 3000},
                                           TCrashCase{TSaveStage::DataPartlyWritten, 1000},
                                           TCrashCase{TSaveStage::DataWritten, 1000},
                                           TCrashCase{TSaveStage::DataWritten, 7000}),
                         CrashCaseName);

TEST_F(SafeSave, AJournalThatWasNotWrittenWholeOrIsOfAnotherFileIsDroppedWithoutTouchingIt) {
    const std::string path = File("doc.bin", "original bytes");
    fs::create_directories(journals);
    const std::string journal = JournalPathFor(path, journals.string());
    for (const std::string& garbage : {std::string(), std::string("ZTHEXJ01"), AllBytes(100)}) {
        WriteFile(journal, garbage);
        bool rolledBack = true;
        ASSERT_FALSE(FinishInterruptedSave(path, journals.string(), rolledBack));
        EXPECT_FALSE(rolledBack);
        EXPECT_EQ(ReadFile(path), "original bytes");
        EXPECT_EQ(Entries(), (std::vector<std::string>{"doc.bin"}));
    }
    // A whole journal of a file that another took the place of.
    SetSaveFaultHook([](TSaveStage stage) {
        if (stage == TSaveStage::DataWritten) throw TSimulatedCrash();
    });
    EXPECT_THROW(Save(path, "changed bytes!"), TSimulatedCrash);
    SetSaveFaultHook(nullptr);
    // Another program saved its own file by renaming it over this one.
    WriteFile(dir / "newer.tmp", "a newer file");
    fs::rename(dir / "newer.tmp", path);
    bool rolledBack = true;
    ASSERT_FALSE(FinishInterruptedSave(path, journals.string(), rolledBack));
    EXPECT_FALSE(rolledBack);
    EXPECT_EQ(ReadFile(path), "a newer file");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"doc.bin"}));
}

TEST_F(SafeSave, AMappedFileIsReadWithoutCopyingAndFollowsItsFile) {
    std::string path = File("mapped.bin", AllBytes(10000));
    TFileMapping map;
    ASSERT_FALSE(map.Open(path));
    ASSERT_EQ(map.Size(), int64_t(AllBytes(10000).size()));
    EXPECT_TRUE(map.Mapped());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(map.Data()), size_t(map.Size())),
              AllBytes(10000));
    // A save in place shows in the mapping at once.
    std::string edited = AllBytes(10000);
    edited[4321] = '!';
    ASSERT_FALSE(Save(path, edited));
    EXPECT_EQ(map.Data()[4321], '!');
    TFileIdentity now;
    ASSERT_FALSE(IdentityOfPath(path, now));
    EXPECT_TRUE(now.SameFile(map.Identity()));

    TFileMapping empty;
    ASSERT_FALSE(empty.Open(File("empty.bin", "")));
    EXPECT_TRUE(empty.IsOpen());
    EXPECT_EQ(empty.Size(), 0);
    struct TCase {
        std::string path;
        TFileErrorKind kind;
    };
    fs::create_directory(dir / "folder");
    for (const TCase& c : {TCase{(dir / "missing.bin").string(), feNoSuchFile},
                           TCase{(dir / "folder").string(), feIsFolder}}) {
        TFileMapping failed;
        EXPECT_EQ(failed.Open(c.path).Kind, c.kind) << c.path;
        EXPECT_FALSE(failed.IsOpen());
    }
}

}  // namespace
