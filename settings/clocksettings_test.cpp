#include "settings/clocksettings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/os/posix/atomicfile.h"
#include "platform/os/posix/regfile.h"
#include "platform/os/registry.h"
#include "tests/support/tempconfighome.h"
#include "tests/support/testchild.h"

namespace {
constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick";
using Values = std::vector<std::pair<std::string, int32_t>>;

class TFakeWindow : public TSettingsWindow {
public:
    int Left() const override { return left; }
    int Top() const override { return top; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    void SetLeft(int value) override {
        left = value;
        calls.push_back("left");
    }
    void SetTop(int value) override {
        top = value;
        calls.push_back("top");
    }
    bool MinimizedOrMaximized() const override { return minimizedOrMaximized; }
    int ScreenWidth() const override { return 1367; }
    int ScreenHeight() const override { return 769; }

    int left = 0, top = 0, width = 150, height = 90;
    bool minimizedOrMaximized = false;
    std::vector<std::string> calls;
};

class ClockSettingsTest : public ::testing::Test {
protected:
    // The clock's values in the registry file, in file order.
    Values Stored() {
        int error = 0;
        auto text = ReadWholeFile(home_.RegistryFile(), error);
        if (!text) return {};
        auto file = TRegFile::Parse(*text);
        EXPECT_TRUE(file.has_value());
        const TRegKey* key = file ? file->FindKey(kKey) : nullptr;
        Values values;
        for (const TRegValue& value : key ? key->Values : std::vector<TRegValue>{}) {
            EXPECT_EQ(value.Type, REG_DWORD) << value.Name;
            EXPECT_EQ(value.Data.size(), 4u) << value.Name;
            values.emplace_back(
                value.Name,
                static_cast<int32_t>(value.Data[0] | value.Data[1] << 8 | value.Data[2] << 16 |
                                     uint32_t{value.Data[3]} << 24));
        }
        return values;
    }

    void Set(const char* name, int32_t value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Kelbrin\\QVZentick", &key),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
        RegCloseKey(key);
    }

    void Delete(const char* name) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Kelbrin\\QVZentick", &key),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegDeleteValueA(key, name), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    static const Values& FirstRunValues() {
        static const Values values = {{"viewertop", 384}, {"viewerleft", 683}, {"alwaysontop", 0},
                                      {"24hour", 1},      {"bcd", 1},          {"bcdhide", 1},
                                      {"secondshide", 0}, {"autoload", 0},     {"hidetask", 1},
                                      {"type", 0},        {"back", 0},         {"ledcolor", 0},
                                      {"ledshape", 0},    {"movearound", 0},   {"scale", 0}};
        return values;
    }

    TTempConfigHome home_;
    TFakeWindow window_;
};

TEST_F(ClockSettingsTest, TheFirstStartStoresTheFifteenDefaultsInReadOrder) {
    ClockSettings settings;
    LoadSettings(settings, window_);
    EXPECT_EQ(window_.calls, (std::vector<std::string>{"top", "left"}));
    EXPECT_EQ(window_.top, 384);
    EXPECT_EQ(window_.left, 683);
    EXPECT_EQ(Stored(), FirstRunValues());
    EXPECT_EQ(settings.Hour24, 1);
    EXPECT_EQ(settings.HideTask, 1);
}

TEST_F(ClockSettingsTest, SavingWritesTheWindowThenTheFieldsInOrder) {
    ClockSettings settings;
    settings.Type = 1;
    settings.OnTop = 5;
    window_.left = -20;
    window_.top = 7;
    window_.width = 76;
    window_.height = 46;
    SaveSettings(settings, window_);
    EXPECT_EQ(Stored(), (Values{{"viewertop", 7},
                                {"viewerleft", -20},
                                {"viewerwidth", 76},
                                {"viewerheight", 46},
                                {"alwaysontop", 5},
                                {"24hour", 1},
                                {"bcd", 1},
                                {"bcdhide", 1},
                                {"secondshide", 0},
                                {"autoload", 0},
                                {"hidetask", 1},
                                {"type", 1},
                                {"back", 0},
                                {"ledcolor", 0},
                                {"ledshape", 0},
                                {"movearound", 0},
                                {"scale", 0}}));
}

TEST_F(ClockSettingsTest, AFirstSaveAddsTheSizeAndKeepsTheRest) {
    ClockSettings settings;
    LoadSettings(settings, window_);
    SaveSettings(settings, window_);
    Values expected = FirstRunValues();
    expected.push_back({"viewerwidth", 150});
    expected.push_back({"viewerheight", 90});
    EXPECT_EQ(Stored(), expected);
}

TEST_F(ClockSettingsTest, AMinimisedOrMaximisedWindowKeepsTheStoredPlace) {
    ClockSettings settings;
    LoadSettings(settings, window_);
    window_.left = window_.top = -32000;
    window_.minimizedOrMaximized = true;
    settings.Back = 2;
    SaveSettings(settings, window_);
    Values expected = FirstRunValues();
    expected[10].second = 2;  // "back"
    EXPECT_EQ(Stored(), expected);
}

TEST_F(ClockSettingsTest, StoredValuesAreTakenAsTheyAreAndMissingOnesKeepTheirDefault) {
    ClockSettings first;
    LoadSettings(first, window_);
    SaveSettings(first, window_);
    Set("alwaysontop", 5);
    Set("back", 9);
    Set("movearound", 1);
    Set("viewertop", -3);
    Delete("hidetask");

    ClockSettings settings;
    settings.HideTask = 7;  // the field's current value is its default
    TFakeWindow window;
    LoadSettings(settings, window);
    EXPECT_EQ(settings.OnTop, 5);
    EXPECT_EQ(settings.Back, 9);
    EXPECT_EQ(settings.MoveAround, 1);
    EXPECT_EQ(settings.HideTask, 7);
    EXPECT_EQ(window.top, -3);
    for (const auto& [name, value] : Stored())
        EXPECT_NE(name, "hidetask") << "read must not write";

    SaveSettings(settings, window);
    const Values stored = Stored();
    EXPECT_NE(std::find(stored.begin(), stored.end(), std::make_pair(std::string("hidetask"), 7)),
              stored.end());
}

TEST_F(ClockSettingsTest, AnUnwritableConfigFolderLeavesTheClockOnDefaults) {
    std::filesystem::create_directories(home_.Root());
    std::ofstream(home_.ConfigHome()) << "a file where the folder should be";
    ClockSettings settings;
    settings.Type = 4;
    LoadSettings(settings, window_);
    EXPECT_EQ(settings.Type, 4);
    EXPECT_EQ(settings.Hour24, 1);
    EXPECT_EQ(window_.top, 384);
    EXPECT_EQ(window_.left, 683);
    SaveSettings(settings, window_);
    EXPECT_TRUE(std::filesystem::is_regular_file(home_.ConfigHome()));
}

TEST_F(ClockSettingsTest, AReadOnlyConfigFolderLeavesTheClockOnDefaults) {
    std::filesystem::create_directories(home_.ConfigHome());
    chmod(home_.ConfigHome().c_str(), 0500);
    // Without privileges, so that the permission bits bind even a test run as root.
    const auto outcome = ztest::RunInChild(
        [&] {
            ClockSettings settings;
            LoadSettings(settings, window_);
            EXPECT_EQ(settings.Bcd, 1);
            EXPECT_EQ(window_.top, 384);
            SaveSettings(settings, window_);
        },
        {.DropPrivileges = true});
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    EXPECT_FALSE(std::filesystem::exists(home_.ConfigHome() + "/zentick"));
}

// A settings file that is not a regular file: the clock must neither wait on it (opening a
// FIFO without a writer would block it for good) nor replace it.
TEST_F(ClockSettingsTest, ASettingsFileThatIsNoRegularFileNeverBlocksAndIsLeftAlone) {
    const std::string dir = home_.ConfigHome() + "/zentick";
    const struct {
        const char* Name;
        std::function<void(const std::string&)> Make;
        std::function<bool(const std::string&)> Kept;
    } cases[] = {
        {"FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); },
         [](const std::string& p) { return std::filesystem::is_fifo(p); }},
        {"folder", [](const std::string& p) { std::filesystem::create_directory(p); },
         [](const std::string& p) { return std::filesystem::is_directory(p); }},
        {"device", [](const std::string& p) { std::filesystem::create_symlink("/dev/null", p); },
         [](const std::string& p) {
             return std::filesystem::is_symlink(p) && std::filesystem::is_character_file(p);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        c.Make(home_.RegistryFile());
        const auto outcome = ztest::RunInChild([&] {
            ClockSettings settings;
            settings.Type = 2;
            LoadSettings(settings, window_);
            EXPECT_EQ(settings.Type, 2);
            EXPECT_EQ(settings.Bcd, 1);
            EXPECT_EQ(window_.top, 384);
            EXPECT_EQ(window_.left, 683);
            settings.Type = 5;
            SaveSettings(settings, window_);
        });
        EXPECT_TRUE(outcome.Passed) << outcome.Describe();
        EXPECT_TRUE(c.Kept(home_.RegistryFile()));
        // Nothing was moved aside either.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                                std::filesystem::directory_iterator()),
                  std::filesystem::exists(home_.RegistryFile() + ".lock") ? 2 : 1);
    }
}

// The bytes of text in UTF-16LE with a byte order mark.
std::string Utf16Le(std::string_view ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

TEST_F(ClockSettingsTest, AFileFromTheRegistryEditorIsReadAndWrittenBackAsUtf8) {
    // As "regedit /E" writes the key: UTF-16LE with a byte order mark and CRLF line ends.
    std::filesystem::create_directories(home_.ConfigHome() + "/zentick");
    std::ofstream(home_.RegistryFile(), std::ios::binary) << Utf16Le(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick]\r\n"
        "\"viewertop\"=dword:00000064\r\n"
        "\"viewerleft\"=dword:000000c8\r\n"
        "\"type\"=dword:00000003\r\n"
        "\"ledcolor\"=dword:00000002\r\n\r\n");
    ClockSettings settings;
    LoadSettings(settings, window_);
    EXPECT_EQ(settings.Type, 3);
    EXPECT_EQ(settings.Color, 2);
    EXPECT_EQ(window_.top, 100);
    EXPECT_EQ(window_.left, 200);
    SaveSettings(settings, window_);
    int error = 0;
    const auto text = ReadWholeFile(home_.RegistryFile(), error);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
    EXPECT_EQ(Stored()[0], (std::pair<std::string, int32_t>{"viewertop", 100}));
    for (const auto& entry : std::filesystem::directory_iterator(home_.ConfigHome() + "/zentick"))
        EXPECT_EQ(entry.path().filename().string().find(".corrupt-"), std::string::npos);
}

TEST_F(ClockSettingsTest, ADamagedLineCostsOnlyItsOwnSetting) {
    std::filesystem::create_directories(home_.ConfigHome() + "/zentick");
    std::ofstream(home_.RegistryFile())
        << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\"
           "Software\\Kelbrin\\QVZentick]\n\"viewerleft\"=dword:00000064\n"
           "\"type\"=dword:0000\x01\x02\n\"back\"=dword:00000002\n";
    ClockSettings settings;
    LoadSettings(settings, window_);
    EXPECT_EQ(settings.Type, 0);
    EXPECT_EQ(settings.Back, 2);
    EXPECT_EQ(window_.left, 100);
    for (const auto& entry : std::filesystem::directory_iterator(home_.ConfigHome() + "/zentick"))
        EXPECT_EQ(entry.path().filename().string().rfind("user.reg.corrupt-", 0),
                  std::string::npos);
}

TEST_F(ClockSettingsTest, AFileThatIsNoRegistryFileIsSetAsideAndTheClockStartsOnDefaults) {
    std::filesystem::create_directories(home_.ConfigHome() + "/zentick");
    std::ofstream(home_.RegistryFile()) << "\x01\x02 not a registry file\n";
    ClockSettings settings;
    LoadSettings(settings, window_);
    EXPECT_EQ(settings.Type, 0);
    EXPECT_EQ(Stored(), FirstRunValues());
    int aside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home_.ConfigHome() + "/zentick")) {
        aside += entry.path().filename().string().rfind("user.reg.corrupt-", 0) == 0;
    }
    EXPECT_EQ(aside, 1);
}

TEST_F(ClockSettingsTest, StoredPositionsBeyondSixteenBitsAreTakenAsTheNearestEnd) {
    const struct {
        int32_t Stored;
        int Used;
    } cases[] = {{40000, 32767},   {32767, 32767},      {-32768, -32768},
                 {-40000, -32768}, {INT32_MIN, -32768}, {12, 12}};
    ClockSettings first;
    LoadSettings(first, window_);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Stored);
        Set("viewerleft", c.Stored);
        Set("viewertop", c.Stored);
        ClockSettings settings;
        TFakeWindow window;
        LoadSettings(settings, window);
        EXPECT_EQ(window.left, c.Used);
        EXPECT_EQ(window.top, c.Used);
    }
}

TEST_F(ClockSettingsTest, LaterLoadsAndUnchangedSavesWriteNothing) {
    // The file is replaced by a rename at each change: its inode tells how many there were.
    auto inode = [&] {
        struct stat st {};
        return stat(home_.RegistryFile().c_str(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    ClockSettings settings;
    LoadSettings(settings, window_);  // the first run: the key, then the defaults
    const ino_t created = inode();
    EXPECT_EQ(Stored(), FirstRunValues());
    LoadSettings(settings, window_);
    EXPECT_EQ(inode(), created) << "a later load writes nothing";
    SaveSettings(settings, window_);
    const ino_t saved = inode();
    EXPECT_NE(saved, created);
    SaveSettings(settings, window_);
    EXPECT_EQ(inode(), saved) << "an unchanged record writes nothing";
}
}  // namespace

namespace {

TEST_F(ClockSettingsTest, TheScaleIsStoredAsItIsAndReadAsAChoiceWithin100To400) {
    ClockSettings settings;
    LoadSettings(settings, window_);
    for (int32_t stored : {0, 100, 150, 300, 400, 125, 99, 401, -150, 1000}) {
        Set("scale", stored);
        ClockSettings read;
        LoadSettings(read, window_);
        EXPECT_EQ(read.Scale, stored) << "kept as stored, " << stored;
        EXPECT_EQ(ChosenScale(read.Scale), stored >= 100 && stored <= 400 ? stored : 0) << stored;
        SaveSettings(read, window_);
        LoadSettings(read, window_);
        EXPECT_EQ(read.Scale, stored) << "saved as read, " << stored;
    }
}

}  // namespace
