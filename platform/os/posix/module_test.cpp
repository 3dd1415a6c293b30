#include "platform/os/module.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "tests/support/tempconfighome.h"

namespace {
TEST(Module, FileNameIsTheRunningExecutableAndIsCutLikeTheSystem) {
    const std::string expected = std::filesystem::read_symlink("/proc/self/exe").string();
    char buffer[4096];
    ASSERT_EQ(GetModuleFileNameA(nullptr, buffer, sizeof buffer), expected.size());
    EXPECT_EQ(buffer, expected);

    char small[8];
    std::memset(small, 'Z', sizeof small);
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, 5), 5u);
    EXPECT_EQ(std::string(small, 8), expected.substr(0, 4) + std::string("\0ZZZ", 4));
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, 0), 0u);
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(buffer), small, 8), 0u);
}

TEST(Module, CurrentDirectoryReportsTheSizeItNeeds) {
    TTempConfigHome home;
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(home.Root());
    char buffer[4096];
    const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    EXPECT_EQ(buffer, home.Root());
    EXPECT_EQ(length, home.Root().size());

    char small[4] = "abc";
    EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), length + 1);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(GetCurrentDirectoryA(length, buffer), length + 1);
    EXPECT_EQ(GetCurrentDirectoryA(length + 1, buffer), length);
    std::filesystem::current_path(old);
}
}  // namespace
