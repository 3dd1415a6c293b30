#include "settings/autoload.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/os/cmdline.h"
#include "platform/os/posix/desktopentry.h"
#include "tests/support/tempconfighome.h"

namespace {
// Started with ZT_AUTOLOAD_HELPER set, this test program only enables auto-load and ends,
// so the tests can run it from executable paths of their choosing. With the value
// "remove", it first removes its own file; with "replace:<path>", it first moves the file
// at path over its own, as an update of the program does while it runs.
const bool gHelperRun = [] {
    const char* helper = std::getenv("ZT_AUTOLOAD_HELPER");
    if (helper == nullptr) return false;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string how = helper;
    if (how == "remove") unlink(self.c_str());
    if (how.rfind("replace:", 0) == 0) rename(how.substr(8).c_str(), self.c_str());
    _exit(static_cast<int>(SetAutoLoad(1, "QVZentick")));
}();

class AutoLoadTest : public ::testing::Test {
protected:
    // The Run value "QVZentick", or nothing.
    std::optional<std::string> RunValue() {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kRunSubKey, &key), ERROR_SUCCESS);
        char data[2048];
        DWORD size = sizeof data;
        LONG result = RegQueryValueExA(key, "QVZentick", nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS) return std::nullopt;
        return std::string(data);
    }

    std::string Entry() { return home_.AutostartDir() + "/QVZentick.desktop"; }

    // Copies this test program to path and runs it there as the helper (how: see
    // gHelperRun); its exit code.
    int RunHelperFrom(const std::string& path, const std::string& how = "1") {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::filesystem::copy_file("/proc/self/exe", path);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        pid_t child = fork();
        if (child == 0) {
            setenv("ZT_AUTOLOAD_HELPER", how.c_str(), 1);
            execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TTempConfigHome home_;
};

TEST_F(AutoLoadTest, EnablingWritesTheQuotedProgramPathOnceAndDisablingRemovesIt) {
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_EQ(SetAutoLoad(1, "QVZentick"), ERROR_SUCCESS);
    EXPECT_EQ(RunValue(), "\"" + exe + "\" -autominimize");
    EXPECT_EQ(SetAutoLoad(1, "QVZentick"), ERROR_SUCCESS);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home_.AutostartDir()),
                            std::filesystem::directory_iterator()),
              1);

    // Removed by another tool: enabling brings it back.
    std::filesystem::remove(Entry());
    SetAutoLoad(1, "QVZentick");
    EXPECT_TRUE(std::filesystem::exists(Entry()));

    EXPECT_EQ(SetAutoLoad(0, "QVZentick"), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(Entry()));
    EXPECT_EQ(SetAutoLoad(0, "QVZentick"), ERROR_SUCCESS);
}

TEST_F(AutoLoadTest, AMovedProgramWithAnAwkwardPathIsStartedFromItsNewPlace) {
    const std::string first = home_.Root() + "/bin/zentick";
    ASSERT_EQ(RunHelperFrom(first), ERROR_SUCCESS);
    EXPECT_EQ(RunValue(), "\"" + first + "\" -autominimize");

    const std::string moved = home_.Root() + "/my \"apps\" $HOME `id` 100%\\/zen tick\\";
    ASSERT_EQ(RunHelperFrom(moved), ERROR_SUCCESS);
    auto value = RunValue();
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(SplitCommandLine(*value), (std::vector<std::string>{moved, "-autominimize"}));
    std::ifstream in(Entry());
    auto keys = ReadDesktopEntry(std::string(std::istreambuf_iterator<char>(in), {}));
    EXPECT_EQ(ParseExecValue(keys["Exec"]), (std::vector<std::string>{moved, "-autominimize"}));
}

TEST_F(AutoLoadTest, APathThatDoesNotFitWritesNothing) {
    HKEY run = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kRunSubKey, &run), ERROR_SUCCESS);
    const char old[] = "\"/old/zentick\" -autominimize";
    RegSetValueExA(run, "QVZentick", 0, REG_SZ, reinterpret_cast<const BYTE*>(old), sizeof old);
    RegCloseKey(run);

    // Deep folders of 200-character names; the file name sets the exact length.
    auto pathOfLength = [&](size_t length) {
        std::string path = home_.Root();
        while (path.size() + 201 + 10 < length)
            path += "/" + std::string(200, 'd');
        return path + "/" + std::string(length - path.size() - 1, 'z');
    };
    // 1008 characters fit the path buffer but not the command; 1100 fit neither.
    for (size_t length : {size_t{1008}, size_t{1100}}) {
        const std::string path = pathOfLength(length);
        ASSERT_EQ(path.size(), length);
        EXPECT_EQ(RunHelperFrom(path), ERROR_SUCCESS);
        EXPECT_EQ(RunValue(), std::string(old));
    }
    // 1007 characters is the longest path that is written.
    const std::string longest = pathOfLength(1007);
    EXPECT_EQ(RunHelperFrom(longest), ERROR_SUCCESS);
    EXPECT_EQ(RunValue(), "\"" + longest + "\" -autominimize");
}

TEST_F(AutoLoadTest, AProgramWhoseFileWasRemovedKeepsTheEntryThatWasThere) {
    const std::string installed = home_.Root() + "/bin/zentick";
    ASSERT_EQ(RunHelperFrom(installed), ERROR_SUCCESS);
    const auto before = RunValue();
    ASSERT_EQ(before, "\"" + installed + "\" -autominimize");

    // The program now runs from a file that is removed while it runs: the system names it
    // ".../zentick (deleted)", a path to nothing.
    const std::string removed = home_.Root() + "/old/zentick";
    EXPECT_EQ(RunHelperFrom(removed, "remove"), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(removed));
    EXPECT_EQ(RunValue(), before);

    // Replaced by a newer program (an update): the entry starts the program there now.
    const std::string update = home_.Root() + "/new/zentick.update";
    std::filesystem::create_directories(home_.Root() + "/new");
    std::filesystem::copy_file("/proc/self/exe", update);
    std::filesystem::permissions(update, std::filesystem::perms::owner_all);
    const std::string updated = home_.Root() + "/new/zentick";
    EXPECT_EQ(RunHelperFrom(updated, "replace:" + update), ERROR_SUCCESS);
    EXPECT_EQ(RunValue(), "\"" + updated + "\" -autominimize");
}

TEST_F(AutoLoadTest, ARunKeyThatCannotBeOpenedIsReported) {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    EXPECT_EQ(SetAutoLoad(1, "QVZentick"), ERROR_PATH_NOT_FOUND);
}
}  // namespace
