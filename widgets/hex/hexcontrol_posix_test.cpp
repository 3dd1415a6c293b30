// The hex editor where only POSIX systems can check it: memory that runs out.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/headless_app.h"
#include "tests/support/testchild.h"
#include "widgets/hex/hexcontrol.h"

namespace {

namespace fs = std::filesystem;

long VirtualMemoryBytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmSize:") {
            long kb = 0;
            status >> kb;
            return kb * 1024;
        }
    return -1;
}

TEST(HexEditorMemory, AFileLargerThanTheAddressSpaceLeftLeavesTheDataShownAndSaysSo) {
    THeadlessApp app;
    auto* hex = new THexEditor(nullptr);
    std::string dir =
        (fs::temp_directory_path() / ("zt-hexmemory-" + std::to_string(getpid()))).string();
    fs::create_directories(dir);
    hex->Document().SetStateFolder(dir + "/state");
    std::string path = dir + "/huge.bin";
    std::ofstream(path).close();
    fs::resize_file(path, uintmax_t(4) << 30);  // sparse: no disk used
    hex->SetByte(3, 0x99);
    auto outcome = ztest::RunInChild([&] {
        // Neither the mapping nor memory for a copy can be had.
        long used = VirtualMemoryBytes();
        rlimit limit{rlim_t(used + (256l << 20)), rlim_t(used + (256l << 20))};
        ASSERT_GE(used, 0);
        ASSERT_EQ(setrlimit(RLIMIT_AS, &limit), 0);
        EXPECT_EQ(hex->LoadFromFile(path), hfNoMemory);
        EXPECT_EQ(hex->FileError().Kind, feNoMemory);
        EXPECT_EQ(hex->Size(), 1024);
        EXPECT_EQ(hex->GetByte(3), 0x99);
        EXPECT_EQ(hex->GetByte(5), 5);
        EXPECT_TRUE(hex->Dirty());
    });
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    hex->Free();
    fs::remove_all(dir);
}

}  // namespace
