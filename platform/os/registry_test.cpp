#include "platform/os/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/os/atomicfile.h"
#include "platform/os/regfile.h"
#include "platform/os/tempconfighome.h"
#include "platform/os/testchild.h"

namespace {
constexpr const char* kSubKey = "Software\\Kelbrin\\QVZentick";
constexpr const char* kFullKey = "HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick";

class RegistryTest : public ::testing::Test {
protected:
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

    TTempConfigHome home_;
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

TEST_F(RegistryTest, AnUnparsableFileIsMovedAsideAndTheRegistryStartsEmpty) {
    WriteRegistryFile(
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n\"x\"=\"cut");
    DWORD disposition = 0;
    HKEY key = CreateKey(&disposition);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    int aside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home_.ConfigHome() + "/zentick")) {
        if (entry.path().filename().string().rfind("user.reg.corrupt-", 0) == 0) ++aside;
    }
    EXPECT_EQ(aside, 1);
    EXPECT_NE(FileOnDisk().FindKey(kFullKey), nullptr);
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
