// The hex editor's files, on POSIX systems and on Windows alike: whole reads, and
// replacements that never destroy the file they replace.
#include "widgets/hexfile.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include "platform/os/testchild.h"
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

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
std::string AllBytes() {
    std::string bytes;
    for (int i = 0; i < 512; ++i)
        bytes += char(i * 7 % 256);
    return bytes + "\r\n\n\r\x1a";
}

class HexFile : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override {
        std::random_device random;
        do {
            dir = fs::temp_directory_path() / ("zt-hexfile-" + std::to_string(random()));
        } while (!fs::create_directory(dir));
    }
    void TearDown() override {
        std::error_code ignored;
        for (const auto& e : fs::directory_iterator(dir, ignored))
            fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove_all(dir, ignored);
    }
    std::string File(const std::string& name, const std::string& bytes) {
        WriteFile(dir / name, bytes);
        return (dir / name).string();
    }
    std::vector<std::string> Entries() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Something that opens like a file and is none: a device on Windows, a FIFO elsewhere
    // (where nothing may happen to a real device if the code under test goes wrong).
    std::string Device() {
#ifdef _WIN32
        return "NUL";
#else
        std::string path = (dir / "fifo").string();
        EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
        return path;
#endif
    }
    int Save(const std::string& path, const std::string& bytes) {
        return WriteFileReplacing(path, reinterpret_cast<const uint8_t*>(bytes.data()),
                                  bytes.size());
    }
};

#ifdef _WIN32
// An owned handle for the tests' own use of the system's files.
struct THandle {
    HANDLE handle;
    ~THandle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};
#endif

// Makes the file size bytes long without writing them (on file systems that allow that).
bool MakeSparse(const std::string& path, uintmax_t size) {
#ifdef _WIN32
    THandle file{CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) return false;
    DWORD unused = 0;
    DeviceIoControl(file.handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = LONGLONG(size);
    return SetFilePointerEx(file.handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(file.handle);
#else
    std::error_code ec;
    fs::resize_file(path, size, ec);
    return !ec;
#endif
}

std::string Contents(const TPageBuffer& buffer, size_t length) {
    return std::string(reinterpret_cast<const char*>(buffer.Data()), length);
}

TEST_F(HexFile, AFileIsReadWholeIntoMemoryOfItsSize) {
    for (const std::string& bytes : {AllBytes(), std::string()}) {
        TPageBuffer buffer;
        size_t length = 99;
        ASSERT_EQ(ReadFileToBuffer(File("data.bin", bytes), buffer, length), hfDone);
        EXPECT_EQ(length, bytes.size());
        EXPECT_EQ(buffer.Size(), bytes.size());
        EXPECT_EQ(Contents(buffer, length), bytes);
    }
}

TEST_F(HexFile, WhatIsNoRegularFileIsNotOpenedAndTheBufferStays) {
    const std::string cases[] = {"", (dir / "missing.bin").string(), dir.string(), Device()};
    for (const std::string& path : cases) {
        TPageBuffer buffer;
        ASSERT_TRUE(buffer.Allocate(3));
        uint8_t* before = buffer.Data();
        size_t length = 3;
        EXPECT_EQ(ReadFileToBuffer(path, buffer, length), hfCannotOpen) << path;
        EXPECT_EQ(buffer.Data(), before) << path;
        EXPECT_EQ(length, 3u) << path;
    }
}

TEST_F(HexFile, AFileLargerThanMemoryCanHoldIsNotReadAndTheBufferStays) {
    const uintmax_t huge = uintmax_t(1) << 40;
    std::string path = File("huge.bin", "");
    if (!MakeSparse(path, huge)) GTEST_SKIP() << "no file of 1 TiB here";
    TPageBuffer probe;
    if (probe.Allocate(size_t(huge))) GTEST_SKIP() << "this system grants 1 TiB of memory";
    TPageBuffer buffer;
    ASSERT_TRUE(buffer.Allocate(3));
    uint8_t* before = buffer.Data();
    size_t length = 3;
    EXPECT_EQ(ReadFileToBuffer(path, buffer, length), hfNoMemory);
    EXPECT_EQ(buffer.Data(), before);
    EXPECT_EQ(length, 3u);
}

TEST_F(HexFile, SavingCreatesOrReplacesTheFileWithExactlyTheBytesAndLeavesNothingElse) {
    std::string path = (dir / "out.bin").string();
    ASSERT_EQ(Save(path, AllBytes()), hfDone);
    EXPECT_EQ(ReadFile(path), AllBytes());
    ASSERT_EQ(Save(path, "short"), hfDone);  // no tail of the longer file stays
    EXPECT_EQ(ReadFile(path), "short");
    ASSERT_EQ(Save(path, ""), hfDone);
    EXPECT_EQ(ReadFile(path), "");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"out.bin"}));
}

TEST_F(HexFile, SavingWhereNoFileCanBeMadeCannotOpenAndChangesNothing) {
    File("keep.bin", "kept");
    fs::create_directory(dir / "folder");
    const std::string cases[] = {"", (dir / "no" / "such" / "file.bin").string(),
                                 (dir / "folder").string(), Device()};
    const std::vector<std::string> before = Entries();
    for (const std::string& path : cases)
        EXPECT_EQ(Save(path, "new"), hfCannotOpen) << path;
    EXPECT_EQ(ReadFile(dir / "keep.bin"), "kept");
    EXPECT_EQ(Entries(), before);  // no temporary file left, nothing replaced
}

TEST_F(HexFile, AReadOnlyFileIsNotReplaced) {
    std::string path = File("locked.bin", "locked");
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
#ifdef _WIN32
    EXPECT_EQ(Save(path, "new"), hfCannotOpen);
#else
    // Without privileges, so that the permission bits bind even when the tests run as root.
    const auto outcome = ztest::RunInChild([&] { EXPECT_EQ(Save(path, "new"), hfCannotOpen); },
                                           {.DropPrivileges = true});
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
#endif
    EXPECT_EQ(ReadFile(path), "locked");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"locked.bin"}));
}

#ifdef _WIN32

TEST_F(HexFile, AReplacementThatTheSystemRefusesLeavesTheFileAndNoTemporary) {
    std::string path = File("busy.bin", "original");
    // Another program has the file open and does not let it be deleted or renamed over.
    THandle other{CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    ASSERT_NE(other.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Save(path, "replacement"), hfShortWrite);
    CloseHandle(other.handle);
    other.handle = INVALID_HANDLE_VALUE;
    EXPECT_EQ(ReadFile(path), "original");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"busy.bin"}));
}

TEST_F(HexFile, AFileThatAnotherProgramKeepsFromWritersIsNotReplaced) {
    std::string path = File("shared.bin", "original");
    THandle other{CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)};
    ASSERT_NE(other.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Save(path, "replacement"), hfCannotOpen);
    EXPECT_EQ(ReadFile(path), "original");
}

TEST_F(HexFile, TheReplacementKeepsTheHiddenAttribute) {
    std::string path = File("hidden.bin", "old");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_EQ(Save(path, "new"), hfDone);
    EXPECT_EQ(ReadFile(path), "new");
    DWORD attributes = GetFileAttributesA(path.c_str());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(HexFile, BothSlashesAndADriveRelativeNameFindTheFolder) {
    std::string path = File("mixed.bin", "old");
    std::string slashed = path;
    for (char& c : slashed)
        if (c == '\\') c = '/';
    ASSERT_EQ(Save(slashed, "forward"), hfDone);
    EXPECT_EQ(ReadFile(path), "forward");
    // "C:mixed.bin": the name in the drive's current folder.
    fs::path previous = fs::current_path();
    fs::current_path(dir);
    std::string driveRelative = path.substr(0, 2) + "mixed.bin";
    int result = Save(driveRelative, "drive");
    fs::current_path(previous);
    EXPECT_EQ(result, hfDone);
    EXPECT_EQ(ReadFile(path), "drive");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"mixed.bin"}));
}

#endif

}  // namespace
