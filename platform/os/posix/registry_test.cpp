#include "platform/os/registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/os/posix/atomicfile.h"
#include "platform/os/posix/regfile.h"
#include "platform/os/posix/report.h"
#include "tests/support/tempconfighome.h"
#include "tests/support/testchild.h"

namespace {
constexpr const char* kSubKey = "Software\\Kelbrin\\QVZentick";
constexpr const char* kFullKey = "HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick";

class RegistryTest : public ::testing::Test {
protected:
    // The lines told on stderr are kept in lines_.
    void SetUp() override {
        SetProblemSink([this](const std::string& line) { lines_.push_back(line); });
    }
    void TearDown() override { SetProblemSink(nullptr); }

    // Creates the key and returns an open handle to it.
    HKEY CreateKey(DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        DWORD what = 0;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSubKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, &what),
                  ERROR_SUCCESS);
        if (disposition != nullptr) *disposition = what;
        return key;
    }

    LONG SetDword(HKEY key, const char* name, DWORD value) {
        return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    }

    TRegFile FileOnDisk() {
        int error = 0;
        auto text = ReadWholeFile(home_.RegistryFile(), error);
        EXPECT_TRUE(text.has_value()) << error;
        auto file = TRegFile::Parse(text.value_or(""));
        EXPECT_TRUE(file.has_value());
        return file.value_or(TRegFile());
    }

    void WriteRegistryFile(const std::string& text) {
        std::filesystem::create_directories(home_.ConfigHome() + "/zentick");
        std::ofstream(home_.RegistryFile()) << text;
    }

    // The files of the configuration folder whose names start with prefix.
    std::vector<std::string> FilesStartingWith(const std::string& prefix) {
        std::vector<std::string> found;
        for (const auto& entry :
             std::filesystem::directory_iterator(home_.ConfigHome() + "/zentick")) {
            if (entry.path().filename().string().rfind(prefix, 0) == 0)
                found.push_back(entry.path());
        }
        return found;
    }

    TTempConfigHome home_;
    std::vector<std::string> lines_;
};

TEST_F(RegistryTest, CreateReportsNewThenExistingAndKeepsTheFilePrivate) {
    DWORD disposition = 0;
    HKEY key = CreateKey(&disposition);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    struct stat st {};
    ASSERT_EQ(stat(home_.RegistryFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(FileOnDisk().FindKey(kFullKey) != nullptr);

    key = CreateKey(&disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
    // Parents exist now too, and names compare without case.
    HKEY parent = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "SOFTWARE\\kelbrin", &parent), ERROR_SUCCESS);
    RegCloseKey(parent);
}

TEST_F(RegistryTest, OpenNeverCreates) {
    HKEY key = reinterpret_cast<HKEY>(&key);
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSubKey, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_FALSE(std::filesystem::exists(home_.RegistryFile()));
}

TEST_F(RegistryTest, QueryFollowsTheSystemsBufferRules) {
    HKEY key = CreateKey();
    const char text[] = "hello";
    ASSERT_EQ(RegSetValueExA(key, "greeting", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 6),
              ERROR_SUCCESS);

    // Size only.
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "GREETING", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 6u);

    // Too small: ERROR_MORE_DATA, size needed, buffer untouched.
    char buffer[8];
    std::memset(buffer, 'Z', sizeof buffer);
    size = 5;
    EXPECT_EQ(
        RegQueryValueExA(key, "greeting", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::string(buffer, 8), "ZZZZZZZZ");

    // Exact fit.
    size = 6;
    EXPECT_EQ(
        RegQueryValueExA(key, "greeting", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "hello");

    // Missing value: nothing touched.
    std::memset(buffer, 'Z', sizeof buffer);
    type = 99;
    size = 8;
    EXPECT_EQ(
        RegQueryValueExA(key, "missing", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::string(buffer, 8), "ZZZZZZZZ");
    EXPECT_EQ(type, 99u);
    EXPECT_EQ(size, 8u);

    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(key, "greeting", &reserved, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "greeting", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                               nullptr),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryTest, ValuesAreSeenThroughEveryHandleAndDeleted) {
    HKEY writer = CreateKey();
    HKEY reader = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "software\\KELBRIN\\qvzentick", &reader),
              ERROR_SUCCESS);
    ASSERT_EQ(SetDword(writer, "Type", 0xFFFFFFFF), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(writer, "TYPE", 6), ERROR_SUCCESS);

    DWORD value = 0, type = 0, size = 4;
    EXPECT_EQ(
        RegQueryValueExA(reader, "type", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, 6u);
    EXPECT_EQ(type, REG_DWORD);
    // One value, under the name's first spelling.
    const TRegFile file = FileOnDisk();
    const TRegKey* key = file.FindKey(kFullKey);
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->Values.size(), 1u);
    EXPECT_EQ(key->Values[0].Name, "Type");

    EXPECT_EQ(RegDeleteValueA(reader, "type"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(reader, "type"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(writer, "type", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(writer);
    RegCloseKey(reader);
}

TEST_F(RegistryTest, HandlesAreCheckedAndClosedOnce) {
    HKEY key = CreateKey();
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetDword(key, "x", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(nullptr, "x", nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteValueA(nullptr, "x"), ERROR_INVALID_HANDLE);
    HKEY sub = nullptr;
    EXPECT_EQ(RegOpenKeyA(nullptr, "x", &sub), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(RegistryTest, BadKeyAndValueNamesAreRefused) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "\\Software", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\\\X", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\nX", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key, nullptr);
    key = CreateKey();
    EXPECT_EQ(SetDword(key, "two\nlines", 1), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryTest, AFileThatIsNoRegistryFileIsMovedAsideAndSaidSo) {
    const struct {
        const char* Name;
        std::string Text;
        const char* Why;
    } cases[] = {
        {"no header", "[HKEY_CURRENT_USER\\Software]\n\"x\"=dword:00000001\n", "was unreadable"},
        {"not text", std::string("\x89PNG\r\n\x1a\n\0\0", 10), "was unreadable"},
        {"too large", "Windows Registry Editor Version 5.00\n" + std::string(5 << 20, ';'),
         "was larger than 4 MB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteRegistryFile(c.Text);
        lines_.clear();
        DWORD disposition = 0;
        HKEY key = CreateKey(&disposition);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
        RegCloseKey(key);
        const std::vector<std::string> aside = FilesStartingWith("user.reg.corrupt-");
        ASSERT_EQ(aside.size(), 1u);
        int error = 0;
        EXPECT_EQ(ReadWholeFile(aside[0], error).value_or(""),
                  c.Text.size() < (4 << 20) ? c.Text : "");
        EXPECT_EQ(lines_, (std::vector<std::string>{"zentick: settings file " + std::string(c.Why) +
                                                    "; moved to " + aside[0] +
                                                    "; starting with defaults"}));
        EXPECT_NE(FileOnDisk().FindKey(kFullKey), nullptr);
        std::filesystem::remove(aside[0]);
    }
}

TEST_F(RegistryTest, AnUnreadableLineIsSkippedSaidAndKept) {
    WriteRegistryFile(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick]\n"
        "\"type\"=dword:100000001\n"
        "\"back\"=dword:00000002\n");
    HKEY key = CreateKey();
    DWORD value = 0, size = 4;
    EXPECT_EQ(
        RegQueryValueExA(key, "back", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(
        RegQueryValueExA(key, "type", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(SetDword(key, "type", 3), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(FilesStartingWith("user.reg.corrupt-").empty());
    ASSERT_EQ(lines_.size(), 1u) << "told once, though read again to save";
    EXPECT_EQ(lines_[0], "zentick: " + home_.RegistryFile() +
                             ": 1 line could not be read and was skipped (line 4); the rest was "
                             "read, and it stays in the file as it is");
    int error = 0;
    const std::string text = ReadWholeFile(home_.RegistryFile(), error).value_or("");
    EXPECT_NE(text.find("\"type\"=dword:100000001\n"), std::string::npos) << text;
    EXPECT_EQ(FileOnDisk().FindValue(kFullKey, "type")->Data, (std::vector<BYTE>{3, 0, 0, 0}));
}

TEST_F(RegistryTest, ABatchIsOneChangeOfTheFile) {
    HKEY key = CreateKey();
    const std::vector<TRegValueWrite> batch = {
        {"one", REG_DWORD, {1, 0, 0, 0}},
        {"two", REG_SZ, {'t', 'w', 'o', 0}},
        {"ONE", REG_DWORD, {3, 0, 0, 0}},  // later ones win
    };
    struct stat before {};
    ASSERT_EQ(stat(home_.RegistryFile().c_str(), &before), 0);
    ASSERT_EQ(RegSetValues(key, batch), ERROR_SUCCESS);
    struct stat after {};
    ASSERT_EQ(stat(home_.RegistryFile().c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "written anew";
    const TRegFile file = FileOnDisk();
    EXPECT_EQ(file.FindValue(kFullKey, "one")->Data, (std::vector<BYTE>{3, 0, 0, 0}));
    EXPECT_EQ(file.FindValue(kFullKey, "two")->Data, (std::vector<BYTE>{'t', 'w', 'o', 0}));
    EXPECT_EQ(file.FindKey(kFullKey)->Values.size(), 2u);
    // The same batch again changes nothing, and writes nothing.
    ASSERT_EQ(RegSetValues(key, batch), ERROR_SUCCESS);
    struct stat again {};
    ASSERT_EQ(stat(home_.RegistryFile().c_str(), &again), 0);
    EXPECT_EQ(again.st_ino, after.st_ino);
    // A name that cannot be kept spoils the whole batch.
    EXPECT_EQ(RegSetValues(key, {{"three", REG_DWORD, {3, 0, 0, 0}}, {"a\nb", REG_DWORD, {}}}),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(FileOnDisk().FindValue(kFullKey, "three"), nullptr);
    RegCloseKey(key);
}

TEST_F(RegistryTest, AFileChangedByAnotherProgramIsReadAgain) {
    HKEY key = CreateKey();
    ASSERT_EQ(SetDword(key, "type", 1), ERROR_SUCCESS);
    DWORD value = 0, size = 4;
    ASSERT_EQ(
        RegQueryValueExA(key, "type", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    // Another copy saves while the key is open here; so does an editor that writes in place.
    TRegFile changed = FileOnDisk();
    changed.SetValue(kFullKey, "type", REG_DWORD, {2, 0, 0, 0});
    ASSERT_EQ(WriteFileAtomic(home_.RegistryFile(), changed.Serialise(), 0600), 0);
    ASSERT_EQ(
        RegQueryValueExA(key, "type", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
    changed.SetValue(kFullKey, "type", REG_DWORD, {3, 0, 0, 0});
    std::ofstream(home_.RegistryFile(), std::ios::trunc) << changed.Serialise() << "\n\n";
    ASSERT_EQ(
        RegQueryValueExA(key, "type", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, 3u);
    // A change made here on the file as it was keeps the other's values.
    changed.SetValue(kFullKey, "other", REG_DWORD, {4, 0, 0, 0});
    ASSERT_EQ(WriteFileAtomic(home_.RegistryFile(), changed.Serialise(), 0600), 0);
    ASSERT_EQ(SetDword(key, "type", 5), ERROR_SUCCESS);
    EXPECT_NE(FileOnDisk().FindValue(kFullKey, "other"), nullptr);
    RegCloseKey(key);
}

TEST_F(RegistryTest, ASymbolicLinkToTheFileIsSavedThrough) {
    const std::string dotfiles = home_.Root() + "/dotfiles/zentick";
    std::filesystem::create_directories(dotfiles);
    std::filesystem::create_directories(home_.ConfigHome() + "/zentick");
    std::ofstream(dotfiles + "/user.reg") << "Windows Registry Editor Version 5.00\n";
    std::filesystem::create_symlink("../../dotfiles/zentick/user.reg", home_.RegistryFile());
    HKEY key = CreateKey();
    ASSERT_EQ(SetDword(key, "type", 6), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(std::filesystem::is_symlink(home_.RegistryFile()));
    int error = 0;
    auto text = ReadWholeFile(dotfiles + "/user.reg", error);
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find("\"type\"=dword:00000006"), std::string::npos);
    EXPECT_TRUE(lines_.empty());
}

TEST_F(RegistryTest, NoConfigFolderGivesAnErrorAndNoHandle) {
    // A file where the configuration folder should be (works for root too), and no
    // folder at all.
    std::filesystem::create_directories(home_.Root());
    std::ofstream(home_.ConfigHome()) << "in the way";
    HKEY key = reinterpret_cast<HKEY>(&key);
    EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, kSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(key, nullptr);

    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(
        RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", &key),
        ERROR_PATH_NOT_FOUND);
}

TEST_F(RegistryTest, RelativeConfigHomeIsIgnoredForHome) {
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    HKEY key = CreateKey();
    ASSERT_NE(key, nullptr);
    RegCloseKey(key);
    EXPECT_TRUE(std::filesystem::exists(home_.Root() + "/home/.config/zentick/user.reg"));
    EXPECT_FALSE(std::filesystem::exists("relative"));
}

TEST_F(RegistryTest, AReadOnlyFolderKeepsExistingValuesReadableAndRefusesWrites) {
    HKEY key = CreateKey();
    ASSERT_EQ(SetDword(key, "type", 3), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string dir = home_.ConfigHome() + "/zentick";
    chmod(dir.c_str(), 0500);

    // Without privileges, so that the permission bits bind even a test run as root.
    const auto outcome = ztest::RunInChild(
        [&] {
            HKEY readOnly = CreateKey();
            ASSERT_NE(readOnly, nullptr);
            DWORD value = 0, size = 4;
            EXPECT_EQ(RegQueryValueExA(readOnly, "type", nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&value), &size),
                      ERROR_SUCCESS);
            EXPECT_EQ(value, 3u);
            EXPECT_EQ(SetDword(readOnly, "type", 3), ERROR_SUCCESS);  // unchanged: nothing to write
            EXPECT_EQ(SetDword(readOnly, "type", 4), ERROR_ACCESS_DENIED);
            RegCloseKey(readOnly);

            HKEY other = nullptr;
            EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Other", 0, nullptr, 0,
                                      KEY_ALL_ACCESS, nullptr, &other, nullptr),
                      ERROR_ACCESS_DENIED);
            EXPECT_EQ(other, nullptr);
        },
        {.DropPrivileges = true});
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    EXPECT_EQ(FileOnDisk().FindValue(kFullKey, "type")->Data, (std::vector<BYTE>{3, 0, 0, 0}));
}

// What becomes of a save that cannot be made: the failure's code, one line on stderr with
// the file and the reason, and not again for the same failure.
struct TFailedSave {
    const char* Name;
    // Makes the save fail; what it returns (a lock held, say) is kept until the end.
    std::function<TFileHandle(const std::string& dir, const std::string& file)> Prepare;
    std::string Why;  // the line after "zentick: cannot save the settings to <file>"; LOCK
                      // stands for the lock file
    LONG Result;
};

class FailedSaveTest : public RegistryTest, public ::testing::WithParamInterface<TFailedSave> {};

void PrintTo(const TFailedSave& save, std::ostream* out) {
    *out << save.Name;
}

TEST_P(FailedSaveTest, IsToldOnceWithTheFileAndTheReason) {
    const TFailedSave& save = GetParam();
    HKEY key = CreateKey();
    ASSERT_EQ(SetDword(key, "type", 1), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string dir = home_.ConfigHome() + "/zentick";
    const TFileHandle held = save.Prepare(dir, home_.RegistryFile());
    std::string why = save.Why;
    if (auto at = why.find("LOCK"); at != std::string::npos)
        why.replace(at, 4, home_.RegistryFile() + ".lock");
    const auto outcome = ztest::RunInChild(
        [&] {
            std::vector<std::string> lines;
            SetProblemSink([&](const std::string& line) { lines.push_back(line); });
            // A file that cannot be read cannot have its key opened either: the save fails
            // on making the key.
            for (int value : {2, 3}) {
                HKEY child = nullptr;
                const LONG opened = RegCreateKeyExA(HKEY_CURRENT_USER, kSubKey, 0, nullptr, 0,
                                                    KEY_ALL_ACCESS, nullptr, &child, nullptr);
                EXPECT_EQ(opened == ERROR_SUCCESS ? SetDword(child, "type", DWORD(value)) : opened,
                          save.Result);
                RegCloseKey(child);
            }
            // What reading told is not this test's business.
            std::erase_if(lines, [](const std::string& line) {
                return line.find("cannot save") == std::string::npos;
            });
            EXPECT_EQ(lines, (std::vector<std::string>{"zentick: cannot save the settings to " +
                                                       home_.RegistryFile() + why}));
        },
        {.DropPrivileges = true});
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
}

const TFailedSave kFailedSaves[] = {
    {"read-only folder",
     [](const std::string& dir, const std::string&) {
         chmod(dir.c_str(), 0500);
         return TFileHandle();
     },
     ": Permission denied", ERROR_ACCESS_DENIED},
    {"a folder in the file's place",
     [](const std::string&, const std::string& file) {
         std::filesystem::remove(file);
         std::filesystem::create_directory(file);
         return TFileHandle();
     },
     ": cannot read it: Is a directory", ERROR_GEN_FAILURE},
    {"a link to a device",
     [](const std::string&, const std::string& file) {
         std::filesystem::remove(file);
         std::filesystem::create_symlink("/dev/null", file);
         return TFileHandle();
     },
     " (a symbolic link to /dev/null): cannot read it: not a regular file", ERROR_GEN_FAILURE},
    {"a lock that another program holds",
     [](const std::string&, const std::string& file) {
         // Held by the test (the parent) for as long as the child tries.
         TFileHandle held(open((file + ".lock").c_str(), O_RDONLY | O_CLOEXEC));
         flock(held.Get(), LOCK_EX);
         return held;
     },
     ": cannot lock LOCK: another program held its lock for more than a second", ERROR_GEN_FAILURE},
};

INSTANTIATE_TEST_SUITE_P(Kinds, FailedSaveTest, ::testing::ValuesIn(kFailedSaves),
                         [](const auto& info) {
                             std::string name = info.param.Name;
                             std::replace_if(
                                 name.begin(), name.end(), [](char c) { return !isalnum(c); }, '_');
                             return name;
                         });

TEST_F(RegistryTest, AFullDiskIsToldAndTheFileStaysWhole) {
    if (!ztest::RunningAsRoot())
        GTEST_SKIP() << "needs a small file system of its own: run as root";
    HKEY key = CreateKey();
    ASSERT_EQ(SetDword(key, "type", 1), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string dir = home_.ConfigHome() + "/zentick";
    int error = 0;
    const std::string before = ReadWholeFile(home_.RegistryFile(), error).value_or("");
    const auto outcome = ztest::RunInChild([&] {
        // A file system of a few pages of its own, over the folder, holding the file and a
        // filler that takes the rest.
        ASSERT_EQ(unshare(CLONE_NEWNS), 0);
        ASSERT_EQ(mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
        ASSERT_EQ(mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=32k,mode=0700"), 0);
        {
            std::ofstream(home_.RegistryFile()) << before;
            std::ofstream filler(dir + "/filler");
            const std::string block(4096, 'x');
            while (filler.write(block.data(), block.size()) && filler.flush()) {
            }
        }
        std::vector<std::string> lines;
        SetProblemSink([&](const std::string& line) { lines.push_back(line); });
        HKEY child = nullptr;
        ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSubKey, &child), ERROR_SUCCESS);
        std::vector<BYTE> large(16384, 7);
        EXPECT_EQ(RegSetValueExA(child, "large", 0, REG_BINARY, large.data(), DWORD(large.size())),
                  ERROR_DISK_FULL);
        RegCloseKey(child);
        EXPECT_EQ(lines,
                  (std::vector<std::string>{"zentick: cannot save the settings to " +
                                            home_.RegistryFile() + ": No space left on device"}));
        int readError = 0;
        EXPECT_EQ(ReadWholeFile(home_.RegistryFile(), readError), before);
    });
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
}

TEST_F(RegistryTest, AStaleLockOfAnotherUserNoLongerBlocksSaving) {
    HKEY key = CreateKey();
    ASSERT_EQ(SetDword(key, "type", 1), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string lock = home_.RegistryFile() + ".lock";
    // Left by a run under sudo: root's, mode 0600 (under a user who is not root, a lock
    // file its owner cannot open stands for it).
    if (ztest::RunningAsRoot()) {
        ztest::GiveTo(home_.Root(), ztest::kOtherUser);
        ASSERT_EQ(lchown(lock.c_str(), 0, 0), 0);
        ASSERT_EQ(chmod(lock.c_str(), 0600), 0);
    } else {
        ASSERT_EQ(chmod(lock.c_str(), 0), 0);
    }
    const auto outcome = ztest::RunInChild(
        [&] {
            std::vector<std::string> lines;
            SetProblemSink([&](const std::string& line) { lines.push_back(line); });
            HKEY child = nullptr;
            ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSubKey, &child), ERROR_SUCCESS);
            EXPECT_EQ(SetDword(child, "type", 2), ERROR_SUCCESS);
            RegCloseKey(child);
            EXPECT_TRUE(lines.empty()) << lines.front();
        },
        {.User = int(ztest::kOtherUser)});
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    EXPECT_EQ(FileOnDisk().FindValue(kFullKey, "type")->Data, (std::vector<BYTE>{2, 0, 0, 0}));
}

TEST_F(RegistryTest, ARegistryFileThatIsAFifoNeverBlocksAndIsLeftAlone) {
    std::filesystem::create_directories(home_.ConfigHome() + "/zentick");
    ASSERT_EQ(mkfifo(home_.RegistryFile().c_str(), 0600), 0);
    const auto outcome = ztest::RunInChild([&] {
        HKEY key = nullptr;
        EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, kSubKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSubKey, &key), ERROR_FILE_NOT_FOUND);
    });
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    EXPECT_TRUE(std::filesystem::is_fifo(home_.RegistryFile()));
}

TEST_F(RegistryTest, TheRunKeyIsTheAutostartFolder) {
    HKEY run = nullptr;
    ASSERT_EQ(
        RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", &run),
        ERROR_SUCCESS);
    const char command[] = "\"/opt/my clock/zentick\" -autominimize";
    ASSERT_EQ(RegSetValueExA(run, "QVZentick", 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                             sizeof command),
              ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(home_.AutostartDir() + "/QVZentick.desktop"));
    EXPECT_FALSE(std::filesystem::exists(home_.RegistryFile()));

    char buffer[64] = {};
    DWORD type = 0, size = sizeof buffer;
    EXPECT_EQ(
        RegQueryValueExA(run, "qvzentick", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_SUCCESS);
    EXPECT_STREQ(buffer, command);
    EXPECT_EQ(size, sizeof command);
    EXPECT_EQ(type, REG_SZ);

    DWORD number = 1;
    EXPECT_EQ(RegSetValueExA(run, "n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteValueA(run, "QVZENTICK"), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(home_.AutostartDir() + "/QVZentick.desktop"));
    EXPECT_EQ(RegDeleteValueA(run, "QVZentick"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(run);
}
}  // namespace
