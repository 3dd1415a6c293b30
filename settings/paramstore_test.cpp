#include "settings/paramstore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "tests/support/tempconfighome.h"

namespace {
constexpr const char* kApp = "QVZentick";

class ParamStoreTest : public ::testing::Test {
protected:
    // Opens the clock's store with the registry backend.
    ParamStore Open() {
        ParamStore store;
        ParamOpen(kApp, kApp, &store, 1);
        return store;
    }

    // Reads a value straight from the registry: its type and bytes, or nothing.
    std::optional<std::pair<DWORD, std::string>> Stored(const char* name) {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Kelbrin\\QVZentick", &key) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        char data[512];
        DWORD type = 0, size = sizeof data;
        LONG result =
            RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS) return std::nullopt;
        return std::make_pair(type, std::string(data, size));
    }

    void Store(const char* name, DWORD type, const std::string& bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Kelbrin\\QVZentick", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    static std::string Dword(uint32_t value) {
        return std::string{char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
    }

    TTempConfigHome home_;
};

TEST_F(ParamStoreTest, TheFirstOpeningCreatesTheKeyAndEveryReadStoresItsDefault) {
    ParamStore store = Open();
    ASSERT_NE(store.Key, nullptr);
    EXPECT_EQ(store.Disposition, REG_CREATED_NEW_KEY);
    EXPECT_STREQ(store.IniFile, kApp);
    EXPECT_STREQ(store.Section, kApp);
    EXPECT_EQ(ParamReadInt(&store, "type", 3), 3);
    EXPECT_EQ(ParamReadInt(&store, "negative", -2), -2);
    char text[16];
    ParamReadString(&store, "name", "a default that is long", text, sizeof text);
    EXPECT_STREQ(text, "a default that ");
    ParamClose(&store);
    EXPECT_EQ(store.Key, nullptr);

    EXPECT_EQ(Stored("type"), std::make_pair(REG_DWORD, Dword(3)));
    EXPECT_EQ(Stored("negative"), std::make_pair(REG_DWORD, Dword(0xFFFFFFFE)));
    EXPECT_EQ(Stored("name"), std::make_pair(REG_SZ, std::string("a default that is long\0", 23)));
}

TEST_F(ParamStoreTest, LaterOpeningsReadWithoutWriting) {
    ParamStore first = Open();
    ParamClose(&first);
    ParamStore store = Open();
    EXPECT_EQ(store.Disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(ParamReadInt(&store, "hidetask", 1), 1);
    EXPECT_FALSE(Stored("hidetask").has_value());

    ParamWriteInt(&store, "type", 4);
    ParamClose(&store);
    store = Open();
    EXPECT_EQ(ParamReadInt(&store, "type", 0), 4);
    ParamClose(&store);

    Store("all ones", REG_DWORD, Dword(0xFFFFFFFF));
    store = Open();
    EXPECT_EQ(ParamReadInt(&store, "all ones", 0), -1);
    ParamClose(&store);
}

TEST_F(ParamStoreTest, StringsFitTheirBufferAndMayReadOverTheirDefault) {
    ParamStore first = Open();
    ParamClose(&first);
    Store("fourteen", REG_SZ, std::string("14 characters!\0", 15));
    Store("fifteen", REG_SZ, std::string("15 characters!!\0", 16));
    Store("unterminated", REG_SZ, "abc");
    ParamStore store = Open();

    char buffer[17];
    std::memset(buffer, 'Z', sizeof buffer);
    std::strcpy(buffer, "own default");
    ParamReadString(&store, "missing", buffer, buffer, 16);
    EXPECT_STREQ(buffer, "own default");
    ParamReadString(&store, "fourteen", buffer, buffer, 16);
    EXPECT_STREQ(buffer, "14 characters!");
    EXPECT_EQ(buffer[16], 'Z');
    // Longer than size - 1 bytes: the default, never a cut value.
    ParamReadString(&store, "fifteen", "default", buffer, 16);
    EXPECT_STREQ(buffer, "default");
    ParamReadString(&store, "unterminated", "", buffer, 16);
    EXPECT_STREQ(buffer, "abc");
    ParamReadString(&store, "fourteen", "x", buffer, 1);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(buffer[16], 'Z');

    ParamWriteString(&store, "written", "some text");
    ParamClose(&store);
    EXPECT_EQ(Stored("written"), std::make_pair(REG_SZ, std::string("some text\0", 10)));
}

TEST_F(ParamStoreTest, ValuesOfAnotherTypeOrSizeReadAsTheDefault) {
    ParamStore first = Open();
    ParamClose(&first);
    Store("text", REG_SZ, std::string("12\0", 3));
    Store("long", REG_BINARY, "12345678");
    Store("short", REG_DWORD, "\x01\x02");
    Store("number", REG_DWORD, Dword(7));
    ParamStore store = Open();
    EXPECT_EQ(ParamReadInt(&store, "text", 9), 9);
    EXPECT_EQ(ParamReadInt(&store, "long", 9), 9);
    EXPECT_EQ(ParamReadInt(&store, "short", 9), 9);
    char buffer[16];
    ParamReadString(&store, "number", "def", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "def");
    ParamClose(&store);
}

TEST_F(ParamStoreTest, AStoreThatCannotBeOpenedReadsDefaultsAndDropsWrites) {
    // A file where the configuration folder should be.
    std::filesystem::create_directories(home_.Root());
    std::ofstream(home_.ConfigHome()) << "in the way";
    ParamStore store = Open();
    EXPECT_EQ(store.Key, nullptr);
    EXPECT_EQ(ParamReadInt(&store, "type", 5), 5);
    ParamWriteInt(&store, "type", 6);
    EXPECT_EQ(ParamReadInt(&store, "type", 5), 5);
    char buffer[8];
    ParamReadString(&store, "name", "dflt", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "dflt");
    ParamWriteString(&store, "name", "x");
    ParamClose(&store);
    ParamClose(&store);
}

TEST_F(ParamStoreTest, NamesTooLongAreRefusedNotCut) {
    const std::string longest(238, 'k');
    ParamStore store;
    ParamOpen(nullptr, longest.c_str(), &store, 1);
    ASSERT_NE(store.Key, nullptr);
    EXPECT_EQ(store.Disposition, REG_CREATED_NEW_KEY);
    EXPECT_STREQ(store.IniFile, "");
    ParamClose(&store);

    const std::string tooLong(239, 'k');
    ParamOpen(nullptr, tooLong.c_str(), &store, 1);
    EXPECT_EQ(store.Key, nullptr);
    EXPECT_EQ(ParamReadInt(&store, "x", 3), 3);
    ParamClose(&store);
    HKEY cut = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER,
                          ("Software\\Kelbrin\\" + longest.substr(0, 237)).c_str(), &cut),
              ERROR_FILE_NOT_FOUND);

    // Profile names: 259 characters at most.
    const std::string ini = home_.Root() + "/" + std::string(259 - home_.Root().size() - 1, 'f');
    ParamOpen(ini.c_str(), kApp, &store, 0);
    EXPECT_EQ(std::string(store.IniFile), ini);
    ParamWriteInt(&store, "x", 1);
    EXPECT_TRUE(std::filesystem::exists(ini));
    const std::string iniTooLong = ini + "g";
    ParamOpen(iniTooLong.c_str(), kApp, &store, 0);
    EXPECT_STREQ(store.IniFile, "");
    ParamWriteInt(&store, "x", 1);
    EXPECT_EQ(ParamReadInt(&store, "x", 8), 8);
    EXPECT_FALSE(std::filesystem::exists(iniTooLong));
}

TEST_F(ParamStoreTest, TheProfileBackendReadsIntegersLikeAtol) {
    const std::string ini = home_.Root() + "/clock.ini";
    ParamStore store;
    ParamOpen(ini.c_str(), kApp, &store, 0);
    EXPECT_EQ(store.Key, nullptr);
    EXPECT_EQ(ParamReadInt(&store, "missing", 42), 42);
    char buffer[8];
    ParamReadString(&store, "missing", "text", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "text");
    EXPECT_FALSE(std::filesystem::exists(ini)) << "reads never create the file";

    std::ofstream(ini) << "[QVZentick]\nmixed=12abc\nletters=abc\nspaced=  -7 \n"
                          "huge=99999999999\nhugeneg=-99999999999\n";
    EXPECT_EQ(ParamReadInt(&store, "mixed", 5), 12);
    EXPECT_EQ(ParamReadInt(&store, "letters", 5), 0);
    EXPECT_EQ(ParamReadInt(&store, "spaced", 5), -7);
    EXPECT_EQ(ParamReadInt(&store, "huge", 5), INT32_MAX);
    EXPECT_EQ(ParamReadInt(&store, "hugeneg", 5), INT32_MIN);

    ParamWriteInt(&store, "type", -12);
    ParamWriteString(&store, "name", "a b");
    ParamClose(&store);
    EXPECT_EQ(store.UseRegistry, 0);
    EXPECT_EQ(ParamReadInt(&store, "type", 0), -12);
    ParamReadString(&store, "name", "", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "a b");
    std::ifstream in(ini);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("type=-12\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(home_.RegistryFile()));
}
TEST_F(ParamStoreTest, BatchedWritesAreStoredTogetherAndSeenBeforehand) {
    {
        ParamStore first = Open();
        ParamClose(&first);
    }
    Store("kept", REG_DWORD, Dword(9));
    ParamStore store = Open();
    ParamBeginBatch(&store);
    ParamWriteInt(&store, "a", 1);
    ParamWriteString(&store, "name", "text");
    ParamWriteInt(&store, "A", 2);
    // Nothing is stored yet, but the store's own reads see the batch.
    EXPECT_FALSE(Stored("a").has_value());
    EXPECT_FALSE(Stored("name").has_value());
    EXPECT_EQ(ParamReadInt(&store, "a", 0), 2);
    EXPECT_EQ(ParamReadInt(&store, "name", 7), 7) << "text is no integer";
    EXPECT_EQ(ParamReadInt(&store, "kept", 0), 9);
    char buffer[8];
    ParamReadString(&store, "NAME", "", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "text");
    char small[4] = "def";
    ParamReadString(&store, "name", small, small, sizeof small);
    EXPECT_STREQ(small, "def") << "too long for the buffer: the default stays";

    EXPECT_EQ(ParamCommit(&store), ERROR_SUCCESS);
    EXPECT_EQ(Stored("a"), std::make_pair(REG_DWORD, Dword(2)));
    EXPECT_EQ(Stored("name"), std::make_pair(REG_SZ, std::string("text", 5)));
    // After the commit writes go straight to the store again.
    ParamWriteInt(&store, "b", 3);
    EXPECT_EQ(Stored("b"), std::make_pair(REG_DWORD, Dword(3)));
    // Closing commits a batch still open.
    ParamBeginBatch(&store);
    ParamWriteInt(&store, "c", 4);
    EXPECT_FALSE(Stored("c").has_value());
    ParamClose(&store);
    EXPECT_EQ(Stored("c"), std::make_pair(REG_DWORD, Dword(4)));
}

TEST_F(ParamStoreTest, TheFirstRunsDefaultsAreBatchedToo) {
    ParamStore store = Open();
    ASSERT_EQ(store.Disposition, REG_CREATED_NEW_KEY);
    ParamBeginBatch(&store);
    EXPECT_EQ(ParamReadInt(&store, "x", 5), 5);
    char buffer[8];
    ParamReadString(&store, "s", "dflt", buffer, sizeof buffer);
    EXPECT_FALSE(Stored("x").has_value());
    // Read again in the same opening, a default is what was stored for it.
    EXPECT_EQ(ParamReadInt(&store, "x", 6), 5);
    ParamClose(&store);
    EXPECT_EQ(Stored("x"), std::make_pair(REG_DWORD, Dword(5)));
    EXPECT_EQ(Stored("s"), std::make_pair(REG_SZ, std::string("dflt", 5)));
}

TEST_F(ParamStoreTest, AFailedCommitStoresNothing) {
    {
        ParamStore first = Open();
        ParamClose(&first);
    }
    ParamStore store = Open();
    ParamBeginBatch(&store);
    ParamWriteInt(&store, "good", 1);
    ParamWriteInt(&store, "bad\nname", 2);
    EXPECT_EQ(ParamCommit(&store), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(Stored("good").has_value());
    EXPECT_EQ(ParamCommit(&store), ERROR_SUCCESS) << "the batch is gone";
    ParamClose(&store);
}
}  // namespace
