// Profile files, the program's path and the shell on Windows: the system's own calls.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/os/module.h"
#include "platform/os/profile.h"
#include "platform/os/shell.h"
#include "platform/os/wallclock.h"
#include "platform/os/win32/winsys.h"

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void TearDown() override { std::remove(file_.c_str()); }
    std::string file_ =
        winsys::TempFolder() + "zentick-profile-" + std::to_string(winsys::ProcessId()) + ".ini";
};

TEST_F(ProfileTest, WrittenValuesReadBackAndMissingOnesGiveTheDefault) {
    ASSERT_NE(WritePrivateProfileStringA("QVZentick", "type", "12abc", file_.c_str()), 0);
    char buffer[32] = {};
    EXPECT_EQ(
        GetPrivateProfileStringA("QVZentick", "type", "0", buffer, sizeof buffer, file_.c_str()),
        5u);
    EXPECT_STREQ(buffer, "12abc");
    EXPECT_EQ(
        GetPrivateProfileStringA("QVZentick", "back", "7", buffer, sizeof buffer, file_.c_str()),
        1u);
    EXPECT_STREQ(buffer, "7");
}

TEST_F(ProfileTest, ReadingAMissingFileCreatesNothing) {
    char buffer[8] = {};
    GetPrivateProfileStringA("QVZentick", "type", "3", buffer, sizeof buffer, file_.c_str());
    EXPECT_STREQ(buffer, "3");
    FILE* f = std::fopen(file_.c_str(), "rb");
    EXPECT_EQ(f, nullptr);
    if (f) std::fclose(f);
}

TEST(ModuleTest, PathIsTheTestProgramsWithBackslashes) {
    char path[1024] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(length, std::strlen(path));
    std::string text(path);
    EXPECT_NE(text.find('\\'), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 15), "\\zt_os_test.exe");
}

TEST(ModuleTest, CutPathIsTerminatedAndReportsTheSize) {
    char path[8];
    std::memset(path, 'x', sizeof path);
    EXPECT_EQ(GetModuleFileNameA(nullptr, path, sizeof path), 8u);
    EXPECT_EQ(path[7], '\0');
    EXPECT_EQ(std::strlen(path), 7u);
}

TEST(ModuleTest, CurrentDirectoryTooSmallGivesTheSizeNeeded) {
    char whole[1024] = {};
    DWORD length = GetCurrentDirectoryA(sizeof whole, whole);
    ASSERT_GT(length, 0u);
    char small[2] = {'a', 0};
    EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), length + 1);
}

TEST(ShellTest, OpeningAMissingFileFails) {
    const std::string missing = winsys::TempFolder() + "zentick-no-such-file.html";
    auto result = reinterpret_cast<intptr_t>(
        ShellExecuteA(nullptr, "open", missing.c_str(), nullptr, nullptr, 1));
    EXPECT_LE(result, 32);
}

TEST(WallClockTest, LocalTimeIsTheRuntimesAndTheVirtualClockOverridesIt) {
    std::tm now = LocalTimeNow();
    std::time_t seconds = std::time(nullptr);
    std::tm expected{};
    localtime_s(&expected, &seconds);
    EXPECT_EQ(now.tm_hour, expected.tm_hour);
    SetVirtualWallClock([] { return int64_t(LocalSeconds(13, 47, 5)) * 1000 + 250; });
    std::tm fixed = LocalTimeNow();
    EXPECT_EQ(fixed.tm_hour, 13);
    EXPECT_EQ(fixed.tm_min, 47);
    EXPECT_EQ(fixed.tm_sec, 5);
    EXPECT_EQ(WallClockMs() % 1000, 250);
    SetVirtualWallClock({});
}

}  // namespace
