// The registry calls against the system's registry, in a key of the test's own that stands
// for HKEY_CURRENT_USER while each test runs.
#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <string>
#include <thread>

#include "platform/os/registry.h"
#include "platform/os/win32/regoverride.h"
#include "platform/os/win32/winsys.h"

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(user_.Active()); }
    ztest::TCurrentUserOverride user_;
};

constexpr const char* kKey = "Software\\Kelbrin\\QVZentick";

TEST_F(RegistryTest, FirstCreateMakesTheKeyAndLaterOnesOpenIt) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, "QVZentick", REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, "QVZentick", REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, OpenNeverCreates) {
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Missing", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    HKEY parent = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software", &parent), ERROR_FILE_NOT_FOUND);
}

class OpenKeyTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        DWORD disposition = 0;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key_, &disposition),
                  ERROR_SUCCESS);
    }
    void TearDown() override { RegCloseKey(key_); }
    void SetDword(const char* name, uint32_t value) {
        BYTE bytes[4];
        std::memcpy(bytes, &value, 4);
        ASSERT_EQ(RegSetValueExA(key_, name, 0, REG_DWORD, bytes, 4), ERROR_SUCCESS);
    }
    HKEY key_ = nullptr;
};

TEST_F(OpenKeyTest, DwordsRoundTripAndAllOnesIsMinusOne) {
    SetDword("type", 0xFFFFFFFFu);
    int32_t value = 5;
    DWORD type = REG_NONE, size = sizeof value;
    ASSERT_EQ(
        RegQueryValueExA(key_, "type", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(value, -1);
}

TEST_F(OpenKeyTest, MissingValueLeavesEverythingAlone) {
    BYTE data[4] = {1, 2, 3, 4};
    DWORD type = 77, size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key_, "nothing", nullptr, &type, data, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(type, 77u);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[3], 4);
}

TEST_F(OpenKeyTest, TooSmallBufferReportsTheSizeAndLeavesTheBuffer) {
    const char text[] = "a longer text";
    ASSERT_EQ(
        RegSetValueExA(key_, "name", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
        ERROR_SUCCESS);
    char buffer[4] = {'x', 'y', 'z', 0};
    DWORD type = REG_NONE, size = sizeof buffer;
    EXPECT_EQ(
        RegQueryValueExA(key_, "name", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof text);
    EXPECT_STREQ(buffer, "xyz");
    char whole[32] = {};
    size = sizeof whole;
    EXPECT_EQ(RegQueryValueExA(key_, "name", nullptr, &type, reinterpret_cast<BYTE*>(whole), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_STREQ(whole, text);
}

TEST_F(OpenKeyTest, SizeAloneWithoutData) {
    SetDword("back", 3);
    DWORD type = REG_NONE, size = 0;
    EXPECT_EQ(RegQueryValueExA(key_, "back", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
}

TEST_F(OpenKeyTest, DeletingRemovesOnceAndThenReportsMissing) {
    SetDword("shape", 2);
    EXPECT_EQ(RegDeleteValueA(key_, "shape"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key_, "shape"), ERROR_FILE_NOT_FOUND);
}

TEST_F(OpenKeyTest, ValuesAreSeenThroughAnotherHandle) {
    SetDword("ledcolor", 3);
    HKEY other = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kKey, &other), ERROR_SUCCESS);
    int32_t value = 0;
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueExA(other, "LEDCOLOR", nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                               &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(RegCloseKey(other), ERROR_SUCCESS);
}

TEST(RegistryHandleTest, ClosingNothingIsAnError) {
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(OpenKeyTest, ABatchStoresEveryValueAndTheLaterOfTwoNamesWins) {
    const std::vector<TRegValueWrite> batch = {
        {"one", REG_DWORD, {1, 0, 0, 0}},
        {"two", REG_SZ, {'t', 'w', 'o', 0}},
        {"one", REG_DWORD, {3, 0, 0, 0}},
    };
    ASSERT_EQ(RegSetValues(key_, batch), ERROR_SUCCESS);
    int32_t value = 0;
    DWORD type = REG_NONE, size = sizeof value;
    ASSERT_EQ(RegQueryValueExA(key_, "one", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 3);
    char text[8] = {};
    size = sizeof text;
    ASSERT_EQ(RegQueryValueExA(key_, "two", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, "two");
}

TEST_F(OpenKeyTest, ABatchWaitsForAnotherAtMostASecond) {
    // Another program's batch, in the middle of being stored, holds the turn.
    std::promise<void> held;
    std::promise<void> done;
    std::thread other([&] {
        void* turn = winsys::AcquireSessionMutex("zentick-registry-batch", 1000);
        held.set_value();
        done.get_future().wait();
        winsys::ReleaseSessionMutex(turn);
    });
    held.get_future().wait();
    EXPECT_EQ(RegSetValues(key_, {{"late", REG_DWORD, {1, 0, 0, 0}}}), 1460);  // ERROR_TIMEOUT
    done.set_value();
    other.join();
    EXPECT_EQ(RegSetValues(key_, {{"late", REG_DWORD, {1, 0, 0, 0}}}), ERROR_SUCCESS);
}
}  // namespace
