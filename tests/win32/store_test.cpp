// The parameter store, the clock's settings and the Run value against the system's
// registry, with HKEY_CURRENT_USER standing for a key of the test's own.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/os/module.h"
#include "platform/os/registry.h"
#include "platform/os/win32/regoverride.h"
#include "settings/autoload.h"
#include "settings/clocksettings.h"
#include "settings/paramstore.h"

namespace {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(user_.Active()); }

    // A value of HKCU\Software\Kelbrin\QVZentick, or none.
    static std::optional<int32_t> Stored(const char* name) {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Kelbrin\\QVZentick", &key) != ERROR_SUCCESS)
            return std::nullopt;
        int32_t value = 0;
        DWORD type = 0, size = 4;
        LONG error =
            RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        if (error != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
        return value;
    }
    static std::optional<std::string> RunValue() {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_CURRENT_USER, kRunSubKey, &key) != ERROR_SUCCESS) return std::nullopt;
        char data[1100] = {};
        DWORD type = 0, size = sizeof data - 1;
        LONG error = RegQueryValueExA(key, "QVZentick", nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        if (error != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
        return std::string(data);
    }

    ztest::TCurrentUserOverride user_;
};

TEST_F(StoreTest, FirstOpeningCreatesTheKeyAndReadsStoreTheirDefaults) {
    ParamStore p;
    ParamOpen("QVZentick", "QVZentick", &p, 1);
    ASSERT_NE(p.Key, nullptr);
    EXPECT_EQ(p.Disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(ParamReadInt(&p, "type", 4), 4);
    ParamClose(&p);
    EXPECT_EQ(Stored("type"), 4);
}

TEST_F(StoreTest, LaterOpeningsReadWithoutWriting) {
    ParamStore p;
    ParamOpen("QVZentick", "QVZentick", &p, 1);
    ParamWriteInt(&p, "back", -1);
    ParamClose(&p);
    ParamOpen("QVZentick", "QVZentick", &p, 1);
    EXPECT_EQ(p.Disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(ParamReadInt(&p, "back", 2), -1);
    EXPECT_EQ(ParamReadInt(&p, "added", 9), 9);
    ParamClose(&p);
    EXPECT_FALSE(Stored("added"));
}

TEST_F(StoreTest, StringsReadOverTheirDefaultBuffer) {
    ParamStore p;
    ParamOpen("QVZentick", "QVZentick", &p, 1);
    ParamWriteString(&p, "name", "fourteen chars");
    ParamClose(&p);
    ParamOpen("QVZentick", "QVZentick", &p, 1);
    char buffer[16] = "default";
    ParamReadString(&p, "missing", buffer, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "default");
    ParamReadString(&p, "name", buffer, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "fourteen chars");
    ParamClose(&p);
}

class TWindowStub : public TSettingsWindow {
public:
    int Left() const override { return left_; }
    int Top() const override { return top_; }
    int Width() const override { return 150; }
    int Height() const override { return 90; }
    void SetLeft(int left) override { left_ = left; }
    void SetTop(int top) override { top_ = top; }
    bool MinimizedOrMaximized() const override { return false; }
    int ScreenWidth() const override { return 1280; }
    int ScreenHeight() const override { return 1024; }
    int left_ = 0, top_ = 0;
};

TEST_F(StoreTest, FirstLoadStoresFifteenValuesAndSavingKeepsThePosition) {
    ClockSettings settings;
    TWindowStub window;
    LoadSettings(settings, window);
    for (const char* name :
         {"viewertop", "viewerleft", "alwaysontop", "24hour", "bcd", "bcdhide", "secondshide",
          "autoload", "hidetask", "type", "back", "ledcolor", "ledshape", "movearound", "scale"})
        EXPECT_TRUE(Stored(name)) << name;
    EXPECT_EQ(Stored("hidetask"), 1);
    window.SetLeft(33);
    window.SetTop(44);
    settings.Type = 6;
    SaveSettings(settings, window);
    ClockSettings again;
    TWindowStub other;
    LoadSettings(again, other);
    EXPECT_EQ(again.Type, 6);
    EXPECT_EQ(other.Left(), 33);
    EXPECT_EQ(other.Top(), 44);
}

TEST_F(StoreTest, AutoLoadWritesTheQuotedProgramPathAndRemovesIt) {
    HKEY run = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRunSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &run, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(run);
    char path[1024] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    EXPECT_EQ(SetAutoLoad(1, "QVZentick"), ERROR_SUCCESS);
    EXPECT_EQ(RunValue(), "\"" + std::string(path) + "\" -autominimize");
    EXPECT_EQ(SetAutoLoad(1, "QVZentick"), ERROR_SUCCESS);  // again: still one value
    EXPECT_EQ(SetAutoLoad(0, "QVZentick"), ERROR_SUCCESS);
    EXPECT_FALSE(RunValue());
    EXPECT_EQ(SetAutoLoad(0, "QVZentick"), ERROR_SUCCESS);  // nothing to remove: no error
}

TEST_F(StoreTest, AutoLoadNeverCreatesTheRunKey) {
    EXPECT_EQ(SetAutoLoad(1, "QVZentick"), ERROR_FILE_NOT_FOUND);
    HKEY run = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kRunSubKey, &run), ERROR_FILE_NOT_FOUND);
}

}  // namespace
